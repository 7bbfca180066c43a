#include "app/TrackingUrl.h"

namespace parcelo {

std::u16string FormatTrackingUrl(std::u16string_view pattern, std::u16string_view invoiceNumber) {
    std::u16string url;
    url.reserve(pattern.size() + invoiceNumber.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        if (pattern[i] == u'%' && next == u's') {
            url += invoiceNumber;
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
