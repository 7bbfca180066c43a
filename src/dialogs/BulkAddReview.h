#pragma once

#include "store/Shipment.h"

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace parcelo {

class CourierDetector;
class CShipmentDatabase;

// The invoice numbers found in pasted text, as the user reviews them before they are
// added: per number the couriers that accept it, the courier chosen, the item name,
// whether it is ticked, and whether it repeats a stored shipment or an earlier number
// of the paste. A number is ticked unless it repeats one.
class BulkAddReview {
public:
    struct Row {
        std::u16string number;       // normalised: what is stored
        std::u16string itemName;     // from the same line; the user may change it
        std::vector<int> candidates; // the couriers that accept the number, best first
        int courierIndex = -1;       // -1 until one is chosen; preset when the text or the number names one
        bool checked = true;
        bool repeated = false; // an earlier row has the same number
        bool stored = false;   // a stored shipment has this courier and number
        std::size_t line = 0;  // 1-based line of the text
    };

    // (courier index, normalised invoice number) of the stored shipments.
    using StoredKeys = std::set<std::pair<int, std::u16string>>;

    // The keys of every shipment in `store`, read in one query; empty when it cannot be read.
    static StoredKeys ReadStoredKeys(CShipmentDatabase& store);

    // `detector` is kept by reference. `courierNames` (by courier index) let a courier
    // named beside a number in the text choose it, unless its rule refuses the number.
    BulkAddReview(const CourierDetector& detector, StoredKeys stored, std::vector<std::u16string> courierNames = {});

    // Finds the numbers in `text` anew. A number that was there before (the same number,
    // as often repeated) keeps what the user set for it.
    void SetText(std::u16string_view text);
    const std::vector<Row>& Rows() const { return m_rows; }
    // The text held more than could be taken; the rows stop short of its end.
    bool Truncated() const { return m_truncated; }

    void SetChecked(std::size_t row, bool checked);
    // Choosing a courier under which the number is already stored unticks the row.
    void SetCourier(std::size_t row, int courierIndex);
    void SetItemName(std::size_t row, std::u16string itemName);

    // Gives `courierIndex` to every ticked row that has no courier yet and lists it among
    // its candidates, as SetCourier does; the number of rows changed.
    std::size_t SetCourierWhereCandidate(int courierIndex);

    // The ticked rows that have no courier yet, in order.
    std::vector<std::size_t> CheckedWithoutCourier() const;
    // A shipment in delivery for every ticked row that has a courier, in order.
    std::vector<Shipment> MakeShipments(Instant orderDate, Instant entryDate) const;

private:
    void MarkStored(Row& row) const;

    const CourierDetector& m_detector;
    StoredKeys m_stored;
    std::vector<std::u16string> m_courierNames;
    std::vector<Row> m_rows;
    std::vector<bool> m_touched; // per row: the user changed it
    bool m_truncated = false;
};

} // namespace parcelo
