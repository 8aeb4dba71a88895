// Feeds arbitrary bytes to the XML data packet reader. Whatever rows it takes must write out
// and read back unchanged.
#include "core/LogFileXml.h"
#include "core/LogTable.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vireo::LogTable table;
    static_cast<void>(vireo::loadLogXml(std::span(data, size), table));
    const std::string saved = vireo::saveLogXml(table);
    vireo::LogTable again;
    const auto savedBytes =
        std::span(reinterpret_cast<const std::uint8_t *>(saved.data()), saved.size());
    if (!vireo::loadLogXml(savedBytes, again) || again.rowCount() != table.rowCount())
        std::abort();
    if (vireo::saveLogXml(again) != saved)
        std::abort();
    return 0;
}
