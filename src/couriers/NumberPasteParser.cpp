#include "couriers/NumberPasteParser.h"

#include "couriers/NumberNormaliser.h"

#include <span>
#include <unordered_set>

namespace parcelo {

namespace {

constexpr size_t kS10Digits = 9;
constexpr size_t kMinGroupDigits = 3;

// A single one of these between two digit groups joins them.
constexpr bool IsJoiner(char16_t c) {
    return c == u' ' || c == u'\u00A0' || c == u'\u3000' || IsNumberDash(c);
}

constexpr bool IsWordChar(char16_t c) {
    return IsNumberLetter(c) || IsNumberDigit(c);
}

constexpr bool IsColumnSeparator(char16_t c) {
    return c == u'\t' || c == u'|' || c == u'\uFF5C';
}

// Trimmed from both ends of an item name.
constexpr bool IsNameSeparator(char16_t c) {
    switch (c) {
    case u':':
    case u'\uFF1A': // full-width colon
    case u',':
    case u'\uFF0C':
    case u';':
    case u'=':
    case u'#':
    case u'/':
    case u'*':
    case u'\u00B7': // middle dot
    case u'\u2022': // bullet
        return true;
    default:
        return IsNumberBlank(c) || IsNumberDash(c) || IsColumnSeparator(c);
    }
}

constexpr bool IsAmountMark(char16_t c) {
    return c == u'.' || c == u',';
}

struct Span {
    size_t begin = 0;
    size_t end = 0;
    size_t Length() const { return end - begin; }
};

constexpr bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// At most `length` units from the start of the text, not splitting a surrogate pair.
std::u16string_view CutAt(std::u16string_view text, size_t length) {
    if (text.size() <= length) {
        return text;
    }
    text = text.substr(0, length);
    if (!text.empty() && IsHighSurrogate(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::u16string_view TrimName(std::u16string_view text) {
    return TrimWhere(text, IsNameSeparator);
}

// The last (or first) cell of the text that is not empty once trimmed.
std::u16string_view NearestCell(std::u16string_view text, bool last) {
    while (!text.empty()) {
        size_t begin = 0;
        size_t end = text.size();
        if (last) {
            for (size_t i = text.size(); i > 0; --i) {
                if (IsColumnSeparator(text[i - 1])) {
                    begin = i;
                    break;
                }
            }
        } else {
            for (size_t i = 0; i < text.size(); ++i) {
                if (IsColumnSeparator(text[i])) {
                    end = i;
                    break;
                }
            }
        }
        const std::u16string_view cell = TrimName(text.substr(begin, end - begin));
        if (!cell.empty()) {
            return cell;
        }
        text = last ? text.substr(0, begin == 0 ? 0 : begin - 1) : text.substr(end == text.size() ? end : end + 1);
    }
    return {};
}

// Finds the numbers of one line (without its line end).
class LineScanner {
public:
    explicit LineScanner(std::u16string_view line) : m_line(line) {}

    // The spans of the numbers in the line, in order.
    std::vector<Span> Scan() {
        size_t i = 0;
        while (i < m_line.size()) {
            const char16_t c = m_line[i];
            if (IsNumberLetter(c)) {
                const size_t s10End = MatchS10(i);
                if (s10End != 0) {
                    m_found.push_back({i, s10End});
                    i = s10End;
                } else {
                    i = SkipWord(i);
                }
            } else if (IsNumberDigit(c)) {
                i = ScanDigits(i);
            } else {
                ++i;
            }
        }
        return std::move(m_found);
    }

private:
    bool IsAt(size_t i, bool (*test)(char16_t)) const { return i < m_line.size() && test(m_line[i]); }
    static bool Digit(char16_t c) { return IsNumberDigit(c); }
    static bool Letter(char16_t c) { return IsNumberLetter(c); }

    size_t SkipWord(size_t i) const {
        while (IsAt(i, IsWordChar)) {
            ++i;
        }
        return i;
    }

    // The end of the S10 identifier that starts at `begin`, or 0 when there is none.
    size_t MatchS10(size_t begin) const {
        if (begin > 0 && IsWordChar(m_line[begin - 1])) {
            return 0;
        }
        size_t i = begin;
        if (!IsAt(i, Letter) || !IsAt(i + 1, Letter)) {
            return 0;
        }
        i += 2;
        if (IsAt(i, IsJoiner) && IsAt(i + 1, Digit)) {
            ++i;
        }
        size_t digits = 0;
        while (digits < kS10Digits) {
            if (IsAt(i, Digit)) {
                ++digits;
                ++i;
            } else if (digits > 0 && IsAt(i, IsJoiner) && IsAt(i + 1, Digit)) {
                ++i;
            } else {
                return 0;
            }
        }
        if (IsAt(i, IsJoiner) && IsAt(i + 1, Letter)) {
            ++i;
        }
        if (!IsAt(i, Letter) || !IsAt(i + 1, Letter) || IsAt(i + 2, IsWordChar)) {
            return 0;
        }
        return i + 2;
    }

    // Reads the digit groups joined by single joiners from `begin`, keeps the
    // numbers among them and returns the end of what it read.
    size_t ScanDigits(size_t begin) {
        std::vector<Span> groups;
        size_t i = begin;
        for (;;) {
            const size_t start = i;
            while (IsAt(i, Digit)) {
                ++i;
            }
            groups.push_back({start, i});
            if (IsAt(i, IsJoiner) && IsAt(i + 1, Digit)) {
                ++i;
                continue;
            }
            break;
        }
        size_t end = i;

        // A last group touching a letter is part of a word; the first or last group
        // glued to more digits by '.' or ',' is part of an amount.
        if (IsAt(end, Letter)) {
            groups.pop_back();
            end = SkipWord(end);
        } else if (IsAt(end, IsAmountMark) && IsAt(end + 1, Digit)) {
            groups.pop_back();
        }
        if (!groups.empty() && begin >= 2 && IsAmountMark(m_line[begin - 1]) && IsNumberDigit(m_line[begin - 2])) {
            groups.erase(groups.begin());
        }
        Keep(groups);
        return end;
    }

    static bool InRange(size_t digits) {
        return digits >= NumberPasteParser::kMinDigits && digits <= NumberPasteParser::kMaxDigits;
    }

    // Only numbers written in groups are taken for phone numbers.
    bool LooksLikePhone(std::span<const Span> groups) const {
        if (groups.size() < 2) {
            return false;
        }
        const char16_t first = FoldNumberChar(m_line[groups.front().begin]);
        return first == u'0' ||
               (groups.size() == 2 && first == u'1' && groups[0].Length() == 4 && groups[1].Length() == 4);
    }

    // Whether the groups make one number: one group of 8 to 20 digits, or groups of
    // at least 3 digits that together have 8 to 20.
    static bool MakeOneNumber(std::span<const Span> groups) {
        size_t digits = 0;
        for (const Span& group : groups) {
            if (groups.size() > 1 && group.Length() < kMinGroupDigits) {
                return false;
            }
            digits += group.Length();
        }
        return InRange(digits);
    }

    bool JoinedBySpace(const Span& group) const { return !IsNumberDash(m_line[group.begin - 1]); }

    // The whole chain of groups when it makes one number; otherwise the parts
    // between spaces (hyphens bind closer), and failing that each group alone.
    void Keep(std::span<const Span> groups) {
        if (groups.empty()) {
            return;
        }
        if (MakeOneNumber(groups) && !LooksLikePhone(groups)) {
            m_found.push_back({groups.front().begin, groups.back().end});
            return;
        }
        size_t first = 0;
        for (size_t i = 1; i <= groups.size(); ++i) {
            if (i < groups.size() && !JoinedBySpace(groups[i])) {
                continue;
            }
            const std::span<const Span> part = groups.subspan(first, i - first);
            if (MakeOneNumber(part)) {
                if (!LooksLikePhone(part)) {
                    m_found.push_back({part.front().begin, part.back().end});
                }
            } else {
                for (const Span& group : part) {
                    if (InRange(group.Length())) {
                        m_found.push_back(group);
                    }
                }
            }
            first = i;
        }
    }

    std::u16string_view m_line;
    std::vector<Span> m_found;
};

} // namespace

PasteResult NumberPasteParser::Parse(std::u16string_view text) {
    PasteResult result;
    if (text.size() > kMaxInputLength) {
        result.truncated = true;
        text = CutAt(text, kMaxInputLength);
        const size_t lineEnd = text.find_last_of(u"\r\n");
        if (lineEnd != std::u16string_view::npos) {
            text = text.substr(0, lineEnd);
        }
    }

    std::unordered_set<std::u16string> seen;
    size_t lineNumber = 1;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            end = text.size();
        }
        const std::u16string_view line = text.substr(start, end - start);
        const std::vector<Span> spans = LineScanner(line).Scan();
        for (size_t k = 0; k < spans.size(); ++k) {
            if (result.numbers.size() == kMaxNumbers) {
                result.truncated = true;
                return result;
            }
            const size_t before = k == 0 ? 0 : spans[k - 1].end;
            const size_t after = k + 1 == spans.size() ? line.size() : spans[k + 1].begin;
            std::u16string_view name = NearestCell(line.substr(before, spans[k].begin - before), true);
            if (name.empty()) {
                name = NearestCell(line.substr(spans[k].end, after - spans[k].end), false);
            }
            PastedNumber number;
            number.found = line.substr(spans[k].begin, spans[k].Length());
            number.normalised = NormaliseNumber(number.found);
            number.itemName = CutAt(name, kMaxItemName);
            number.line = lineNumber;
            number.duplicate = !seen.insert(number.normalised).second;
            result.numbers.push_back(std::move(number));
        }
        if (end == text.size()) {
            break;
        }
        start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
        ++lineNumber;
    }
    return result;
}

} // namespace parcelo
