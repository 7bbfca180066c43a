#pragma once

#include "couriers/Courier.h"
#include "list/ShipmentMatcher.h"
#include "list/ShipmentSearchKey.h"
#include "store/ShipmentDatabase.h"
#include "store/ShipmentTable.h"
#include "store/TrackingEvent.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace parcelo {

class ShipmentTracking;

// Why the list is filled again.
enum class RefillCause {
    // The user changed what the list shows: a sort, a filter or a delete. The selected
    // row stays the same row, so after a delete the next shipment is selected, and past
    // the last row nothing is.
    User,
    // The shipments changed: an edit, shipments added many at once, another program, an
    // import, a status update. The selected shipment stays selected wherever it moves,
    // and nothing is selected when it is no longer shown: the highlight never jumps to
    // another shipment.
    Elsewhere,
};

// What the shipment list shows, without the widget: the query (filter and order), the
// shipments it read, the rows the find text keeps, their latest delivery events, and
// the rules for the selection after a refill. Rows are numbered from the top; the
// model keeps the shipment id of every row.
class ShipmentListModel {
public:
    // The courier table outlives the model; a temporary one would dangle.
    explicit ShipmentListModel(const std::vector<Courier>& couriers) : m_couriers(couriers) {}
    explicit ShipmentListModel(std::vector<Courier>&& couriers) = delete;

    ShipmentQuery& Query() { return m_query; }
    const ShipmentQuery& Query() const { return m_query; }

    // Reads the shipments the query selects, in its order. With `firstRows` and no find
    // text only that many are read from the top; returns how many more the query
    // selects (0 when all were read).
    size_t Read(CShipmentDatabase& store, size_t firstRows = 0);
    // Chooses the rows among the shipments last read: those the find text matches. Their
    // latest delivery events come from `tracking` (none without it, or when it cannot
    // be read: the list still shows every shipment); `fillTime` dates the item texts.
    void ChooseRows(Instant fillTime, ShipmentTracking* tracking);

    // Sets the text to find; every shipment matches an empty text. The rows are chosen
    // again by the next ChooseRows.
    void SetFindText(std::u16string_view text);
    bool IsFinding() const { return m_matcher.has_value(); }
    // Whether the find text matches the shipment (courier name, invoice number, item name).
    bool IsFound(int64_t id, int32_t courierIndex, std::u16string_view invoice, std::u16string_view item);

    size_t RowCount() const { return m_rows.size(); }
    const std::vector<int64_t>& RowIds() const { return m_rowIds; }
    // The shipment id at `row`; 0 when there is no such row.
    int64_t IdAt(int row) const;
    // The row of the shipment; -1 when it is not shown (or `id` is 0).
    int RowOf(int64_t id) const;
    int32_t CourierAt(size_t row) const { return m_queried.CourierAt(m_rows[row]); }
    int32_t StatusAt(size_t row) const { return m_queried.StatusAt(m_rows[row]); }
    Shipment ShipmentAt(size_t row) const { return m_queried.At(m_rows[row]); }
    // The marked-up text of the item at `row`, with its latest delivery status when known.
    std::u16string ItemText(size_t row) const;

    // The row to select after a refill, from the row and the shipment selected before
    // (-1 and 0 for none): see RefillCause.
    int RowToSelect(RefillCause cause, int rowBefore, int64_t idBefore) const;

private:
    const std::vector<Courier>& m_couriers;
    ShipmentQuery m_query;
    ShipmentTable m_queried;       // what the last read found: the query's shipments in order
    std::vector<uint32_t> m_rows;  // the place in m_queried of each row, top to bottom
    std::vector<int64_t> m_rowIds; // the shipment id of each row
    std::map<int64_t, TrackingEvent> m_latest;
    Instant m_fillTime = 0;

    // The find text's matcher (none while every shipment matches), and the search key of
    // every shipment seen while finding, kept while its texts stay the same.
    struct CachedKey {
        int32_t courierIndex = 0;
        std::u16string invoice, item;
        ShipmentSearchKey key;
    };
    std::optional<ShipmentMatcher> m_matcher;
    std::unordered_map<int64_t, CachedKey> m_searchKeys;
};

} // namespace parcelo
