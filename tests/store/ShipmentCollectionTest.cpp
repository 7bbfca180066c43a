#include "store/ShipmentCollection.h"

#include "store/ShipmentDatabase.h"
#include "store/StoreTestSupport.h"

#include <climits>
#include <gtest/gtest.h>

namespace parcelo {
namespace {

constexpr Instant kHour = 3600;

TEST(ShipmentCollection, FiltersAndCommands) {
    Shipment shipment;
    shipment.status = 7;
    EXPECT_TRUE(PassesFilter(shipment, -1));
    EXPECT_FALSE(PassesFilter(shipment, 0) || PassesFilter(shipment, 1) || PassesFilter(shipment, 2));
    shipment.status = Done;
    EXPECT_TRUE(PassesFilter(shipment, 1) && !PassesFilter(shipment, 0));

    int filter = 99;
    EXPECT_FALSE(FilterForCommand(32899, filter) || FilterForCommand(32904, filter));
    EXPECT_EQ(filter, 99);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(FilterForCommand(32900 + i, filter));
        EXPECT_EQ(filter, i - 1);
    }
    uint32_t key = 0;
    uint32_t flags = 0;
    EXPECT_FALSE(SortOrderForCommand(32799, key, flags) || SortOrderForCommand(32804, key, flags));
}

TEST(ShipmentCollection, ItemTexts) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    Courier courier{};
    std::copy_n(u"대한통운택배사", 7, courier.name);
    courier.name[7] = u'\x5C0F';                                            // a full name with no terminator
    Shipment shipment = test::MakeShipment(u"6012%s345", 0, 1'704'063'600); // 2024-01-01 00:00 local
    shipment.itemName = u"<b>%d</b>";
    const Instant now = shipment.orderDate + 47 * kHour;

    EXPECT_EQ(FormatShipmentItem(shipment, &courier, now),
              u"상품명: <h><b>%d</b></h> <br> <font color=#0000ff>대한통운택배사\x5C0F: 6012%s345</font> <br> "
              u"주문일: 2024-1-1 (1일 경과)");
    shipment.status = 7;
    EXPECT_EQ(FormatShipmentItem(shipment, nullptr, now),
              u"상품명: <h><b>%d</b></h> <br> <font color=#0000ff>: 6012%s345</font> <br> 주문일: 2024-1-1 (1일 경과)");
    shipment.status = Done;
    EXPECT_EQ(FormatShipmentItem(shipment, nullptr, now),
              u"<font color=#aaaaaa>상품명: <h><b>%d</b></h> <br> : 6012%s345 <br> 주문일: 2024-1-1</font>");
    shipment.status = Cancelled;
    shipment.orderDate = INT64_MAX; // no local date
    EXPECT_EQ(FormatShipmentItem(shipment, nullptr, now),
              u"<font color=#ff0000>상품명: <h><b>%d</b></h> <br> : 6012%s345 <br> 주문일: 0-0-0</font>");
}

TEST(ShipmentCollection, DaysElapsedCountsWholeHours) {
    const Instant order = 1'700'000'000;
    EXPECT_EQ(DaysElapsed(order, order + 23 * kHour), 0);
    EXPECT_EQ(DaysElapsed(order, order + 25 * kHour), 1);
    EXPECT_EQ(DaysElapsed(order, order + 47 * kHour + 3599), 1);
    EXPECT_EQ(DaysElapsed(order, order - 30 * kHour), -1);
    EXPECT_EQ(DaysElapsed(order, order - 47 * kHour), -1);
    DaysElapsed(0, INT64_MAX); // extreme instants must not trap
    EXPECT_EQ(DaysElapsed(INT64_MAX, INT64_MIN), 0) << "the difference wraps to one second";
}

// Under a filter the items carry store positions, not rows; a delete shifts later positions.
TEST(ShipmentCollection, FilteredItemsCarryStorePositions) {
    test::TempFolder folder;
    CShipmentDatabase store;
    ASSERT_TRUE(store.MountVolume(folder.File("list.edb")) && store.Open(u"TRACKDB"));
    const Instant now = 1'717'200'000;
    ASSERT_TRUE(store.Add(test::MakeShipment(u"1", now - 1, now)));
    ASSERT_TRUE(store.Add(test::MakeShipment(u"2", now - 2, now)));
    ASSERT_TRUE(store.Add(test::MakeShipment(u"3", now - 3, now, Done)));
    std::vector<Shipment> collection;
    store.ReadAll(collection);
    std::vector<int> positions;
    for (size_t i = 0; i < collection.size(); ++i) {
        if (PassesFilter(collection[i], Done)) {
            positions.push_back(static_cast<int>(i));
        }
    }
    ASSERT_EQ(positions, std::vector<int>{2});
    ASSERT_TRUE(store.DeleteAt(positions[0]));
    EXPECT_EQ(test::Invoices(store), (std::vector<std::u16string>{u"1", u"2"}));
    ASSERT_TRUE(store.DeleteAt(0));
    EXPECT_EQ(test::Invoices(store), std::vector<std::u16string>{u"2"});
}

} // namespace
} // namespace parcelo
