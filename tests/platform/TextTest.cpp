// UTF-8 text, invoice number normalising and the interface language.
#include "platform/CodePage.h"
#include "platform/NumberNormaliser.h"
#include "platform/Translation.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {
namespace {

std::u16string Utf16Of(char32_t cp) {
    if (cp < 0x10000) {
        return std::u16string(1, static_cast<char16_t>(cp));
    }
    return {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
            static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
}

// Every code point, encoded here and read back by the strict decoder, which is written
// independently of the encoder; in blocks, each with its expected length in bytes. A lone
// surrogate has no exact form and reads as U+FFFD.
TEST(Utf8Test, EveryCodePointRoundTripsThroughTheStrictDecoder) {
    for (char32_t block = 0; block <= 0x10FFFF; block += 0x1000) {
        std::u16string text;
        size_t expectedBytes = 0;
        for (char32_t cp = block; cp < block + 0x1000; ++cp) {
            if (cp < 0xD800 || cp > 0xDFFF) {
                text += Utf16Of(cp);
                expectedBytes += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
            }
        }
        const std::string bytes = Utf16ToUtf8(text);
        ASSERT_EQ(bytes.size(), expectedBytes) << std::hex << static_cast<uint32_t>(block);
        ASSERT_EQ(DecodeStrictUtf8(bytes), text) << std::hex << static_cast<uint32_t>(block);
        ASSERT_EQ(Utf16ToUtf8Exactly(text), bytes) << std::hex << static_cast<uint32_t>(block);
    }
    for (const std::u16string& text :
         {std::u16string{u'x', 0xD800}, std::u16string{0xDC00, u'x'}, std::u16string{0xDBFF, 0xDBFF, 0xDC00}}) {
        EXPECT_FALSE(Utf16ToUtf8Exactly(text).has_value());
        EXPECT_NE(Utf16ToUtf8(text).find("\xEF\xBF\xBD"), std::string::npos);
        EXPECT_TRUE(DecodeStrictUtf8(Utf16ToUtf8(text)).has_value());
    }
}

// Blanks, dashes and zero-width characters go, widths and Latin case fold; other letters
// and lone surrogates stay. The length bound counts the normalised form.
TEST(NumberNormaliserTest, RemovesBlanksAndDashesAndFoldsWidthAndCase) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"6012-3456-7890", u"601234567890"},
        {u"6012\u30003456\u00A07890", u"601234567890"},             // ideographic and no-break spaces
        {u"6012\u20133456\u22127890\uFF0D1", u"6012345678901"},     // en dash, minus sign, full-width hyphen
        {u"\u200B6012\uFEFF3456\u2010\u20117890", u"601234567890"}, // zero-width characters and hyphens
        {u"ＥＥ１２３４５６７８５ｋｒ", u"EE123456785KR"},
        {u"송장 1234", u"송장1234"},
        {u" - \u3000", u""},
        {{u'\xD800', u'1', u'\xDC00', u'\u00E9', u'\u0131'}, {u'\xD800', u'1', u'\xDC00', u'\u00E9', u'\u0131'}},
    };
    for (const auto& [typed, normalised] : cases) {
        EXPECT_EQ(NormaliseNumber(typed), normalised);
    }
    for (size_t length = 1; length < 100; ++length) {
        std::u16string typed;
        for (size_t i = 0; i < length; ++i) {
            typed += i % 3 == 0 ? u"\uFF11 - " : u"x";
        }
        EXPECT_EQ(IsInvoiceNumberTooLong(typed), NormaliseNumber(typed).size() > kMaxInvoiceNumberLength) << length;
    }
    EXPECT_FALSE(IsInvoiceNumberTooLong(std::u16string(100000, u' ')));
}

// Every combination of set, empty and unset variables against the rule itself: the
// first of LC_ALL, LC_MESSAGES and LANG that is set decides, and only English names English.
TEST(TranslationTest, TheFirstLocaleVariableSetChoosesTheLanguage) {
    const std::vector<const char*> values = {nullptr,   "",      "en_US.UTF-8", "en",      "en_GB@euro",
                                             "C",       "POSIX", "ko_KR.UTF-8", "C.UTF-8", "eng",
                                             "english", "de_DE", "EN_US",       "en.UTF-8"};
    const auto english = [](std::string_view name) {
        return name == "en" || (name.starts_with("en") && name.size() > 2 &&
                                std::string_view("_.@").find(name[2]) != std::string_view::npos);
    };
    const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
    for (const char* lcAll : values) {
        for (const char* lcMessages : values) {
            for (const char* lang : values) {
                const char* decides = set(lcAll) ? lcAll : set(lcMessages) ? lcMessages : set(lang) ? lang : "";
                EXPECT_EQ(InterfaceLanguageFor(lcAll, lcMessages, lang) == InterfaceLanguage::English, english(decides))
                    << (lcAll ? lcAll : "-") << " " << (lcMessages ? lcMessages : "-") << " " << (lang ? lang : "-");
            }
        }
    }
}

// The core's texts are their Korean selves until the program sets a look-up, and a
// text's markers take their arguments in the text's own order.
TEST(TranslationTest, TextsAreLookedUpAndFilledIn) {
    EXPECT_EQ(PARCELO_TR_N("Test", "%n일, %n일")(12), u"12일, 12일");
    SetTranslateFunction([](const char* context, const char* text, int n) {
        return std::u16string(context, context + 4) + (std::string(text) == "완료" ? u" done" : u"?") +
               (n == 1 ? u" one" : u"");
    });
    EXPECT_EQ(Translate("Test", PARCELO_TR_NOOP("Test", "완료")), u"Test done");
    EXPECT_EQ(PARCELO_TR_N("Test", "완료")(1), u"Test done one");
    SetTranslateFunction(nullptr);
    EXPECT_EQ(PARCELO_TR("Test", "완료"), u"완료");
    EXPECT_EQ(FormatText(u"%2 of %1, %2%%3 %9 %0 %", {u"a", u"%1"}), u"%1 of a, %1%%3 %9 %0 %");
}

} // namespace
} // namespace parcelo
