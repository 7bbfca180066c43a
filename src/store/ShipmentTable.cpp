#include "store/ShipmentTable.h"

#include <stdexcept>

namespace parcelo {

void ShipmentTable::Clear() {
    m_rows.clear();
    m_texts.clear();
}

void ShipmentTable::Append(const Shipment& shipment) {
    // Offsets are 32 bits: a filling past 4 G characters of text is refused rather than wrapped.
    const size_t at = m_texts.size();
    const size_t length = shipment.invoiceNumber.size() + shipment.itemName.size();
    if (length > UINT32_MAX || at > UINT32_MAX - length) {
        throw std::length_error("shipment table full");
    }
    Row row;
    row.id = shipment.id;
    row.entryDate = shipment.entryDate;
    row.orderDate = shipment.orderDate;
    row.courierIndex = shipment.courierIndex;
    row.status = shipment.status;
    row.textAt = static_cast<uint32_t>(at);
    row.invoiceLength = static_cast<uint32_t>(shipment.invoiceNumber.size());
    row.itemLength = static_cast<uint32_t>(shipment.itemName.size());
    m_texts += shipment.invoiceNumber;
    m_texts += shipment.itemName;
    m_rows.push_back(row);
}

void ShipmentTable::Truncate(size_t count) {
    if (count < m_rows.size()) {
        m_rows.resize(count);
    }
}

void ShipmentTable::Reorder(std::span<const uint32_t> order) {
    std::vector<Row> rows;
    rows.reserve(order.size());
    for (const uint32_t from : order) {
        rows.push_back(m_rows[from]);
    }
    m_rows.swap(rows);
}

void ShipmentTable::ShrinkToFit() {
    // A filling about as long as the last keeps its memory: copying costs more than it saves.
    if (m_rows.capacity() - m_rows.size() > m_rows.size() / 4) {
        m_rows.shrink_to_fit();
    }
    if (m_texts.capacity() - m_texts.size() > m_texts.size() / 4) {
        m_texts.shrink_to_fit();
    }
}

Shipment ShipmentTable::At(size_t row) const {
    const Row& r = m_rows[row];
    Shipment shipment;
    shipment.id = r.id;
    shipment.entryDate = r.entryDate;
    shipment.orderDate = r.orderDate;
    shipment.courierIndex = r.courierIndex;
    shipment.status = r.status;
    shipment.invoiceNumber = InvoiceAt(row);
    shipment.itemName = ItemAt(row);
    return shipment;
}

std::u16string_view ShipmentTable::InvoiceAt(size_t row) const {
    const Row& r = m_rows[row];
    return std::u16string_view(m_texts).substr(r.textAt, r.invoiceLength);
}

std::u16string_view ShipmentTable::ItemAt(size_t row) const {
    const Row& r = m_rows[row];
    return std::u16string_view(m_texts).substr(size_t{r.textAt} + r.invoiceLength, r.itemLength);
}

} // namespace parcelo
