#include "core/RecordGate.h"

#include <gtest/gtest.h>

namespace vireo {
namespace {

using Action = GateDecision::Action;

constexpr ReadingTexts steady{"1.234", "DC", "V", "AUTO"};

struct Controls {
    bool repeatSet = true;
    bool recordSI = false;
    std::string interval = "1";
};

GateDecision offer(RecordGate &gate, const ReadingTexts &reading, const Controls &controls)
{
    return gate.offer(reading, controls.repeatSet, controls.recordSI, controls.interval);
}

TEST(RecordGate, NumbersRowsFromOneAndAgainAfterAClear)
{
    RecordGate gate;
    const Controls controls;
    EXPECT_EQ(offer(gate, steady, controls).recordNo, 1);
    EXPECT_EQ(offer(gate, steady, controls).recordNo, 2);
    EXPECT_EQ(offer(gate, steady, controls).recordNo, 3);
    gate.logCleared();
    const GateDecision afterClear = offer(gate, steady, controls);
    EXPECT_EQ(afterClear.action, Action::Log);
    EXPECT_EQ(afterClear.recordNo, 1);
}

TEST(RecordGate, RepeatOffLogsOnlyChangesAgainstTheLastLoggedReading)
{
    RecordGate gate;
    Controls controls;
    controls.repeatSet = false;
    // The first reading goes in even with the repeat filter on: nothing was logged before.
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
    const ReadingTexts changes[] = {{"1.235", "DC", "V", "AUTO"},
                                    {"1.235", "AC", "V", "AUTO"},
                                    {"1.235", "AC", "mV", "AUTO"},
                                    {"1.235", "AC", "mV", "MANU"},
                                    steady};
    std::int32_t expectedNo = 2;
    for (const ReadingTexts &reading : changes) {
        const GateDecision decision = offer(gate, reading, controls);
        EXPECT_EQ(decision.action, Action::Log) << reading.Value << reading.Func << reading.Unit;
        EXPECT_EQ(decision.recordNo, expectedNo++);
    }
    EXPECT_EQ(gate.LastLoggedKey, "1.234DCVAUTO");
}

TEST(RecordGate, ClearingDoesNotForgetTheLastLoggedReading)
{
    RecordGate gate;
    Controls controls;
    controls.repeatSet = false;
    offer(gate, steady, controls);
    gate.logCleared();
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
    EXPECT_EQ(offer(gate, {"1.000", "DC", "V", "AUTO"}, controls).recordNo, 1);
}

TEST(RecordGate, SamplingIntervalAdmitsOneReadingPerInterval)
{
    RecordGate gate;
    Controls controls;
    controls.recordSI = true;
    controls.interval = "3";
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    EXPECT_EQ(gate.SampleCountdown, 3);
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip) << tick;
        gate.tick(controls.recordSI);
    }
    EXPECT_EQ(gate.SampleCountdown, 0);
    gate.tick(controls.recordSI);
    EXPECT_EQ(gate.SampleCountdown, 0);
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    EXPECT_EQ(gate.SampleCountdown, 3);
}

TEST(RecordGate, CountdownIsReloadedAndFrozenWhileSamplingIsOff)
{
    RecordGate gate;
    Controls controls;
    controls.interval = "5";
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    gate.tick(false);
    EXPECT_EQ(gate.SampleCountdown, 5);
    // Switching sampling on: the first row comes one full interval later.
    controls.recordSI = true;
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
}

TEST(RecordGate, ZeroIntervalsLetEveryReadingThrough)
{
    for (const char *interval : {"0", "", "-", "+", "-7"}) {
        RecordGate gate;
        Controls controls;
        controls.recordSI = true;
        controls.interval = interval;
        EXPECT_EQ(offer(gate, steady, controls).action, Action::Log) << interval;
        EXPECT_EQ(offer(gate, steady, controls).action, Action::Log) << interval;
        EXPECT_EQ(gate.SampleCountdown, 0) << interval;
    }
}

TEST(RecordGate, RepeatOffHoldsAnUnchangedReadingAfterTheCountdownEnds)
{
    RecordGate gate;
    Controls controls;
    controls.repeatSet = false;
    controls.recordSI = true;
    controls.interval = "1";
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
    gate.tick(true);
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
    EXPECT_EQ(gate.SampleCountdown, 0);
    EXPECT_EQ(offer(gate, {"1.111", "DC", "V", "AUTO"}, controls).action, Action::Log);
}

TEST(RecordGate, BadIntervalFailsAfterTheKeyIsTaken)
{
    RecordGate gate;
    Controls controls;
    controls.repeatSet = false;
    controls.interval = "99999999999";
    const GateDecision decision = offer(gate, steady, controls);
    EXPECT_EQ(decision.action, Action::Fail);
    EXPECT_EQ(decision.error, "'99999999999' is not a valid integer value");
    EXPECT_EQ(gate.LastLoggedKey, "1.234DCVAUTO");
    EXPECT_EQ(gate.RecordNo, 1);
    controls.interval = "1";
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Skip);
}

TEST(RecordGate, IntervalChangeSetsTheCountdownAtOnce)
{
    RecordGate gate;
    EXPECT_EQ(gate.intervalChanged("12"), "");
    EXPECT_EQ(gate.SampleCountdown, 12);
    EXPECT_EQ(gate.intervalChanged("1x"), "'1x' is not a valid integer value");
    EXPECT_EQ(gate.SampleCountdown, 12);
    EXPECT_EQ(gate.intervalChanged(""), "");
    EXPECT_EQ(gate.SampleCountdown, 0);
    Controls controls;
    controls.recordSI = true;
    EXPECT_EQ(offer(gate, steady, controls).action, Action::Log);
}

TEST(RecordGate, NumberingWrapsInsteadOfOverflowing)
{
    RecordGate gate;
    gate.RecordNo = INT32_MAX;
    const Controls controls;
    EXPECT_EQ(offer(gate, steady, controls).recordNo, INT32_MAX);
    EXPECT_EQ(gate.RecordNo, INT32_MIN);
}

} // namespace
} // namespace vireo
