#include "core/FrameCollector.h"
#include "core/MeterFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

using vireo::collectHeron;
using vireo::collectWren;
using vireo::FrameCollector;
using vireo::MeterFrame;

namespace {

using Bytes = std::vector<std::uint8_t>;

MeterFrame reading(int count, std::uint8_t function = MeterFrame::Function::Voltage)
{
    MeterFrame frame;
    frame.function = function;
    frame.setCount(count);
    return frame;
}

Bytes wire(const MeterFrame &frame)
{
    const auto bytes = frame.bytes();
    return Bytes(bytes.begin(), bytes.end());
}

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Feeds chunks one by one and records, per frame handed on, the chunk index and FrameText.
struct Recorder {
    FrameCollector frames;
    std::vector<std::string> texts;
    std::vector<std::size_t> atChunk;

    void feed(const Bytes &chunk, std::size_t index = 0)
    {
        collectHeron(frames, chunk, [&] {
            texts.push_back(frames.FrameText);
            atChunk.push_back(index);
        });
    }
};

const Bytes kLineFeed{0x0A};

} // namespace

TEST(FrameCollector, FrameSplitOverChunksIsHandedOnOnceAtTheCarriageReturn)
{
    const MeterFrame frame = reading(1234);
    const Bytes stream = concat({kLineFeed, wire(frame)}); // LF, nine data bytes, CR, LF
    Recorder r;
    r.feed(Bytes(stream.begin(), stream.begin() + 4), 0);
    r.feed(Bytes(stream.begin() + 4, stream.begin() + 9), 1);
    EXPECT_TRUE(r.texts.empty());
    r.feed(Bytes(stream.begin() + 9, stream.begin() + 11), 2);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.atChunk[0], 2u);
    EXPECT_EQ(r.texts[0], frame.frameText());
    // The frame's own line feed already starts the next one.
    EXPECT_TRUE(r.frames.RxNibbles.empty());
    r.feed(Bytes(stream.begin() + 11, stream.end()), 3);
    EXPECT_EQ(r.frames.RxNibbles, "A");
}

TEST(FrameCollector, SeveralFramesInOneChunkAreHandedOnInOrder)
{
    const MeterFrame first = reading(1);
    const MeterFrame second = reading(-2, MeterFrame::Function::Resistance);
    const MeterFrame third = reading(3999, MeterFrame::Function::Capacitance);
    Recorder r;
    r.feed(concat({kLineFeed, wire(first), wire(second), wire(third)}));
    EXPECT_EQ(r.texts,
              (std::vector<std::string>{first.frameText(), second.frameText(), third.frameText()}));
}

TEST(FrameCollector, DamagedFramesAreDroppedAndTheStreamRecovers)
{
    const MeterFrame good = reading(777);
    const Bytes goodWire = wire(good);

    // Started mid-frame: the first carriage return ends a short text.
    Bytes midFrame(goodWire.begin() + 5, goodWire.end());
    // One data byte lost: ten bytes between carriage returns.
    Bytes lostByte;
    for (std::size_t i = 0; i < goodWire.size(); ++i) {
        if (i != 3)
            lostByte.push_back(goodWire[i]);
    }
    // A data byte equal to CR ends the frame early; the remainder is short as well.
    Bytes crInData = goodWire;
    crInData[4] = 0x0D;
    // The line feed lost: this frame is whole, the next one starts with a data byte.
    Bytes lostLineFeed = goodWire;
    lostLineFeed.pop_back();

    for (const Bytes &damaged : {midFrame, lostByte, crInData, lostLineFeed}) {
        Recorder r;
        r.feed(concat({kLineFeed, damaged, goodWire, wire(reading(5))}));
        EXPECT_EQ(r.texts, (std::vector<std::string>{good.frameText(), reading(5).frameText()}));
    }
}

TEST(FrameCollector, OnlyLowNibblesCount)
{
    // Bit 7 set as a meter sending seven data bits with parity would produce when read as
    // eight; the carriage return of such a meter keeps its value.
    const MeterFrame frame = reading(-321, MeterFrame::Function::Microampere);
    Bytes stream = concat({kLineFeed, wire(frame)});
    for (std::uint8_t &b : stream)
        if (b != 0x0D)
            b |= 0x80;
    stream.front() = 0xFA; // a first byte passes by its low nibble alone
    Recorder r;
    r.feed(stream);
    ASSERT_EQ(r.texts.size(), 1u);
    EXPECT_EQ(r.texts[0], frame.frameText());
    // A byte whose low nibble is D but which is not CR does not end a frame.
    Recorder s;
    s.feed({0x0A, 0x3D, 0x8D, 0xFD});
    EXPECT_TRUE(s.texts.empty());
    EXPECT_EQ(s.frames.RxNibbles, "ADDD");
}

TEST(FrameCollector, TextIsClearedEvenWhenTheFrameHandlerFails)
{
    FrameCollector frames;
    const Bytes stream = concat({kLineFeed, wire(reading(1))});
    EXPECT_THROW(collectHeron(frames, stream, [] { throw std::runtime_error("undecodable"); }),
                 std::runtime_error);
    EXPECT_TRUE(frames.RxNibbles.empty());
    EXPECT_EQ(frames.FrameText, reading(1).frameText());

    int calls = 0;
    collectHeron(frames, concat({kLineFeed, wire(reading(2))}), [&] { ++calls; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(frames.FrameText, reading(2).frameText());
}

TEST(FrameCollector, LongStretchesAreJudgedAsIfUnboundedButDoNotGrow)
{
    // "A", nine digits, a non-CR byte with low nibble D at position 11, then more bytes.
    auto stretch = [](std::size_t extra) {
        Bytes bytes{0x0A, 0x30, 0x31, 0x32, 0x33, 0x34, 0x3B, 0x30, 0x30, 0x3A, 0x3D};
        bytes.insert(bytes.end(), extra, 0x37);
        bytes.push_back(0x0D);
        return bytes;
    };

    // Several dozen bytes: everything is kept.
    Recorder shortStretch;
    shortStretch.feed(stretch(40));
    ASSERT_EQ(shortStretch.texts.size(), 1u);
    EXPECT_EQ(shortStretch.texts[0], "A01234B00AD" + std::string(40, '7') + "D");

    // Far beyond the bound: same verdict, same decoded positions, bounded text.
    Recorder longStretch;
    longStretch.feed(stretch(100000));
    ASSERT_EQ(longStretch.texts.size(), 1u);
    EXPECT_EQ(longStretch.texts[0].size(), FrameCollector::RxNibblesLimit);
    EXPECT_EQ(longStretch.texts[0].substr(0, 11), "A01234B00AD");

    // A stream that never sends CR stays bounded, and the next frames decode normally.
    Recorder noise;
    noise.feed(Bytes(1'000'000, 0x55));
    EXPECT_EQ(noise.frames.RxNibbles.size(), FrameCollector::RxNibblesLimit);
    noise.feed(concat({Bytes{0x0D, 0x0A}, wire(reading(42))}));
    ASSERT_EQ(noise.texts.size(), 1u);
    EXPECT_EQ(noise.texts[0], reading(42).frameText());
}

TEST(FrameCollector, WrenFramesEndAtAnEByteAndAreOnlyStored)
{
    FrameCollector frames;
    Bytes frame14{0x1A, 0x20, 0x31, 0x0D, 0x4F, 0x55, 0x60, 0x77, 0x8B, 0x9C, 0xA3, 0xB2, 0xD1};
    frame14.push_back(0xE9);
    collectWren(frames, Bytes(frame14.begin(), frame14.begin() + 6));
    EXPECT_EQ(frames.FrameText, "");
    collectWren(frames, Bytes(frame14.begin() + 6, frame14.end()));
    EXPECT_EQ(frames.FrameText, "A01DF507BC3219");
    EXPECT_TRUE(frames.RxNibbles.empty());
}
