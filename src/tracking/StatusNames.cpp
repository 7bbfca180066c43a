#include "tracking/StatusNames.h"

#include "platform/Translation.h"

#include <array>
#include <utility>

namespace parcelo {

std::u16string ShortStatusName(std::string_view statusCode) {
    static constexpr std::array<std::pair<std::string_view, std::u16string_view>, 8> kNames{{
        {"INFORMATION_RECEIVED", PARCELO_TR_NOOP("StatusNames", "접수")},
        {"AT_PICKUP", PARCELO_TR_NOOP("StatusNames", "집화완료")},
        {"IN_TRANSIT", PARCELO_TR_NOOP("StatusNames", "이동중")},
        {"OUT_FOR_DELIVERY", PARCELO_TR_NOOP("StatusNames", "배송출발")},
        {"ATTEMPT_FAIL", PARCELO_TR_NOOP("StatusNames", "배달실패")},
        {"DELIVERED", PARCELO_TR_NOOP("StatusNames", "배송완료")},
        {"AVAILABLE_FOR_PICKUP", PARCELO_TR_NOOP("StatusNames", "수령대기")},
        {"EXCEPTION", PARCELO_TR_NOOP("StatusNames", "배송이상")},
    }};
    for (const auto& [code, name] : kNames) {
        if (code == statusCode) {
            return Translate("StatusNames", name);
        }
    }
    return PARCELO_TR("StatusNames", "확인중");
}

} // namespace parcelo
