#include "dialogs/NewTrackDlg.h"

#include "dialogs/DialogTitle.h"
#include "platform/LocalTime.h"
#include "res/resource.h"
#include "store/StoreTestSupport.h"
#include "support/FakeDrawingContext.h"
#include "support/FakeMessageBoxService.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <gtest/gtest.h>

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

using namespace parcelo;

namespace {

const QString kNoSave = "배송정보를 저장하지 못했습니다. 다시 시도해 주십시오.";

Courier MakeCourier(std::u16string_view name, std::u16string_view note) {
    Courier courier{};
    std::copy(name.begin(), name.end(), courier.name);
    std::copy(note.begin(), note.end(), courier.note);
    return courier;
}

class NewTrackDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_store.MountVolume(m_folder.File("VELDAN.EDB")) && m_store.Open(u"TRACKDB")); }

    // The dialog as the list view opens it (positions freshly read), shown without a modal loop.
    std::unique_ptr<CNewTrackDlg> Open(int position, CShipmentDatabase* store = nullptr) {
        Stored();
        auto dialog = std::make_unique<CNewTrackDlg>(m_couriers, store != nullptr ? *store : m_store);
        dialog->SetEditPosition(position);
        dialog->show();
        return dialog;
    }
    std::vector<Shipment> Stored() {
        std::vector<Shipment> all;
        m_store.ReadAll(all);
        return all;
    }
    // The texts of the message boxes shown since the last call.
    std::vector<QString> TakeMessages() {
        std::vector<QString> texts;
        for (const auto& call : m_messages.Calls()) {
            texts.push_back(call.text);
        }
        m_messages.Clear();
        return texts;
    }

    static QComboBox& Combo(CNewTrackDlg& dialog, int id) { return *qobject_cast<QComboBox*>(dialog.GetDlgItem(id)); }
    static QLineEdit& Edit(CNewTrackDlg& dialog, int id) { return *qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); }
    static QString Note(CNewTrackDlg& dialog) {
        return qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_COURIER_NOTE))->text();
    }

    test::TempFolder m_folder;
    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers{MakeCourier(u"우체국", u"평일 9시-18시"), MakeCourier(u"한진", u"주말 휴무")};
    FakeMessageBoxService m_messages;
};

TEST_F(NewTrackDlgTest, ChecksCourierThenItemNameThenInvoiceNumber) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    dialog->OnOK();
    ASSERT_EQ(m_messages.Calls().size(), 1u);
    EXPECT_EQ(m_messages.Calls()[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(TakeMessages(), std::vector<QString>{"택배 회사를 선택하십시오."});

    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(1);
    dialog->OnOK();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{"물품명을 입력하십시오"});
    Edit(*dialog, IDC_ITEM_NAME).setText("책");
    dialog->OnOK();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{"송장번호를 입력하십시오"});

    // The dialog stays as the user left it and nothing was written.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Combo(*dialog, IDC_COURIER_COMBO).currentIndex(), 1);
    EXPECT_EQ(Edit(*dialog, IDC_ITEM_NAME).text(), "책");
    EXPECT_TRUE(Stored().empty());
}

TEST_F(NewTrackDlgTest, NewShipmentStartsInDeliveryTodayAndStoresBlanksAsTyped) {
    const Instant before = CurrentInstant();
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    EXPECT_EQ(dialog->Title(), u"새 배송조회");
    EXPECT_EQ(Combo(*dialog, IDC_STATUS_COMBO).currentText(), "배송중");
    EXPECT_EQ(Combo(*dialog, IDC_COURIER_COMBO).currentIndex(), -1);
    EXPECT_EQ(Combo(*dialog, IDC_COURIER_COMBO).count(), 2);
    LocalDateTime today;
    ASSERT_TRUE(BreakDownLocalTime(before, today));
    EXPECT_EQ(qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE))->date(),
              QDate(today.year, today.month, today.day));

    // The note follows the courier choice at once.
    EXPECT_EQ(Note(*dialog), "");
    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(1);
    EXPECT_EQ(Note(*dialog), "주말 휴무");
    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(0);
    EXPECT_EQ(Note(*dialog), "평일 9시-18시");

    Edit(*dialog, IDC_ITEM_NAME).setText(" ");
    Edit(*dialog, IDC_INVOICE_NUMBER).setText(" 1234 ");
    dialog->OnOK();
    EXPECT_TRUE(TakeMessages().empty());
    EXPECT_EQ(dialog->result(), IDOK);
    const std::vector<Shipment> stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].courierIndex, 0);
    EXPECT_EQ(stored[0].itemName, u" ");
    EXPECT_EQ(stored[0].invoiceNumber, u" 1234 ");
    EXPECT_EQ(stored[0].status, InDelivery);
    EXPECT_GE(stored[0].entryDate, before);
    EXPECT_LE(stored[0].entryDate, CurrentInstant());
}

TEST_F(NewTrackDlgTest, EditShowsTheShipmentKeepsItsEntryDateAndCancelWritesNothing) {
    const Instant entry = 1'600'000'000;
    const Instant order = 1'599'000'000;
    Shipment original = test::MakeShipment(u"555", entry, order, Done);
    original.courierIndex = 1;
    ASSERT_TRUE(m_store.Add(original));

    auto cancelled = Open(0);
    EXPECT_EQ(cancelled->Title(), u"배송조회 편집");
    EXPECT_EQ(Combo(*cancelled, IDC_COURIER_COMBO).currentIndex(), 1);
    EXPECT_EQ(Note(*cancelled), "주말 휴무");
    EXPECT_EQ(Edit(*cancelled, IDC_INVOICE_NUMBER).text(), "555");
    EXPECT_EQ(Edit(*cancelled, IDC_ITEM_NAME).text(), "물품 555");
    EXPECT_EQ(Combo(*cancelled, IDC_STATUS_COMBO).currentText(), "완료");
    Edit(*cancelled, IDC_ITEM_NAME).setText("바뀐 이름");
    cancelled->OnCancel();
    EXPECT_EQ(cancelled->result(), IDCANCEL);
    EXPECT_EQ(Stored()[0].itemName, u"물품 555");

    auto edited = Open(0);
    Edit(*edited, IDC_ITEM_NAME).setText("바뀐 이름");
    Combo(*edited, IDC_STATUS_COMBO).setCurrentIndex(Cancelled);
    edited->OnOK();
    EXPECT_EQ(edited->result(), IDOK);
    const Shipment saved = Stored()[0];
    EXPECT_EQ(saved.itemName, u"바뀐 이름");
    EXPECT_EQ(saved.status, Cancelled);
    EXPECT_EQ(saved.entryDate, entry);
    EXPECT_EQ(saved.orderDate, order) << "the picker gives back date and time of day";
}

TEST_F(NewTrackDlgTest, FailedWriteOrOddRecordNeverLosesInputOrFails) {
    CShipmentDatabase closed; // never opened: every write fails
    auto dialog = Open(CNewTrackDlg::kNewShipment, &closed);
    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(0);
    Edit(*dialog, IDC_ITEM_NAME).setText("책");
    Edit(*dialog, IDC_INVOICE_NUMBER).setText("1234");
    dialog->OnOK();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{kNoSave});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), IDOK);
    EXPECT_EQ(Edit(*dialog, IDC_INVOICE_NUMBER).text(), "1234");

    // A courier the table no longer has: no selection and no note.
    Shipment orphan = test::MakeShipment(u"9", 1'600'000'000, 1'600'000'000);
    orphan.courierIndex = 40;
    ASSERT_TRUE(m_store.Add(orphan));
    auto odd = Open(0);
    EXPECT_EQ(Combo(*odd, IDC_COURIER_COMBO).currentIndex(), -1);
    EXPECT_EQ(Note(*odd), "");
    EXPECT_EQ(Edit(*odd, IDC_INVOICE_NUMBER).text(), "9");

    // A position without a record: an empty form, and saving it fails like above.
    auto missing = Open(5);
    EXPECT_EQ(Edit(*missing, IDC_ITEM_NAME).text(), "");
    Combo(*missing, IDC_COURIER_COMBO).setCurrentIndex(0);
    Edit(*missing, IDC_ITEM_NAME).setText("책");
    Edit(*missing, IDC_INVOICE_NUMBER).setText("1");
    missing->OnOK();
    EXPECT_EQ(TakeMessages(), std::vector<QString>{kNoSave});
    EXPECT_EQ(Stored().size(), 1u);
}

// Run at 96 dots per inch and, in the high-resolution executable, at 192.
TEST(DialogTitleTest, BandIsBoldDarkBlueOverARuleAcrossTheWidth) {
    for (const int dpi : {96, 192}) {
        FakeDrawingContext dc;
        dc.SetHorizontalResolution(480);
        const FontHandle before = dc.SelectedFont();
        DrawDialogTitle(dc, u"옵션", dpi);
        const int band = dpi == 96 ? 24 : 48;
        ASSERT_EQ(dc.Calls().size(), 2u);
        const FakeDrawCall& text = dc.Calls()[0];
        EXPECT_EQ(text.rect, (Rect{8, 0, 480, band}));
        EXPECT_EQ(text.format, DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_NOPREFIX);
        EXPECT_EQ(text.color, Rgb(0, 0, 156));
        EXPECT_EQ(text.font.weight, FW_BOLD);
        EXPECT_EQ(text.font.height, -FakeDrawingContext::DefaultFontHeight) << "a bold copy of the current font";
        EXPECT_EQ(dc.Calls()[1].at, (Point{0, band}));
        EXPECT_EQ(dc.Calls()[1].to, (Point{480, band}));
        EXPECT_EQ(dc.SelectedFont(), before);
        EXPECT_EQ(dc.FontsAlive(), 0);
    }

    // The real dialog at this executable's resolution.
    CShipmentDatabase store;
    const std::vector<Courier> couriers;
    CNewTrackDlg dialog(couriers, store);
    dialog.resize(320, 400);
    dialog.show();
    const QImage image = dialog.grab().toImage();
    const int band = PARCELO_TEST_DPI * 24 / 96;
    EXPECT_EQ(image.pixelColor(image.width() - 2, band), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(image.width() - 2, band + 1), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(image.width() - 2, band - 1), QColor(Qt::black));
}

} // namespace
