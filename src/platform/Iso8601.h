#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace parcelo {

// ISO 8601 date-time text of an instant (seconds since 1970 UTC) in the zone the
// offset describes, e.g. "2026-12-07T14:03:00+09:00". Offsets that are not whole
// minutes (the local mean time of old zone rules) cannot be written as ±hh:mm; such
// instants are written in UTC with "Z" so that they read back exactly. Years outside
// 0000 to 9999 get a sign and as many digits as they need.
std::string FormatIsoDateTime(int64_t instant, int32_t utcOffset);

// Reads what FormatIsoDateTime writes, and the usual forms people type: a date alone
// (yyyy-mm-dd), date and time with "T" or a blank between (hh:mm or hh:mm:ss, with a
// fraction of seconds ignored), "-", "." or "/" between date parts, an offset
// "Z", "±hh:mm", "±hhmm" or "±hh". Without an offset the text is local wall-clock time
// and `localInstant` turns it into an instant (seconds of that wall clock since
// 1970-01-01 00:00:00 in, instant out; std::nullopt when there is none).
// std::nullopt when the text is not such a date or names an impossible date or time.
std::optional<int64_t> ParseIsoDateTime(std::u16string_view text,
                                        const std::function<std::optional<int64_t>(int64_t wallSeconds)>& localInstant);

// The instant an RFC 3339 date-time names, which must carry its offset:
// "2024-03-05T14:07:00+09:00", "2024-03-05T05:07:00.250Z", "...+0900". Fractions of a
// second are dropped. Anything else (no offset, out-of-range fields, trailing text)
// gives std::nullopt.
std::optional<int64_t> ParseIsoInstant(std::string_view text);

} // namespace parcelo
