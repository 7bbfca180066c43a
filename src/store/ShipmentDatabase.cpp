#include "store/ShipmentDatabase.h"

#include "store/StoredTime.h"

#include <array>

namespace parcelo {

namespace {

using RecordValues = std::array<PropertyValue, 6>;

RecordValues ToRecord(const Shipment& shipment) {
    return {{
        {PROP_COURIER, static_cast<uint32_t>(shipment.courierIndex) & 0xFFFFu, {}},
        {PROP_INVOICE, 0, shipment.invoiceNumber},
        {PROP_ITEM, 0, shipment.itemName},
        {PROP_ENTRY_DATE, InstantToStoredTime(shipment.entryDate), {}},
        {PROP_ORDER_DATE, InstantToStoredTime(shipment.orderDate), {}},
        {PROP_STATUS, static_cast<uint32_t>(shipment.status) & 0xFFFFu, {}},
    }};
}

// Copies each property into the field its tag names; other tags are skipped.
void FromRecord(const RecordView& record, CLocalTimeComposer& composer, Shipment& shipment) {
    for (size_t i = 0; i < record.Count(); ++i) {
        switch (record.Tag(i)) {
        case PROP_COURIER:
            shipment.courierIndex = static_cast<int32_t>(record.Number(i));
            break;
        case PROP_INVOICE:
            shipment.invoiceNumber.assign(record.Text(i));
            break;
        case PROP_ITEM:
            shipment.itemName.assign(record.Text(i));
            break;
        case PROP_ENTRY_DATE:
            shipment.entryDate = StoredTimeToInstant(record.Number(i), composer);
            break;
        case PROP_ORDER_DATE:
            shipment.orderDate = StoredTimeToInstant(record.Number(i), composer);
            break;
        case PROP_STATUS:
            shipment.status = static_cast<int32_t>(record.Number(i));
            break;
        default:
            break;
        }
    }
}

} // namespace

bool CShipmentDatabase::Add(const Shipment& shipment) {
    return AddRecord(ToRecord(shipment));
}

bool CShipmentDatabase::UpdateAt(int position, const Shipment& shipment) {
    return WriteRecordAt(position, ToRecord(shipment));
}

bool CShipmentDatabase::ReadAt(int position, Shipment& shipment) {
    Shipment read = shipment;
    CLocalTimeComposer composer;
    if (!ReadRecordAt(position, [&](const RecordView& record) { FromRecord(record, composer, read); })) {
        return false;
    }
    shipment = std::move(read);
    return true;
}

void CShipmentDatabase::ReadAll(std::vector<Shipment>& shipments) {
    const size_t originalSize = shipments.size();
    CLocalTimeComposer composer;
    const bool complete =
        ReadRecords([&](size_t count) { shipments.reserve(originalSize + count); },
                    [&](const RecordView& record) { FromRecord(record, composer, shipments.emplace_back()); });
    if (!complete) {
        shipments.resize(originalSize);
    }
}

bool CShipmentDatabase::DescribeDatabase(DatabaseDescription& description) {
    description = {};
    description.properties = {
        {PROP_COURIER, "courier"},       {PROP_INVOICE, "invoice_number"}, {PROP_ITEM, "item_name"},
        {PROP_ENTRY_DATE, "entry_date"}, {PROP_ORDER_DATE, "order_date"},  {PROP_STATUS, "status"},
    };
    const uint32_t newestFirst = CEDB_SORT_DESCENDING | CEDB_SORT_UNKNOWNFIRST;
    description.sortOrders = {
        {PROP_ENTRY_DATE, newestFirst},
        {PROP_ORDER_DATE, newestFirst},
        {PROP_ENTRY_DATE, CEDB_SORT_UNKNOWNFIRST},
        {PROP_ORDER_DATE, CEDB_SORT_UNKNOWNFIRST},
    };
    return true;
}

} // namespace parcelo
