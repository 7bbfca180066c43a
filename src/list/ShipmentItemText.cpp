#include "list/ShipmentItemText.h"

#include "platform/LocalTime.h"
#include "platform/Translation.h"
#include "render/MarkupRenderer.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace parcelo {

namespace {

void AppendNumber(std::u16string& text, int64_t number) {
    if (number < 0) {
        text += u'-';
    }
    char16_t digits[20];
    size_t count = 0;
    uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        text += digits[--count];
    }
}

std::u16string_view CourierName(const Courier* courier) {
    if (courier == nullptr) {
        return {};
    }
    return FieldView(courier->name);
}

// Appends text the user typed (item name, invoice number) or that came from
// parcelo.ini (courier name) so that the list draws it literally: "<" and "&" are
// written as the renderer's escapes, and a NUL, which would end the item text for
// the renderer, is shown as U+FFFD.
void AppendLiteral(std::u16string& text, std::u16string_view literal) {
    for (const char16_t unit : literal) {
        if (unit == u'<') {
            text += u"&lt;";
        } else if (unit == u'&') {
            text += u"&amp;";
        } else if (unit == u'\0') {
            text += u'\uFFFD';
        } else {
            text += unit;
        }
    }
}

// "Y-M-D" of the local order date, "0-0-0" when it has no local date.
void AppendOrderDate(std::u16string& text, Instant orderDate) {
    LocalDateTime fields;
    if (!BreakDownLocalTime(orderDate, fields)) {
        fields.year = fields.month = fields.day = 0;
    }
    AppendNumber(text, fields.year);
    text += u'-';
    AppendNumber(text, fields.month);
    text += u'-';
    AppendNumber(text, fields.day);
}

} // namespace

std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now) {
    return FormatShipmentItem(shipment, courier, now, {});
}

std::u16string FormatShipmentItem(const Shipment& shipment, const Courier* courier, Instant now,
                                  std::u16string_view latestStatus) {
    const bool inDelivery = shipment.status != Done && shipment.status != Cancelled;
    std::u16string text;
    text.reserve(96 + shipment.itemName.size() + shipment.invoiceNumber.size() + latestStatus.size());
    if (shipment.status == Done) {
        text += u"<font color=#aaaaaa>";
    } else if (shipment.status == Cancelled) {
        text += u"<font color=#ff0000>";
    }
    text += PARCELO_TR("ShipmentItemText", "상품명: ");
    text += u"<h>";
    AppendLiteral(text, shipment.itemName);
    text += u"</h> <br> ";
    if (inDelivery) {
        text += u"<font color=#0000ff>";
    }
    AppendLiteral(text, CourierName(courier));
    text += u": ";
    AppendLiteral(text, shipment.invoiceNumber);
    text += inDelivery ? u"</font> <br> " : u" <br> ";
    text += PARCELO_TR("ShipmentItemText", "주문일: ");
    AppendOrderDate(text, shipment.orderDate);
    if (inDelivery) {
        text += u' ';
        text += PARCELO_TR_N("ShipmentItemText", "(%n일 경과)")(DaysElapsed(shipment.orderDate, now));
    }
    if (!latestStatus.empty()) {
        text += u" \u00B7 ";
        AppendLiteral(text, latestStatus);
    }
    if (!inDelivery) {
        text += u"</font>";
    }
    return text;
}

std::u16string SpokenShipmentItem(std::u16string_view itemMarkup, int status) {
    std::u16string spoken = MarkupToPlainText(itemMarkup);
    spoken += u", ";
    spoken += status == Done        ? PARCELO_TR("ShipmentItemText", "완료")
              : status == Cancelled ? PARCELO_TR("ShipmentItemText", "취소")
                                    : PARCELO_TR("ShipmentItemText", "배송중");
    return spoken;
}

std::u16string ShortenedForMessage(std::u16string_view text, size_t limit) {
    if (text.size() <= limit) {
        return std::u16string(text);
    }
    size_t kept = limit;
    if (kept > 0 && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) {
        --kept; // never half a character
    }
    return std::u16string(text.substr(0, kept)) + u"\u2026";
}

int DaysElapsed(Instant orderDate, Instant now) {
    // Extreme instants would overflow a signed subtraction; the difference wraps instead.
    const auto difference = static_cast<int64_t>(static_cast<uint64_t>(now) - static_cast<uint64_t>(orderDate));
    const auto hours = static_cast<int32_t>(difference / 3600);
    return hours / 24;
}

} // namespace parcelo
