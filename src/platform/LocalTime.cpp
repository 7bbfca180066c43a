#include "platform/LocalTime.h"

#include "platform/CivilDate.h"

#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

namespace parcelo {

namespace {

static_assert(sizeof(time_t) == sizeof(int64_t), "instants need a 64-bit time_t");

constexpr int64_t kSecondsPerDay = 86400;
// Beyond this many days from 1970 the calendar year no longer fits the C library's int.
constexpr int64_t kMaxDays = 700'000'000;

// Re-reads the time-zone rules when TZ has changed, or at most once a second for
// a change of the system zone. glibc's tzset looks at /etc/localtime on every call,
// which costs more than the breakdown itself when a whole list is formatted.
void RefreshTimeZone() {
    static std::string lastTz;
    static bool lastTzSet = false;
    static std::chrono::steady_clock::time_point lastRefresh;
    const char* tz = std::getenv("TZ");
    const auto now = std::chrono::steady_clock::now();
    const bool tzChanged = (tz != nullptr) != lastTzSet || (tz != nullptr && lastTz != tz);
    if (!tzChanged && lastRefresh.time_since_epoch().count() != 0 && now - lastRefresh < std::chrono::seconds(1)) {
        return;
    }
    tzset();
    lastTzSet = tz != nullptr;
    lastTz = tz != nullptr ? tz : "";
    lastRefresh = now;
}

} // namespace

int64_t CurrentInstant() {
    return static_cast<int64_t>(std::time(nullptr));
}

bool BreakDownLocalTime(int64_t instant, LocalDateTime& fields) {
    RefreshTimeZone(); // localtime_r alone may keep a stale TZ
    const time_t time = instant;
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr || local.tm_year > INT_MAX - 1900) {
        return false;
    }
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    fields.second = local.tm_sec;
    fields.dayOfWeek = local.tm_wday;
    return true;
}

bool ComposeLocalTime(const LocalDateTime& fields, int64_t& instant) {
    if (fields.year < INT_MIN + 1900) {
        return false;
    }
    std::tm local{};
    local.tm_year = fields.year - 1900;
    local.tm_mon = fields.month - 1;
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = fields.second;
    local.tm_isdst = -1;
    local.tm_wday = -1; // mktime sets it on success, so -1 tells a failure from 1969-12-31 23:59:59
    const time_t result = std::mktime(&local);
    if (result == static_cast<time_t>(-1) && local.tm_wday == -1) {
        return false;
    }
    instant = result;
    return true;
}

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

int64_t WallClockSeconds(const LocalDateTime& fields) {
    const int64_t days = DaysFromCivil(fields.year, fields.month, fields.day);
    return days * kSecondsPerDay + int64_t{fields.hour} * 3600 + int64_t{fields.minute} * 60 + fields.second;
}

LocalDateTime WallClockFields(int64_t wallSeconds) {
    LocalDateTime fields;
    const int64_t days = FloorDiv(wallSeconds, kSecondsPerDay);
    const int64_t secondOfDay = wallSeconds - days * kSecondsPerDay;
    const CivilDate date = CivilFromDays(days);
    fields.year = static_cast<int>(date.year);
    fields.month = date.month;
    fields.day = date.day;
    fields.hour = static_cast<int>(secondOfDay / 3600);
    fields.minute = static_cast<int>(secondOfDay / 60 % 60);
    fields.second = static_cast<int>(secondOfDay % 60);
    const int64_t weekday = (days + 4) % 7; // 1970-01-01 was a Thursday
    fields.dayOfWeek = static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
    return fields;
}

bool CLocalTimeComposer::Compose(int64_t wallSeconds, int64_t& instant) {
    const int64_t day = FloorDiv(wallSeconds, kSecondsPerDay);
    if (day > -kMaxDays && day < kMaxDays) {
        const DayOffset& offset = OffsetOfDay(day);
        if (offset.uniform) {
            instant = wallSeconds - offset.offset;
            return true;
        }
    }
    return ComposeEarliest(wallSeconds, instant);
}

// On a day with a clock change: the earliest instant at which the wall clock shows the
// value, so that the hour repeated in autumn takes its first pass. A wall-clock time
// skipped in spring is left to the C library, which moves it on by the change.
bool CLocalTimeComposer::ComposeEarliest(int64_t wallSeconds, int64_t& instant) {
    int64_t earliest = 0;
    if (!ComposeLocalTime(WallClockFields(wallSeconds), earliest)) {
        return false;
    }
    // The offsets that can apply are those in effect half a day on either side.
    for (const int64_t probe : {earliest - kSecondsPerDay / 2, earliest + kSecondsPerDay / 2}) {
        LocalDateTime fields;
        if (!BreakDownLocalTime(probe, fields)) {
            continue;
        }
        const int64_t candidate = wallSeconds - (WallClockSeconds(fields) - probe);
        LocalDateTime shown;
        if (candidate < earliest && BreakDownLocalTime(candidate, shown) && WallClockSeconds(shown) == wallSeconds) {
            earliest = candidate;
        }
    }
    instant = earliest;
    return true;
}

// A day whose midnight and following midnight have the same offset is taken to have
// no daylight-saving change in between; every wall-clock time in it then exists once.
const CLocalTimeComposer::DayOffset& CLocalTimeComposer::OffsetOfDay(int64_t day) {
    if (day == m_lastDay) {
        return m_last;
    }
    auto found = m_days.find(day);
    if (found == m_days.end()) {
        DayOffset offset;
        const int64_t start = day * kSecondsPerDay;
        const int64_t end = start + kSecondsPerDay;
        int64_t startInstant = 0;
        int64_t endInstant = 0;
        if (ComposeLocalTime(WallClockFields(start), startInstant) &&
            ComposeLocalTime(WallClockFields(end), endInstant)) {
            offset.offset = start - startInstant;
            offset.uniform = offset.offset == end - endInstant;
        }
        found = m_days.emplace(day, offset).first;
    }
    m_lastDay = day;
    m_last = found->second;
    return m_last;
}

} // namespace parcelo
