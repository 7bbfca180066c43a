#include "couriers/NumberPasteParser.h"

#include "platform/NumberNormaliser.h"

#include <algorithm>
#include <optional>
#include <span>
#include <unordered_set>

namespace parcelo {

namespace {

constexpr size_t kS10Digits = 9;
static_assert(NumberPasteParser::kMaxDigits <= kMaxInvoiceNumberLength, "every number found can be stored");
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

// Latin letters upper case, blanks left out: how names and captions are compared.
std::u16string Fold(std::u16string_view text) {
    std::u16string folded;
    for (const char16_t c : text) {
        if (!IsNumberBlank(c)) {
            folded.push_back(FoldNumberChar(c));
        }
    }
    return folded;
}

enum class Caption { None, Item, Courier, Number };

// The column a header cell names; the cell is compared folded, without a final colon.
Caption CaptionOf(std::u16string_view cell) {
    struct Named {
        std::u16string_view folded;
        Caption caption;
    };
    static constexpr Named kCaptions[] = {
        {u"상품명", Caption::Item},       {u"품명", Caption::Item},       {u"물품명", Caption::Item},
        {u"품목", Caption::Item},         {u"상품", Caption::Item},       {u"ITEM", Caption::Item},
        {u"ITEMNAME", Caption::Item},     {u"PRODUCT", Caption::Item},    {u"택배사", Caption::Courier},
        {u"택배회사", Caption::Courier},  {u"COURIER", Caption::Courier}, {u"CARRIER", Caption::Courier},
        {u"송장번호", Caption::Number},   {u"송장", Caption::Number},     {u"운송장번호", Caption::Number},
        {u"운송장", Caption::Number},     {u"TRACKING", Caption::Number}, {u"TRACKINGNUMBER", Caption::Number},
        {u"TRACKINGNO", Caption::Number}, {u"INVOICE", Caption::Number},  {u"INVOICENUMBER", Caption::Number},
    };
    constexpr size_t kLongestCaption = 16;
    cell = TrimName(cell);
    if (cell.size() > 2 * kLongestCaption) {
        return Caption::None;
    }
    const std::u16string folded = Fold(cell);
    for (const Named& named : kCaptions) {
        if (folded == named.folded) {
            return named.caption;
        }
    }
    return Caption::None;
}

// Marks cut from the end of an item name: separators, opening brackets, full stops.
constexpr bool IsTrailingMark(char16_t c) {
    switch (c) {
    case u'(':
    case u'[':
    case u'{':
    case u'<':
    case u'\uFF08':
    case u'\u3010': // 【
    case u'.':
    case u'!':
    case u'?':
    case u'~':
        return true;
    default:
        return IsNameSeparator(c);
    }
}

constexpr bool IsClosingBracket(char16_t c) {
    return c == u')' || c == u']' || c == u'}' || c == u'>' || c == u'\uFF09' || c == u'\u3011';
}

// The courier names of the table, folded, longest first so that a name holding
// another is found before it.
class CourierNames {
public:
    explicit CourierNames(std::span<const std::u16string> names) {
        for (size_t i = 0; i < names.size(); ++i) {
            std::u16string folded = Fold(names[i]);
            if (!folded.empty()) {
                m_names.push_back({std::move(folded), static_cast<int>(i)});
            }
        }
        std::stable_sort(m_names.begin(), m_names.end(),
                         [](const Name& a, const Name& b) { return a.folded.size() > b.folded.size(); });
    }

    // The courier a cell stands for: it holds one courier's name and besides it only
    // "택배" and marks. -1 otherwise.
    int CellCourier(std::u16string_view cell) const {
        std::u16string rest = Fold(cell);
        int found = -1;
        for (const Name& name : m_names) {
            const size_t at = rest.find(name.folded);
            if (at == std::u16string::npos) {
                continue;
            }
            if (found >= 0) {
                return -1;
            }
            found = name.index;
            rest.erase(at, name.folded.size());
        }
        if (found < 0) {
            return -1;
        }
        for (size_t at = rest.find(u"택배"); at != std::u16string::npos; at = rest.find(u"택배")) {
            rest.erase(at, 2);
        }
        const bool marksOnly =
            std::all_of(rest.begin(), rest.end(), [](char16_t c) { return IsTrailingMark(c) || IsClosingBracket(c); });
        return marksOnly ? found : -1;
    }

    // Where a courier's name ends the text (blanks and Latin case aside), or npos.
    size_t TailCourier(std::u16string_view text, int& courier) const {
        for (const Name& name : m_names) {
            size_t i = text.size();
            size_t k = name.folded.size();
            while (k > 0 && i > 0) {
                const char16_t c = text[i - 1];
                if (IsNumberBlank(c)) {
                    --i;
                } else if (FoldNumberChar(c) == name.folded[k - 1]) {
                    --i;
                    --k;
                } else {
                    break;
                }
            }
            if (k == 0) {
                courier = name.index;
                return i;
            }
        }
        return std::u16string_view::npos;
    }

private:
    struct Name {
        std::u16string folded;
        int index;
    };
    std::vector<Name> m_names;
};

// The item name a cell gives, or empty when the cell is a courier's name or a
// caption; a courier named in it goes to `courier`.
std::u16string_view ItemNameOf(std::u16string_view cell, const CourierNames& couriers, int& courier) {
    std::u16string_view name = TrimName(cell);
    if (name.size() > 2 * NumberPasteParser::kMaxItemName) {
        return name; // far longer than any courier's name or a caption; cut by the caller
    }
    const int named = couriers.CellCourier(name);
    if (named >= 0) {
        courier = named;
        return {};
    }
    if (CaptionOf(name) != Caption::None) {
        return {};
    }
    // A caption and its colon before the name.
    const size_t colon = name.find_first_of(u":\uFF1A");
    if (colon != std::u16string_view::npos && CaptionOf(name.substr(0, colon)) == Caption::Item) {
        name = TrimName(name.substr(colon + 1));
    }
    const auto trimEnd = [&name] {
        while (!name.empty() && IsTrailingMark(name.back())) {
            name.remove_suffix(1);
        }
    };
    trimEnd();
    // One courier's name at the end, bracketed or not, goes with the marks before it.
    const bool bracketed = !name.empty() && IsClosingBracket(name.back());
    const size_t tail = couriers.TailCourier(bracketed ? name.substr(0, name.size() - 1) : name, courier);
    if (tail != std::u16string_view::npos) {
        name = name.substr(0, tail);
        trimEnd();
    }
    return couriers.CellCourier(name) >= 0 ? std::u16string_view() : TrimName(name);
}

// The cells of a line: where each begins and ends.
std::vector<Span> CellsOf(std::u16string_view line) {
    std::vector<Span> cells;
    size_t begin = 0;
    for (size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || IsColumnSeparator(line[i])) {
            cells.push_back({begin, i});
            begin = i + 1;
        }
    }
    return cells;
}

// The item name from the last (or first) cell of the text that gives one.
std::u16string_view NearestName(std::u16string_view text, bool last, const CourierNames& couriers, int& courier) {
    std::vector<Span> cells = CellsOf(text);
    if (last) {
        std::reverse(cells.begin(), cells.end());
    }
    for (const Span& cell : cells) {
        const std::u16string_view name = ItemNameOf(text.substr(cell.begin, cell.Length()), couriers, courier);
        if (!name.empty()) {
            return name;
        }
    }
    return {};
}

// The columns a header line names.
struct Header {
    size_t cells = 0;
    std::optional<size_t> item;
    std::optional<size_t> courier;
    size_t number = 0;
};

std::optional<Header> HeaderOf(std::u16string_view line, const std::vector<Span>& cells) {
    Header header;
    header.cells = cells.size();
    std::optional<size_t> number;
    for (size_t i = 0; i < cells.size(); ++i) {
        switch (CaptionOf(line.substr(cells[i].begin, cells[i].Length()))) {
        case Caption::Item:
            header.item = header.item.value_or(i);
            break;
        case Caption::Courier:
            header.courier = header.courier.value_or(i);
            break;
        case Caption::Number:
            number = number.value_or(i);
            break;
        case Caption::None:
            break;
        }
    }
    if (!number || (!header.item && !header.courier)) {
        return std::nullopt;
    }
    header.number = *number;
    return header;
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
            } else if (const size_t upsEnd = MatchUps(i); upsEnd != 0) {
                m_found.push_back({i, upsEnd});
                i = upsEnd;
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

    // The end of the UPS number ("1Z" and 16 letters or digits, single joiners allowed
    // between them) that starts at `begin`, or 0 when there is none.
    size_t MatchUps(size_t begin) const {
        constexpr size_t kUpsBody = 16;
        if ((begin > 0 && IsWordChar(m_line[begin - 1])) || !IsAt(begin + 1, Letter) ||
            FoldNumberChar(m_line[begin]) != u'1' || FoldNumberChar(m_line[begin + 1]) != u'Z') {
            return 0;
        }
        size_t i = begin + 2;
        for (size_t count = 0; count < kUpsBody;) {
            if (IsAt(i, IsWordChar)) {
                ++count;
                ++i;
            } else if (IsAt(i, IsJoiner) && IsAt(i + 1, IsWordChar)) {
                ++i;
            } else {
                return 0;
            }
        }
        return IsAt(i, IsWordChar) ? 0 : i;
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

PasteResult NumberPasteParser::Parse(std::u16string_view text, std::span<const std::u16string> courierNames) {
    PasteResult result;
    if (text.size() > kMaxInputLength) {
        result.truncated = true;
        text = CutAt(text, kMaxInputLength);
        const size_t lineEnd = text.find_last_of(u"\r\n");
        if (lineEnd != std::u16string_view::npos) {
            text = text.substr(0, lineEnd);
        }
    }

    const CourierNames couriers(courierNames);
    std::optional<Header> header;
    std::unordered_set<std::u16string> seen;
    size_t lineNumber = 1;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) {
            end = text.size();
        }
        const std::u16string_view line = text.substr(start, end - start);
        std::vector<Span> spans = LineScanner(line).Scan();
        const std::vector<Span> cells = CellsOf(line);
        if (spans.empty() && cells.size() > 1) {
            if (auto named = HeaderOf(line, cells)) {
                header = named;
            }
        }
        const bool asNamed = header && cells.size() == header->cells;
        if (asNamed) {
            const Span column = cells[header->number];
            std::erase_if(spans, [&](const Span& span) { return span.begin < column.begin || span.end > column.end; });
        }
        for (size_t k = 0; k < spans.size(); ++k) {
            if (result.numbers.size() == kMaxNumbers) {
                result.truncated = true;
                return result;
            }
            int courier = -1;
            std::u16string_view name;
            if (asNamed) {
                const auto cell = [&](size_t column) {
                    return line.substr(cells[column].begin, cells[column].Length());
                };
                if (header->courier) {
                    courier = couriers.CellCourier(TrimName(cell(*header->courier)));
                }
                if (header->item) {
                    int ignored = -1;
                    name = ItemNameOf(cell(*header->item), couriers, ignored);
                }
            } else {
                const size_t before = k == 0 ? 0 : spans[k - 1].end;
                const size_t after = k + 1 == spans.size() ? line.size() : spans[k + 1].begin;
                name = NearestName(line.substr(before, spans[k].begin - before), true, couriers, courier);
                if (name.empty()) {
                    name = NearestName(line.substr(spans[k].end, after - spans[k].end), false, couriers, courier);
                }
            }
            PastedNumber number;
            number.found = line.substr(spans[k].begin, spans[k].Length());
            number.normalised = NormaliseNumber(number.found);
            number.itemName = CutAt(name, kMaxItemName);
            number.line = lineNumber;
            number.duplicate = !seen.insert(number.normalised).second;
            number.courierIndex = courier;
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
