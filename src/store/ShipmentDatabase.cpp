#include "store/ShipmentDatabase.h"

#include <algorithm>
#include <array>
#include <functional>
#include <tuple>

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

// The whole selection is read in table order and sorted here: through the index of the
// key SQLite would look every row up in the table on its own. The shipments `shipments`
// held are written over in place, so that a refresh reuses their texts' memory.
namespace {

// The places of `count` shipments in a query's order; `dateOf` and `idOf` read shipment i.
template <class DateOf, class IdOf>
std::vector<uint32_t> SortedOrder(const ShipmentQuery& query, size_t count, DateOf dateOf, IdOf idOf) {
    struct Key {
        Instant date;
        int64_t id;
        uint32_t index;
    };
    std::vector<Key> keys;
    keys.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        keys.push_back({dateOf(i), idOf(i), i});
    }
    // Of equal dates the shipment added first comes first, or last when newest come first.
    std::sort(keys.begin(), keys.end(), [newestFirst = query.newestFirst](const Key& a, const Key& b) {
        return newestFirst ? std::tie(b.date, b.id) < std::tie(a.date, a.id)
                           : std::tie(a.date, a.id) < std::tie(b.date, b.id);
    });
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) {
        order[i] = keys[i].index;
    }
    return order;
}

size_t SizeOf(const std::vector<Shipment>& shipments) {
    return shipments.size();
}
size_t SizeOf(const ShipmentTable& shipments) {
    return shipments.Size();
}
void Truncate(std::vector<Shipment>& shipments, size_t count) {
    shipments.resize(count);
}
void Truncate(ShipmentTable& shipments, size_t count) {
    shipments.Truncate(count);
}

} // namespace

bool CShipmentDatabase::Query(const ShipmentQuery& query, std::vector<Shipment>& shipments) {
    if (!ReadSelection(query, 0, shipments, nullptr)) {
        return false;
    }
    const bool byOrderDate = query.key == ShipmentSortKey::OrderDate;
    const std::vector<uint32_t> order = SortedOrder(
        query, shipments.size(),
        [&](uint32_t i) { return byOrderDate ? shipments[i].orderDate : shipments[i].entryDate; },
        [&](uint32_t i) { return shipments[i].id; });
    // Each place takes the shipment the order puts there, cycle by cycle, by moves alone.
    std::vector<bool> placed(shipments.size());
    for (size_t start = 0; start < shipments.size(); ++start) {
        if (placed[start]) {
            continue;
        }
        Shipment first = std::move(shipments[start]);
        size_t place = start;
        while (order[place] != start) {
            shipments[place] = std::move(shipments[order[place]]);
            placed[place] = true;
            place = order[place];
        }
        shipments[place] = std::move(first);
        placed[place] = true;
    }
    return true;
}

bool CShipmentDatabase::Query(const ShipmentQuery& query, ShipmentTable& shipments) {
    if (!ReadSelection(query, 0, shipments, nullptr)) {
        return false;
    }
    const bool byOrderDate = query.key == ShipmentSortKey::OrderDate;
    shipments.Reorder(SortedOrder(
        query, shipments.Size(),
        [&](uint32_t i) { return byOrderDate ? shipments.OrderDateAt(i) : shipments.EntryDateAt(i); },
        [&](uint32_t i) { return shipments.IdAt(i); }));
    return true;
}

template <class Shipments>
bool CShipmentDatabase::QueryFirstInto(const ShipmentQuery& query, size_t limit, Shipments& shipments,
                                       size_t& selected) {
    selected = 0;
    if (!query.text.empty()) {
        // The text is matched here, not by SQLite: every shipment has to be read.
        if (!Query(query, shipments)) {
            return false;
        }
        selected = SizeOf(shipments);
        Truncate(shipments, std::min(selected, limit));
        return true;
    }
    if (limit == 0) {
        const bool read = Query(query, shipments);
        selected = SizeOf(shipments);
        return read;
    }
    return ReadSelection(query, limit, shipments, &selected);
}

bool CShipmentDatabase::QueryFirst(const ShipmentQuery& query, size_t limit, std::vector<Shipment>& shipments,
                                   size_t& selected) {
    return QueryFirstInto(query, limit, shipments, selected);
}

bool CShipmentDatabase::QueryFirst(const ShipmentQuery& query, size_t limit, ShipmentTable& shipments,
                                   size_t& selected) {
    return QueryFirstInto(query, limit, shipments, selected);
}

bool CShipmentDatabase::ReadSelection(const ShipmentQuery& query, size_t limit, std::vector<Shipment>& shipments,
                                      size_t* selected) {
    // Read in place, into a shipment already there where there is one: its texts keep
    // their memory.
    size_t used = 0;
    const bool complete = ReadMatching(
        query, limit, selected,
        [&]() -> Shipment& { return used < shipments.size() ? shipments[used] : shipments.emplace_back(); },
        [&] { ++used; });
    shipments.resize(complete ? used : 0);
    return complete;
}

bool CShipmentDatabase::ReadSelection(const ShipmentQuery& query, size_t limit, ShipmentTable& shipments,
                                      size_t* selected) {
    shipments.Clear();
    Shipment scratch;
    const bool complete = ReadMatching(
        query, limit, selected, [&]() -> Shipment& { return scratch; }, [&] { shipments.Append(scratch); });
    if (!complete) {
        shipments.Clear();
    }
    shipments.ShrinkToFit();
    return complete;
}

// Reads what a query selects, the first `limit` in its order or with `limit` 0 all of
// them in table order: each record into the shipment `slot` gives, and `keep` for each
// that passes the query's text.
bool CShipmentDatabase::ReadMatching(const ShipmentQuery& query, size_t limit, size_t* selected,
                                     const std::function<Shipment&()>& slot, const std::function<void()>& keep) {
    RecordQuery records;
    records.keyTag = query.key == ShipmentSortKey::OrderDate ? PROP_ORDER_DATE : PROP_ENTRY_DATE;
    records.descending = query.newestFirst;
    records.limit = limit;
    records.tableOrder = limit == 0;
    if (query.filter != FILTER_ALL) {
        // A status that 16 bits cannot hold is never stored, so it matches nothing.
        records.equals = PropertyValue{PROP_STATUS, static_cast<uint64_t>(static_cast<uint32_t>(query.filter)), {}};
    }
    const bool filterCanMatch = query.filter == FILTER_ALL || (query.filter >= 0 && query.filter <= 0xFFFF);
    std::function<void(size_t)> expect;
    if (selected != nullptr) {
        expect = [&](size_t count) { *selected = filterCanMatch ? count : 0; };
    }
    const bool complete = ReadRecords(records, expect, [&](const RecordView& record) {
        if (!filterCanMatch) {
            return;
        }
        Shipment& shipment = slot();
        FromRecord(record, shipment);
        if (MatchesText(shipment, query.text)) {
            keep();
        }
    });
    if (!complete && selected != nullptr) {
        *selected = 0;
    }
    return complete;
}

SchemaSteps CShipmentDatabase::Schema() const {
    return ShipmentTracking::Schema();
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
