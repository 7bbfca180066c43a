#include "platform/CivilDate.h"

#include <chrono>

namespace parcelo {

namespace {

// The Gregorian calendar repeats every 400 years, which are exactly this many days, so
// any year maps onto the standard library's calendar range through its 400-year cycle.
constexpr int64_t kDaysPer400Years = 146097;

} // namespace

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return value % divisor < 0 ? quotient - 1 : quotient;
}

bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysFromCivil(int64_t year, int month, int day) {
    using namespace std::chrono;
    // Months outside 1 to 12 roll into the neighbouring years.
    year += FloorDiv(month - 1, 12);
    month = static_cast<int>(month - 12 * FloorDiv(month - 1, 12));
    const int64_t cycles = FloorDiv(year - 1970, 400);
    const auto inCycle = static_cast<int>(year - cycles * 400); // 1970 to 2369
    const sys_days first{std::chrono::year{inCycle} / static_cast<unsigned>(month) / 1};
    return cycles * kDaysPer400Years + first.time_since_epoch().count() + (day - 1);
}

CivilDate CivilFromDays(int64_t days) {
    using namespace std::chrono;
    const int64_t cycles = FloorDiv(days, kDaysPer400Years);
    const year_month_day date{sys_days{std::chrono::days{days - cycles * kDaysPer400Years}}};
    return {static_cast<int>(date.year()) + cycles * 400, static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

} // namespace parcelo
