#include "platform/LocalTime.h"
#include "store/Shipment.h"
#include "store/StoreTestSupport.h"
#include "store/StoredTime.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

constexpr int64_t kTicks = 10'000'000;
constexpr int64_t kFrom1601 = 11'644'473'600;

uint64_t StoredTimeOfWallClock(int64_t wallSeconds) {
    return static_cast<uint64_t>(wallSeconds + kFrom1601) * kTicks;
}

TEST(ShipmentDates, StoreLocalWallClockAndReadBack) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    // 2024-07-01 12:00 UTC is 14:00 summer time; 2024-01-15 12:00 UTC is 13:00 winter time.
    const uint64_t summer = InstantToStoredTime(1'719'835'200);
    const uint64_t winter = InstantToStoredTime(1'705'320'000);
    EXPECT_EQ(summer, StoredTimeOfWallClock(1'719'835'200 + 7200));
    EXPECT_EQ(winter, StoredTimeOfWallClock(1'705'320'000 + 3600));

    // Every instant comes back, except that the repeated autumn hour cannot tell its two
    // passes apart: then the result at least shows the same wall clock.
    for (Instant instant = 1'672'531'200; instant < 1'735'689'600; instant += 37 * 60 + 11) {
        const uint64_t stored = InstantToStoredTime(instant);
        ASSERT_EQ(stored % kTicks, 0u);
        const Instant back = StoredTimeToInstant(stored);
        if (back != instant) {
            ASSERT_EQ(InstantToStoredTime(back), stored) << instant;
            ASSERT_EQ(std::abs(back - instant), 3600) << instant;
        }
    }

    EXPECT_EQ(StoredTimeToInstant(summer + kTicks - 1), 1'719'835'200) << "milliseconds are dropped";
    EXPECT_EQ(StoredTimeToInstant(0), 0);
    EXPECT_EQ(StoredTimeToInstant(StoredTimeOfWallClock(-2'208'988'801)), 0) << "1899-12-31 23:59:59";
    EXPECT_EQ(StoredTimeToInstant(StoredTimeOfWallClock(-2'208'988'800)), -2'208'988'800 - 3600);
    EXPECT_EQ(StoredTimeToInstant(UINT64_MAX), 0);

    // Read in another zone, a date keeps its wall clock and so moves by the change of offset.
    test::ScopedEnv utc("TZ", "UTC0");
    EXPECT_EQ(StoredTimeToInstant(winter), 1'705'320'000 + 3600);
    EXPECT_EQ(StoredTimeToInstant(summer), 1'719'835'200 + 7200);
}

// The day-offset cache used when many records are read must give what the C library gives,
// including zones whose clocks change at midnight.
TEST(ShipmentDates, ComposerAgreesWithTheCLibrary) {
    for (const char* rule : {test::kBerlinRule, "<-03>3<-02>,M10.3.0/0,M2.3.0/0", "UTC0"}) {
        test::ScopedEnv zone("TZ", rule);
        CLocalTimeComposer composer;
        for (int64_t wall = 1'672'531'200; wall < 1'735'689'600; wall += 17 * 60 + 7) {
            int64_t expected = 0;
            int64_t actual = 0;
            ASSERT_TRUE(ComposeLocalTime(WallClockFields(wall), expected));
            ASSERT_TRUE(composer.Compose(wall, actual));
            ASSERT_EQ(actual, expected) << rule << " " << wall;
        }
        EXPECT_EQ(StoredTimeToInstant(StoredTimeOfWallClock(-2'208'988'801), composer), 0);
    }
    for (int64_t wall : {int64_t{-62'135'596'800}, int64_t{0}, int64_t{32'503'680'000}}) {
        EXPECT_EQ(WallClockSeconds(WallClockFields(wall)), wall);
    }
    const LocalDateTime leapDay = WallClockFields(951'782'400); // a century that is a leap year
    EXPECT_EQ(leapDay.year * 10000 + leapDay.month * 100 + leapDay.day, 20000229);
    EXPECT_EQ(WallClockSeconds(leapDay), 951'782'400);
}

} // namespace
} // namespace parcelo
