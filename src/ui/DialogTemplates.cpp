#include "ui/DialogTemplates.h"

#include "ProjectVersion.h"
#include "platform/Translation.h"
#include "platform/resource.h"

namespace parcelo {
namespace {

constexpr std::u16string_view kDialogFont = u"Microsoft Sans Serif";

// About box: the same controls in portrait and landscape.
constexpr ControlTemplate kAboutControls[] = {
    IconControl(IDC_ABOUT_ICON, IDR_MAINFRAME, 12, 14, 20, 20),
    LabelControl(kAboutVersionText, 36, 23, 66, 8, true, IDC_ABOUT_VERSION),
};

constexpr DialogTemplate kAboutBox{IDD_ABOUTBOX,  PARCELO_TR_NOOP("Dialog", "Parcelo 정보"), kDialogFont, 9, 156, 129,
                                   kAboutControls};
constexpr DialogTemplate kAboutBoxWide{
    IDD_ABOUTBOX_WIDE, PARCELO_TR_NOOP("Dialog", "Parcelo 정보"), kDialogFont, 9, 210, 129, kAboutControls};

// Tracking page: the HTML view is created at run time over the whole client area.
constexpr DialogTemplate kHtmlDialog{IDD_HTML_DIALOG, u"Dialog", u"MS Shell Dlg", 8, 186, 153, {}};

// Shipment editor. The status items are in status-code order.
constexpr std::u16string_view kStatusItems[] = {PARCELO_TR_NOOP("Dialog", "배송중"), PARCELO_TR_NOOP("Dialog", "완료"),
                                                PARCELO_TR_NOOP("Dialog", "취소")};

constexpr ControlTemplate kNewTrackControls[] = {
    ComboControl(IDC_COURIER_COMBO, 41, 21, 75, 94),
    EditControl(IDC_ITEM_NAME, 41, 38, 75, 12),
    EditControl(IDC_INVOICE_NUMBER, 41, 55, 75, 12),
    DateTimeControl(IDC_ORDER_DATE, 41, 84, 75, 12),
    ComboControl(IDC_STATUS_COMBO, 41, 102, 75, 41, kStatusItems),
    LabelControl({}, 42, 70, 120, 10, true, IDC_COURIER_NOTE),
    LabelControl(PARCELO_TR_NOOP("Dialog", "택배회사"), 7, 22, 33, 10),
    LabelControl(PARCELO_TR_NOOP("Dialog", "물품명"), 6, 39, 34, 10),
    LabelControl(PARCELO_TR_NOOP("Dialog", "송장번호"), 7, 56, 34, 10),
    LabelControl(PARCELO_TR_NOOP("Dialog", "주문날짜"), 6, 85, 34, 10),
    LabelControl(PARCELO_TR_NOOP("Dialog", "상태"), 6, 103, 33, 10),
};

constexpr DialogTemplate kNewTrackDialog{IDD_NEWTRACK_DIALOG, u"Dialog", kDialogFont, 9, 167, 143, kNewTrackControls};

// Adding many shipments: the text box and the review table are created at run time
// over the client area.
constexpr DialogTemplate kBulkAddDialog{IDD_BULKADD_DIALOG, u"Dialog", kDialogFont, 9, 167, 143, {}};

// Options. The font-size choice is carried through hidden; the item index is the stored value.
constexpr std::u16string_view kDoubleClickItems[] = {
    PARCELO_TR_NOOP("Dialog", "배송 조회"), PARCELO_TR_NOOP("Dialog", "전화 걸기"), PARCELO_TR_NOOP("Dialog", "편집"),
    PARCELO_TR_NOOP("Dialog", "삭제")};
constexpr std::u16string_view kFontSizeItems[] = {PARCELO_TR_NOOP("Dialog", "작게"), PARCELO_TR_NOOP("Dialog", "보통"),
                                                  PARCELO_TR_NOOP("Dialog", "크게")};

constexpr ControlTemplate kOptionControls[] = {
    ComboControl(IDC_DBLCLICK_COMBO, 48, 27, 68, 74, kDoubleClickItems),
    ComboControl(IDC_FONTSIZE_COMBO, 48, 45, 68, 43, kFontSizeItems, false),
    LabelControl(PARCELO_TR_NOOP("Dialog", "더블 클릭"), 7, 28, 41, 10),
    LabelControl(PARCELO_TR_NOOP("Dialog", "글자 크기"), 7, 46, 41, 10, false),
};

constexpr DialogTemplate kOptionDialog{IDD_OPTION_DIALOG, u"Dialog", kDialogFont, 9, 123, 119, kOptionControls};

constexpr const DialogTemplate* kTemplates[] = {&kAboutBox,       &kAboutBoxWide,  &kHtmlDialog,
                                                &kNewTrackDialog, &kBulkAddDialog, &kOptionDialog};

} // namespace

const DialogTemplate* LoadDialogTemplate(int id) {
    for (const DialogTemplate* dialogTemplate : kTemplates) {
        if (dialogTemplate->id == id) {
            return dialogTemplate;
        }
    }
    return nullptr;
}

} // namespace parcelo
