#include "couriers/TrackingUrl.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

// Each "%s" takes the number, percent-encoded as one query component (no added parameter,
// fragment, escape or space reaches the server); every other percent sequence stays.
TEST(TrackingUrl, PutsThePercentEncodedNumberInPlaceOfEachStringConversion) {
    const struct {
        std::u16string_view pattern, number, url;
    } cases[] = {
        {u"https://t.example/track?wblNo=%s", u"1234", u"https://t.example/track?wblNo=1234"},
        {u"https://t.example/", u"1234", u"https://t.example/"},
        {u"a=%s&b=%s", u"12", u"a=12&b=12"},
        {u"100%%/%s", u"9", u"100%/9"},
        {u"x%dy%nz%", u"9", u"x%dy%nz%"},
        {u"%%s", u"7", u"%s"},
        {u"%10s|%-s", u"7", u"%10s|%-s"},
        {u"?n=%s&lang=ko", u"12&lang=en&x=1", u"?n=12%26lang%3Den%26x%3D1&lang=ko"},
        {u"?n=%s", u"a%41b", u"?n=a%2541b"},
        {u"?n=%s", u"%s%n 12", u"?n=%25s%25n%2012"},
        {u"?n=%s", u"Az09-._~", u"?n=Az09-._~"},
        {u"?n=%s", u"송장 1", u"?n=%EC%86%A1%EC%9E%A5%201"},
        {u"?n=%s", u"\U0001F4E6\xD800", u"?n=%F0%9F%93%A6%EF%BF%BD"}, // a pair, then a lone surrogate
    };
    for (const auto& [pattern, number, url] : cases) {
        EXPECT_EQ(FormatTrackingUrl(pattern, number), url) << testing::PrintToString(std::u16string(pattern));
    }
}

} // namespace
} // namespace parcelo
