#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vireo {

// The four texts of a decoded reading that the log keeps.
struct ReadingTexts {
    std::string_view Value;
    std::string_view Func;
    std::string_view Unit;
    std::string_view Range;
};

// What the log does with one offered reading.
struct GateDecision {
    enum class Action { Log, Skip, Fail };
    Action action = Action::Skip;
    // The number of the row to append, when the action is Log.
    std::int32_t recordNo = 0;
    // The error text to show, when the action is Fail.
    std::string error;
};

// Decides which readings enter the log (sampling interval and repeat filter) and numbers the
// rows. The window passes the states of its controls in; all bookkeeping lives here.
class RecordGate {
public:
    // Offers a reading. Log means: append it as row recordNo, plot it and judge it. Fail means
    // the interval text did not convert: nothing is logged, but the reading still counts as the
    // last one logged for the repeat filter.
    GateDecision offer(const ReadingTexts &reading, bool repeatSet, bool recordSI,
                       std::string_view recordSITime);
    // One tick of the 1-second sampling timer.
    void tick(bool recordSI);
    // The interval text was edited; returns the error text when it does not convert (the
    // countdown then keeps its value), else an empty text.
    std::string intervalChanged(std::string_view recordSITime);
    // The log was cleared: numbering starts again at 1.
    void logCleared() { RecordNo = 1; }

    std::int32_t SampleCountdown = 0;
    std::string LastLoggedKey;
    std::int32_t RecordNo = 1;

private:
    bool restartCountdown(std::string_view recordSITime);
};

} // namespace vireo
