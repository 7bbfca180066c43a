#include "couriers/CourierHint.h"

#include "couriers/CourierDetector.h"

#include <gtest/gtest.h>
#include <tuple>

namespace parcelo {
namespace {

using Kind = CourierHint::Kind;

// Courier 0: ten digits starting with 1; courier 1: ten digits starting with 2;
// courier 2: twelve digits with mod7; courier 3: any twelve digits; courier 4: no rule.
class CourierHintTest : public ::testing::Test {
protected:
    CourierDetector detector{
        {{0, u"1\\d{9}", u""}, {1, u"2\\d{9}", u""}, {2, u"\\d{12}", u"mod7"}, {3, u"\\d{12}", u""}},
        [](std::string_view) {}};

    static auto Of(const CourierHint::Outcome& outcome) {
        return std::tuple(outcome.selection, outcome.kind, outcome.couriers);
    }
};

using Outcome = std::tuple<int, Kind, std::vector<int>>;

// A new shipment: the one matching courier is picked, and the pick follows typing.
TEST_F(CourierHintTest, PickFollowsTypingUntilTheUserChooses) {
    CourierHint hint(&detector, true);
    EXPECT_EQ(Of(hint.Update(-1, u"")), (Outcome{-1, Kind::CourierNote, {}}));
    EXPECT_EQ(Of(hint.Update(-1, u"1234-56-7890")), (Outcome{0, Kind::AutoSelected, {0}}));
    EXPECT_EQ(Of(hint.Update(0, u"2234567890")), (Outcome{1, Kind::AutoSelected, {1}})) << "the pick was ours";
    // 123456789013 passes mod7, but the length rule accepts it too: candidates, confirmed first.
    EXPECT_EQ(Of(hint.Update(1, u"123456789013")), (Outcome{-1, Kind::Candidates, {2, 3}}));
    EXPECT_EQ(Of(hint.Update(-1, u"123456789012")), (Outcome{3, Kind::AutoSelected, {3}}));
    EXPECT_EQ(Of(hint.Update(3, u"")), (Outcome{-1, Kind::CourierNote, {}}));
    EXPECT_FALSE(hint.UserHasChosen());

    // A choice of the user's, even of the courier that was picked, is never changed.
    hint.Update(-1, u"1234567890");
    hint.UserChose();
    EXPECT_EQ(Of(hint.Update(0, u"2234567890")), (Outcome{0, Kind::Warning, {}}));
    EXPECT_EQ(Of(hint.Update(0, u"")), (Outcome{0, Kind::CourierNote, {}}));
}

// A selection the hint did not make is the user's: its rule only warns.
TEST_F(CourierHintTest, ChosenCourierIsWarnedAboutNeverChanged) {
    CourierHint hint(&detector, true);
    EXPECT_EQ(Of(hint.Update(2, u"123456789012")), (Outcome{2, Kind::Warning, {}})) << "fails mod7";
    EXPECT_TRUE(hint.UserHasChosen());
    EXPECT_EQ(Of(hint.Update(2, u"1234 5678 9013")), (Outcome{2, Kind::CourierNote, {}}));
    EXPECT_EQ(Of(hint.Update(4, u"anything")), (Outcome{4, Kind::CourierNote, {}}));
    EXPECT_EQ(Of(hint.Update(1, u"1234567890")), (Outcome{1, Kind::Warning, {}})) << "pattern alone fails too";
}

// Editing a stored shipment picks nothing; a courier the table lost shows the candidates.
TEST_F(CourierHintTest, EditingPicksNothing) {
    CourierHint hint(&detector, false);
    EXPECT_EQ(Of(hint.Update(-1, u"1234567890")), (Outcome{-1, Kind::Candidates, {0}}));
    EXPECT_EQ(Of(hint.Update(3, u"1234567890")), (Outcome{3, Kind::Warning, {}}));

    CourierHint without(nullptr, true);
    EXPECT_EQ(Of(without.Update(-1, u"1234567890")), (Outcome{-1, Kind::CourierNote, {}}));
}

} // namespace
} // namespace parcelo
