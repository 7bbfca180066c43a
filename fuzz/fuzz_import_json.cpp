// Feeds arbitrary bytes to the JSON import and the import plan, and checks that every
// shipment read is exported and read back unchanged.
#include "transfer/ShipmentExporter.h"
#include "transfer/ShipmentFileParser.h"
#include "transfer/ShipmentImporter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    parcelo::ParseOptions options;
    options.now = 1'700'000'000;
    options.localInstant = [](int64_t wall) { return std::optional<int64_t>(wall - 9 * 3600); };
    options.maxJsonShipments = 256;
    const parcelo::ShipmentFileParser parser(options);
    const parcelo::ParseResult result = parser.ParseJson(bytes);
    if (result.failed && (!result.shipments.empty() || result.errors.size() != 1)) {
        __builtin_trap();
    }

    const parcelo::ShipmentImporter importer({u"CJ", u"우체국"}, {1, 2},
                                             [](int32_t, std::u16string_view number) { return number == u"1"; });
    const parcelo::ImportPlan plan = importer.Plan(result);
    if (plan.toAdd.size() + plan.duplicates.size() + plan.errors.size() !=
        result.shipments.size() + result.errors.size()) {
        __builtin_trap();
    }

    std::vector<parcelo::TransferRecord> records;
    for (const auto& shipment : result.shipments) {
        records.push_back(shipment.record);
    }
    const parcelo::ShipmentExporter exporter([](int64_t) { return int32_t{9 * 3600}; });
    for (const bool json : {true, false}) {
        const std::string file = json ? exporter.ToJson(records) : exporter.ToCsv(records);
        const parcelo::ParseResult again = parser.Parse(file);
        if (again.failed || again.shipments.size() != records.size()) {
            __builtin_trap();
        }
        for (size_t i = 0; i < records.size(); ++i) {
            if (!(again.shipments[i].record == records[i])) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
