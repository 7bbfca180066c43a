#include "transfer/ShipmentImporter.h"

#include "transfer/TextFolding.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>

namespace parcelo {
namespace {

class ShipmentImporterTest : public ::testing::Test {
protected:
    ImportPlan Plan(std::string_view file) {
        const ShipmentImporter importer({u"CJ대한통운", u"우체국", u"Lotte", u"우체국"}, {4, 1, 8, 1},
                                        [this](int32_t courier, std::u16string_view number) {
                                            asked.emplace(courier, std::u16string(number));
                                            return stored.count({courier, std::u16string(number)}) != 0;
                                        });
        ParseOptions options;
        options.now = 1'700'000'000;
        return importer.Plan(file, options);
    }

    std::set<std::pair<int32_t, std::u16string>> stored;
    std::set<std::pair<int32_t, std::u16string>> asked;
};

TEST_F(ShipmentImporterTest, MapsCouriersByNameThenCodeAndSummarises) {
    stored.insert({1, u"AB12"});
    const ImportPlan plan = Plan("courier,courierCode,courierIndex,invoice\n"
                                 " lotte ,,0,111\n"    // by name, blanks and case aside; the index is not trusted
                                 "Gone,4,,222\n"       // unknown name, known code
                                 "Gone,99,,333\n"      // neither: error
                                 "우체국,,,ab-12\n"    // stored already, as normalised
                                 "CJ대한통운,,,2-22\n" // the courier and number of line 3
                                 "Gone,4,,2 22\n"      // ... once more
                                 "Lotte,,,\n");        // parser error
    EXPECT_FALSE(plan.failed);
    ASSERT_EQ(plan.toAdd.size(), 2u);
    EXPECT_EQ(plan.toAdd[0].record.courierIndex, 2);
    EXPECT_EQ(plan.toAdd[1].record.courierIndex, 0);
    EXPECT_EQ(plan.toAdd[1].record.invoiceNumber, u"222");
    ASSERT_EQ(plan.duplicates.size(), 3u);
    EXPECT_EQ(plan.duplicates[2].line, 7u);
    ASSERT_EQ(plan.errors.size(), 2u);
    EXPECT_EQ(plan.errors[0].line, 4u);
    EXPECT_EQ(plan.errors[1].line, 8u);
    EXPECT_EQ(plan.summary, u"2건 추가, 3건 중복, 2건 오류");
    EXPECT_TRUE(asked.count({1, u"AB12"}));
}

TEST_F(ShipmentImporterTest, UnreadableFileGivesOneErrorAndNothingToAdd) {
    const ImportPlan plan = Plan("courier,invoice\n\"CJ");
    EXPECT_TRUE(plan.failed);
    EXPECT_TRUE(plan.toAdd.empty());
}

TEST(TextFoldingTest, NormalisedInvoiceNumbersDropBlanksAndHyphensAndUseCapitals) {
    EXPECT_EQ(NormaliseInvoiceNumber(u" cj-12\u00A034\u2010ｘ\u3000"), u"CJ1234Ｘ");
    EXPECT_EQ(NormaliseInvoiceNumber(u"- -"), u"");
}

} // namespace
} // namespace parcelo
