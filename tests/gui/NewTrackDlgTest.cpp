#include "dialogs/NewTrackDlg.h"

#include "couriers/CourierDetector.h"
#include "dialogs/DialogTitle.h"
#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "res/resource.h"
#include "support/FakeClock.h"
#include "support/FakeDrawingContext.h"
#include "support/FakeMessageBoxService.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <tuple>

#ifndef PARCELO_TEST_DPI
#define PARCELO_TEST_DPI 96
#endif

namespace parcelo::test {
namespace {

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC

// What the form shows: courier choice, its note, item name, invoice number and status.
using Form = std::tuple<int, QString, QString, QString, QString>;

auto Fields(const Shipment& s) {
    return std::tie(s.courierIndex, s.invoiceNumber, s.itemName, s.entryDate, s.orderDate, s.status);
}

class NewTrackDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.filePath("VELDAN.EDB").toStdU16String()) && m_store.Open(u"TRACKDB"));
    }

    // The dialog as the list view opens it, shown without a modal loop.
    std::unique_ptr<CNewTrackDlg> Open(int64_t id, CShipmentDatabase* store = nullptr) {
        auto dialog = std::make_unique<CNewTrackDlg>(m_couriers, store != nullptr ? *store : m_store, m_clock);
        dialog->SetEditId(id);
        dialog->show();
        return dialog;
    }
    std::vector<Shipment> Stored() { return AllShipments(m_store); }
    // Adds a shipment and gives its id.
    int64_t Add(Shipment shipment) {
        EXPECT_TRUE(m_store.Add(shipment));
        return shipment.id;
    }
    // The text of the one message box shown since the last call, or "" when none was.
    QString TakeMessage() {
        EXPECT_LE(m_messages.Calls().size(), 1u);
        QString text = m_messages.Calls().empty() ? QString() : m_messages.Calls()[0].text;
        m_messages.Clear();
        return text;
    }

    static QComboBox& Combo(CNewTrackDlg& dialog, int id) { return *qobject_cast<QComboBox*>(dialog.GetDlgItem(id)); }
    static QLineEdit& Edit(CNewTrackDlg& dialog, int id) { return *qobject_cast<QLineEdit*>(dialog.GetDlgItem(id)); }
    static Form FormOf(CNewTrackDlg& dialog) {
        return {Combo(dialog, IDC_COURIER_COMBO).currentIndex(),
                qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_COURIER_NOTE))->text(), Edit(dialog, IDC_ITEM_NAME).text(),
                Edit(dialog, IDC_INVOICE_NUMBER).text(), Combo(dialog, IDC_STATUS_COMBO).currentText()};
    }
    static void Fill(CNewTrackDlg& dialog, int courier, const QString& itemName, const QString& invoiceNumber) {
        Combo(dialog, IDC_COURIER_COMBO).setCurrentIndex(courier);
        Edit(dialog, IDC_ITEM_NAME).setText(itemName);
        Edit(dialog, IDC_INVOICE_NUMBER).setText(invoiceNumber);
    }

    QTemporaryDir m_folder;
    FakeClock m_clock{kNow};
    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers = NumberedCouriers(2);
    FakeMessageBoxService m_messages;
};

TEST_F(NewTrackDlgTest, NewShipmentIsCheckedInOrderAndStoredAsTyped) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    LocalDateTime today;
    ASSERT_TRUE(BreakDownLocalTime(kNow, today));
    EXPECT_EQ(qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE))->date(),
              QDate(today.year, today.month, today.day))
        << "the picker starts on the clock's day";

    // Courier, then item name, then invoice number (a blank is text); each time the form stays as it was.
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "택배 회사를 선택하십시오.");
    Fill(*dialog, 1, "", "");
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "물품명을 입력하십시오");
    Fill(*dialog, 1, " ", "");
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "송장번호를 입력하십시오");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "note 1", " ", "", "배송중"})) << "the note follows the courier";
    EXPECT_TRUE(Stored().empty());

    Fill(*dialog, 0, " ", " 1234 ");
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), IDOK);
    const std::vector<Shipment> stored = Stored();
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(Fields(stored[0]), Fields({0, u" 1234 ", u" ", stored[0].entryDate, stored[0].orderDate, InDelivery}));
    EXPECT_EQ(stored[0].entryDate, kNow) << "a new shipment is entered at the clock's instant";
}

// An edit keeps the entry date, and a status code this program does not know (another
// program wrote it) unless a status is chosen.
TEST_F(NewTrackDlgTest, EditKeepsTheEntryDateAndAnUnknownStatus) {
    Shipment original = MakeShipment(1, u"555", 1'600'000'000, 1'599'000'000, 7);
    ASSERT_TRUE(m_store.Add(original));
    auto edited = Open(original.id);
    Edit(*edited, IDC_ITEM_NAME).setText("바뀐 이름");
    edited->OnOK();
    ASSERT_EQ(edited->result(), IDOK);
    original.itemName = u"바뀐 이름";
    EXPECT_EQ(Fields(Stored()[0]), Fields(original)) << "the picker gives back date and time";

    edited = Open(original.id);
    Combo(*edited, IDC_STATUS_COMBO).setCurrentIndex(Cancelled);
    edited->OnOK();
    original.status = Cancelled;
    EXPECT_EQ(Fields(Stored()[0]), Fields(original));
}

// The picker offers only dates the store keeps as picked: from 1900 to the end of 2100.
TEST_F(NewTrackDlgTest, OrderDateIsStoredAsPicked) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 0, "책", "1");
    auto& picker = *qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE));
    picker.setDate(QDate(1850, 6, 1));
    EXPECT_EQ(picker.date(), QDate(1900, 1, 1));
    picker.setTime(QTime(0, 0));
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), IDOK);

    dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 1, "책", "2");
    auto& latest = *qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE));
    latest.setDateTime(QDateTime(QDate(2400, 1, 1), QTime(12, 0), Qt::UTC));
    EXPECT_EQ(latest.dateTime(), QDateTime(QDate(2100, 12, 31), QTime(23, 59, 59), Qt::UTC));
    dialog->OnOK();

    // Both ends read back as the dates and times that were on the picker.
    std::vector<LocalDateTime> dates;
    for (const Shipment& shipment : Stored()) {
        ASSERT_TRUE(BreakDownLocalTime(shipment.orderDate, dates.emplace_back()));
    }
    ASSERT_EQ(dates.size(), 2u);
    std::sort(dates.begin(), dates.end(), [](const auto& a, const auto& b) { return a.year < b.year; });
    EXPECT_EQ(std::tie(dates[0].year, dates[0].month, dates[0].day, dates[0].hour), std::tuple(1900, 1, 1, 0));
    EXPECT_EQ(std::tie(dates[1].year, dates[1].month, dates[1].day, dates[1].second), std::tuple(2100, 12, 31, 59));
}

// A failure a retry may mend (another program holds the file locked) keeps the form
// and invites a retry; one a retry cannot mend says why instead.
TEST_F(NewTrackDlgTest, FailedWriteKeepsTheInputAndSaysWhetherARetryCanHelp) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 0, "책", "1234");
    {
        SQLite::Database other(m_folder.filePath("VELDAN.EDB").toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction lock(other, SQLite::TransactionBehavior::EXCLUSIVE);
        dialog->OnOK();
    }
    EXPECT_EQ(TakeMessage(), "배송정보를 저장하지 못했습니다. 다시 시도해 주십시오.");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(FormOf(*dialog), (Form{0, "note 0", "책", "1234", "배송중"}));
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), IDOK) << "the retry works once the lock is gone";

    CShipmentDatabase closed; // never opened
    dialog = Open(CNewTrackDlg::kNewShipment, &closed);
    Fill(*dialog, 0, "책", "1234");
    dialog->OnOK();
    const QString refusal = TakeMessage();
    EXPECT_TRUE(refusal.startsWith("배송정보를 저장하지 못했습니다. 배송정보 데이터베이스가 열려 있지"));
    EXPECT_FALSE(refusal.contains("다시 시도")) << refusal.toStdString();
    EXPECT_TRUE(dialog->isVisible());
}

// A shipment deleted elsewhere before the editor opens, or while it is open, is not
// saved as an empty or a lost record: the editor says so and ends with Cancel.
TEST_F(NewTrackDlgTest, ShipmentDeletedElsewhereIsToldAndNotEdited) {
    const int64_t gone = Add(MakeShipment(1, u"1", 1'600'000'000, 1'600'000'000, InDelivery));
    const int64_t kept = Add(MakeShipment(0, u"2", 1'600'000'000, 1'600'000'000, InDelivery));
    ASSERT_TRUE(m_store.Delete(gone));
    auto dialog = Open(gone);
    EXPECT_EQ(TakeMessage(), "이 배송정보가 다른 곳에서 삭제되었습니다. 목록을 다시 읽습니다.");
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_TRUE(m_messages.Calls().empty()) << "no save was tried";

    dialog = Open(kept);
    Edit(*dialog, IDC_ITEM_NAME).setText("바뀐 이름");
    ASSERT_TRUE(m_store.Delete(kept));
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "배송정보를 저장하지 못했습니다. 이 배송정보가 다른 곳에서 삭제되었습니다.");
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_TRUE(Stored().empty()) << "nothing came back";
}

// A courier the table no longer has: no selection and no note.
TEST_F(NewTrackDlgTest, UnknownCourierShowsNoSelection) {
    const int64_t id = Add(MakeShipment(40, u"9", 1'600'000'000, 1'600'000'000, InDelivery));
    EXPECT_EQ(FormOf(*Open(id)), (Form{-1, "", "9", "INV-9", "배송중"}));
}

// Courier 0: ten digits starting with 1; courier 1: twelve digits with mod7; courier 2:
// any twelve digits.
class NewTrackDlgDetectionTest : public NewTrackDlgTest {
protected:
    std::unique_ptr<CNewTrackDlg> OpenDetecting(int64_t id) {
        auto dialog = std::make_unique<CNewTrackDlg>(m_couriers, m_store, m_clock);
        dialog->SetDetector(m_detector);
        dialog->SetEditId(id);
        dialog->show();
        return dialog;
    }
    static bool NoteIsRed(CNewTrackDlg& dialog) {
        return qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_COURIER_NOTE))->palette().color(QPalette::WindowText) ==
               QColor(Qt::red);
    }

    const CourierDetector m_detector{{{0, u"1\\d{9}", u""}, {1, u"\\d{12}", u"mod7"}, {2, u"\\d{12}", u""}},
                                     [](std::string_view) {}};
};

// Typing picks the one courier that accepts the number and follows further typing;
// several are listed with the combo left empty; the user's own pick then stands and
// a number it rejects is warned about in red, which does not stop saving.
TEST_F(NewTrackDlgDetectionTest, NumberSuggestsTheCourierUntilTheUserPicks) {
    m_couriers = NumberedCouriers(3);
    auto dialog = OpenDetecting(CNewTrackDlg::kNewShipment);
    QLineEdit& number = Edit(*dialog, IDC_INVOICE_NUMBER);
    QTest::keyClicks(&number, "1234-567890");
    EXPECT_EQ(FormOf(*dialog), (Form{0, "자동 선택: C0", "", "1234-567890", "배송중"}));
    number.clear();
    EXPECT_EQ(FormOf(*dialog), (Form{-1, "", "", "", "배송중"}));

    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(1);
    EXPECT_EQ(FormOf(*dialog), (Form{1, "note 1", "", "", "배송중"})) << "no warning before a number is typed";
    QTest::keyClicks(&number, "1234567890");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "송장번호를 다시 확인하십시오", "", "1234567890", "배송중"}));
    EXPECT_TRUE(NoteIsRed(*dialog));

    Edit(*dialog, IDC_ITEM_NAME).setText("책");
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "");
    ASSERT_EQ(dialog->result(), IDOK);
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_EQ(std::tie(Stored()[0].courierIndex, Stored()[0].invoiceNumber), std::tuple(1, u"1234567890"));
}

// An edit keeps the stored courier whatever the number says, and the warning goes once
// the number is right.
TEST_F(NewTrackDlgDetectionTest, EditWarnsButNeverPicks) {
    m_couriers = NumberedCouriers(3);
    Shipment stored = MakeShipment(1, u"x", 1'600'000'000, 1'600'000'000, InDelivery);
    stored.invoiceNumber = u"1234567890";
    ASSERT_TRUE(m_store.Add(stored));
    auto dialog = OpenDetecting(stored.id);
    EXPECT_EQ(FormOf(*dialog), (Form{1, "송장번호를 다시 확인하십시오", "x", "1234567890", "배송중"}));
    Edit(*dialog, IDC_INVOICE_NUMBER).setText("123456789013");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "note 1", "x", "123456789013", "배송중"}));
    EXPECT_FALSE(NoteIsRed(*dialog));
}

// Fields and the note take the width of the window the dialog covers, upright or on
// its side, with the template's left edges and order: a courier note of the longest
// kind shows whole on one line.
TEST(NewTrackDlgLayoutTest, FieldsAndNoteStretchToTheDialogWidth) {
    constexpr int scale = PARCELO_TEST_DPI / 96;
    std::vector<Courier> couriers = NumberedCouriers(1);
    const QString note = QString::fromUtf16(u"송장번호는숫자열두자리이며하이픈없이붙여서입력하십시오확인바랍");
    ASSERT_EQ(note.size(), 31);
    std::copy_n(note.utf16(), note.size(), couriers[0].note);
    CShipmentDatabase store;
    const Clock clock;
    QWidget owner;
    owner.resize(480 * scale, 640 * scale);
    CNewTrackDlg dialog(couriers, store, clock, &owner);
    dialog.show();
    qobject_cast<QComboBox*>(dialog.GetDlgItem(IDC_COURIER_COMBO))->setCurrentIndex(0);
    const auto* noteLabel = qobject_cast<QLabel*>(dialog.GetDlgItem(IDC_COURIER_NOTE));
    ASSERT_EQ(noteLabel->text(), note);

    // Top to bottom as in the template.
    const int fields[] = {IDC_COURIER_COMBO, IDC_ITEM_NAME,  IDC_INVOICE_NUMBER,
                          IDC_COURIER_NOTE,  IDC_ORDER_DATE, IDC_STATUS_COMBO};
    std::vector<int> lefts;
    for (const QSize shape : {QSize(480, 640), QSize(640, 480)}) {
        dialog.resize(shape * scale);
        SCOPED_TRACE(dialog.width());
        int previousTop = -1;
        for (const int id : fields) {
            const QRect field = dialog.GetDlgItem(id)->geometry();
            EXPECT_GT(field.top(), previousTop) << id;
            previousTop = field.top();
            EXPECT_GE(field.right(), dialog.width() * 19 / 20) << id;
            EXPECT_LT(field.right(), dialog.width()) << id;
            lefts.push_back(field.left());
        }
        EXPECT_LE(noteLabel->fontMetrics().horizontalAdvance(note), noteLabel->contentsRect().width());
    }
    EXPECT_TRUE(std::equal(lefts.begin(), lefts.begin() + 6, lefts.begin() + 6)) << "left edges stay";
}

// The band's height at either resolution shows in the real dialog, built at 96 and at 192 dpi.
TEST(DialogTitleTest, BandIsARuleAcrossTheWidthAndRestoresTheFont) {
    FakeDrawingContext dc;
    const FontHandle before = dc.SelectedFont();
    DrawDialogTitle(dc, u"옵션", 192);
    EXPECT_EQ(dc.SelectedFont(), before);
    EXPECT_EQ(dc.FontsAlive(), 0);

    CShipmentDatabase store;
    const std::vector<Courier> couriers;
    const Clock clock;
    CNewTrackDlg dialog(couriers, store, clock);
    dialog.resize(320, 400);
    dialog.show();
    const QImage image = dialog.grab().toImage();
    const int band = PARCELO_TEST_DPI * 24 / 96;
    EXPECT_EQ(image.pixelColor(image.width() - 2, band), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(image.width() - 2, band + 1), QColor(Qt::black));
    EXPECT_NE(image.pixelColor(image.width() - 2, band - 1), QColor(Qt::black));
}

} // namespace
} // namespace parcelo::test
