// Parses fuzzed pasted text and checks what the parser promises of each number.
#include "platform/NumberNormaliser.h"
#include "couriers/NumberPasteParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace {

// Either bytes widened one by one (ASCII-heavy text) or pairs of bytes as UTF-16
// code units, chosen by the first byte.
std::u16string Text(const uint8_t* data, size_t size) {
    std::u16string text;
    if (data[0] % 2 == 0) {
        text.assign(data + 1, data + size);
        return text;
    }
    for (size_t i = 1; i + 1 < size; i += 2) {
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    }
    return text;
}

bool IsDigits(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

bool IsLetters(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'A' && c <= u'Z'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    using parcelo::NumberPasteParser;
    const std::u16string text = Text(data, size);
    const parcelo::PasteResult result = NumberPasteParser::Parse(text);
    const size_t lines = 1 + static_cast<size_t>(std::count(text.begin(), text.end(), u'\n')) +
                         static_cast<size_t>(std::count(text.begin(), text.end(), u'\r'));
    if (result.truncated || result.numbers.size() > NumberPasteParser::kMaxNumbers) {
        __builtin_trap(); // fuzz inputs are far below both limits
    }
    std::set<std::u16string> seen;
    size_t lastLine = 1;
    size_t from = 0; // numbers come in text order
    for (const parcelo::PastedNumber& number : result.numbers) {
        const std::u16string_view n = number.normalised;
        const bool plain =
            IsDigits(n) && n.size() >= NumberPasteParser::kMinDigits && n.size() <= NumberPasteParser::kMaxDigits;
        const bool s10 =
            n.size() == 13 && IsLetters(n.substr(0, 2)) && IsDigits(n.substr(2, 9)) && IsLetters(n.substr(11));
        from = text.find(number.found, from);
        if ((!plain && !s10) || number.normalised != parcelo::NormaliseNumber(number.found) ||
            from == std::u16string::npos || number.itemName.size() > NumberPasteParser::kMaxItemName ||
            number.line < lastLine || number.line > lines ||
            number.duplicate != !seen.insert(number.normalised).second) {
            __builtin_trap();
        }
        lastLine = number.line;
        ++from;
    }
    return 0;
}
