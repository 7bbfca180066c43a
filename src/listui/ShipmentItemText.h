#pragma once

#include "couriers/Courier.h"
#include "store/Shipment.h"

#include <string>

namespace parcelo {

// The marked-up text of a shipment's list item. A missing courier gives an empty name.
std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now);

// Whole days from the order to `now`, counted from whole hours; negative for a future order.
int DaysElapsed(Instant orderDate, Instant now);

} // namespace parcelo
