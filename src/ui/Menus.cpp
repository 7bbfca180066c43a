#include "ui/Menus.h"

#include "platform/Translation.h"
#include "platform/resource.h"

namespace parcelo {
namespace {

constexpr MenuItem kSeparator{};

// Main window soft keys: the left key is a command, the right key opens the menu.
constexpr MenuItem kMenuBarTools[] = {
    {PARCELO_TR_NOOP("Menu", "편집"), ID_EDIT_SHIPMENT},
    {PARCELO_TR_NOOP("Menu", "삭제"), ID_DELETE_SHIPMENT},
};
constexpr MenuItem kMenuBarMenu[] = {
    {PARCELO_TR_NOOP("Menu", "배송 조회"), ID_TRACK_SHIPMENT},
    {PARCELO_TR_NOOP("Menu", "전화 걸기"), ID_CALL_COURIER},
    {PARCELO_TR_NOOP("Menu", "도구"), 0, kMenuBarTools},
    {PARCELO_TR_NOOP("Menu", "여러 건 추가"), ID_BULK_ADD},
    {PARCELO_TR_NOOP("Menu", "찾기"), ID_FIND},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "내보내기"), ID_EXPORT},
    {PARCELO_TR_NOOP("Menu", "가져오기"), ID_IMPORT},
    {PARCELO_TR_NOOP("Menu", "백업"), ID_BACKUP},
    {PARCELO_TR_NOOP("Menu", "복원"), ID_RESTORE},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "옵션"), ID_OPTIONS},
    {PARCELO_TR_NOOP("Menu", "정보"), ID_APP_ABOUT},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "종료"), ID_EXIT},
};
constexpr MenuItem kMenuBar[] = {
    {PARCELO_TR_NOOP("Menu", "새로 만들기"), ID_NEW_SHIPMENT},
    {PARCELO_TR_NOOP("Menu", "메뉴"), 0, kMenuBarMenu},
};

// Pop-ups: the list's item menu, the filter choices and the sort choices. The
// position of a filter or sort item is its command id minus the first id.
constexpr MenuItem kItemMenu[] = {
    {PARCELO_TR_NOOP("Menu", "배송 조회"), ID_TRACK_SHIPMENT},
    {PARCELO_TR_NOOP("Menu", "전화 걸기"), ID_CALL_COURIER},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "편집"), ID_EDIT_SHIPMENT},
    {PARCELO_TR_NOOP("Menu", "삭제"), ID_DELETE_SHIPMENT},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "여러 건 추가"), ID_BULK_ADD},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "브라우저에서 열기"), ID_OPEN_IN_BROWSER},
    {PARCELO_TR_NOOP("Menu", "송장번호 복사"), ID_COPY_INVOICE},
    {PARCELO_TR_NOOP("Menu", "주소 복사"), ID_COPY_ADDRESS},
};
constexpr MenuItem kFilterMenu[] = {
    {PARCELO_TR_NOOP("Menu", "모두 표시"), ID_FILTER_ALL},
    {PARCELO_TR_NOOP("Menu", "배송중 표시"), ID_FILTER_IN_DELIVERY},
    {PARCELO_TR_NOOP("Menu", "완료 표시"), ID_FILTER_DONE},
    {PARCELO_TR_NOOP("Menu", "취소 표시"), ID_FILTER_CANCELLED},
};
constexpr MenuItem kSortMenu[] = {
    {PARCELO_TR_NOOP("Menu", "입력일 역순"), ID_SORT_ENTRY_DESC},
    {PARCELO_TR_NOOP("Menu", "입력일 순"), ID_SORT_ENTRY_ASC},
    {PARCELO_TR_NOOP("Menu", "주문일 역순"), ID_SORT_ORDER_DESC},
    {PARCELO_TR_NOOP("Menu", "주문일 순"), ID_SORT_ORDER_ASC},
};
constexpr MenuItem kPopups[] = {
    {u"Popup", 0, kItemMenu},
    {u"Filter", 0, kFilterMenu},
    {u"Sort", 0, kSortMenu},
};

// Tracking page: OK and the tools.
constexpr MenuItem kHtmlDialogTools[] = {
    {PARCELO_TR_NOOP("Menu", "화면 맞춤"), ID_TOOLS_FIT_SCREEN},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "글자 크게"), ID_TOOLS_TEXT_LARGER},
    {PARCELO_TR_NOOP("Menu", "글자 보통"), ID_TOOLS_TEXT_NORMAL},
    {PARCELO_TR_NOOP("Menu", "글자 작게"), ID_TOOLS_TEXT_SMALLER},
    kSeparator,
    {PARCELO_TR_NOOP("Menu", "브라우저에서 열기"), ID_TOOLS_OPEN_IN_BROWSER},
};
constexpr MenuItem kHtmlDialogMenu[] = {
    {PARCELO_TR_NOOP("Menu", "확인"), IDOK},
    {PARCELO_TR_NOOP("Menu", "도구"), 0, kHtmlDialogTools},
};

// Shipment editor and options: OK and Cancel.
constexpr MenuItem kOkCancelMenu[] = {
    {PARCELO_TR_NOOP("Menu", "확인"), IDOK},
    {PARCELO_TR_NOOP("Menu", "취소"), IDCANCEL},
};

} // namespace

MenuItems LoadMenuResource(int id) {
    switch (id) {
    case IDR_MENUBAR:
        return kMenuBar;
    case IDR_POPUPS:
        return kPopups;
    case IDR_HTMLDLG_MENU:
        return kHtmlDialogMenu;
    case IDR_NEWTRACK_MENU:
    case IDR_BULKADD_MENU:
    case IDR_OPTION_MENU:
        return kOkCancelMenu;
    default:
        return {};
    }
}

} // namespace parcelo
