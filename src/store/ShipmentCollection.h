#pragma once

#include "app/Courier.h"
#include "store/Shipment.h"

#include <cstdint>
#include <string>

namespace parcelo {

// Sort commands 32800..32803 and filter commands 32900..32903 of the list menus.
constexpr uint32_t ID_SORT_ENTRY_NEWEST = 32800;
constexpr uint32_t ID_SORT_ENTRY_OLDEST = 32801;
constexpr uint32_t ID_SORT_ORDER_NEWEST = 32802;
constexpr uint32_t ID_SORT_ORDER_OLDEST = 32803;
constexpr uint32_t ID_FILTER_SHOW_ALL = 32900;
constexpr uint32_t ID_FILTER_SHOW_IN_DELIVERY = 32901;
constexpr uint32_t ID_FILTER_SHOW_DONE = 32902;
constexpr uint32_t ID_FILTER_SHOW_CANCELLED = 32903;

// True if the filter shows the shipment: FILTER_ALL, or the shipment's status.
bool PassesFilter(const Shipment& shipment, int filter);

// The sort order (key property and sort flags) a sort command selects; false for any
// other command.
bool SortOrderForCommand(uint32_t command, uint32_t& keyTag, uint32_t& flags);

// The status filter a filter command selects; false for any other command.
bool FilterForCommand(uint32_t command, int& filter);

// The marked-up text of a shipment's list item. A missing courier gives an empty name.
std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now);

// Whole days from the order to `now`, counted from whole hours; negative for a future order.
int DaysElapsed(Instant orderDate, Instant now);

} // namespace parcelo
