// Feeds arbitrary bytes to the CSV reader (also the recovery file's), whole and a few rows at a
// time. Both must read the same rows; whatever was read must save to a file that reads back
// whole, and that saves again to the same bytes.
#include "core/LogFileCsv.h"
#include "core/LogTable.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {

std::span<const std::uint8_t> bytesOf(const std::string &text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    vireo::LogTable table;
    const vireo::LogCsvLoad load = vireo::loadLogCsv(std::span(data, size), table);
    vireo::LogTable sliced;
    vireo::LogCsvReader reader(std::span(data, size));
    while (reader.step(sliced, 3)) {
    }
    if (reader.rowsRead() != load.rows || reader.ok() != load.complete ||
        table.rowCount() != load.rows)
        std::abort();

    const std::string saved = vireo::saveLogCsv(table, ",");
    if (vireo::saveLogCsv(sliced, ",") != saved)
        std::abort();
    vireo::LogTable again;
    const vireo::LogCsvLoad reload = vireo::loadLogCsv(bytesOf(saved), again);
    if (!reload.complete || reload.rows != table.rowCount() ||
        vireo::saveLogCsv(again, ",") != saved)
        std::abort();
    return 0;
}
