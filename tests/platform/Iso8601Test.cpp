#include "platform/Iso8601.h"

#include "platform/CivilDate.h"
#include "platform/LocalTime.h"
#include "support/ScopedEnv.h"

#include <ctime>
#include <gtest/gtest.h>
#include <random>

namespace parcelo {
namespace {

std::optional<int64_t> SeoulWallClock(int64_t wall) {
    return wall - 9 * 3600;
}

// Every day from 1600-01-01 to the end of 2799 both ways against the C library's calendar;
// years further out must repeat the calendar every 400 years.
TEST(CivilDateTest, AgreesWithTheCLibraryAndRepeatsEvery400Years) {
    for (int64_t days = -135'140; days < 303'151; ++days) {
        const time_t seconds = days * 86'400;
        tm utc{};
        ASSERT_TRUE(gmtime_r(&seconds, &utc));
        const int64_t year = utc.tm_year + int64_t{1900};
        ASSERT_EQ(DaysFromCivil(year, utc.tm_mon + 1, utc.tm_mday), days) << year << '-' << utc.tm_mon + 1;
        const CivilDate date = CivilFromDays(days);
        ASSERT_TRUE(date.year == year && date.month == utc.tm_mon + 1 && date.day == utc.tm_mday) << days;
    }
    for (const int64_t far : {-1'000'000, -2001, 9999, 999'999}) {
        EXPECT_EQ(DaysFromCivil(far + 400, 3, 1) - DaysFromCivil(far, 3, 1), 146'097) << far;
        const CivilDate back = CivilFromDays(DaysFromCivil(far, 2, 29));
        EXPECT_TRUE(back.year == far && back.month == (far % 4 == 0 ? 2 : 3)) << far;
    }
}

// Whatever the writer writes, both readers give back, at every offset it can write.
TEST(Iso8601Test, EveryWrittenInstantReadsBack) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 20'000; ++i) {
        const int64_t instant = static_cast<int64_t>(random() % 600'000'000'000ULL) - 300'000'000'000LL;
        const auto offset = static_cast<int32_t>(static_cast<int64_t>(random() % 1681) - 840) * 60;
        for (const int32_t utcOffset : {offset, offset + 13}) {
            const std::string text = FormatIsoDateTime(instant, utcOffset);
            const std::u16string wide(text.begin(), text.end());
            ASSERT_EQ(ParseIsoDateTime(wide, SeoulWallClock), instant) << text;
            const bool fourDigitYear = text[0] >= '0' && text[0] <= '9';
            ASSERT_EQ(ParseIsoInstant(text), fourDigitYear ? std::optional<int64_t>(instant) : std::nullopt) << text;
        }
    }
}

TEST(Iso8601Test, TheTwoGrammars) {
    const int64_t instant = 1'796'619'780; // 2026-12-07 05:03:00 UTC
    EXPECT_EQ(FormatIsoDateTime(instant, -(3 * 3600 + 30 * 60)), "2026-12-07T01:33:00-03:30");
    EXPECT_EQ(FormatIsoDateTime(instant, 30'472), "2026-12-07T05:03:00Z") << "local mean time is written in UTC";

    // Each text as the services' grammar and as the typed one read it.
    using Read = std::pair<std::optional<int64_t>, std::optional<int64_t>>;
    const auto read = [](std::string_view text) {
        return Read(ParseIsoInstant(text), ParseIsoDateTime(std::u16string(text.begin(), text.end()), SeoulWallClock));
    };
    const std::optional<int64_t> at = instant, none;
    for (const char* text : {"2026-12-07T14:03:00+09:00", "2026-12-07 06:03:00+0100", "2026-12-06T23:03:00-06:00"}) {
        EXPECT_EQ(read(text), Read(at, at)) << text;
    }
    EXPECT_EQ(read("2026-12-07t05:03:00.123456789012z"), Read(at, none)) << "a typed fraction has nine digits at most";
    // Typed only: local time, short fields, other separators, an hour-only offset, a sign.
    for (const char* text : {"2026-12-07 14:03", "2026.12.07 14:03:00.250", "2026/12/7 14:03:00", "2026-12-07T14:03+09",
                             "2026-12-7T05:03:00Z", "+2026-12-07T05:03:00Z"}) {
        EXPECT_EQ(read(text), Read(none, at)) << text;
    }
    EXPECT_EQ(read("2026-12-07"), Read(none, instant - (14 * 3600 + 3 * 60)));
    EXPECT_EQ(read("2026-12-07Z"), Read(none, instant - (5 * 3600 + 3 * 60)));
    EXPECT_EQ(ParseIsoInstant("2016-12-31T23:59:60Z"), 1'483'228'800) << "a leap second of a service";
    for (const char* text : {"2026-02-29T00:00:00Z", "2026-12-07T24:00:00Z", "2026-12-07T14:07:00+09:00 ",
                             "2026-12-07T14:07:00.Z", "2026-12-07T14:07:00+9", "2026-12-07T14:07:00+24:00",
                             "2026-12-07T14:3:00Z", "26-12-07T14:03:00Z", "2026-13-07T14:03:00Z", ""}) {
        EXPECT_EQ(read(text), Read(none, none)) << text;
    }
    // The local offset follows TZ.
    const test::ScopedEnv zone("TZ", "KST-9");
    EXPECT_EQ(LocalUtcOffset(1'796'619'780), 9 * 3600);
    EXPECT_EQ(LocalWallClockToInstant(1'796'619'780 + 9 * 3600), 1'796'619'780);
}

} // namespace
} // namespace parcelo
