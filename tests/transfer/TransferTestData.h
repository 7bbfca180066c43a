#pragma once

#include "transfer/TransferRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace parcelo::testdata {

constexpr int32_t kSeoulOffset = 9 * 3600;

inline int32_t SeoulOffset(int64_t /*instant*/) {
    return kSeoulOffset;
}

inline std::optional<int64_t> SeoulWallClock(int64_t wallSeconds) {
    return wallSeconds - kSeoulOffset;
}

// `count` records cycling through texts that break naive CSV, JSON and formula handling,
// with dates and statuses spread out.
inline std::vector<TransferRecord> AwkwardRecords(size_t count) {
    using namespace std::string_literals;
    // clang-format off
    static const std::u16string texts[] = {
        u"", u"plain", u"노트북 가방", u"say \"hi\"", u"a,b", u"two\nlines", u"cr\rlf\r\n", u"\ttab first",
        u"=SUM(A1:A9)", u"'=not a formula", u"''+twice", u"-5", u"@user", u"+82 10", u"\uFEFF마크로 시작",
        u"emoji \U0001F4E6 상자", u" blanks around ", u"\\back\\slash", u"\"", u"'", u"nul\0ctl\x01\x1F\x7F"s};
    // clang-format on
    const size_t kinds = std::size(texts);
    std::vector<TransferRecord> records;
    records.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        TransferRecord record;
        record.id = static_cast<int64_t>(i) + 1;
        record.courierName = i % 7 == 0 ? texts[(i / 7) % kinds] : u"우체국택배";
        record.courierCode = i % 5 != 0 ? std::optional(static_cast<int32_t>(i % 40) - 3) : std::nullopt;
        record.courierIndex = i % 3 != 0 ? std::optional(static_cast<int32_t>(i % 20)) : std::nullopt;
        record.invoiceNumber =
            i % 11 == 0 ? texts[(i / 11 + 3) % kinds] : u'6' + std::u16string(12, static_cast<char16_t>(u'0' + i % 10));
        if (record.courierName.empty() && !record.courierCode) {
            record.courierCode = 7; // a courier needs a name or a code
        }
        if (record.invoiceNumber.empty()) {
            record.invoiceNumber = u"0"; // blank numbers are refused on import
        }
        record.itemName = texts[i % kinds] + (i % 2 != 0 ? u" 상품" : u"");
        record.orderDate = 1'600'000'000 + static_cast<int64_t>(i) * 3607;
        record.entryDate = record.orderDate + static_cast<int64_t>(i % 86'400);
        record.status = static_cast<int32_t>(i % 3);
        records.push_back(std::move(record));
    }
    return records;
}

} // namespace parcelo::testdata
