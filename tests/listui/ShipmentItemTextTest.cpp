#include "listui/ShipmentItemText.h"

#include "listui/ShipmentListCommands.h"
#include "res/resource.h"
#include "store/StoreTestSupport.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

constexpr Instant kHour = 3600;

TEST(ShipmentListCommands, CommandsOutsideTheirRangeChangeNothing) {
    // The list view passes any command on; one that is not a filter leaves the filter alone.
    int filter = 99;
    uint32_t key = 0;
    uint32_t flags = 0;
    EXPECT_FALSE(FilterForCommand(32899, filter) || FilterForCommand(32904, filter));
    EXPECT_EQ(filter, 99);
    EXPECT_TRUE(FilterForCommand(ID_FILTER_CANCELLED, filter) && filter == Cancelled);
    EXPECT_FALSE(SortOrderForCommand(32799, key, flags) || SortOrderForCommand(32804, key, flags));
}

TEST(ShipmentItemText, ItemTexts) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    Courier courier{};
    std::copy_n(u"대한통운택배사", 7, courier.name);
    courier.name[7] = u'\x5C0F';                                             // a full name with no terminator
    Shipment shipment = test::MakeShipment(u"60&12%s345", 0, 1'704'063'600); // 2024-01-01 00:00 local
    shipment.itemName = u"<b>%d</b>";
    const Instant now = shipment.orderDate + 47 * kHour;

    EXPECT_EQ(
        FormatShipmentItem(shipment, &courier, now),
        u"상품명: <h>&lt;b>%d&lt;/b></h> <br> <font color=#0000ff>대한통운택배사\x5C0F: 60&amp;12%s345</font> <br> "
        u"주문일: 2024-1-1 (1일 경과)");
    shipment.status = Cancelled;
    shipment.orderDate = INT64_MAX; // no local date
    EXPECT_EQ(FormatShipmentItem(shipment, nullptr, now),
              u"<font color=#ff0000>상품명: <h>&lt;b>%d&lt;/b></h> <br> : 60&amp;12%s345 <br> 주문일: 0-0-0</font>");
}

TEST(ShipmentItemText, DaysElapsedCountsWholeHours) {
    EXPECT_EQ(DaysElapsed(0, 47 * kHour + 3599), 1);
    EXPECT_EQ(DaysElapsed(0, -47 * kHour), -1);
    DaysElapsed(0, INT64_MAX); // extreme instants must not trap
    EXPECT_EQ(DaysElapsed(INT64_MAX, INT64_MIN), 0) << "the difference wraps to one second";
}

} // namespace
} // namespace parcelo
