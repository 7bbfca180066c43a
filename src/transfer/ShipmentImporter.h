#pragma once

#include "transfer/ShipmentFileParser.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

// What an import would do; nothing is stored yet.
struct ImportPlan {
    // Shipments to add, with courierIndex set to the position in the current courier list.
    std::vector<ParsedShipment> toAdd;
    // Shipments already stored, or given twice in the file (the later ones).
    std::vector<ParsedShipment> duplicates;
    std::vector<ImportError> errors;
    bool failed = false;    // the file could not be read at all (errors holds why)
    std::u16string summary; // "12건 추가, 3건 중복, 1건 오류"
};

// Plans the import of a file against the current courier list and store, both given
// as plain inputs so that this class needs neither.
//
// A shipment's courier is the first courier whose name equals the one in the file
// (blanks at the ends and Latin case aside); failing that, the first whose code equals
// the file's courier code; failing that the shipment is an error. A shipment is a
// duplicate when `alreadyStored(courierIndex, NormaliseInvoiceNumber(number))` says so
// or when an earlier shipment of the same file has the same courier and number.
class ShipmentImporter {
public:
    using StoredPredicate = std::function<bool(int32_t courierIndex, std::u16string_view normalisedNumber)>;

    ShipmentImporter(const std::vector<std::u16string>& courierNames, std::vector<int32_t> courierCodes,
                     StoredPredicate alreadyStored);

    ImportPlan Plan(const ParseResult& parsed) const;
    ImportPlan Plan(std::string_view fileBytes, const ParseOptions& options) const;

    static std::u16string Summary(size_t added, size_t duplicates, size_t errors);

private:
    std::optional<int32_t> FindCourier(const TransferRecord& record) const;

    std::vector<std::u16string> m_names; // folded as compared
    std::vector<int32_t> m_codes;
    StoredPredicate m_alreadyStored;
};

} // namespace parcelo
