#pragma once

#include <string_view>

// Identifiers of the program's resources, commands, controls and private
// messages. Plain constants without Qt so that any part of the program can use
// them.
namespace parcelo {

// Application title (string table) and main frame.
inline constexpr int IDS_APP_TITLE = 57344;
inline constexpr std::u16string_view kAppTitle = u"Parcelo";
inline constexpr int IDR_MAINFRAME = 128; // frame, title string and application icon
inline constexpr std::u16string_view kMainFrameTitle = u"Parcelo";

// Menus.
inline constexpr int IDR_HTMLDLG_MENU = 135;  // tracking page: "확인" and the "도구" pop-up
inline constexpr int IDR_NEWTRACK_MENU = 136; // shipment editor: "확인", "취소"
inline constexpr int IDR_BULKADD_MENU = 137;  // adding many shipments: "확인", "취소"
inline constexpr int IDR_MENUBAR = 138;       // main window soft keys
inline constexpr int IDR_POPUPS = 143;        // 0 item menu, 1 filter, 2 sort
inline constexpr int IDR_OPTION_MENU = 150;   // options: "확인", "취소"

// Sub-menus of IDR_POPUPS, by position.
inline constexpr int kPopupItemMenu = 0;
inline constexpr int kPopupFilterMenu = 1;
inline constexpr int kPopupSortMenu = 2;

// Toolbar of the filter and sort bar.
inline constexpr int IDR_FILTERSORTBAR = 140;

// Icons and bitmaps.
inline constexpr int IDI_ARROW_DOWN = 144;          // 32 x 32, triangle 7 wide
inline constexpr int IDI_ARROW_DOWN_HIRES = 151;    // 32 x 32, triangle 19 wide
inline constexpr int IDB_CHECKBOXES = 145;          // 128 x 16: 0 unticked, 1 ticked
inline constexpr int IDB_CHECKBOXES_LARGE = 155;    // 256 x 32, the same at twice the pixels
inline constexpr int IDB_COURIER_LOGOS_LARGE = 153; // 750 x 50, fifteen 50 x 50 logos
inline constexpr int IDB_COURIER_LOGOS_SMALL = 154; // 375 x 25, fifteen 25 x 25 logos
inline constexpr int IDB_ABOUT_LOGO = 160;          // 142 x 29
inline constexpr int IDB_ABOUT_LOGO_LARGE = 161;    // 283 x 57
inline constexpr int kCourierLogoCount = 15;
inline constexpr int kCheckBoxImageSize = 16;

// Dialogs.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_ABOUTBOX_WIDE = 200;
inline constexpr int IDD_HTML_DIALOG = 131;
inline constexpr int IDD_NEWTRACK_DIALOG = 132;
inline constexpr int IDD_BULKADD_DIALOG = 133;
inline constexpr int IDD_OPTION_DIALOG = 146;

// Controls of the about box.
inline constexpr int IDC_ABOUT_ICON = 201;
inline constexpr int IDC_ABOUT_VERSION = 203;

// Controls of the shipment editor.
inline constexpr int IDC_INVOICE_NUMBER = 1000;
inline constexpr int IDC_COURIER_COMBO = 1001;
inline constexpr int IDC_ITEM_NAME = 1002;
inline constexpr int IDC_ORDER_DATE = 1003;
inline constexpr int IDC_COURIER_NOTE = 1004;
inline constexpr int IDC_STATUS_COMBO = 1005;

// Controls of the options dialog.
inline constexpr int IDC_FONTSIZE_COMBO = 1005;
inline constexpr int IDC_DBLCLICK_COMBO = 1006;

// Other controls and framework window ids.
inline constexpr int IDC_SHIPMENT_LIST = 10000;
inline constexpr int IDC_HTML_VIEW = 12321;
inline constexpr int IDC_SORT_BUTTON = 32789;
inline constexpr int IDC_FILTER_BUTTON = 32790;
inline constexpr int AFX_IDW_TOOLBAR = 0xE800;
inline constexpr int AFX_IDW_PANE_FIRST = 0xE900;

// Dialog results and their commands.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Commands.
inline constexpr int ID_EXIT = 32772;
inline constexpr int ID_NEW_SHIPMENT = 32780;
inline constexpr int ID_EDIT_SHIPMENT = 32781;
inline constexpr int ID_DELETE_SHIPMENT = 32782;
inline constexpr int ID_CALL_COURIER = 32783;
inline constexpr int ID_TRACK_SHIPMENT = 32784;
inline constexpr int ID_BULK_ADD = 32785;
inline constexpr int ID_OPTIONS = 32798;
inline constexpr int ID_APP_ABOUT = 57664;
// Automatic delivery status: checking now, and the events of the selected shipment.
inline constexpr int ID_REFRESH_STATUS = 33010;
inline constexpr int ID_SHIPMENT_HISTORY = 33011;

inline constexpr int ID_SORT_ENTRY_DESC = 32800;
inline constexpr int ID_SORT_ENTRY_ASC = 32801;
inline constexpr int ID_SORT_ORDER_DESC = 32802;
inline constexpr int ID_SORT_ORDER_ASC = 32803;

inline constexpr int ID_FILTER_ALL = 32900;
inline constexpr int ID_FILTER_IN_DELIVERY = 32901;
inline constexpr int ID_FILTER_DONE = 32902;
inline constexpr int ID_FILTER_CANCELLED = 32903;

inline constexpr int ID_TOOLS_FIT_SCREEN = 32826;
inline constexpr int ID_TOOLS_TEXT_LARGER = 32827;
inline constexpr int ID_TOOLS_TEXT_NORMAL = 32828;
inline constexpr int ID_TOOLS_TEXT_SMALLER = 32829;

// Finding, copying, opening in the browser and the store's files.
inline constexpr int ID_FIND = 33100;
inline constexpr int ID_COPY_INVOICE = 33101;
inline constexpr int ID_COPY_ADDRESS = 33102;
inline constexpr int ID_OPEN_IN_BROWSER = 33103;
inline constexpr int ID_EXPORT = 33104;
inline constexpr int ID_IMPORT = 33105;
inline constexpr int ID_BACKUP = 33106;
inline constexpr int ID_RESTORE = 33107;
inline constexpr int ID_TOOLS_OPEN_IN_BROWSER = 33108;

// Private messages from the filter and sort buttons to the main window.
inline constexpr unsigned WM_USER = 0x0400;
inline constexpr unsigned WM_FILTER_CHANGED = WM_USER + 2000; // 0x0BD0
inline constexpr unsigned WM_SORT_CHANGED = WM_USER + 2001;   // 0x0BD1

} // namespace parcelo
