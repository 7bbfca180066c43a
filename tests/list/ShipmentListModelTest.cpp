#include "list/ShipmentListModel.h"

#include "config/TempFolder.h"
#include "list/ShipmentItemText.h"
#include "list/ShipmentMatcher.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace parcelo {
namespace {

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC

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
        EXPECT_TRUE(Finds(query, u"노트북 가방")) << testing::PrintToString(std::u16string(query));
    }
    for (const char16_t* query : {u"북가", u"ㄴㅂ", u"노ㅂ", u"방ㅂ"}) {
        EXPECT_FALSE(Finds(query, u"노트북 가방")) << testing::PrintToString(std::u16string(query));
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

} // namespace
} // namespace parcelo
