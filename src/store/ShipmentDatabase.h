#pragma once

#include "store/PropertyDatabase.h"
#include "store/Shipment.h"
#include "store/ShipmentTable.h"
#include "store/ShipmentTracking.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace parcelo {

// The six properties of a shipment record.
constexpr uint32_t PROP_COURIER = 0x00650012;
constexpr uint32_t PROP_INVOICE = 0x0066001F;
constexpr uint32_t PROP_ITEM = 0x0067001F;
constexpr uint32_t PROP_ENTRY_DATE = 0x00680040;
constexpr uint32_t PROP_ORDER_DATE = 0x00690040;
constexpr uint32_t PROP_STATUS = 0x006A0012;

// The program's own store: the volume file in the user's data folder and the table of
// the shipments in it.
inline constexpr char16_t kProgramVolume[] = u"VELDAN.EDB";
inline constexpr char16_t kShipmentTable[] = u"TRACKDB";

enum class ShipmentSortKey { EntryDate, OrderDate };

// Which shipments a query gives, and in which order.
struct ShipmentQuery {
    int filter = FILTER_ALL; // FILTER_ALL, or the status to show
    ShipmentSortKey key = ShipmentSortKey::EntryDate;
    bool newestFirst = true; // of two equal dates, the shipment added later counts as newer
    // Shown only when the item name holds it, ignoring the case of Latin letters, or
    // when the invoice number holds it once blanks and hyphens are dropped from both.
    // Empty shows every shipment. Courier names are not in the store: a caller that
    // matches them too adds those shipments itself.
    std::u16string text;
};

// True if a shipment passes a query's text.
bool MatchesText(const Shipment& shipment, std::u16string_view text);

// The shipment database TRACKDB. Shipments are addressed by id (Shipment::id); the
// tracking of each lies beside them (Tracking()).
class CShipmentDatabase : public CPropertyDatabase {
public:
    CShipmentDatabase() = default;
    // The tracking part stays this store's own: only the volume and database move.
    CShipmentDatabase(CShipmentDatabase&& other) noexcept : CPropertyDatabase(std::move(other)) {}
    CShipmentDatabase& operator=(CShipmentDatabase&& other) noexcept {
        CPropertyDatabase::operator=(std::move(other));
        return *this;
    }

    // The events and checks of the shipments, in this store's connection.
    ShipmentTracking& Tracking() { return m_tracking; }

    // Adds a shipment and sets its id; true once it is on disk.
    bool Add(Shipment& shipment);
    // Adds a copy of a shipment.
    bool Add(const Shipment& shipment);
    // Adds every shipment in one transaction, setting their ids, or none of them
    // (their ids then stay 0).
    bool AddBatch(std::span<Shipment> shipments);
    // The shipment with this id; empty (LastError NotFound) when there is none.
    std::optional<Shipment> Read(int64_t id);
    // Replaces the six properties of the shipment with `shipment.id`; false (NotFound)
    // and nothing changed when there is none.
    bool Update(const Shipment& shipment);
    // The shipments a query selects, in its order, in place of what `shipments` held;
    // `shipments` is left empty when reading fails.
    bool Query(const ShipmentQuery& query, std::vector<Shipment>& shipments);
    // The first `limit` shipments a query selects, in its order, and in `selected` how many
    // it selects in all: the top of a long list, read before the rest.
    bool QueryFirst(const ShipmentQuery& query, size_t limit, std::vector<Shipment>& shipments, size_t& selected);
    // The same into a compact table, for a list of many shipments.
    bool Query(const ShipmentQuery& query, ShipmentTable& shipments);
    bool QueryFirst(const ShipmentQuery& query, size_t limit, ShipmentTable& shipments, size_t& selected);

protected:
    bool DescribeDatabase(DatabaseDescription& description) override;
    // The record table and the tracking tables beside it (ShipmentTracking::Schema).
    SchemaSteps Schema() const override;

private:
    friend class ShipmentTracking; // reads and writes through this store's connection

    template <class Shipments>
    bool QueryFirstInto(const ShipmentQuery& query, size_t limit, Shipments& shipments, size_t& selected);
    bool ReadSelection(const ShipmentQuery& query, size_t limit, std::vector<Shipment>& shipments, size_t* selected);
    bool ReadSelection(const ShipmentQuery& query, size_t limit, ShipmentTable& shipments, size_t* selected);
    bool ReadMatching(const ShipmentQuery& query, size_t limit, size_t* selected,
                      const std::function<Shipment&()>& slot, const std::function<void()>& keep);

    ShipmentTracking m_tracking{*this};
};

} // namespace parcelo
