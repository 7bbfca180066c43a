#include "platform/Iso8601.h"

#include "platform/CivilDate.h"

#include <cstdio>

namespace parcelo {

namespace {

// What the two readers accept. A service's time stamp follows RFC 3339 to the letter;
// what people type into a file may take the looser forms.
struct Grammar {
    bool strict = false;
};

struct Fields {
    int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool hasOffset = false;
    int64_t offsetSeconds = 0;
};

// One reader over either kind of text.
template <typename Char> class Scanner {
public:
    explicit Scanner(std::basic_string_view<Char> text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    Char Peek() const { return AtEnd() ? Char{} : m_text[m_pos]; }
    bool Take(char c) {
        if (AtEnd() || m_text[m_pos] != static_cast<Char>(c)) {
            return false;
        }
        ++m_pos;
        return true;
    }
    // `min` to `max` decimal digits.
    bool Digits(size_t min, size_t max, int64_t& value) {
        size_t count = 0;
        value = 0;
        while (count < max && !AtEnd() && Peek() >= Char('0') && Peek() <= Char('9')) {
            if (count < 18) { // longer fractions only need to be digits
                value = value * 10 + (Peek() - Char('0'));
            }
            ++m_pos;
            ++count;
        }
        return count >= min;
    }

private:
    std::basic_string_view<Char> m_text;
    size_t m_pos = 0;
};

template <typename Char> std::optional<Fields> Scan(std::basic_string_view<Char> text, Grammar grammar) {
    const bool strict = grammar.strict;
    Scanner<Char> in(text);
    Fields f;
    int64_t sign = 1;
    if (!strict && in.Take('-')) {
        sign = -1;
    } else if (!strict) {
        in.Take('+');
    }
    if (!in.Digits(4, strict ? 4 : 6, f.year)) {
        return std::nullopt;
    }
    f.year *= sign;
    const Char separator = in.Peek();
    if (separator != Char('-') && (strict || (separator != Char('.') && separator != Char('/')))) {
        return std::nullopt;
    }
    in.Take(static_cast<char>(separator));
    const size_t minDigits = strict ? 2 : 1;
    if (!in.Digits(minDigits, 2, f.month) || !in.Take(static_cast<char>(separator)) ||
        !in.Digits(minDigits, 2, f.day)) {
        return std::nullopt;
    }
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > DaysInMonth(f.year, static_cast<int>(f.month))) {
        return std::nullopt;
    }
    const bool hasTime = in.Take('T') || in.Take('t') || in.Take(' ');
    if (strict && !hasTime) {
        return std::nullopt;
    }
    if (hasTime) {
        if (!in.Digits(2, 2, f.hour) || !in.Take(':') || !in.Digits(2, 2, f.minute)) {
            return std::nullopt;
        }
        const bool hasSeconds = in.Take(':');
        if (strict && !hasSeconds) {
            return std::nullopt;
        }
        int64_t fraction = 0;
        if (hasSeconds && (!in.Digits(2, 2, f.second) ||
                           ((in.Take('.') || in.Take(',')) && !in.Digits(1, strict ? 64 : 9, fraction)))) {
            return std::nullopt;
        }
        // A leap second is a valid time stamp of a service, never a typed time.
        if (f.hour > 23 || f.minute > 59 || f.second > (strict ? 60 : 59)) {
            return std::nullopt;
        }
    }
    if (in.AtEnd()) {
        return strict ? std::nullopt : std::optional<Fields>(f);
    }
    f.hasOffset = true;
    if (in.Take('Z') || in.Take('z')) {
        return in.AtEnd() ? std::optional<Fields>(f) : std::nullopt;
    }
    int64_t offsetSign = 0;
    if (in.Take('+')) {
        offsetSign = 1;
    } else if (in.Take('-')) {
        offsetSign = -1;
    } else {
        return std::nullopt;
    }
    int64_t offsetHours = 0;
    int64_t offsetMinutes = 0;
    if (!in.Digits(2, 2, offsetHours)) {
        return std::nullopt;
    }
    if (strict || !in.AtEnd()) {
        in.Take(':');
        if (!in.Digits(2, 2, offsetMinutes)) {
            return std::nullopt;
        }
    }
    if (!in.AtEnd() || offsetHours > 23 || offsetMinutes > 59) {
        return std::nullopt;
    }
    f.offsetSeconds = offsetSign * (offsetHours * 3600 + offsetMinutes * 60);
    return f;
}

int64_t WallSeconds(const Fields& f) {
    return DaysFromCivil(f.year, static_cast<int>(f.month), static_cast<int>(f.day)) * 86400 + f.hour * 3600 +
           f.minute * 60 + f.second;
}

} // namespace

std::string FormatIsoDateTime(int64_t instant, int32_t utcOffset) {
    const bool inUtc = utcOffset % 60 != 0;
    if (inUtc) {
        utcOffset = 0;
    }
    const int64_t wall = instant + utcOffset;
    const int64_t days = FloorDiv(wall, 86400);
    const int64_t secondOfDay = wall - days * 86400;
    const CivilDate date = CivilFromDays(days);
    char buffer[64];
    const char* yearFormat = date.year >= 0 && date.year <= 9999 ? "%04lld" : "%+05lld";
    int length = std::snprintf(buffer, sizeof buffer, yearFormat, static_cast<long long>(date.year));
    length += std::snprintf(buffer + length, sizeof buffer - length, "-%02d-%02dT%02d:%02d:%02d", date.month, date.day,
                            static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                            static_cast<int>(secondOfDay % 60));
    std::string text(buffer, static_cast<size_t>(length));
    if (utcOffset == 0) {
        return text + (inUtc ? "Z" : "+00:00");
    }
    const int32_t magnitude = utcOffset < 0 ? -utcOffset : utcOffset;
    std::snprintf(buffer, sizeof buffer, "%c%02d:%02d", utcOffset < 0 ? '-' : '+', magnitude / 3600,
                  (magnitude / 60) % 60);
    return text + buffer;
}

std::optional<int64_t>
ParseIsoDateTime(std::u16string_view text,
                 const std::function<std::optional<int64_t>(int64_t wallSeconds)>& localInstant) {
    const std::optional<Fields> fields = Scan(text, Grammar{false});
    if (!fields) {
        return std::nullopt;
    }
    const int64_t wall = WallSeconds(*fields);
    return fields->hasOffset ? std::optional<int64_t>(wall - fields->offsetSeconds) : localInstant(wall);
}

std::optional<int64_t> ParseIsoInstant(std::string_view text) {
    const std::optional<Fields> fields = Scan(text, Grammar{true});
    if (!fields) {
        return std::nullopt;
    }
    return WallSeconds(*fields) - fields->offsetSeconds;
}

} // namespace parcelo
