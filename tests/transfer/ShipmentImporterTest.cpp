#include "transfer/ShipmentImporter.h"

#include "platform/TextFolding.h"

#include <gtest/gtest.h>
#include <string>

namespace parcelo {
namespace {

TEST(ShipmentImporterTest, UnreadableFileGivesOneErrorAndNothingToAdd) {
    const ShipmentImporter importer({u"CJ대한통운"}, {4}, [](int32_t, std::u16string_view) { return false; });
    ParseOptions options;
    options.now = 1'700'000'000;
    const ImportPlan plan = importer.Plan("courier,invoice\n\"CJ", options);
    EXPECT_TRUE(plan.failed);
    EXPECT_TRUE(plan.toAdd.empty());
}

TEST(TextFoldingTest, NormalisedInvoiceNumbersDropBlanksAndHyphensAndUseCapitals) {
    EXPECT_EQ(NormaliseInvoiceNumber(u" cj-12\u00A034\u2010ｘ\u3000"), u"CJ1234Ｘ");
    EXPECT_EQ(NormaliseInvoiceNumber(u"- -"), u"");
}

} // namespace
} // namespace parcelo
