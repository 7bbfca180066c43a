// Compiles a fuzzed pattern and check rule name and matches a fuzzed number against
// it and against a fixed courier: the detector must not fail, and Detect must agree
// with Accepts, which matches each pattern on its own.
#include "couriers/CourierDetector.h"
#include "platform/NumberNormaliser.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Valid UTF-8 is decoded; anything else is taken byte by byte, so that every
// pattern syntax byte reaches RE2.
std::u16string PatternText(std::string_view bytes) {
    if (auto decoded = parcelo::DecodeStrictUtf8(bytes)) {
        return *decoded;
    }
    return std::u16string(bytes.begin(), bytes.end());
}

// Pairs of bytes as UTF-16 code units, lone surrogates included.
std::u16string NumberText(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static const char16_t* const kChecks[] = {u"", u"none", u"mod7", u"S10", u"mod9"};
    const char16_t* check = kChecks[data[0] % 5];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = rest.find('\n');
    const std::string_view pattern = rest.substr(0, split);
    const std::string_view number = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

    const std::u16string patternText = PatternText(pattern);
    const bool blankPattern = std::all_of(patternText.begin(), patternText.end(), parcelo::IsNumberBlank);
    size_t logLines = 0;
    const parcelo::CourierDetector detector({{0, patternText, check}, {1, u"\\d{10}|\\d{12}", u"mod7"}},
                                            [&logLines](std::string_view) { ++logLines; });
    if (logLines > 2) {
        __builtin_trap();
    }
    const std::u16string typed = NumberText(number);
    const std::vector<int> found = detector.Detect(typed);
    using Verdict = parcelo::CourierDetector::Verdict;
    for (const int index : {0, 1}) {
        const bool accepted = detector.Accepts(index, typed) == Verdict::Accepted;
        const bool detected = std::find(found.begin(), found.end(), index) != found.end();
        // Courier 0 with an empty pattern is never detected, whatever Accepts says.
        const bool detectable = index == 1 || !blankPattern;
        if (detected != (accepted && detectable)) {
            __builtin_trap();
        }
    }
    // Courier 1 has a check rule that passed; it comes first unless courier 0 has one too.
    if (found.size() == 2 && found[0] != 1 && !(found[0] == 0 && (check[0] == u'm' || check[0] == u'S'))) {
        __builtin_trap();
    }
    return 0;
}
