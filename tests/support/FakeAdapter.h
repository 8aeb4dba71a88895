#pragma once

// The meter's USB-to-serial cable on the in-memory HID platform.
#include "support/FakeHidPlatform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vireo::test {

// The cable as the platform lists it, at `path`; `instance` tells pluggings apart.
inline FakeHidPlatform::Device fakeAdapter(const std::string &path, const std::string &instance)
{
    FakeHidPlatform::Device d;
    d.path = path;
    d.instance = instance;
    d.attributes = {0x1A86, 0xE008, 0x0100};
    d.product = u"USB to Serial";
    return d;
}

// The cable's reports for some meter bytes: up to seven behind a count nibble each, and a
// report without meter bytes that ends the burst.
inline std::vector<std::vector<std::uint8_t>> adapterReports(const std::vector<std::uint8_t> &bytes)
{
    std::vector<std::vector<std::uint8_t>> reports;
    for (std::size_t i = 0; i < bytes.size(); i += 7) {
        const std::size_t n = std::min<std::size_t>(7, bytes.size() - i);
        std::vector<std::uint8_t> r{0x00, static_cast<std::uint8_t>(0xF0 | n)};
        r.insert(r.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i),
                 bytes.begin() + static_cast<std::ptrdiff_t>(i + n));
        r.resize(9, 0);
        reports.push_back(r);
    }
    reports.push_back({0x00, 0xF0, 0, 0, 0, 0, 0, 0, 0});
    return reports;
}

} // namespace vireo::test
