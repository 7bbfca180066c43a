#pragma once

#include "store/Shipment.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

// A read-only list of shipments held compactly: the numbers of each by value, the
// texts of all of them end to end in one buffer. A list of 100,000 shipments takes
// about a hundred bytes a shipment, a third of what as many Shipment objects take.
class ShipmentTable {
public:
    size_t Size() const { return m_rows.size(); }
    bool Empty() const { return m_rows.empty(); }
    // Every shipment goes; the memory stays for the next filling.
    void Clear();
    void Append(const Shipment& shipment);
    // Keeps the first `count` shipments.
    void Truncate(size_t count);
    // Row i takes the shipment that was at order[i]; `order` is a permutation of the rows.
    void Reorder(std::span<const uint32_t> order);
    // Gives back the memory a filling did not use.
    void ShrinkToFit();

    Shipment At(size_t row) const;
    int64_t IdAt(size_t row) const { return m_rows[row].id; }
    int32_t CourierAt(size_t row) const { return m_rows[row].courierIndex; }
    Instant EntryDateAt(size_t row) const { return m_rows[row].entryDate; }
    Instant OrderDateAt(size_t row) const { return m_rows[row].orderDate; }
    int32_t StatusAt(size_t row) const { return m_rows[row].status; }
    std::u16string_view InvoiceAt(size_t row) const;
    std::u16string_view ItemAt(size_t row) const;

private:
    struct Row {
        int64_t id = 0;
        Instant entryDate = 0, orderDate = 0;
        int32_t courierIndex = 0, status = 0;
        // The invoice number starts at `textAt` in m_texts, the item name follows it.
        uint32_t textAt = 0, invoiceLength = 0, itemLength = 0;
    };
    std::vector<Row> m_rows;
    std::u16string m_texts;
};

} // namespace parcelo
