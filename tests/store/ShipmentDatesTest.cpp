#include "platform/LocalTime.h"
#include "store/Shipment.h"
#include "store/StoreTestSupport.h"
#include "store/StoredTime.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

constexpr int64_t kTicks = 10'000'000;

TEST(ShipmentDates, StoreLocalWallClockAndReadBack) {
    test::ScopedEnv zone("TZ", test::kBerlinRule);
    // 2024-07-01 12:00 UTC is stored as 14:00, the local summer time.
    const uint64_t summer = InstantToStoredTime(1'719'835'200);
    EXPECT_EQ(summer, static_cast<uint64_t>(test::TicksOfWallClock(1'719'835'200 + 7200)));

    // Every instant comes back, but for the repeated autumn hour, which keeps its wall clock.
    for (Instant instant = 1'672'531'200; instant < 1'735'689'600; instant += 37 * 60 + 11) {
        const uint64_t stored = InstantToStoredTime(instant);
        const Instant back = StoredTimeToInstant(stored);
        if (back != instant) {
            ASSERT_EQ(InstantToStoredTime(back), stored) << instant;
            ASSERT_EQ(std::abs(back - instant), 3600) << instant;
        }
    }

    EXPECT_EQ(StoredTimeToInstant(summer + kTicks - 1), 1'719'835'200) << "milliseconds are dropped";
    EXPECT_EQ(StoredTimeToInstant(test::TicksOfWallClock(-2'208'988'801)), 0) << "1899-12-31 23:59:59";
    EXPECT_EQ(StoredTimeToInstant(UINT64_MAX), 0);
}

// The day-offset cache agrees with the C library (midnight changes too), taking the first of a repeated time.
TEST(ShipmentDates, ComposerAgreesWithTheCLibrary) {
    for (const char* rule : {test::kBerlinRule, "<-03>3<-02>,M10.3.0/0,M2.3.0/0", "UTC0"}) {
        test::ScopedEnv zone("TZ", rule);
        CLocalTimeComposer composer;
        for (int64_t wall = 1'672'531'200; wall < 1'735'689'600; wall += 17 * 60 + 7) {
            int64_t expected = 0;
            int64_t actual = 0;
            ASSERT_TRUE(ComposeLocalTime(WallClockFields(wall), expected));
            ASSERT_TRUE(composer.Compose(wall, actual));
            if (actual != expected) { // a wall clock shown twice: the composer takes the first
                LocalDateTime shown;
                ASSERT_TRUE(BreakDownLocalTime(actual, shown));
                ASSERT_EQ(WallClockSeconds(shown), wall) << rule;
                ASSERT_EQ(actual, expected - 3600) << rule << " " << wall;
            }
        }
    }
}

} // namespace
} // namespace parcelo
