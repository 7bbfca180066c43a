#pragma once

#include "couriers/Courier.h"
#include "store/Shipment.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace parcelo {

// The marked-up text of a shipment's list item. A missing courier gives an empty name.
std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now);
// The same with the shipment's latest delivery status (plain text, see
// FormatLatestStatus) after the date on the third line; an empty status adds nothing.
std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now,
                                  std::u16string_view latestStatus);

// A shipment's list item as a screen reader says it: the item's text without markup
// (see MarkupToPlainText), then the state that the list shows by colour only:
// "배송중", "완료" or "취소".
std::u16string SpokenShipmentItem(std::u16string_view itemMarkup, int status);

// A text the user typed as a message box shows it: cut to `limit` characters, "…" at the
// end, when it is longer.
std::u16string ShortenedForMessage(std::u16string_view text, size_t limit = 40);

// Whole days from the order to `now`, counted from whole hours; negative for a future order.
int DaysElapsed(Instant orderDate, Instant now);

} // namespace parcelo
