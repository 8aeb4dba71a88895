// Feeds arbitrary bytes to the tab-separated log loader. Whatever it accepts must save again
// to lines that load back to the same rows.
#include "core/LogFileText.h"
#include "core/LogTable.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vireo::LogTable table;
    const bool loaded = vireo::loadLogText(std::span(data, size), table);
    const std::string saved = vireo::saveLogText(table);
    vireo::LogTable again;
    const auto savedBytes =
        std::span(reinterpret_cast<const std::uint8_t *>(saved.data()), saved.size());
    if (!vireo::loadLogText(savedBytes, again) || again.rowCount() != table.rowCount())
        std::abort();
    if (loaded && vireo::saveLogText(again) != saved)
        std::abort();
    return 0;
}
