#pragma once

#include "store/Shipment.h"

#include <cstdint>

namespace parcelo {

// True if the filter shows the shipment: FILTER_ALL, or the shipment's status.
bool PassesFilter(const Shipment& shipment, int filter);

// The sort order (key property and sort flags) a sort command selects; false for any
// other command.
bool SortOrderForCommand(uint32_t command, uint32_t& keyTag, uint32_t& flags);

// The status filter a filter command selects; false for any other command.
bool FilterForCommand(uint32_t command, int& filter);

} // namespace parcelo
