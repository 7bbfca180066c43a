#include "dialogs/BulkAddReview.h"

#include "couriers/CourierDetector.h"
#include "platform/NumberNormaliser.h"
#include "couriers/NumberPasteParser.h"
#include "store/ShipmentDatabase.h"

#include <algorithm>
#include <map>

namespace parcelo {

BulkAddReview::StoredKeys BulkAddReview::ReadStoredKeys(CShipmentDatabase& store) {
    StoredKeys keys;
    std::vector<Shipment> shipments;
    if (store.Query(ShipmentQuery{}, shipments)) {
        for (const Shipment& shipment : shipments) {
            keys.emplace(shipment.courierIndex, NormaliseNumber(shipment.invoiceNumber));
        }
    }
    return keys;
}

BulkAddReview::BulkAddReview(const CourierDetector& detector, StoredKeys stored,
                             std::vector<std::u16string> courierNames)
    : m_detector(detector), m_stored(std::move(stored)), m_courierNames(std::move(courierNames)) {}

void BulkAddReview::MarkStored(Row& row) const {
    row.stored = row.courierIndex >= 0 && m_stored.count({row.courierIndex, row.number}) != 0;
}

void BulkAddReview::SetText(std::u16string_view text) {
    // What the user set, by number and how often the number came before it.
    std::map<std::pair<std::u16string, int>, Row> kept;
    std::map<std::u16string, int> seen;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const int occurrence = seen[m_rows[i].number]++;
        if (m_touched[i]) {
            kept.emplace(std::pair(m_rows[i].number, occurrence), m_rows[i]);
        }
    }
    seen.clear();

    const PasteResult result = NumberPasteParser::Parse(text, m_courierNames);
    m_truncated = result.truncated;
    m_rows.clear();
    m_touched.clear();
    for (const PastedNumber& pasted : result.numbers) {
        Row row;
        row.number = pasted.normalised;
        row.itemName = pasted.itemName;
        row.line = pasted.line;
        row.repeated = pasted.duplicate;
        row.candidates = m_detector.Detect(pasted.normalised);
        m_detector.OrderByStore(row.candidates, row.number, m_stored);
        const auto earlier = kept.find({row.number, seen[row.number]++});
        const bool touched = earlier != kept.end();
        if (touched) {
            row.courierIndex = earlier->second.courierIndex;
            row.itemName = earlier->second.itemName;
        } else if (pasted.courierIndex >= 0 &&
                   m_detector.Accepts(pasted.courierIndex, row.number) != CourierDetector::Verdict::Rejected) {
            row.courierIndex = pasted.courierIndex;
        } else {
            row.courierIndex = m_detector.Pick(row.candidates);
        }
        MarkStored(row);
        row.checked = touched ? earlier->second.checked : !row.repeated && !row.stored;
        m_rows.push_back(std::move(row));
        m_touched.push_back(touched);
    }
}

void BulkAddReview::SetChecked(std::size_t row, bool checked) {
    m_rows.at(row).checked = checked;
    m_touched[row] = true;
}

void BulkAddReview::SetCourier(std::size_t row, int courierIndex) {
    Row& target = m_rows.at(row);
    target.courierIndex = courierIndex < 0 ? -1 : courierIndex;
    const bool wasStored = target.stored;
    MarkStored(target);
    if (target.stored && !wasStored) {
        target.checked = false;
    }
    m_touched[row] = true;
}

void BulkAddReview::SetItemName(std::size_t row, std::u16string itemName) {
    m_rows.at(row).itemName = std::move(itemName);
    m_touched[row] = true;
}

std::size_t BulkAddReview::SetCourierWhereCandidate(int courierIndex) {
    std::size_t changed = 0;
    for (std::size_t i = 0; i < m_rows.size() && courierIndex >= 0; ++i) {
        const Row& row = m_rows[i];
        if (row.checked && row.courierIndex < 0 &&
            std::find(row.candidates.begin(), row.candidates.end(), courierIndex) != row.candidates.end()) {
            SetCourier(i, courierIndex);
            ++changed;
        }
    }
    return changed;
}

std::vector<std::size_t> BulkAddReview::CheckedWithoutCourier() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].checked && m_rows[i].courierIndex < 0) {
            rows.push_back(i);
        }
    }
    return rows;
}

std::vector<Shipment> BulkAddReview::MakeShipments(Instant orderDate, Instant entryDate) const {
    std::vector<Shipment> shipments;
    for (const Row& row : m_rows) {
        if (row.checked && row.courierIndex >= 0) {
            Shipment shipment;
            shipment.courierIndex = row.courierIndex;
            shipment.invoiceNumber = row.number;
            shipment.itemName = row.itemName;
            shipment.orderDate = orderDate;
            shipment.entryDate = entryDate;
            shipment.status = InDelivery;
            shipments.push_back(std::move(shipment));
        }
    }
    return shipments;
}

} // namespace parcelo
