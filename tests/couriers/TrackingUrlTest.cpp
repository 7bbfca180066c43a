#include "couriers/TrackingUrl.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace parcelo {
namespace {

TEST(TrackingUrl, ReplacesTheStringConversionWithTheInvoiceNumber) {
    EXPECT_EQ(FormatTrackingUrl(u"https://t.example/track?wblNo=%s", u"1234"), u"https://t.example/track?wblNo=1234");
    EXPECT_EQ(FormatTrackingUrl(u"https://t.example/", u"1234"), u"https://t.example/");
    EXPECT_EQ(FormatTrackingUrl(u"a=%s&b=%s", u"12"), u"a=12&b=12");
}

TEST(TrackingUrl, KeepsEveryOtherPercentSequenceLiterally) {
    EXPECT_EQ(FormatTrackingUrl(u"100%%/%s", u"9"), u"100%/9");
    EXPECT_EQ(FormatTrackingUrl(u"x%dy%nz%", u"9"), u"x%dy%nz%");
    EXPECT_EQ(FormatTrackingUrl(u"%%s", u"7"), u"%s");
    EXPECT_EQ(FormatTrackingUrl(u"%10s|%-s", u"7"), u"%10s|%-s");
}

// The number reaches the server as typed: no added parameter, fragment, escape or space.
TEST(TrackingUrl, PercentEncodesTheInvoiceNumberAsOneQueryComponent) {
    constexpr std::u16string_view pattern = u"https://t.example/?wblNo=%s&lang=ko";
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"12&lang=en&x=1", u"12%26lang%3Den%26x%3D1"},
        {u"a%41b", u"a%2541b"},
        {u"%s%n 12", u"%25s%25n%2012"},
        {u"Az09-._~", u"Az09-._~"},
        {u"송장 1", u"%EC%86%A1%EC%9E%A5%201"},
        {u"\U0001F4E6\xD800", u"%F0%9F%93%A6%EF%BF%BD"}, // a pair, then a lone surrogate
    };
    for (const auto& [number, encoded] : cases) {
        EXPECT_EQ(FormatTrackingUrl(pattern, number),
                  u"https://t.example/?wblNo=" + std::u16string(encoded) + u"&lang=ko");
    }
}

} // namespace
} // namespace parcelo
