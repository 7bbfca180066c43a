#include "couriers/TrackingUrl.h"

#include "platform/Utf8.h"

namespace parcelo {

namespace {

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// A lone surrogate has no UTF-8 form; it goes out as U+FFFD (%EF%BF%BD).
std::u16string EncodeQueryComponent(std::u16string_view text) {
    constexpr std::u16string_view kHexDigits = u"0123456789ABCDEF";
    std::u16string encoded;
    for (const char unit : Utf16ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(unit);
        if (IsUnreserved(byte)) {
            encoded += static_cast<char16_t>(byte);
        } else {
            encoded += u'%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

} // namespace

std::u16string FormatTrackingUrl(std::u16string_view pattern, std::u16string_view invoiceNumber) {
    const std::u16string number = EncodeQueryComponent(invoiceNumber);
    std::u16string url;
    url.reserve(pattern.size() + number.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        if (pattern[i] == u'%' && next == u's') {
            url += number;
            ++i;
        } else if (pattern[i] == u'%' && next == u'%') {
            url += u'%';
            ++i;
        } else {
            url += pattern[i];
        }
    }
    return url;
}

} // namespace parcelo
