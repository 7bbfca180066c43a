#include "listui/StoreFailureText.h"

namespace parcelo {

namespace {

std::u16string_view Advice(StoreError error) {
    switch (error) {
    case StoreError::NotFound:
        return u"이 배송정보가 다른 곳에서 삭제되었습니다.";
    case StoreError::NotOpen:
        return u"배송정보 데이터베이스가 열려 있지 않습니다. 프로그램을 다시 시작하십시오.";
    case StoreError::ReadOnly:
        return u"배송정보 데이터베이스 파일에 쓸 수 없습니다. 파일과 폴더의 쓰기 권한을 확인하십시오.";
    case StoreError::Damaged:
        return u"배송정보 데이터베이스 파일이 손상되었습니다. 프로그램을 닫고 백업에서 복원하십시오.";
    case StoreError::Foreign:
        return u"배송정보 데이터베이스 파일이 이 프로그램의 것이 아닙니다. 프로그램을 닫고 파일을 확인하십시오.";
    case StoreError::TooNew:
        return u"배송정보 데이터베이스 파일을 더 새로운 버전의 Parcelo가 만들었습니다. 프로그램을 업데이트하십시오.";
    default:
        return u"다시 시도해 주십시오.";
    }
}

} // namespace

std::u16string StoreFailureText(std::u16string_view failure, StoreError error) {
    std::u16string text(failure);
    text += u' ';
    text += IsTransient(error) || error == StoreError::None ? u"다시 시도해 주십시오." : Advice(error);
    return text;
}

} // namespace parcelo
