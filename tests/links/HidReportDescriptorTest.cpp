#include "links/HidReportDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace vireo {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Vendor-defined collection with 8-byte input, output and feature reports, no report IDs:
// the layout of the meter's adapter.
const Bytes kUnnumbered = {
    0x06, 0x00, 0xFF,       // Usage Page (vendor)
    0x09, 0x01,             // Usage
    0xA1, 0x01,             // Collection (Application)
    0x15, 0x00,             //   Logical Minimum 0
    0x26, 0xFF, 0x00,       //   Logical Maximum 255
    0x75, 0x08,             //   Report Size 8
    0x95, 0x08,             //   Report Count 8
    0x09, 0x01, 0x81, 0x02, // Input
    0x95, 0x10,             //   Report Count 16
    0x09, 0x01, 0x91, 0x02, // Output (not an input report)
    0x09, 0x01, 0xB1, 0x02, // Feature (not an input report)
    0xC0,                   // End Collection
};

TEST(HidReportDescriptor, UnnumberedReportsGainTheZeroIdByte)
{
    const HidInputCaps caps = parseReportDescriptor(kUnnumbered).input;
    EXPECT_EQ(caps.InputReportByteLength, 9);
    EXPECT_FALSE(caps.numbered);
}

TEST(HidReportDescriptor, NumberedReportsUseTheLargestInputReport)
{
    const Bytes descriptor = {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, // Usage Page, Usage, Collection
        0x85, 0x01,                         // Report ID 1
        0x75, 0x01, 0x95, 0x05, 0x81, 0x02, // 5 bits
        0x75, 0x03, 0x95, 0x01, 0x81, 0x01, // 3 bits of padding: 1 byte
        0x85, 0x02,                         // Report ID 2
        0x75, 0x08, 0x96, 0x20, 0x00,       // Report Size 8, Report Count 32 (two-byte item)
        0x81, 0x02,                         // 32 bytes
        0xFE, 0x02, 0x10, 0xAA, 0xBB,       // a long item, skipped whole
        0x85, 0x03, 0x95, 0x40, 0x91, 0x02, // Report ID 3: output only
        0xC0,
    };
    const HidInputCaps caps = parseReportDescriptor(descriptor).input;
    EXPECT_EQ(caps.InputReportByteLength, 33);
    EXPECT_TRUE(caps.numbered);
}

TEST(HidReportDescriptor, FeatureReportsAreMeasuredPerReportId)
{
    // The unnumbered layout above: 16 feature bytes after the 0 ID byte.
    EXPECT_EQ(parseReportDescriptor(kUnnumbered).featureLength[0], 17);
    const Bytes descriptor = {
        0x75, 0x08,             // Report Size 8
        0x85, 0x02, 0x95, 0x05, // Report ID 2, Report Count 5
        0xB1, 0x02,             // Feature: 5 bytes
        0x95, 0x03, 0xB1, 0x02, // Feature: 3 more bytes of report 2
        0x85, 0x04, 0x95, 0x01, // Report ID 4, 1 byte
        0x81, 0x02,             // Input only
    };
    const HidReportLayout layout = parseReportDescriptor(descriptor);
    EXPECT_EQ(layout.featureLength[2], 9);
    EXPECT_EQ(layout.featureLength[4], 0);
    EXPECT_EQ(layout.featureLength[0], 0);
}

TEST(HidReportDescriptor, PushAndPopRestoreTheGlobals)
{
    const Bytes descriptor = {
        0x75, 0x08, 0x95, 0x02, // 8 bits x 2
        0xA4,                   // Push
        0x95, 0x30,             // 48
        0xB4,                   // Pop: back to 2
        0x81, 0x02,
    };
    EXPECT_EQ(parseReportDescriptor(descriptor).input.InputReportByteLength, 3);
}

TEST(HidReportDescriptor, HostileOrEmptyDescriptorsStayInBounds)
{
    EXPECT_EQ(parseReportDescriptor({}).input.InputReportByteLength, 0);
    // Truncated item data, and a long item that claims more bytes than there are.
    EXPECT_EQ(parseReportDescriptor(Bytes{0x75, 0x08, 0x97, 0xFF}).input.InputReportByteLength, 0);
    EXPECT_EQ(parseReportDescriptor(Bytes{0xFE, 0xFF, 0x00, 0x01}).input.InputReportByteLength, 0);
    // Absurd sizes saturate at the largest length a report can have.
    const Bytes huge = {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF,
                        0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02};
    EXPECT_EQ(parseReportDescriptor(huge).input.InputReportByteLength, 0xFFFF);
}

} // namespace
} // namespace vireo
