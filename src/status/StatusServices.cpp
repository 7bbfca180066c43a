#include "status/StatusServices.h"

#include "platform/CodePage.h"
#include "platform/Translation.h"

namespace parcelo {

std::u16string ServicesUnavailableText(std::string_view error) {
    return FormatText(PARCELO_TR("StatusServices", "배송 상태를 확인할 수 없습니다: 인터넷 연결과 알림을 맡은 파일을 "
                                                   "읽지 못했습니다.\n\nParcelo를 다시 설치하십시오.\n\n(%1)"),
                      {DecodeUtf8(error)});
}

} // namespace parcelo
