#include "platform/Translation.h"

#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <atomic>
#include <cstdlib>

namespace parcelo {

namespace {

std::u16string SourceText(const char* /*context*/, const char* sourceText, int n) {
    std::u16string text = DecodeStrictUtf8(sourceText).value_or(std::u16string());
    if (n >= 0) {
        const std::string digits = std::to_string(n);
        for (size_t at = text.find(u"%n"); at != std::u16string::npos; at = text.find(u"%n", at + digits.size())) {
            text.replace(at, 2, std::u16string(digits.begin(), digits.end()));
        }
    }
    return text;
}

std::atomic<TranslateFunction> g_translate{&SourceText};

} // namespace

void SetTranslateFunction(TranslateFunction function) {
    g_translate.store(function != nullptr ? function : &SourceText);
}

std::u16string Translate(const char* context, const char* sourceText) {
    return g_translate.load()(context, sourceText, -1);
}

std::u16string NumberedText::operator()(int n) const {
    return g_translate.load()(context, sourceText, n);
}

std::u16string Translate(const char* context, std::u16string_view sourceText) {
    const TranslateFunction function = g_translate.load();
    if (function == &SourceText || sourceText.empty()) {
        return std::u16string(sourceText);
    }
    return function(context, Utf16ToUtf8(sourceText).c_str(), -1);
}

std::u16string FormatText(std::u16string_view text, std::initializer_list<std::u16string_view> arguments) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] >= u'1' && text[i + 1] <= u'9' &&
            static_cast<size_t>(text[i + 1] - u'1') < arguments.size()) {
            out += *(arguments.begin() + (text[i + 1] - u'1'));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

InterfaceLanguage InterfaceLanguageFor(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') {
            continue;
        }
        const bool english = value[0] == 'e' && value[1] == 'n' &&
                             (value[2] == '\0' || value[2] == '_' || value[2] == '.' || value[2] == '@');
        return english ? InterfaceLanguage::English : InterfaceLanguage::Korean;
    }
    return InterfaceLanguage::Korean;
}

InterfaceLanguage EnvironmentInterfaceLanguage() {
    return InterfaceLanguageFor(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

} // namespace parcelo
