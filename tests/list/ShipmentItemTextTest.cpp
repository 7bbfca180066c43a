#include "list/ShipmentItemText.h"

#include "list/ShipmentListCommands.h"
#include "list/ShipmentStatusText.h"
#include "platform/resource.h"
#include "store/StoreTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace parcelo {
namespace {

constexpr Instant kHour = 3600;

// A command sets only its part of the query; one outside the range changes nothing.
TEST(ShipmentListCommands, CommandsSetTheirPartOfTheQuery) {
    ShipmentQuery query;
    ASSERT_TRUE(SortOrderForCommand(ID_SORT_ORDER_ASC, query) && FilterForCommand(ID_FILTER_CANCELLED, query));
    for (const int command :
         {ID_FILTER_ALL - 1, ID_FILTER_CANCELLED + 1, ID_SORT_ENTRY_DESC - 1, ID_SORT_ORDER_ASC + 1}) {
        EXPECT_FALSE(FilterForCommand(command, query) || SortOrderForCommand(command, query)) << command;
    }
    EXPECT_FALSE(FilterForCommand(ID_SORT_ORDER_ASC, query) || SortOrderForCommand(ID_FILTER_DONE, query));
    EXPECT_EQ(std::tie(query.key, query.newestFirst, query.filter),
              std::tuple(ShipmentSortKey::OrderDate, false, Cancelled));
}

// Whatever the user typed, or the courier file holds, is written as the renderer's escapes,
// and a NUL as U+FFFD: it shows as typed and cannot restyle its item or the next. The
// service's status text is trimmed, cut without splitting a character, and escaped.
TEST(ShipmentItemText, ItemTextsAndTheLatestStatusShowAsTyped) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    Courier courier{};
    std::copy_n(u"대&한<통운택", 7, courier.name);
    courier.name[7] = u'\x5C0F';                                             // a full name with no terminator
    Shipment shipment = test::MakeShipment(u"60&12%s345", 0, 1'704'063'600); // 2024-01-01 00:00 local
    shipment.itemName = std::u16string(u"<b>%d\0</b>", 10);
    const Instant now = shipment.orderDate + 47 * kHour;

    EXPECT_EQ(FormatShipmentItem(shipment, &courier, now),
              u"상품명: <h>&lt;b>%d\uFFFD&lt;/b></h> <br> <font color=#0000ff>대&amp;한&lt;통운택\x5C0F: "
              u"60&amp;12%s345</font> "
              u"<br> 주문일: 2024-1-1 (1일 경과)");
    // A screen reader gets the text without markup, the escapes decoded, and the state.
    EXPECT_EQ(
        SpokenShipmentItem(FormatShipmentItem(shipment, &courier, now, u"배송 <출발>"), shipment.status),
        u"상품명: <b>%d\uFFFD</b>, 대&한<통운택\x5C0F: 60&12%s345, 주문일: 2024-1-1 (1일 경과) \u00B7 배송 <출발>, "
        u"배송중");
    shipment.status = Cancelled;
    shipment.orderDate = INT64_MAX; // no local date
    EXPECT_EQ(
        FormatShipmentItem(shipment, nullptr, now),
        u"<font color=#ff0000>상품명: <h>&lt;b>%d\uFFFD&lt;/b></h> <br> : 60&amp;12%s345 <br> 주문일: 0-0-0</font>");
    EXPECT_EQ(SpokenShipmentItem(FormatShipmentItem(shipment, nullptr, now), shipment.status),
              u"상품명: <b>%d\uFFFD</b>, : 60&12%s345, 주문일: 0-0-0, 취소");

    // Days count whole hours; extreme instants must not trap.
    EXPECT_EQ(DaysElapsed(0, 47 * kHour + 3599), 1);
    EXPECT_EQ(DaysElapsed(0, -47 * kHour), -1);
    DaysElapsed(0, INT64_MAX);
    EXPECT_EQ(DaysElapsed(INT64_MAX, INT64_MIN), 0) << "the difference wraps to one second";

    TrackingEvent event;
    event.time = 1'704'063'600 + 14 * kHour + 3 * 60; // 2024-01-01 14:03 local
    event.statusCode = "OUT_FOR_DELIVERY";
    event.location = " \t강남<&>\n  센터 ";
    EXPECT_EQ(FormatLatestStatus(event), u"배송출발 01/01 14:03 강남<&> 센터");
    event.location = "ab\xF0\x9F\x93\xA6\xF0\x9F\x93\xA6\xF0\x9F\x93\xA6\xF0\x9F\x93\xA6"; // a + b + 4 parcels
    EXPECT_EQ(FormatLatestStatus(event), u"배송출발 01/01 14:03 ab\U0001F4E6\U0001F4E6\u2026");
    event.location = "\xFF\xFE";
    event.statusCode = "SOMETHING_NEW";
    event.time = std::nullopt;
    EXPECT_EQ(FormatLatestStatus(event), u"확인중");

    shipment = test::MakeShipment(u"1", 0, 1'704'063'600);
    shipment.itemName = u"x";
    shipment.status = Done;
    EXPECT_EQ(
        FormatShipmentItem(shipment, nullptr, shipment.orderDate, u"배송완료 <b>&"),
        u"<font color=#aaaaaa>상품명: <h>x</h> <br> : 1 <br> 주문일: 2024-1-1 \u00B7 배송완료 &lt;b>&amp;</font>");
}

} // namespace
} // namespace parcelo
