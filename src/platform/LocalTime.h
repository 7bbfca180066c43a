#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>

namespace parcelo {

// Calendar fields of a wall-clock time.
struct LocalDateTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;   // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 4; // 0 = Sunday; derived, ignored on input
};

// Seconds since 1970-01-01 00:00:00 UTC from the system clock.
int64_t CurrentInstant();

// The local calendar fields of an instant under the C library's time-zone rules
// (a changed TZ takes effect at the next call, a changed system zone within a second). False when the year does not fit
// the C library.
bool BreakDownLocalTime(int64_t instant, LocalDateTime& fields);

// The instant at which the local wall clock shows `fields`; the time-zone rules decide
// whether daylight saving applies. Out-of-range fields are normalised (32 January is
// 1 February). False when the result cannot be represented.
bool ComposeLocalTime(const LocalDateTime& fields, int64_t& instant);

// The fields read as a wall clock without any zone: seconds since 1970-01-01 00:00:00
// of the same calendar, and back. Proleptic Gregorian calendar, any year.
int64_t WallClockSeconds(const LocalDateTime& fields);
LocalDateTime WallClockFields(int64_t wallSeconds);

// Offset of local time from UTC, in seconds, at an instant.
using UtcOffsetFunction = std::function<int32_t(int64_t instant)>;

// The C library's rules (localtime_r, tm_gmtoff), so TZ applies; 0 when the instant
// does not fit the C library.
int32_t LocalUtcOffset(int64_t instant);

// The instant at which the local wall clock shows `wallSeconds` (seconds of that wall
// clock since 1970-01-01 00:00:00); std::nullopt when there is none.
std::optional<int64_t> LocalWallClockToInstant(int64_t wallSeconds);

// ComposeLocalTime for many values in a row: remembers, per calendar day, the zone
// offset of days without a daylight-saving change so that only the first value of such
// a day goes to the C library. Gives the same instants as ComposeLocalTime, except that
// a wall-clock time shown twice (the hour repeated when daylight saving ends) always
// gives the first of its two instants. Keep one only as long as the time-zone settings
// cannot change.
class CLocalTimeComposer {
public:
    bool Compose(int64_t wallSeconds, int64_t& instant);

private:
    struct DayOffset {
        bool uniform = false; // one offset all day long
        int64_t offset = 0;   // wall clock minus instant
    };

    const DayOffset& OffsetOfDay(int64_t day);
    static bool ComposeEarliest(int64_t wallSeconds, int64_t& instant);

    std::unordered_map<int64_t, DayOffset> m_days;
    int64_t m_lastDay = INT64_MIN;
    DayOffset m_last;
};

} // namespace parcelo
