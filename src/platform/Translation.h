#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The interface's texts are Korean in the source and looked up, by context and
// Korean text, in the language the desktop asks for. Texts of the core are marked
// with these macros, which the translation tools read like QT_TRANSLATE_NOOP
// (scripts/update-translations): PARCELO_TR looks the text up at once, and
// PARCELO_TR_NOOP only marks a text kept in a table, a UTF-16 literal, looked up
// with Translate where it is shown. The text is written as a plain literal ("..."),
// not u"...", so that the tools read it.
#define PARCELO_TR(context, text) ::parcelo::Translate(context, text)
#define PARCELO_TR_NOOP(context, text) u"" text
// PARCELO_TR_N(context, text)(n): a text with %n, which becomes the number n, in the
// form the language gives that number ("1 day", "2 days"); read like QT_TRANSLATE_N_NOOP.
#define PARCELO_TR_N(context, text) ::parcelo::Numbered(context, text)

namespace parcelo {

// Looks `sourceText` (UTF-8) up in the context, in the form for the number `n` where
// it is not negative; the program sets one that asks Qt, the core alone gives the
// Korean text itself (with %n replaced by n).
using TranslateFunction = std::u16string (*)(const char* context, const char* sourceText, int n);

// Sets the look-up for every later Translate, from any thread; nullptr restores the
// Korean source texts. Set once at start-up, before other threads run.
void SetTranslateFunction(TranslateFunction function);

std::u16string Translate(const char* context, const char* sourceText);
std::u16string Translate(const char* context, std::u16string_view sourceText);

struct NumberedText {
    const char* context;
    const char* sourceText;
    std::u16string operator()(int n) const;
};
constexpr NumberedText Numbered(const char* context, const char* sourceText) {
    return {context, sourceText};
}

// `text` with %1, %2 ... %9 replaced by the arguments in order (%1 by the first);
// a number without an argument, and a % before anything else, stay as they are.
// Arguments are not themselves searched for markers.
std::u16string FormatText(std::u16string_view text, std::initializer_list<std::u16string_view> arguments);

// The interface's languages: Korean, the language of the source texts, and English.
enum class InterfaceLanguage { Korean, English };

// The language for the desktop's locale settings, given as the values of LC_ALL,
// LC_MESSAGES and LANG (nullptr or empty for unset): the first one set decides, as in
// POSIX, and "en" or "en_..." means English; every other locale, C and POSIX included,
// is Korean.
InterfaceLanguage InterfaceLanguageFor(const char* lcAll, const char* lcMessages, const char* lang);

// The language for this process's environment.
InterfaceLanguage EnvironmentInterfaceLanguage();

} // namespace parcelo
