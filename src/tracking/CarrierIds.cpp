#include "tracking/CarrierIds.h"

#include "config/IniReader.h"

#include <algorithm>
#include <cstdio>

namespace parcelo {

namespace {

constexpr size_t kMaxCouriers = 99;
constexpr size_t kMaxCarrierIdLength = 64;

bool IsCarrierIdChar(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'.' || c == u'_' ||
           c == u'-';
}

} // namespace

std::vector<std::string> ReadCarrierIds(const CIniReader& reader, size_t courierCount) {
    std::vector<std::string> ids(courierCount);
    const size_t count = std::min(courierCount, kMaxCouriers);
    for (size_t index = 0; index < count; ++index) {
        char key[32];
        std::snprintf(key, sizeof key, "CARRIER%02zu", index + 1);
        std::u16string value = reader.GetValue(std::u16string(key, key + std::char_traits<char>::length(key)));
        const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
        while (!value.empty() && blank(value.back())) {
            value.pop_back();
        }
        value.erase(value.begin(), std::find_if_not(value.begin(), value.end(), blank));
        if (value.empty() || value.size() > kMaxCarrierIdLength ||
            !std::all_of(value.begin(), value.end(), IsCarrierIdChar)) {
            continue;
        }
        ids[index].assign(value.begin(), value.end());
    }
    return ids;
}

} // namespace parcelo
