#include "core/ModelTable.h"

#include <gtest/gtest.h>

using namespace vireo;

namespace {

struct StartupCase {
    const char *name;
    ModelSwitches sw;
    bool titleSet;
    const char *title;
    SerialCollector collector;
    std::uint32_t speed;
    std::int32_t full;
    bool firstDigitThree;
};

ModelSwitches with(std::initializer_list<bool ModelSwitches::*> on)
{
    ModelSwitches s;
    for (auto sw : on)
        s.*sw = true;
    return s;
}

class Startup : public ::testing::TestWithParam<StartupCase> {};

TEST_P(Startup, SwitchesGiveTitleCollectorSpeedAndCounts)
{
    const StartupCase &c = GetParam();
    const ModelSetup setup = applyModelSwitches(c.sw);
    EXPECT_EQ(setup.titleSet, c.titleSet);
    if (c.titleSet) {
        EXPECT_EQ(setup.title, c.title);
    }
    EXPECT_EQ(setup.collector, c.collector);
    EXPECT_EQ(setup.serialSpeed, c.speed);
    EXPECT_EQ(setup.counts.FullScaleCount, c.full);
    EXPECT_EQ(setup.firstDigitThree, c.firstDigitThree);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, Startup,
    ::testing::Values(
        StartupCase{"shipped", ModelSwitches::shipped(), true, "Vireo Interface Program Ver: 3.10",
                    SerialCollector::Heron, 19200, 4000, false},
        StartupCase{"siskin", with({&ModelSwitches::IFSiskin}), true,
                    "Siskin Interface Program _Ver: 1.00", SerialCollector::Heron, 2400, 6000,
                    false},
        StartupCase{"plover", with({&ModelSwitches::IFPlover}), true,
                    "Plover Interface Program _Ver: 2.06", SerialCollector::Heron, 2400, 3400,
                    false},
        StartupCase{"none", ModelSwitches{}, false, "", SerialCollector::None, 2400, 4000, false},
        StartupCase{"ospreySiskin", with({&ModelSwitches::IFOsprey, &ModelSwitches::IFSiskin}),
                    true, "Siskin Interface Program _Ver: 1.00", SerialCollector::Heron, 19200,
                    6000, false},
        StartupCase{"ploverOsprey", with({&ModelSwitches::IFPlover, &ModelSwitches::IFOsprey}),
                    true, "Vireo Interface Program Ver: 3.10", SerialCollector::Heron, 19200, 4000,
                    false},
        StartupCase{"wren", with({&ModelSwitches::IFWren}), true,
                    "OEM Tanager Interface Program _Ver: 2.00", SerialCollector::Wren, 2400, 4000,
                    true},
        StartupCase{"egretHeron", with({&ModelSwitches::Egret, &ModelSwitches::IFHeron}), true,
                    "Heron Interface Program _Ver: 1.00", SerialCollector::Heron, 2400, 4000, true},
        StartupCase{"kestrel", with({&ModelSwitches::IFKestrel}), true,
                    "Kestrel USB Interface Program _Ver: 1.00", SerialCollector::Heron, 19200, 4000,
                    false},
        StartupCase{
            "unreadSwitches",
            with({&ModelSwitches::IFLinnet, &ModelSwitches::IFCurlew, &ModelSwitches::IFPetrel,
                  &ModelSwitches::IFMerlin, &ModelSwitches::Ibis, &ModelSwitches::IFFinch}),
            false, "", SerialCollector::None, 2400, 4000, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CountClass, ConstantsOfEachClass)
{
    const CountClass six = countClassFor("6");
    EXPECT_EQ(six.ScaleCenter, 600);
    EXPECT_EQ(six.BarMidPos, 60);
    EXPECT_EQ(six.ScaleSpan, 120);
    EXPECT_EQ(six.LimitHigh, 6002.0f);
    EXPECT_EQ(six.LimitLow, -6002.0f);
    EXPECT_EQ(six.MaxCount, -6001.0f);
    EXPECT_EQ(six.MinCount, 6001.0f);
    const CountClass s34 = countClassFor("34");
    EXPECT_EQ(s34.ScaleCenter, 340);
    EXPECT_EQ(s34.BarMidPos, 34);
    EXPECT_EQ(s34.ScaleSpan, 68);
    const CountClass four = countClassFor("4");
    EXPECT_EQ(four.ScaleSpan, 80);
    EXPECT_EQ(four.ScaleKind, "4");
}

TEST(UsbModel, HandlerAndAdapterSpeed)
{
    auto handler = [](const ModelSwitches &sw) { return applyModelSwitches(sw).usbHandler; };
    auto speed = [](const ModelSwitches &sw) { return applyModelSwitches(sw).adapterSpeed; };
    EXPECT_EQ(handler(ModelSwitches::shipped()), UsbReportHandler::Heron);
    // The 14-byte family wins over the 11-byte one when both are on.
    EXPECT_EQ(handler(with({&ModelSwitches::IFOsprey, &ModelSwitches::IFWren})),
              UsbReportHandler::Wren);
    EXPECT_EQ(handler(with({&ModelSwitches::IFHeron})), UsbReportHandler::None);
    EXPECT_EQ(handler(with({&ModelSwitches::Egret})), UsbReportHandler::None);
    EXPECT_EQ(speed(ModelSwitches::shipped()), 19200u);
    EXPECT_EQ(speed(with({&ModelSwitches::IFHeron})), 2400u);
    // Any model on the slow adapter speed holds it there.
    EXPECT_EQ(speed(with({&ModelSwitches::IFOsprey, &ModelSwitches::IFSiskin})), 2400u);
    EXPECT_EQ(speed(with({&ModelSwitches::IFOsprey, &ModelSwitches::IFWren})), 2400u);
    EXPECT_EQ(speed(with({&ModelSwitches::IFOsprey, &ModelSwitches::IFKestrel})), 19200u);
    // The serial line of this model is fast, its adapter is not.
    EXPECT_EQ(speed(with({&ModelSwitches::IFKestrel})), 2400u);
    EXPECT_EQ(speed(ModelSwitches{}), 2400u);
}

TEST(ModelQuirks, EachModelBringsItsOwnAndTheyAddUp)
{
    auto quirks = [](const ModelSwitches &sw) { return applyModelSwitches(sw).quirks; };
    EXPECT_EQ(quirks(ModelSwitches{}), DecoderQuirks{});
    EXPECT_EQ(quirks(ModelSwitches::shipped()),
              (DecoderQuirks{.trueRmsAcMarks = true, .noSerialMarks = true}));
    EXPECT_EQ(quirks(with({&ModelSwitches::IFHeron})), DecoderQuirks{.narrowFrequencyAxis = true});
    const DecoderQuirks finch = quirks(with({&ModelSwitches::IFFinch}));
    EXPECT_TRUE(finch.swappedCurrentFunctions);
    EXPECT_TRUE(finch.threeDigitDiodeAndContinuity);
    EXPECT_FALSE(finch.narrowFrequencyAxis);
    // A model that changes only the decoding leaves the window's set-up alone.
    EXPECT_FALSE(applyModelSwitches(with({&ModelSwitches::IFFinch})).titleSet);

    const DecoderQuirks ploverFinch =
        quirks(with({&ModelSwitches::IFPlover, &ModelSwitches::IFFinch}));
    EXPECT_TRUE(ploverFinch.continuityInOhm);
    EXPECT_TRUE(ploverFinch.threeDigitDiodeAndContinuity);
    EXPECT_TRUE(ploverFinch.frequencyAxisIgnoresCelsiusBit);
    EXPECT_TRUE(ploverFinch.narrowFrequencyAxis);
}

} // namespace
