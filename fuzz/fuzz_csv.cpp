// Feeds arbitrary text to the CSV reader and the CSV import, and checks that what the
// writer makes of the rows read reads back the same.
#include "platform/CodePage.h"
#include "transfer/CsvReader.h"
#include "transfer/CsvWriter.h"
#include "transfer/ShipmentFileParser.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<parcelo::CsvRow> ReadAll(std::u16string_view text, const parcelo::CsvLimits& limits, bool& failed) {
    parcelo::CsvReader reader(text, limits);
    std::vector<parcelo::CsvRow> rows;
    parcelo::CsvRow row;
    while (reader.Next(row)) {
        rows.push_back(row);
    }
    failed = reader.Error().has_value();
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Small limits so that the fuzzer reaches them.
    parcelo::CsvLimits limits;
    limits.maxColumns = 16;
    limits.maxRows = 64;
    limits.maxFieldUnits = 256;

    // One byte per unit: the reader only cares about a few ASCII characters.
    const std::u16string text(bytes.begin(), bytes.end());
    bool failed = false;
    const auto rows = ReadAll(text, limits, failed);
    if (!failed) {
        // What the writer makes of the rows reads back as the same rows. A row of one
        // empty field is written as an empty line, which the reader skips.
        parcelo::CsvWriter writer;
        std::vector<std::vector<std::u16string>> expected;
        for (const auto& row : rows) {
            if (row.fields.size() == 1 && row.fields[0].empty()) {
                continue;
            }
            for (const auto& field : row.fields) {
                writer.TextField(field);
            }
            writer.EndRow();
            expected.push_back(row.fields);
        }
        const auto written = parcelo::DecodeStrictUtf8(std::string_view(writer.Bytes()).substr(3));
        if (!written) {
            __builtin_trap();
        }
        parcelo::CsvLimits roomy = limits;
        roomy.maxFieldUnits *= 2; // the guard may add an apostrophe
        bool failedAgain = false;
        const auto again = ReadAll(*written, roomy, failedAgain);
        if (failedAgain || again.size() != expected.size()) {
            __builtin_trap();
        }
        for (size_t r = 0; r < again.size(); ++r) {
            if (again[r].fields.size() != expected[r].size()) {
                __builtin_trap();
            }
            for (size_t f = 0; f < expected[r].size(); ++f) {
                if (parcelo::UnguardCsvText(again[r].fields[f]) != expected[r][f]) {
                    __builtin_trap();
                }
            }
        }
    }

    parcelo::ParseOptions options;
    options.localInstant = [](int64_t wall) { return std::optional<int64_t>(wall); };
    options.csvLimits = limits;
    const parcelo::ParseResult result = parcelo::ShipmentFileParser(options).Parse(bytes);
    if (result.failed && (!result.shipments.empty() || result.errors.size() != 1)) {
        __builtin_trap();
    }
    return 0;
}
