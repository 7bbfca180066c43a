#include "list/ShipmentStatusText.h"

#include "platform/CodePage.h"
#include "platform/LocalTime.h"
#include "tracking/StatusNames.h"

#include <optional>
#include <string_view>

namespace parcelo {

namespace {

void AppendTwoDigits(std::u16string& text, int number) {
    text += static_cast<char16_t>(u'0' + (number / 10) % 10);
    text += static_cast<char16_t>(u'0' + number % 10);
}

bool IsBlank(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\r' || unit == u'\n' || unit == u'\u00A0' || unit == u'\u3000';
}

// The place without surrounding blanks, inner runs of blanks as one space, and at
// most kStatusPlaceLength units (a surrogate pair is never split).
std::u16string ShortPlace(std::string_view location) {
    const std::optional<std::u16string> decoded = DecodeStrictUtf8(location);
    if (!decoded) {
        return {};
    }
    std::u16string place;
    bool pendingBlank = false;
    for (const char16_t unit : *decoded) {
        if (IsBlank(unit) || unit < u' ') {
            pendingBlank = !place.empty();
            continue;
        }
        if (pendingBlank) {
            place += u' ';
            pendingBlank = false;
        }
        place += unit;
    }
    if (place.size() <= kStatusPlaceLength) {
        return place;
    }
    size_t cut = kStatusPlaceLength - 1;
    if (place[cut - 1] >= 0xD800 && place[cut - 1] <= 0xDBFF) {
        --cut;
    }
    place.resize(cut);
    while (!place.empty() && place.back() == u' ') {
        place.pop_back();
    }
    place += u'\u2026';
    return place;
}

} // namespace

std::u16string FormatLatestStatus(const TrackingEvent& latest) {
    std::u16string text(ShortStatusName(latest.statusCode));
    LocalDateTime fields;
    if (latest.time && BreakDownLocalTime(*latest.time, fields)) {
        text += u' ';
        AppendTwoDigits(text, fields.month);
        text += u'/';
        AppendTwoDigits(text, fields.day);
        text += u' ';
        AppendTwoDigits(text, fields.hour);
        text += u':';
        AppendTwoDigits(text, fields.minute);
    }
    const std::u16string place = ShortPlace(latest.location);
    if (!place.empty()) {
        text += u' ';
        text += place;
    }
    return text;
}

} // namespace parcelo
