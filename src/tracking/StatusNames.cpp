#include "tracking/StatusNames.h"

#include <array>
#include <utility>

namespace parcelo {

std::u16string_view ShortStatusName(std::string_view statusCode) {
    static constexpr std::array<std::pair<std::string_view, std::u16string_view>, 8> kNames{{
        {"INFORMATION_RECEIVED", u"접수"},
        {"AT_PICKUP", u"집화완료"},
        {"IN_TRANSIT", u"이동중"},
        {"OUT_FOR_DELIVERY", u"배송출발"},
        {"ATTEMPT_FAIL", u"배달실패"},
        {"DELIVERED", u"배송완료"},
        {"AVAILABLE_FOR_PICKUP", u"수령대기"},
        {"EXCEPTION", u"배송이상"},
    }};
    for (const auto& [code, name] : kNames) {
        if (code == statusCode) {
            return name;
        }
    }
    return u"확인중";
}

} // namespace parcelo
