#pragma once

#include "store/ShipmentDatabase.h"

#include <cstdint>

namespace parcelo {

// A sort command of the list (ID_SORT_ENTRY_DESC .. ID_SORT_ORDER_ASC) sets the key
// and the direction of `query`; false and `query` unchanged for any other command.
bool SortOrderForCommand(uint32_t command, ShipmentQuery& query);

// A filter command of the list (ID_FILTER_ALL .. ID_FILTER_CANCELLED) sets the status
// filter of `query`; false and `query` unchanged for any other command.
bool FilterForCommand(uint32_t command, ShipmentQuery& query);

} // namespace parcelo
