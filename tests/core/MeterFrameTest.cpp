#include "core/MeterFrame.h"
#include "core/FrameCollector.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <vector>

using vireo::MeterFrame;

TEST(MeterFrame, EncodesTheWireBytesOfAReading)
{
    MeterFrame frame; // voltage, DC, AUTO
    frame.setCount(1234);
    const std::array<std::uint8_t, 11> expected{0x30, 0x31, 0x32, 0x33, 0x34, 0x3B,
                                                0x30, 0x30, 0x3A, 0x0D, 0x0A};
    EXPECT_EQ(frame.bytes(), expected);
    EXPECT_EQ(frame.frameText(), "A01234B00AD");

    MeterFrame overload;
    overload.function = MeterFrame::Function::Resistance;
    overload.range = 1;
    overload.status = MeterFrame::Status::Overload | MeterFrame::Status::Negative;
    overload.option1 = MeterFrame::Option1::HOLD | MeterFrame::Option1::MIN;
    overload.option2 = MeterFrame::Option2::AC | MeterFrame::Option2::NoRS232;
    EXPECT_EQ(overload.nibbleText(), "1000035A5");
}

TEST(MeterFrame, SetCountWritesSignAndFourDigits)
{
    MeterFrame frame;
    frame.status = MeterFrame::Status::Battery;
    frame.setCount(-1234);
    EXPECT_EQ(frame.digits, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(frame.status, MeterFrame::Status::Battery | MeterFrame::Status::Negative);
    frame.setCount(12);
    EXPECT_EQ(frame.digits, (std::array<std::uint8_t, 4>{0, 0, 1, 2}));
    EXPECT_EQ(frame.status, MeterFrame::Status::Battery);
    frame.setCount(123456);
    EXPECT_EQ(frame.digits, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));
    frame.setCount(INT_MIN);
    EXPECT_EQ(frame.digits, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));
    EXPECT_TRUE(frame.status & MeterFrame::Status::Negative);
}

TEST(MeterFrame, RoundTripsThroughTheSerialCollector)
{
    // Every nibble value in every position: the wire never carries a CR inside the data, and
    // the collector's text reads back as the same fields.
    vireo::FrameCollector frames;
    std::vector<MeterFrame> sent;
    std::vector<MeterFrame> received;
    std::vector<std::uint8_t> stream{0x0A};
    for (std::uint8_t v = 0; v < 16; ++v) {
        MeterFrame frame;
        frame.range = v;
        frame.digits = {v, static_cast<std::uint8_t>(15 - v), v, static_cast<std::uint8_t>(v / 2)};
        frame.function = static_cast<std::uint8_t>(15 - v);
        frame.status = v;
        frame.option1 = static_cast<std::uint8_t>(v ^ 5);
        frame.option2 = static_cast<std::uint8_t>(v ^ 10);
        const auto bytes = frame.bytes();
        for (std::size_t i = 0; i < MeterFrame::DataSize; ++i)
            ASSERT_NE(bytes[i], 0x0D);
        stream.insert(stream.end(), bytes.begin(), bytes.end());
        sent.push_back(frame);
    }
    vireo::collectHeron(frames, stream, [&] {
        const auto frame = MeterFrame::fromNibbleText(frames.FrameText.substr(1, 9));
        ASSERT_TRUE(frame.has_value());
        received.push_back(*frame);
    });
    EXPECT_EQ(received, sent);
}

TEST(MeterFrame, NibbleTextMustBeNineHexDigits)
{
    const auto lower = MeterFrame::fromNibbleText("01234b00a");
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(lower->nibbleText(), "01234B00A");
    EXPECT_FALSE(MeterFrame::fromNibbleText("01234B00").has_value());
    EXPECT_FALSE(MeterFrame::fromNibbleText("01234B00A0").has_value());
    EXPECT_FALSE(MeterFrame::fromNibbleText("01234G00A").has_value());
    EXPECT_FALSE(MeterFrame::fromNibbleText("0123 B00A").has_value());
}
