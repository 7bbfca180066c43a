#include "store/Shipment.h"

#include "platform/LocalTime.h"
#include "store/StoredTime.h"

#include <limits>

namespace parcelo {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr int kFirstEncodableYear = 1601;
constexpr int kLastEncodableYear = 30827;
constexpr int64_t kWallClock1900 = -2'208'988'800; // 1900-01-01 00:00:00

} // namespace

uint64_t InstantToStoredTime(Instant instant) {
    LocalDateTime fields;
    if (!BreakDownLocalTime(instant, fields) || fields.year < kFirstEncodableYear || fields.year > kLastEncodableYear) {
        return 0;
    }
    return static_cast<uint64_t>(WallClockSeconds(fields) + kSecondsFrom1601To1970) * kTicksPerSecond;
}

bool StoredTimeToWallClock(uint64_t storedTime, int64_t& wallSeconds) {
    if (storedTime > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
        return false;
    }
    // Integer division drops the sub-second part: milliseconds never survive.
    wallSeconds = static_cast<int64_t>(storedTime) / kTicksPerSecond - kSecondsFrom1601To1970;
    return wallSeconds >= kWallClock1900;
}

Instant StoredTimeToInstant(uint64_t storedTime) {
    int64_t wallSeconds = 0;
    Instant instant = 0;
    if (!StoredTimeToWallClock(storedTime, wallSeconds) || !ComposeLocalTime(WallClockFields(wallSeconds), instant)) {
        return 0;
    }
    return instant;
}

Instant StoredTimeToInstant(uint64_t storedTime, CLocalTimeComposer& composer) {
    int64_t wallSeconds = 0;
    Instant instant = 0;
    if (!StoredTimeToWallClock(storedTime, wallSeconds) || !composer.Compose(wallSeconds, instant)) {
        return 0;
    }
    return instant;
}

} // namespace parcelo
