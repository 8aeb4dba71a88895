#include "core/RecordGate.h"

#include "core/NumberText.h"

#include <algorithm>
#include <initializer_list>

namespace vireo {

namespace {

// Compares the key with the plain concatenation of the four texts, without building it.
bool keyEquals(std::string_view key, const ReadingTexts &reading)
{
    for (const std::string_view part : {reading.Value, reading.Func, reading.Unit, reading.Range}) {
        if (!key.starts_with(part))
            return false;
        key.remove_prefix(part.size());
    }
    return key.empty();
}

} // namespace

bool RecordGate::restartCountdown(std::string_view recordSITime)
{
    const auto seconds = entryTextToInt32(recordSITime);
    if (!seconds)
        return false;
    // A negative interval (only reachable by pasting) would never count down and so would
    // stop the log for good; it means no waiting instead.
    SampleCountdown = std::max<std::int32_t>(*seconds, 0);
    return true;
}

GateDecision RecordGate::offer(const ReadingTexts &reading, bool repeatSet, bool recordSI,
                               std::string_view recordSITime)
{
    GateDecision decision;
    if (recordSI && SampleCountdown != 0)
        return decision;
    const bool sameKey = keyEquals(LastLoggedKey, reading);
    if (!repeatSet && sameKey)
        return decision;
    if (!sameKey) {
        LastLoggedKey.assign(reading.Value);
        LastLoggedKey.append(reading.Func);
        LastLoggedKey.append(reading.Unit);
        LastLoggedKey.append(reading.Range);
    }
    if (!restartCountdown(recordSITime)) {
        decision.action = GateDecision::Action::Fail;
        decision.error = invalidIntegerMessage(recordSITime);
        return decision;
    }
    decision.action = GateDecision::Action::Log;
    decision.recordNo = RecordNo;
    // Numbering wraps like the 32-bit field it fills rather than overflowing.
    RecordNo = static_cast<std::int32_t>(static_cast<std::uint32_t>(RecordNo) + 1u);
    return decision;
}

void RecordGate::tick(bool recordSI)
{
    if (recordSI && SampleCountdown > 0)
        --SampleCountdown;
}

std::string RecordGate::intervalChanged(std::string_view recordSITime)
{
    if (restartCountdown(recordSITime))
        return {};
    return invalidIntegerMessage(recordSITime);
}

} // namespace vireo
