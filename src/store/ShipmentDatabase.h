#pragma once

#include "store/PropertyDatabase.h"
#include "store/Shipment.h"

#include <cstdint>
#include <vector>

namespace parcelo {

// The six properties of a shipment record.
constexpr uint32_t PROP_COURIER = 0x00650012;
constexpr uint32_t PROP_INVOICE = 0x0066001F;
constexpr uint32_t PROP_ITEM = 0x0067001F;
constexpr uint32_t PROP_ENTRY_DATE = 0x00680040;
constexpr uint32_t PROP_ORDER_DATE = 0x00690040;
constexpr uint32_t PROP_STATUS = 0x006A0012;

// The shipment database TRACKDB. Positions come from the latest ReadAll; once another
// program has changed the volume, positional calls refuse until the next ReadAll.
class CShipmentDatabase : public CPropertyDatabase {
public:
    // Appends a record; true once it is on disk.
    bool Add(const Shipment& shipment);
    // Replaces all six properties of the record at a position.
    bool UpdateAt(int position, const Shipment& shipment);
    // Copies the record at a position; false and `shipment` untouched when there is none.
    bool ReadAt(int position, Shipment& shipment);
    // Appends every record in the current sort order; appends nothing if reading fails.
    void ReadAll(std::vector<Shipment>& shipments);

protected:
    bool DescribeDatabase(DatabaseDescription& description) override;
};

} // namespace parcelo
