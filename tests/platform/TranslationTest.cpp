#include "platform/Translation.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

// Every combination of set, empty and unset variables against the rule itself: the
// first of LC_ALL, LC_MESSAGES and LANG that is set decides, and only English names English.
TEST(TranslationTest, TheFirstLocaleVariableSetChoosesTheLanguage) {
    const std::vector<const char*> values = {nullptr,   "",      "en_US.UTF-8", "en",      "en_GB@euro",
                                             "C",       "POSIX", "ko_KR.UTF-8", "C.UTF-8", "eng",
                                             "english", "de_DE", "EN_US"};
    const auto english = [](const char* value) {
        const std::string name = value;
        return name == "en" || name.rfind("en_", 0) == 0 || name.rfind("en.", 0) == 0 || name.rfind("en@", 0) == 0;
    };
    for (const char* lcAll : values) {
        for (const char* lcMessages : values) {
            for (const char* lang : values) {
                bool expected = false;
                for (const char* value : {lcAll, lcMessages, lang}) {
                    if (value != nullptr && *value != '\0') {
                        expected = english(value);
                        break;
                    }
                }
                EXPECT_EQ(InterfaceLanguageFor(lcAll, lcMessages, lang) == InterfaceLanguage::English, expected)
                    << (lcAll ? lcAll : "-") << " " << (lcMessages ? lcMessages : "-") << " " << (lang ? lang : "-");
            }
        }
    }
}

// The core's texts are their Korean selves until the program sets a look-up, and a
// text's markers take their arguments in the text's own order.
TEST(TranslationTest, TextsAreLookedUpAndFilledIn) {
    EXPECT_EQ(PARCELO_TR("Test", "배송 %1건"), u"배송 %1건");
    EXPECT_EQ(Translate("Test", PARCELO_TR_NOOP("Test", "완료")), u"완료");
    EXPECT_EQ(PARCELO_TR_N("Test", "%n일, %n일")(12), u"12일, 12일");
    SetTranslateFunction([](const char* context, const char* text, int n) {
        return std::u16string(u"[") + std::u16string(context, context + 4) + u"] " +
               (std::string(text) == "완료" ? u"done" : u"?") + (n == 1 ? u" one" : u"");
    });
    EXPECT_EQ(Translate("Test", std::u16string_view(u"완료")), u"[Test] done");
    EXPECT_EQ(PARCELO_TR_N("Test", "완료")(1), u"[Test] done one");
    SetTranslateFunction(nullptr);
    EXPECT_EQ(PARCELO_TR("Test", "완료"), u"완료");

    EXPECT_EQ(FormatText(u"%2 of %1, %2%%3", {u"a", u"%1"}), u"%1 of a, %1%%3");
    EXPECT_EQ(FormatText(u"%1%", {}), u"%1%");
    EXPECT_EQ(FormatText(u"%9 %0 %", {u"a"}), u"%9 %0 %");
}

} // namespace
} // namespace parcelo
