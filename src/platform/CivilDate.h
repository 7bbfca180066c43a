#pragma once

#include <cstdint>

namespace parcelo {

// A date of the proleptic Gregorian calendar, any year.
struct CivilDate {
    int64_t year = 1970;
    int month = 1; // 1 to 12
    int day = 1;   // 1 to 31
};

bool IsLeapYear(int64_t year);
// 28 to 31; `month` must be 1 to 12.
int DaysInMonth(int64_t year, int month);

// Days since 1970-01-01, and back. Out-of-range days are not checked: 32 January is
// 1 February.
int64_t DaysFromCivil(int64_t year, int month, int day);
CivilDate CivilFromDays(int64_t days);

// Division that rounds towards minus infinity, for days and seconds before 1970.
int64_t FloorDiv(int64_t value, int64_t divisor);

} // namespace parcelo
