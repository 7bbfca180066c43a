#include "res/Menus.h"

#include "res/resource.h"

namespace parcelo {
namespace {

constexpr MenuItem kSeparator{};

// Main window soft keys: the left key is a command, the right key opens the menu.
constexpr MenuItem kMenuBarTools[] = {
    {u"편집", ID_EDIT_SHIPMENT},
    {u"삭제", ID_DELETE_SHIPMENT},
};
constexpr MenuItem kMenuBarMenu[] = {
    {u"배송 조회", ID_TRACK_SHIPMENT},
    {u"전화 걸기", ID_CALL_COURIER},
    {u"도구", 0, kMenuBarTools},
    {u"여러 건 추가", ID_BULK_ADD},
    {u"찾기", ID_FIND},
    kSeparator,
    {u"내보내기", ID_EXPORT},
    {u"가져오기", ID_IMPORT},
    {u"백업", ID_BACKUP},
    {u"복원", ID_RESTORE},
    kSeparator,
    {u"옵션", ID_OPTIONS},
    {u"정보", ID_APP_ABOUT},
    kSeparator,
    {u"종료", ID_EXIT},
};
constexpr MenuItem kMenuBar[] = {
    {u"새로 만들기", ID_NEW_SHIPMENT},
    {u"메뉴", 0, kMenuBarMenu},
};

// Pop-ups: the list's item menu, the filter choices and the sort choices. The
// position of a filter or sort item is its command id minus the first id.
constexpr MenuItem kItemMenu[] = {
    {u"배송 조회", ID_TRACK_SHIPMENT},
    {u"전화 걸기", ID_CALL_COURIER},
    kSeparator,
    {u"편집", ID_EDIT_SHIPMENT},
    {u"삭제", ID_DELETE_SHIPMENT},
    kSeparator,
    {u"여러 건 추가", ID_BULK_ADD},
    kSeparator,
    {u"브라우저에서 열기", ID_OPEN_IN_BROWSER},
    {u"송장번호 복사", ID_COPY_INVOICE},
    {u"주소 복사", ID_COPY_ADDRESS},
};
constexpr MenuItem kFilterMenu[] = {
    {u"모두 표시", ID_FILTER_ALL},
    {u"배송중 표시", ID_FILTER_IN_DELIVERY},
    {u"완료 표시", ID_FILTER_DONE},
    {u"취소 표시", ID_FILTER_CANCELLED},
};
constexpr MenuItem kSortMenu[] = {
    {u"입력일 역순", ID_SORT_ENTRY_DESC},
    {u"입력일 순", ID_SORT_ENTRY_ASC},
    {u"주문일 역순", ID_SORT_ORDER_DESC},
    {u"주문일 순", ID_SORT_ORDER_ASC},
};
constexpr MenuItem kPopups[] = {
    {u"Popup", 0, kItemMenu},
    {u"Filter", 0, kFilterMenu},
    {u"Sort", 0, kSortMenu},
};

// Tracking page: OK and the tools.
constexpr MenuItem kHtmlDialogTools[] = {
    {u"화면 맞춤", ID_TOOLS_FIT_SCREEN},
    kSeparator,
    {u"글자 크게", ID_TOOLS_TEXT_LARGER},
    {u"글자 보통", ID_TOOLS_TEXT_NORMAL},
    {u"글자 작게", ID_TOOLS_TEXT_SMALLER},
    kSeparator,
    {u"브라우저에서 열기", ID_TOOLS_OPEN_IN_BROWSER},
};
constexpr MenuItem kHtmlDialogMenu[] = {
    {u"확인", IDOK},
    {u"도구", 0, kHtmlDialogTools},
};

// Shipment editor and options: OK and Cancel.
constexpr MenuItem kOkCancelMenu[] = {
    {u"확인", IDOK},
    {u"취소", IDCANCEL},
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
