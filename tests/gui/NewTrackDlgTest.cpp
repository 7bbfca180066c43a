#include "dialogs/NewTrackDlg.h"

#include "couriers/CourierDetector.h"
#include "dialogs/DialogTitle.h"
#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "support/FakeClock.h"
#include "support/FakeDrawingContext.h"
#include "support/FakeMessageBoxService.h"

#include <QComboBox>
#include <QDateTimeEdit>
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

    // A missing courier, item name or invoice number (a blank is text) is told and keeps the form.
    for (const char* item : {"", " ", " "}) {
        dialog->OnOK();
        EXPECT_FALSE(TakeMessage().isEmpty());
        Fill(*dialog, 1, item, "");
    }
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

// An edit keeps the entry date and an unknown status code unless a status is chosen.
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

// The picker keeps to the dates the store can hold (1900 to 2100), and both ends read back as picked.
TEST_F(NewTrackDlgTest, OrderDateIsStoredAsPicked) {
    const std::pair<QDateTime, QDateTime> picks[] = {
        {QDateTime(QDate(1850, 6, 1), QTime(0, 0)), QDateTime(QDate(1900, 1, 1), QTime(0, 0))},
        {QDateTime(QDate(2400, 1, 1), QTime(12, 0)), QDateTime(QDate(2100, 12, 31), QTime(23, 59, 59))}};
    for (const auto& [picked, kept] : picks) {
        auto dialog = Open(CNewTrackDlg::kNewShipment);
        Fill(*dialog, 0, "책", "1");
        auto& picker = *qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE));
        picker.setDateTime(picked);
        EXPECT_EQ(picker.dateTime(), kept);
        dialog->OnOK();
        ASSERT_EQ(dialog->result(), IDOK);
        LocalDateTime date;
        ASSERT_TRUE(BreakDownLocalTime(Stored()[0].orderDate, date));
        EXPECT_EQ(QDateTime(QDate(date.year, date.month, date.day), QTime(date.hour, date.minute, date.second)), kept);
        ASSERT_TRUE(m_store.Delete(Stored()[0].id));
    }
}

// A number stored for the same courier (blanks and hyphens aside) is asked about, on an add
// and on an edit that makes one; a number longer than any real one is refused.
TEST_F(NewTrackDlgTest, DuplicateNumbersAreAskedAboutAndOverlongOnesRefused) {
    const int64_t first = Add(MakeShipment(0, u"x", kNow, kNow, InDelivery));
    Shipment other = MakeShipment(1, u"y", kNow, kNow, InDelivery);
    other.invoiceNumber = u"3333";
    const int64_t second = Add(other);
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 1, "새 책", " 33-33");
    m_messages.QueueAnswer(IDNO);
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "이미 등록된 송장번호입니다: 상품명 y\n그래도 저장하시겠습니까?");
    EXPECT_TRUE(dialog->isVisible());
    dialog->OnOK(); // the fake answers Yes
    EXPECT_FALSE(TakeMessage().isEmpty());
    ASSERT_EQ(Stored().size(), 3u);
    ASSERT_TRUE(m_store.Read(dialog->SavedId()).has_value());
    EXPECT_EQ(m_store.Read(dialog->SavedId())->itemName, u"새 책");

    auto edit = Open(first);
    Edit(*edit, IDC_ITEM_NAME).setText("바뀐 이름");
    edit->OnOK();
    EXPECT_EQ(TakeMessage(), "") << "an unchanged number is not asked about";
    edit = Open(first);
    Combo(*edit, IDC_COURIER_COMBO).setCurrentIndex(1);
    Edit(*edit, IDC_INVOICE_NUMBER).setText("3333");
    m_messages.QueueAnswer(IDNO);
    edit->OnOK();
    EXPECT_TRUE(TakeMessage().startsWith("이미 등록된 송장번호입니다"));
    EXPECT_EQ(m_store.Read(first)->courierIndex, 0);
    edit = Open(second);
    Edit(*edit, IDC_INVOICE_NUMBER).setText("3333 ");
    edit->OnOK();
    EXPECT_EQ(TakeMessage(), "") << "the shipment itself is no duplicate";

    for (const auto& [number, refused] : {std::pair("1234-5678-9012-3456-7890-1234-5678-9012-3456-7890", false),
                                          std::pair("12345678901234567890123456789012345678901", true)}) {
        dialog = Open(CNewTrackDlg::kNewShipment);
        Fill(*dialog, 0, "긴 번호", number);
        dialog->OnOK();
        EXPECT_EQ(TakeMessage().contains("40자"), refused) << number;
        EXPECT_EQ(dialog->isVisible(), refused);
    }
}

// Closing the window or Escape asks first once something was typed; No keeps the form.
TEST_F(NewTrackDlgTest, ClosingAChangedFormAsksFirst) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(TakeMessage(), "");
    EXPECT_FALSE(dialog->isVisible());

    const int64_t id = Add(MakeShipment(0, u"x", kNow, kNow, InDelivery));
    dialog = Open(id);
    QTest::keyClicks(&Edit(*dialog, IDC_ITEM_NAME), "y");
    m_messages.QueueAnswer(IDNO);
    dialog->close();
    EXPECT_EQ(TakeMessage(), "변경 내용을 저장하지 않고 닫을까요?");
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog.get(), Qt::Key_Escape); // the fake answers Yes
    EXPECT_FALSE(TakeMessage().isEmpty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(m_store.Read(id)->itemName, u"x") << "nothing saved";
}

// A date is typed into the field as into any date field: over the part under the cursor,
// with every year of the range written out whole.
TEST_F(NewTrackDlgTest, OrderDateCanBeTyped) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    auto& picker = *qobject_cast<QDateTimeEdit*>(dialog->GetDlgItem(IDC_ORDER_DATE));
    QLineEdit& field = *picker.findChild<QLineEdit*>();
    for (const auto& [typed, expected] :
         {std::pair("195537", QDate(1955, 3, 7)), std::pair("2100", QDate(2100, 3, 7))}) {
        QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(3, field.height() / 2)); // into the year
        QTest::keyClicks(&picker, typed);
        EXPECT_EQ(picker.date(), expected) << picker.text().toStdString();
        EXPECT_LE(field.fontMetrics().horizontalAdvance(picker.text()), field.width()) << "the date shows whole";
    }
}

// A failed write keeps the form; only a lock elsewhere, which a retry mends, invites a retry.
TEST_F(NewTrackDlgTest, FailedWriteKeepsTheInputAndSaysWhetherARetryCanHelp) {
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 0, "책", "1234");
    {
        SQLite::Database other(m_folder.filePath("VELDAN.EDB").toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction lock(other, SQLite::TransactionBehavior::EXCLUSIVE);
        dialog->OnOK();
    }
    EXPECT_TRUE(TakeMessage().contains("다시 시도"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(FormOf(*dialog), (Form{0, "note 0", "책", "1234", "배송중"}));
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), IDOK) << "the retry works once the lock is gone";

    CShipmentDatabase closed; // never opened
    dialog = Open(CNewTrackDlg::kNewShipment, &closed);
    Fill(*dialog, 0, "책", "1234");
    dialog->OnOK();
    const QString refusal = TakeMessage();
    EXPECT_FALSE(refusal.isEmpty() || refusal.contains("다시 시도")) << refusal.toStdString();
    EXPECT_TRUE(dialog->isVisible());
}

// A shipment deleted elsewhere while it is edited is told and never saved back.
TEST_F(NewTrackDlgTest, ShipmentDeletedElsewhereIsToldAndNotEdited) {
    const int64_t kept = Add(MakeShipment(0, u"2", 1'600'000'000, 1'600'000'000, InDelivery));
    auto dialog = Open(kept);
    Edit(*dialog, IDC_ITEM_NAME).setText("바뀐 이름");
    ASSERT_TRUE(m_store.Delete(kept));
    dialog->OnOK();
    EXPECT_FALSE(TakeMessage().isEmpty());
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_TRUE(Stored().empty()) << "nothing came back";
}

// A courier the table no longer has: no selection and no note.
TEST_F(NewTrackDlgTest, UnknownCourierShowsNoSelection) {
    const int64_t id = Add(MakeShipment(40, u"9", 1'600'000'000, 1'600'000'000, InDelivery));
    EXPECT_EQ(FormOf(*Open(id)), (Form{-1, "", "9", "INV-9", "배송중"}));
}

// Courier 0: ten digits from 1; 1: twelve digits with mod7; 2: any twelve digits.
class NewTrackDlgDetectionTest : public NewTrackDlgTest {
protected:
    std::unique_ptr<CNewTrackDlg> OpenDetecting(int64_t id) {
        auto dialog = std::make_unique<CNewTrackDlg>(m_couriers, m_store, m_clock);
        dialog->SetDetector(m_detector);
        dialog->SetEditId(id);
        dialog->show();
        return dialog;
    }

    const CourierDetector m_detector{{{0, u"1\\d{9}", u""}, {1, u"\\d{12}", u"mod7"}, {2, u"\\d{12}", u""}},
                                     [](std::string_view) {}};
};

// Typing picks the one courier that accepts the number; the user's pick stands, warned but saved.
TEST_F(NewTrackDlgDetectionTest, NumberSuggestsTheCourierUntilTheUserPicks) {
    m_couriers = NumberedCouriers(3);
    auto dialog = OpenDetecting(CNewTrackDlg::kNewShipment);
    QLineEdit& number = Edit(*dialog, IDC_INVOICE_NUMBER);
    QTest::keyClicks(&number, "1234-567890");
    EXPECT_EQ(std::get<0>(FormOf(*dialog)), 0);
    number.clear();
    EXPECT_EQ(FormOf(*dialog), (Form{-1, "", "", "", "배송중"}));

    Combo(*dialog, IDC_COURIER_COMBO).setCurrentIndex(1);
    QTest::keyClicks(&number, "1234567890");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "송장번호를 다시 확인하십시오", "", "1234567890", "배송중"}));
    Edit(*dialog, IDC_ITEM_NAME).setText("책");
    dialog->OnOK();
    EXPECT_EQ(TakeMessage(), "");
    ASSERT_EQ(Stored().size(), 1u);
    EXPECT_EQ(std::tie(Stored()[0].courierIndex, Stored()[0].invoiceNumber), std::tuple(1, u"1234567890"));
}

// An edit keeps the stored courier whatever the number says; the warning goes once it is right.
TEST_F(NewTrackDlgDetectionTest, EditWarnsButNeverPicks) {
    m_couriers = NumberedCouriers(3);
    Shipment stored = MakeShipment(1, u"x", 1'600'000'000, 1'600'000'000, InDelivery);
    stored.invoiceNumber = u"1234567890";
    ASSERT_TRUE(m_store.Add(stored));
    auto dialog = OpenDetecting(stored.id);
    EXPECT_EQ(std::get<1>(FormOf(*dialog)), "송장번호를 다시 확인하십시오");
    Edit(*dialog, IDC_INVOICE_NUMBER).setText("123456789013");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "note 1", "x", "123456789013", "배송중"}));
}

// Upright or on its side, no field runs off the dialog and the longest courier note shows whole.
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

    for (const QSize shape : {QSize(480, 640), QSize(640, 480)}) {
        dialog.resize(shape * scale);
        for (const int id : {IDC_COURIER_COMBO, IDC_ITEM_NAME, IDC_INVOICE_NUMBER, IDC_COURIER_NOTE, IDC_ORDER_DATE,
                             IDC_STATUS_COMBO}) {
            EXPECT_TRUE(dialog.rect().contains(dialog.GetDlgItem(id)->geometry())) << id << " at " << dialog.width();
        }
        EXPECT_LE(noteLabel->fontMetrics().horizontalAdvance(note), noteLabel->contentsRect().width());
    }
    // Screen readers hear each field by its label, and the dialog by its title.
    EXPECT_EQ(dialog.accessibleName(), u"새 배송조회"_qs);
    for (const auto& [id, name] : {std::pair{IDC_COURIER_COMBO, u"택배회사"}, std::pair{IDC_ITEM_NAME, u"물품명"},
                                   std::pair{IDC_INVOICE_NUMBER, u"송장번호"}, std::pair{IDC_ORDER_DATE, u"주문날짜"},
                                   std::pair{IDC_STATUS_COMBO, u"상태"}}) {
        EXPECT_EQ(dialog.GetDlgItem(id)->accessibleName(), QString::fromUtf16(name)) << id;
    }
}

// The title band leaves the caller's font selected and leaks none.
TEST(DialogTitleTest, BandRestoresTheFont) {
    FakeDrawingContext dc;
    const FontHandle before = dc.SelectedFont();
    DrawDialogTitle(dc, u"옵션", ScreenDpi{192, 192, 2.0});
    EXPECT_EQ(dc.SelectedFont(), before);
    EXPECT_EQ(dc.FontsAlive(), 0);
}

} // namespace
} // namespace parcelo::test
