#include <gtest/gtest.h>

#include "app/TrackingUrl.h"

namespace parcelo {
namespace {

TEST(TrackingUrl, ReplacesTheStringConversionWithTheInvoiceNumber) {
    EXPECT_EQ(FormatTrackingUrl(u"https://t.example/track?wblNo=%s", u"1234"), u"https://t.example/track?wblNo=1234");
    EXPECT_EQ(FormatTrackingUrl(u"%s", u""), u"");
    EXPECT_EQ(FormatTrackingUrl(u"https://t.example/", u"1234"), u"https://t.example/");
    EXPECT_EQ(FormatTrackingUrl(u"a=%s&b=%s", u"12"), u"a=12&b=12");
}

TEST(TrackingUrl, KeepsEveryOtherPercentSequenceLiterally) {
    EXPECT_EQ(FormatTrackingUrl(u"100%%/%s", u"9"), u"100%/9");
    EXPECT_EQ(FormatTrackingUrl(u"x%dy%nz%", u"9"), u"x%dy%nz%");
    EXPECT_EQ(FormatTrackingUrl(u"q=%E2%82%AC&n=%s", u"7"), u"q=%E2%82%AC&n=7");
    EXPECT_EQ(FormatTrackingUrl(u"%%s", u"7"), u"%s");
    EXPECT_EQ(FormatTrackingUrl(u"%10s|%-s", u"7"), u"%10s|%-s");
}

TEST(TrackingUrl, InsertsTheInvoiceNumberAsStored) {
    EXPECT_EQ(FormatTrackingUrl(u"n=%s", u"%s%n 12"), u"n=%s%n 12");
}

} // namespace
} // namespace parcelo
