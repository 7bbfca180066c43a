#include "list/ShipmentListModel.h"

#include "config/TempFolder.h"
#include "list/ItemHeights.h"
#include "list/ItemHeightsDriver.h"
#include "list/ShipmentItemText.h"
#include "list/ShipmentListCommands.h"
#include "list/ShipmentMatcher.h"
#include "list/ShipmentStatusText.h"
#include "platform/resource.h"
#include "store/StoreTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace parcelo {
namespace {

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC
constexpr Instant kHour = 3600;

// Random stores, edits between fills, filters, orders, find texts and short first reads, each
// fill checked against the store's own query and a fresh matcher: the rows, each id's place, the
// item texts, and the row selected after a refill by the user (the same row) or not (the same id).
TEST(ShipmentListModelTest, RowsFollowTheQueryAndTheFindTextAndTheSelectionFollowsItsRule) {
    test::TempFolder folder;
    CShipmentDatabase store;
    ASSERT_TRUE(store.MountVolume(folder.File("list.edb")) && store.Open(u"TRACKDB"));
    std::vector<Courier> couriers(3);
    for (const auto& [courier, name] : {std::pair(0, u"우체국"), std::pair(1, u"CJ"), std::pair(2, u"한진")}) {
        std::copy_n(name, std::char_traits<char16_t>::length(name), couriers[courier].name);
    }
    const std::u16string items[] = {u"책", u"신발", u"노트북 가방", u"Phone Case", u"창문 커튼"};
    const std::u16string finds[] = {u"", u"ㅊ", u"ph", u"12", u"cj", u"가방", u"ㄴㅌ", u"우체"};
    std::mt19937 random(5);
    const auto pick = [&](auto& range) -> auto& {
        return range[random() % std::size(range)];
    };
    const auto make = [&] {
        Shipment shipment{static_cast<int32_t>(random() % 4), u"12-" + std::u16string(1, u'0' + random() % 10),
                          pick(items)};
        shipment.entryDate = kNow - static_cast<Instant>(random() % 50);
        shipment.orderDate = kNow - static_cast<Instant>(random() % 90);
        shipment.status = static_cast<int32_t>(random() % 3);
        return shipment;
    };
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(store.Add(make()));
    }

    ShipmentListModel model(couriers);
    for (int round = 0; round < 150; ++round) {
        std::vector<Shipment> all;
        store.Query({}, all);
        Shipment& changed = all[random() % all.size()];
        switch (random() % 4) {
        case 0:
            ASSERT_TRUE(store.Add(make()));
            break;
        case 1:
            ASSERT_TRUE(store.Delete(changed.id));
            break;
        default: { // one field of the same shipment: its item name, or all but the id
            Shipment edited = random() % 2 ? changed : make();
            edited.itemName = pick(items);
            edited.id = changed.id;
            ASSERT_TRUE(store.Update(edited));
        }
        }
        ShipmentQuery& query = model.Query();
        query.filter = static_cast<int>(random() % 4) - 1;
        query.key = random() % 2 ? ShipmentSortKey::OrderDate : ShipmentSortKey::EntryDate;
        query.newestFirst = random() % 2;
        const std::u16string& find = pick(finds);
        model.SetFindText(find);
        const int rowBefore = static_cast<int>(random() % (model.RowCount() + 1)) - 1;
        const int64_t idBefore = model.IdAt(rowBefore);
        const size_t firstRows = random() % 3 == 0 ? 5 : 0;
        const size_t toCome = model.Read(store, firstRows);
        model.ChooseRows(kNow, nullptr);

        std::vector<Shipment> expected;
        ASSERT_TRUE(store.Query(query, expected));
        size_t expectedToCome = 0;
        if (firstRows != 0 && find.empty() && expected.size() > firstRows) {
            expectedToCome = expected.size() - firstRows;
            expected.resize(firstRows);
        }
        const ShipmentMatcher matcher(find);
        std::erase_if(expected, [&](const Shipment& shipment) {
            const Courier* courier = FindCourier(couriers, shipment.courierIndex);
            const std::u16string_view name = courier != nullptr ? FieldView(courier->name) : std::u16string_view();
            return !matcher.MatchesEverything() &&
                   !matcher.Matches(ShipmentSearchKey::Make(name, shipment.invoiceNumber, shipment.itemName));
        });
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(toCome, expectedToCome);
        ASSERT_EQ(model.RowCount(), expected.size());
        for (size_t row = 0; row < expected.size(); ++row) {
            const Shipment& shipment = expected[row];
            ASSERT_EQ(model.IdAt(static_cast<int>(row)), shipment.id);
            EXPECT_EQ(model.RowOf(shipment.id), static_cast<int>(row));
            EXPECT_EQ(model.ItemText(row),
                      FormatShipmentItem(shipment, FindCourier(couriers, shipment.courierIndex), kNow, {}));
        }
        EXPECT_EQ(model.IdAt(static_cast<int>(expected.size())), 0);
        EXPECT_EQ(model.RowToSelect(RefillCause::User, rowBefore, idBefore),
                  rowBefore < static_cast<int>(expected.size()) ? rowBefore : -1);
        const auto follow = std::find_if(expected.begin(), expected.end(),
                                         [&](const Shipment& shipment) { return shipment.id == idBefore; });
        EXPECT_EQ(model.RowToSelect(RefillCause::Elsewhere, rowBefore, idBefore),
                  idBefore != 0 && follow != expected.end() ? static_cast<int>(follow - expected.begin()) : -1);
    }
}

bool Finds(std::u16string_view query, std::u16string_view item, std::u16string_view invoice = u"0000",
           std::u16string_view courier = u"택배") {
    return ShipmentMatcher(query).Matches(ShipmentSearchKey::Make(courier, invoice, item));
}

// Queries are substrings of the item or courier ignoring case; numbers ignore blanks, hyphens and
// case; initial consonants match consecutive syllables, skipping blanks, and mix with syllables.
TEST(ShipmentMatcherTest, FindsItemsCouriersNumbersAndInitialConsonants) {
    for (const char16_t* query : {u"트북", u"", u"   ", u"ㄴㅌㅂ", u"ㅂㄱ", u"ㄴㅌㅂㄱ", u"노ㅌ", u"ㄴ트ㅂ", u"가ㅂ"}) {
        EXPECT_TRUE(Finds(query, u"노트북 가방")) << ::testing::PrintToString(std::u16string(query));
    }
    for (const char16_t* query : {u"북가", u"ㄴㅂ", u"노ㅂ", u"방ㅂ"}) {
        EXPECT_FALSE(Finds(query, u"노트북 가방")) << ::testing::PrintToString(std::u16string(query));
    }
    EXPECT_TRUE(Finds(u"iPHONE", u"Apple iPhone 15"));
    EXPECT_TRUE(Finds(u"ÉCOLE", u"école"));
    EXPECT_TRUE(Finds(u"  우체국 ", u"책", u"1", u"우체국택배"));
    EXPECT_TRUE(Finds(u"1234 5678", u"책", u"1234-5678-90"));
    EXPECT_TRUE(Finds(u"ab12", u"책", u"AB-12"));
    EXPECT_FALSE(Finds(u"5679", u"책", u"1234-5678"));
    EXPECT_FALSE(Finds(u"-", u"책", u"1234-5678")) << "not every number through an empty key";
    EXPECT_FALSE(Finds(u"ㄱ", u"까치")) << "double consonants are their own";
    EXPECT_TRUE(Finds(u"ㄲ", u"까치"));
    EXPECT_TRUE(Finds(u"ㅋ", u"ㅋㅋ 세트")) << "a jamo in the text matches itself";
    EXPECT_FALSE(Finds(u"ㅎ", u"Hello"));
    EXPECT_TRUE(Finds(u"usbㅋ", u"USB 케이블"));
    // The first and last syllables, the last initial consonant, and just below the syllables.
    EXPECT_TRUE(Finds(u"ㄱ", u"가") && Finds(u"ㅎ", u"힣"));
    EXPECT_FALSE(Finds(u"ㄱ", u"\uABFF"));
}

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

// Random runs of appends, refills, width changes, measuring in view, around an item
// and in slices, each checked against the brute-force reference of the driver.
TEST(ItemHeightsTest, RandomOperationsKeepTheOffsetsAndHeightsOfTheReference) {
    std::mt19937 random(21);
    for (int run = 0; run < 300; ++run) {
        std::vector<uint8_t> bytes(std::uniform_int_distribution<size_t>(0, 2400)(random));
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        EXPECT_EQ(testing::ItemHeightsDriver().Run(bytes.data(), bytes.size()), "") << "run " << run;
    }
}

// A refill of the same texts at the same width measures nothing again, whether the
// texts come with the items or later; a text that changed is measured anew.
TEST(ItemHeightsTest, ARefillMeasuresOnlyTheTextsThatChanged) {
    int longer = -1; // the item whose text grows
    const auto text = [&](int i) { return std::u16string(i % 13, u'x') + (i == longer ? u"longer" : u""); };
    ItemHeights heights([](const HTMLListItem& item) { return 20 + static_cast<int>(item.text.size()); });
    heights.SetTextProvider(text);
    const auto fill = [&](bool withText) {
        heights.Reset();
        for (int i = 0; i < 500; ++i) {
            HTMLListItem item;
            item.data = (int64_t{1} << 40) + i; // ids beyond 32 bits
            item.textPending = !withText;
            item.text = withText ? text(i) : std::u16string();
            heights.Append(std::move(item), 100);
        }
        while (heights.Unmeasured() > 0) {
            heights.Commit(heights.RefineSlice([] { return false; }));
        }
        return heights.MeasureCount();
    };
    EXPECT_EQ(fill(true), 500);
    EXPECT_EQ(fill(true), 500);
    EXPECT_EQ(fill(false), 500);
    longer = 7;
    EXPECT_EQ(fill(false), 501);
}

} // namespace
} // namespace parcelo
