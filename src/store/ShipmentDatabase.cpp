#include "store/ShipmentDatabase.h"

#include <algorithm>
#include <array>

namespace parcelo {

namespace {

using RecordValues = std::array<PropertyValue, 6>;

RecordValues ToRecord(const Shipment& shipment) {
    return {{
        {PROP_COURIER, static_cast<uint32_t>(shipment.courierIndex) & 0xFFFFu, {}},
        {PROP_INVOICE, 0, shipment.invoiceNumber},
        {PROP_ITEM, 0, shipment.itemName},
        {PROP_ENTRY_DATE, static_cast<uint64_t>(shipment.entryDate), {}},
        {PROP_ORDER_DATE, static_cast<uint64_t>(shipment.orderDate), {}},
        {PROP_STATUS, static_cast<uint32_t>(shipment.status) & 0xFFFFu, {}},
    }};
}

// Copies each property into the field its tag names; other tags are skipped.
void FromRecord(const RecordView& record, Shipment& shipment) {
    shipment.id = record.Id();
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
            shipment.entryDate = static_cast<Instant>(record.Number(i));
            break;
        case PROP_ORDER_DATE:
            shipment.orderDate = static_cast<Instant>(record.Number(i));
            break;
        case PROP_STATUS:
            shipment.status = static_cast<int32_t>(record.Number(i));
            break;
        default:
            break;
        }
    }
}

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool ContainsFolded(std::u16string_view haystack, std::u16string_view needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                       [](char16_t a, char16_t b) { return FoldCase(a) == FoldCase(b); }) != haystack.end();
}

std::u16string WithoutSeparators(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (char16_t c : text) {
        if (c != u' ' && c != u'-' && c != u'\t' && c != u'\x3000') {
            result += c;
        }
    }
    return result;
}

} // namespace

bool MatchesText(const Shipment& shipment, std::u16string_view text) {
    if (text.empty() || ContainsFolded(shipment.itemName, text)) {
        return true;
    }
    const std::u16string number = WithoutSeparators(text);
    return !number.empty() && ContainsFolded(WithoutSeparators(shipment.invoiceNumber), number);
}

bool CShipmentDatabase::Add(Shipment& shipment) {
    const RecordValues values = ToRecord(shipment);
    int64_t id = 0;
    if (!AddRecord(values, id)) {
        return false;
    }
    shipment.id = id;
    return true;
}

bool CShipmentDatabase::Add(const Shipment& shipment) {
    int64_t id = 0;
    return AddRecord(ToRecord(shipment), id);
}

bool CShipmentDatabase::AddBatch(std::span<Shipment> shipments) {
    std::vector<int64_t> ids(shipments.size());
    const bool added = Batch([&] {
        for (size_t i = 0; i < shipments.size(); ++i) {
            if (!AddRecord(ToRecord(shipments[i]), ids[i])) {
                return false;
            }
        }
        return true;
    });
    if (added) {
        for (size_t i = 0; i < shipments.size(); ++i) {
            shipments[i].id = ids[i];
        }
    }
    return added;
}

std::optional<Shipment> CShipmentDatabase::Read(int64_t id) {
    Shipment shipment;
    if (!ReadRecord(id, [&](const RecordView& record) { FromRecord(record, shipment); })) {
        return std::nullopt;
    }
    return shipment;
}

bool CShipmentDatabase::Update(const Shipment& shipment) {
    return WriteRecord(shipment.id, ToRecord(shipment));
}

bool CShipmentDatabase::Query(const ShipmentQuery& query, std::vector<Shipment>& shipments) {
    shipments.clear();
    RecordQuery records;
    records.keyTag = query.key == ShipmentSortKey::OrderDate ? PROP_ORDER_DATE : PROP_ENTRY_DATE;
    records.descending = query.newestFirst;
    if (query.filter != FILTER_ALL) {
        // A status that 16 bits cannot hold is never stored, so it matches nothing.
        records.equals = PropertyValue{PROP_STATUS, static_cast<uint64_t>(static_cast<uint32_t>(query.filter)), {}};
    }
    const bool filterCanMatch = query.filter == FILTER_ALL || (query.filter >= 0 && query.filter <= 0xFFFF);
    Shipment working;
    const bool complete = ReadRecords(
        records, [&](size_t count) { shipments.reserve(query.text.empty() ? count : 0); },
        [&](const RecordView& record) {
            if (!filterCanMatch) {
                return;
            }
            FromRecord(record, working);
            if (MatchesText(working, query.text)) {
                shipments.push_back(working);
            }
        });
    if (!complete) {
        shipments.clear();
    }
    return complete;
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
