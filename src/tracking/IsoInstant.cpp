#include "tracking/IsoInstant.h"

#include <cstddef>

namespace parcelo {

namespace {

// Reads `count` digits at `pos`; false if they are not all there.
bool ReadNumber(std::string_view text, size_t& pos, size_t count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int year, int month, int day) {
    const int64_t y = year - (month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<Instant> ParseIsoInstant(std::string_view text) {
    size_t pos = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadNumber(text, pos, 4, year) || !Expect(text, pos, '-') || !ReadNumber(text, pos, 2, month) ||
        !Expect(text, pos, '-') || !ReadNumber(text, pos, 2, day)) {
        return std::nullopt;
    }
    if (!Expect(text, pos, 'T') && !Expect(text, pos, 't') && !Expect(text, pos, ' ')) {
        return std::nullopt;
    }
    if (!ReadNumber(text, pos, 2, hour) || !Expect(text, pos, ':') || !ReadNumber(text, pos, 2, minute) ||
        !Expect(text, pos, ':') || !ReadNumber(text, pos, 2, second)) {
        return std::nullopt;
    }
    if (Expect(text, pos, '.') || Expect(text, pos, ',')) {
        const size_t first = pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            ++pos;
        }
        if (pos == first) {
            return std::nullopt;
        }
    }
    int offsetMinutes = 0;
    if (Expect(text, pos, 'Z') || Expect(text, pos, 'z')) {
        offsetMinutes = 0;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos] == '-' ? -1 : 1;
        ++pos;
        int offsetHours = 0;
        int offsetRest = 0;
        if (!ReadNumber(text, pos, 2, offsetHours)) {
            return std::nullopt;
        }
        Expect(text, pos, ':');
        if (!ReadNumber(text, pos, 2, offsetRest) || offsetHours > 23 || offsetRest > 59) {
            return std::nullopt;
        }
        offsetMinutes = sign * (offsetHours * 60 + offsetRest);
    } else {
        return std::nullopt; // a time without its offset names no instant
    }
    if (pos != text.size() || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 60) {
        return std::nullopt;
    }
    const int64_t days = DaysFromCivil(year, month, day);
    return days * 86400 + int64_t{hour} * 3600 + int64_t{minute} * 60 + second - offsetMinutes * int64_t{60};
}

} // namespace parcelo
