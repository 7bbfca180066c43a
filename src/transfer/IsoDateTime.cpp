#include "transfer/IsoDateTime.h"

#include "platform/LocalTime.h"

#include <cstdio>
#include <ctime>

namespace parcelo {

namespace {

bool IsLeap(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// A small cursor over the text.
class Scanner {
public:
    explicit Scanner(std::u16string_view text) : m_text(text) {}

    bool AtEnd() const { return m_pos >= m_text.size(); }
    char16_t Peek() const { return AtEnd() ? u'\0' : m_text[m_pos]; }
    bool Take(char16_t c) {
        if (Peek() != c) {
            return false;
        }
        ++m_pos;
        return true;
    }
    // Exactly `min` to `max` decimal digits.
    bool Digits(size_t min, size_t max, int64_t& value) {
        size_t count = 0;
        value = 0;
        while (count < max && !AtEnd() && Peek() >= u'0' && Peek() <= u'9') {
            value = value * 10 + (Peek() - u'0');
            ++m_pos;
            ++count;
        }
        return count >= min;
    }

private:
    std::u16string_view m_text;
    size_t m_pos = 0;
};

} // namespace

int32_t LocalUtcOffset(int64_t instant) {
    const auto time = static_cast<std::time_t>(instant);
    std::tm fields{};
    if (localtime_r(&time, &fields) == nullptr) {
        return 0;
    }
    return static_cast<int32_t>(fields.tm_gmtoff);
}

std::optional<int64_t> LocalWallClockToInstant(int64_t wallSeconds) {
    int64_t instant = 0;
    if (!ComposeLocalTime(WallClockFields(wallSeconds), instant)) {
        return std::nullopt;
    }
    return instant;
}

std::string FormatIsoDateTime(int64_t instant, int32_t utcOffset) {
    const bool inUtc = utcOffset % 60 != 0;
    if (inUtc) {
        utcOffset = 0;
    }
    const LocalDateTime fields = WallClockFields(instant + utcOffset);
    char buffer[64];
    const char* yearFormat = fields.year >= 0 && fields.year <= 9999 ? "%04d" : "%+05d";
    int length = std::snprintf(buffer, sizeof buffer, yearFormat, fields.year);
    length += std::snprintf(buffer + length, sizeof buffer - length, "-%02d-%02dT%02d:%02d:%02d", fields.month,
                            fields.day, fields.hour, fields.minute, fields.second);
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
    Scanner in(text);
    int64_t sign = 1;
    if (in.Take(u'-')) {
        sign = -1;
    } else {
        in.Take(u'+');
    }
    int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!in.Digits(4, 6, year)) {
        return std::nullopt;
    }
    year *= sign;
    const char16_t separator = in.Peek();
    if (separator != u'-' && separator != u'.' && separator != u'/') {
        return std::nullopt;
    }
    in.Take(separator);
    if (!in.Digits(1, 2, month) || !in.Take(separator) || !in.Digits(1, 2, day)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, static_cast<int>(month))) {
        return std::nullopt;
    }
    if (in.Take(u'T') || in.Take(u't') || in.Take(u' ')) {
        if (!in.Digits(2, 2, hour) || !in.Take(u':') || !in.Digits(2, 2, minute)) {
            return std::nullopt;
        }
        if (in.Take(u':')) {
            if (!in.Digits(2, 2, second)) {
                return std::nullopt;
            }
            if (in.Take(u'.') || in.Take(u',')) {
                int64_t fraction = 0;
                if (!in.Digits(1, 9, fraction)) {
                    return std::nullopt;
                }
            }
        }
        if (hour > 23 || minute > 59 || second > 59) {
            return std::nullopt;
        }
    }

    LocalDateTime fields;
    fields.year = static_cast<int>(year);
    fields.month = static_cast<int>(month);
    fields.day = static_cast<int>(day);
    fields.hour = static_cast<int>(hour);
    fields.minute = static_cast<int>(minute);
    fields.second = static_cast<int>(second);
    const int64_t wall = WallClockSeconds(fields);

    if (in.AtEnd()) {
        return localInstant(wall);
    }
    if (in.Take(u'Z') || in.Take(u'z')) {
        return in.AtEnd() ? std::optional<int64_t>(wall) : std::nullopt;
    }
    int64_t offsetSign = 0;
    if (in.Take(u'+')) {
        offsetSign = 1;
    } else if (in.Take(u'-')) {
        offsetSign = -1;
    } else {
        return std::nullopt;
    }
    int64_t offsetHours = 0, offsetMinutes = 0;
    if (!in.Digits(2, 2, offsetHours)) {
        return std::nullopt;
    }
    if (!in.AtEnd()) {
        in.Take(u':');
        if (!in.Digits(2, 2, offsetMinutes)) {
            return std::nullopt;
        }
    }
    if (!in.AtEnd() || offsetHours > 23 || offsetMinutes > 59) {
        return std::nullopt;
    }
    return wall - offsetSign * (offsetHours * 3600 + offsetMinutes * 60);
}

} // namespace parcelo
