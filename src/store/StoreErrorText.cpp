#include "store/StoreErrorText.h"

#include "platform/Translation.h"

#include <array>

namespace parcelo {

namespace {

constexpr std::u16string_view kRetry = PARCELO_TR_NOOP("StoreErrorText", "다시 시도해 주십시오.");

struct ErrorText {
    StoreError error;
    std::u16string_view cause;
    std::u16string_view advice; // for a failure no retry can mend
};

constexpr std::array<ErrorText, 10> kTexts = {{
    {StoreError::None, PARCELO_TR_NOOP("StoreErrorText", "성공했습니다."), kRetry},
    {StoreError::NotOpen, PARCELO_TR_NOOP("StoreErrorText", "배송 목록 데이터베이스가 열려 있지 않습니다."),
     PARCELO_TR_NOOP("StoreErrorText", "배송정보 데이터베이스가 열려 있지 않습니다. 프로그램을 다시 시작하십시오.")},
    {StoreError::Busy,
     PARCELO_TR_NOOP("StoreErrorText", "다른 프로그램이 데이터베이스를 사용 중입니다. 잠시 후 다시 시도하십시오."),
     kRetry},
    {StoreError::Full, PARCELO_TR_NOOP("StoreErrorText", "디스크 공간이 부족합니다."), kRetry},
    {StoreError::Io, PARCELO_TR_NOOP("StoreErrorText", "파일을 읽거나 쓰지 못했습니다."), kRetry},
    {StoreError::NotFound, PARCELO_TR_NOOP("StoreErrorText", "파일이 없습니다."),
     PARCELO_TR_NOOP("StoreErrorText", "이 배송정보가 다른 곳에서 삭제되었습니다.")},
    {StoreError::ReadOnly, PARCELO_TR_NOOP("StoreErrorText", "파일이나 폴더에 쓸 권한이 없습니다."),
     PARCELO_TR_NOOP("StoreErrorText",
                     "배송정보 데이터베이스 파일에 쓸 수 없습니다. 파일과 폴더의 쓰기 권한을 확인하십시오.")},
    {StoreError::Damaged, PARCELO_TR_NOOP("StoreErrorText", "올바른 데이터베이스 파일이 아니거나 손상되었습니다."),
     PARCELO_TR_NOOP("StoreErrorText",
                     "배송정보 데이터베이스 파일이 손상되었습니다. 프로그램을 닫고 백업에서 복원하십시오.")},
    {StoreError::Foreign, PARCELO_TR_NOOP("StoreErrorText", "Parcelo의 배송 목록 파일이 아닙니다."),
     PARCELO_TR_NOOP("StoreErrorText",
                     "배송정보 데이터베이스 파일이 이 프로그램의 것이 아닙니다. 프로그램을 닫고 파일을 확인하십시오.")},
    {StoreError::TooNew, PARCELO_TR_NOOP("StoreErrorText", "더 새로운 버전의 Parcelo가 만든 파일입니다."),
     PARCELO_TR_NOOP(
         "StoreErrorText",
         "배송정보 데이터베이스 파일을 더 새로운 버전의 Parcelo가 만들었습니다. 프로그램을 업데이트하십시오.")},
}};

const ErrorText* Find(StoreError error) {
    for (const ErrorText& text : kTexts) {
        if (text.error == error) {
            return &text;
        }
    }
    return nullptr;
}

} // namespace

std::u16string DescribeStoreError(StoreError error) {
    const ErrorText* text = Find(error);
    return text != nullptr ? Translate("StoreErrorText", text->cause)
                           : PARCELO_TR("StoreErrorText", "알 수 없는 오류입니다.");
}

std::u16string StoreFailureText(std::u16string_view failure, StoreError error) {
    const ErrorText* text = Find(error);
    std::u16string message(failure);
    message += u' ';
    message += Translate("StoreErrorText", IsTransient(error) || text == nullptr ? kRetry : text->advice);
    return message;
}

} // namespace parcelo
