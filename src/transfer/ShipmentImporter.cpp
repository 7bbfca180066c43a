#include "transfer/ShipmentImporter.h"

#include "platform/TextFolding.h"
#include "platform/Translation.h"

#include <algorithm>
#include <set>
#include <utility>

namespace parcelo {

namespace {

std::u16string Number(size_t value) {
    const std::string digits = std::to_string(value);
    return {digits.begin(), digits.end()};
}

} // namespace

ShipmentImporter::ShipmentImporter(const std::vector<std::u16string>& courierNames, std::vector<int32_t> courierCodes,
                                   StoredPredicate alreadyStored)
    : m_codes(std::move(courierCodes)), m_alreadyStored(std::move(alreadyStored)) {
    m_names.reserve(courierNames.size());
    for (const auto& name : courierNames) {
        m_names.push_back(FoldedName(name));
    }
}

std::optional<int32_t> ShipmentImporter::FindCourier(const TransferRecord& record) const {
    const std::u16string name = FoldedName(record.courierName);
    if (!name.empty()) {
        const auto found = std::find(m_names.begin(), m_names.end(), name);
        if (found != m_names.end()) {
            return static_cast<int32_t>(found - m_names.begin());
        }
    }
    if (record.courierCode) {
        const auto found = std::find(m_codes.begin(), m_codes.end(), *record.courierCode);
        if (found != m_codes.end()) {
            return static_cast<int32_t>(found - m_codes.begin());
        }
    }
    return std::nullopt;
}

std::u16string ShipmentImporter::Summary(size_t added, size_t duplicates, size_t errors) {
    return FormatText(PARCELO_TR("ShipmentImporter", "%1건 추가, %2건 중복, %3건 오류"),
                      {Number(added), Number(duplicates), Number(errors)});
}

ImportPlan ShipmentImporter::Plan(std::string_view fileBytes, const ParseOptions& options) const {
    return Plan(ShipmentFileParser(options).Parse(fileBytes));
}

ImportPlan ShipmentImporter::Plan(const ParseResult& parsed) const {
    ImportPlan plan;
    plan.failed = parsed.failed;
    plan.errors = parsed.errors;
    std::set<std::pair<int32_t, std::u16string>> seen;
    for (const ParsedShipment& shipment : parsed.shipments) {
        const auto courier = FindCourier(shipment.record);
        if (!courier) {
            const std::u16string_view name = shipment.record.courierName;
            plan.errors.push_back(
                {shipment.line,
                 FormatText(PARCELO_TR("ShipmentImporter", "택배사를 찾을 수 없습니다: %1"),
                            {name.empty() ? PARCELO_TR("ShipmentImporter", "(이름 없음)") : std::u16string(name)})});
            continue;
        }
        ParsedShipment mapped = shipment;
        mapped.record.courierIndex = *courier;
        std::u16string number = NormaliseInvoiceNumber(mapped.record.invoiceNumber);
        const bool stored = m_alreadyStored && m_alreadyStored(*courier, number);
        if (stored || !seen.emplace(*courier, std::move(number)).second) {
            plan.duplicates.push_back(std::move(mapped));
        } else {
            plan.toAdd.push_back(std::move(mapped));
        }
    }
    // Errors in file order: those of the parser and of the courier look-up interleave.
    std::stable_sort(plan.errors.begin(), plan.errors.end(),
                     [](const ImportError& a, const ImportError& b) { return a.line < b.line; });
    plan.summary = Summary(plan.toAdd.size(), plan.duplicates.size(), plan.errors.size());
    return plan;
}

} // namespace parcelo
