#include "platform/NumberNormaliser.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

TEST(NumberNormaliserTest, RemovesBlanksAndDashesAndFoldsWidthAndCase) {
    struct Case {
        std::u16string typed, normalised;
    };
    const Case cases[] = {
        {u"6012-3456-7890", u"601234567890"},
        {u"6012\u30003456\u00A07890", u"601234567890"},             // ideographic and no-break spaces
        {u"6012\u20133456\u22127890\uFF0D1", u"6012345678901"},     // en dash, minus sign, full-width hyphen
        {u"\u200B6012\uFEFF3456\u2010\u20117890", u"601234567890"}, // zero-width characters and hyphens
        {u"ＥＥ１２３４５６７８５ｋｒ", u"EE123456785KR"},
        {u"송장 1234", u"송장1234"}, // other letters stay
        {u" - \u3000", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NormaliseNumber(c.typed), c.normalised);
        EXPECT_FALSE(IsInvoiceNumberTooLong(c.typed));
    }
}

// The bound counts the normalised form: blanks and dashes are free, anything else counts.
TEST(NumberNormaliserTest, BoundsTheNormalisedLength) {
    for (size_t length = 1; length < 100; ++length) {
        std::u16string typed;
        for (size_t i = 0; i < length; ++i) {
            typed += i % 3 == 0 ? u"\uFF11 - " : u"x";
        }
        EXPECT_EQ(IsInvoiceNumberTooLong(typed), NormaliseNumber(typed).size() > kMaxInvoiceNumberLength) << length;
    }
    EXPECT_FALSE(IsInvoiceNumberTooLong(std::u16string(100000, u' ')));
}

TEST(NumberNormaliserTest, KeepsLoneSurrogatesAndNonLatinLetters) {
    const std::u16string text{u'\xD800', u'1', u'\xDC00', u'\u00E9', u'\u0131'};
    EXPECT_EQ(NormaliseNumber(text), text);
}

} // namespace
} // namespace parcelo
