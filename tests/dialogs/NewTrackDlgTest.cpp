#include "dialogs/NewTrackDlg.h"

#include "couriers/CourierDetector.h"
#include "dialogs/DialogTitle.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "support/FakeClock.h"
#include "support/FakeDrawingContext.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Transaction.h>
#include <tuple>

namespace parcelo::test {
namespace {

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC
// What the form shows: courier choice, its note, item name, invoice number and status.
using Form = std::tuple<int, QString, QString, QString, QString>;

auto Fields(const Shipment& s) {
    return std::tie(s.courierIndex, s.invoiceNumber, s.itemName, s.entryDate, s.orderDate, s.status);
}
template <typename Widget = QLineEdit> Widget& Item(CNewTrackDlg& dialog, int id) {
    return *qobject_cast<Widget*>(dialog.GetDlgItem(id));
}
Form FormOf(CNewTrackDlg& dialog) {
    return {Item<QComboBox>(dialog, IDC_COURIER_COMBO).currentIndex(), Item<QLabel>(dialog, IDC_COURIER_NOTE).text(),
            Item(dialog, IDC_ITEM_NAME).text(), Item(dialog, IDC_INVOICE_NUMBER).text(),
            Item<QComboBox>(dialog, IDC_STATUS_COMBO).currentText()};
}
// Picks and types what is given; -1 and nullptr leave a field as it is.
void Fill(CNewTrackDlg& dialog, int courier, const char* itemName, const char* number, int status = -1) {
    for (auto [id, index] : {std::pair(IDC_COURIER_COMBO, courier), {IDC_STATUS_COMBO, status}}) {
        Item<QComboBox>(dialog, id).setCurrentIndex(index >= 0 ? index : Item<QComboBox>(dialog, id).currentIndex());
    }
    for (auto [id, text] : {std::pair(IDC_ITEM_NAME, itemName), {IDC_INVOICE_NUMBER, number}}) {
        Item(dialog, id).setText(text != nullptr ? QString(text) : Item(dialog, id).text());
    }
}
QDateTime Local(Instant instant) {
    LocalDateTime t;
    EXPECT_TRUE(BreakDownLocalTime(instant, t));
    return {QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second)};
}

// Couriers C0..C2; with the detector, 0 takes ten digits from 1, 1 twelve digits with mod7, 2
// any twelve digits.
class NewTrackDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.filePath("VELDAN.EDB").toStdU16String()) && m_store.Open(u"TRACKDB"));
    }
    // The dialog as the list view opens it, shown without a modal loop.
    std::unique_ptr<CNewTrackDlg> Open(int64_t id, CShipmentDatabase* store = nullptr, bool detecting = false) {
        auto dialog = std::make_unique<CNewTrackDlg>(m_couriers, store != nullptr ? *store : m_store, m_clock);
        if (detecting) {
            dialog->SetDetector(m_detector);
        }
        dialog->SetEditId(id);
        dialog->show();
        return dialog;
    }
    std::vector<Shipment> Stored() { return AllShipments(m_store); }
    int64_t Add(int courier, std::u16string_view item, int status = InDelivery) {
        Shipment shipment = MakeShipment(courier, item, 1'600'000'000, 1'599'000'000, status);
        EXPECT_TRUE(m_store.Add(shipment));
        return shipment.id;
    }
    // Types `typed` over the year of the picker, then picks `picked`: the date typed and the one kept.
    static std::pair<QDate, QDateTime> TypeAndPick(CNewTrackDlg& dialog, const char* typed, const char* picked) {
        auto& picker = Item<QDateTimeEdit>(dialog, IDC_ORDER_DATE);
        QLineEdit& field = *picker.findChild<QLineEdit*>();
        QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(3, field.height() / 2)); // into the year
        QTest::keyClicks(&picker, typed);
        EXPECT_LE(field.fontMetrics().horizontalAdvance(picker.text()), field.width()) << "the date shows whole";
        const QDate typedDate = picker.date();
        picker.setDateTime(QDateTime::fromString(picked, Qt::ISODate));
        return {typedDate, picker.dateTime()};
    }

    QTemporaryDir m_folder;
    FakeClock m_clock{kNow};
    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers = NumberedCouriers(3);
    FakeMessageBoxService m_messages;
    const CourierDetector m_detector{{{0, u"1\\d{9}", u""}, {1, u"\\d{12}", u"mod7"}, {2, u"\\d{12}", u""}},
                                     [](std::string_view) {}};
};

// Typing picks the one courier that accepts a new number; once the user picks, the pick
// stands, warned but saved, and an edit keeps the stored courier whatever the number says.
// A missing courier, item name or invoice number (a blank is text) or one longer than any
// real number is told and keeps the form; the shipment is stored as typed, entered at the
// clock's instant. The picker starts on the clock's day, or the stored one; a date is typed
// over the part under the cursor, every year written out whole; it keeps to the dates the
// store can hold (1900 to 2100), both ends read back as picked.
TEST_F(NewTrackDlgTest, TheFormSuggestsACourierChecksInOrderAndStoresAsTyped) {
    auto dialog = Open(CNewTrackDlg::kNewShipment, nullptr, true);
    EXPECT_EQ(Item<QDateTimeEdit>(*dialog, IDC_ORDER_DATE).date(), Local(kNow).date());
    EXPECT_EQ(TypeAndPick(*dialog, "195537", "1850-06-01"),
              std::pair(QDate(1955, 3, 7), QDateTime(QDate(1900, 1, 1), QTime(0, 0))));
    QLineEdit& number = Item(*dialog, IDC_INVOICE_NUMBER);
    QTest::keyClicks(&number, "1234-567890");
    EXPECT_EQ(std::get<0>(FormOf(*dialog)), 0);
    number.clear();
    EXPECT_EQ(FormOf(*dialog), (Form{-1, "", "", "", "배송중"}));
    for (const char* item : {"", " ", " "}) {
        dialog->OnOK();
        EXPECT_FALSE(m_messages.Take().isEmpty());
        Fill(*dialog, 1, item, "");
    }
    EXPECT_EQ(FormOf(*dialog), (Form{1, "note 1", " ", "", "배송중"})) << "the note follows the courier";
    QTest::keyClicks(&number, "1234567890");
    EXPECT_EQ(FormOf(*dialog), (Form{1, "송장번호를 다시 확인하십시오", " ", "1234567890", "배송중"}));
    Fill(*dialog, -1, nullptr, "12345678901234567890123456789012345678901");
    dialog->OnOK();
    EXPECT_TRUE(m_messages.Take().contains("40자") && Stored().empty());
    Fill(*dialog, -1, nullptr, " 1234567890 ");
    dialog->OnOK();
    EXPECT_EQ(std::pair(m_messages.Take(), dialog->result()), std::pair(QString(), int{IDOK}));
    ASSERT_EQ(Stored().size(), 1u);
    const Shipment stored = Stored()[0];
    EXPECT_EQ(Fields(stored), Fields({1, u" 1234567890 ", u" ", kNow, stored.orderDate, InDelivery}));
    EXPECT_EQ(Local(stored.orderDate), QDateTime(QDate(1900, 1, 1), QTime(0, 0)));

    auto edit = Open(stored.id, nullptr, true);
    EXPECT_EQ(std::get<1>(FormOf(*edit)), "송장번호를 다시 확인하십시오");
    Item(*edit, IDC_INVOICE_NUMBER).setText("123456789013");
    EXPECT_EQ(FormOf(*edit), (Form{1, "note 1", " ", "123456789013", "배송중"}));
    const QDateTime last(QDate(2100, 12, 31), QTime(23, 59, 59));
    EXPECT_EQ(TypeAndPick(*edit, "2100", "2400-01-01T12:00"), std::pair(QDate(2100, 1, 1), last));
    edit->OnOK();
    EXPECT_EQ(Local(m_store.Read(stored.id).value_or(Shipment{}).orderDate), last);
}

// A number stored for the same courier (blanks and hyphens aside) is asked about, on an add
// and on an edit that makes one. An edit keeps the entry date and an unknown status code
// unless a status is chosen; a courier the table no longer has shows no selection; a
// shipment deleted meanwhile is told and never saved back. Closing the window or Escape asks
// first once something was typed; No keeps the form. A failed write keeps the form; only a
// lock elsewhere, which a retry mends, invites a retry.
TEST_F(NewTrackDlgTest, EditsKeepWhatTheyDoNotChangeAndNothingIsLostUnasked) {
    const int64_t first = Add(0, u"x", 7);
    const int64_t second = Add(1, u"y");
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 1, "새 책", " INV-y");
    m_messages.QueueAnswer(IDNO);
    dialog->OnOK();
    EXPECT_EQ(std::pair(m_messages.Take(), dialog->isVisible()),
              std::pair(QString("이미 등록된 송장번호입니다: 상품명 y\n그래도 저장하시겠습니까?"), true));
    dialog->OnOK(); // the fake answers Yes
    ASSERT_EQ(std::pair(m_messages.Take().isEmpty(), Stored().size()), std::pair(false, size_t{3}));
    EXPECT_EQ(m_store.Read(dialog->SavedId()).value_or(Shipment{}).itemName, u"새 책");

    // Per edit: shipment, courier and status chosen (-1: as stored), number typed, asked about.
    const std::tuple<int64_t, int, int, const char*, bool> edits[] = {{first, -1, -1, nullptr, false},
                                                                      {first, -1, Cancelled, nullptr, false},
                                                                      {second, -1, -1, "INVy ", false},
                                                                      {first, 1, -1, "INV-y", true}};
    Shipment original = *m_store.Read(first);
    original.itemName = u"바뀐 이름";
    for (const auto& [id, courier, status, number, asked] : edits) {
        auto edit = Open(id);
        Fill(*edit, courier, "바뀐 이름", number, status);
        original.status = status >= 0 ? status : original.status;
        m_messages.QueueAnswer(IDNO);
        edit->OnOK();
        EXPECT_EQ(m_messages.Take().startsWith("이미 등록된 송장번호입니다"), asked) << id << " " << courier;
        EXPECT_EQ(Fields(*m_store.Read(first)), Fields(original))
            << "the picker gives back date and time; No keeps all";
    }

    const int64_t unknown = Add(40, u"9");
    dialog = Open(unknown);
    EXPECT_EQ(FormOf(*dialog), (Form{-1, "", "9", "INV-9", "배송중"}));
    ASSERT_TRUE(m_store.Delete(unknown));
    Fill(*dialog, 0, nullptr, nullptr);
    dialog->OnOK();
    EXPECT_FALSE(m_messages.Take().isEmpty());
    EXPECT_EQ(std::pair(dialog->result(), m_store.Read(unknown).has_value()), std::pair(int{IDCANCEL}, false))
        << "nothing came back";

    dialog = Open(first);
    QTest::keyClicks(&Item(*dialog, IDC_ITEM_NAME), "y");
    m_messages.QueueAnswer(IDNO);
    dialog->close();
    EXPECT_EQ(std::pair(m_messages.Take(), dialog->isVisible()),
              std::pair(QString("변경 내용을 저장하지 않고 닫을까요?"), true));
    QTest::keyClick(dialog.get(), Qt::Key_Escape); // the fake answers Yes
    EXPECT_EQ(std::tuple(m_messages.Take().isEmpty(), dialog->isVisible(), dialog->result()),
              std::tuple(false, false, int{IDCANCEL}));
    EXPECT_EQ(Fields(*m_store.Read(first)), Fields(original)) << "nothing saved";

    dialog = Open(CNewTrackDlg::kNewShipment);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(std::pair(m_messages.Take(), dialog->isVisible()), std::pair(QString(), false));
    dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 0, "책", "1234");
    {
        SQLite::Database other(m_folder.filePath("VELDAN.EDB").toStdString(), SQLite::OPEN_READWRITE);
        SQLite::Transaction lock(other, SQLite::TransactionBehavior::EXCLUSIVE);
        dialog->OnOK();
    }
    EXPECT_TRUE(m_messages.Take().contains("다시 시도"));
    EXPECT_EQ(FormOf(*dialog), (Form{0, "note 0", "책", "1234", "배송중"}));
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), IDOK) << "the retry works once the lock is gone";

    CShipmentDatabase closed; // never opened
    dialog = Open(CNewTrackDlg::kNewShipment, &closed);
    Fill(*dialog, 0, "책", "1234");
    dialog->OnOK();
    const QString refusal = m_messages.Take();
    EXPECT_FALSE(refusal.isEmpty() || refusal.contains("다시 시도") || !dialog->isVisible()) << refusal.toStdString();
}

// Upright or on its side, no field runs off the dialog and the longest courier note shows
// whole; screen readers hear each field by a name, and the dialog by its title. The title band
// leaves the caller's font selected and leaks none.
class NewTrackDlgLayoutTest : public NewTrackDlgTest {};
TEST_F(NewTrackDlgLayoutTest, FieldsAndNoteStretchToTheDialogWidth) {
    const int scale = DpiCache().DpiX() / 96;
    const QString note = QString::fromUtf16(u"송장번호는숫자열두자리이며하이픈없이붙여서입력하십시오확인바랍");
    CopyField(m_couriers[0].note, note); // as long as a note can be
    auto dialog = Open(CNewTrackDlg::kNewShipment);
    Fill(*dialog, 0, nullptr, nullptr);
    const auto& noteLabel = Item<QLabel>(*dialog, IDC_COURIER_NOTE);
    ASSERT_EQ(noteLabel.text(), note);
    EXPECT_EQ(dialog->accessibleName(), "새 배송조회");
    for (const QSize shape : {QSize(480, 640), QSize(640, 480)}) {
        dialog->resize(shape * scale);
        for (const int id : {IDC_COURIER_COMBO, IDC_ITEM_NAME, IDC_INVOICE_NUMBER, IDC_ORDER_DATE, IDC_STATUS_COMBO}) {
            EXPECT_TRUE(dialog->rect().contains(dialog->GetDlgItem(id)->geometry())) << id << " at " << dialog->width();
            EXPECT_FALSE(dialog->GetDlgItem(id)->accessibleName().isEmpty()) << id;
        }
        EXPECT_TRUE(dialog->rect().contains(noteLabel.geometry()));
        EXPECT_LE(noteLabel.fontMetrics().horizontalAdvance(note), noteLabel.contentsRect().width());
    }
    FakeDrawingContext dc;
    DrawDialogTitle(dc, u"옵션", ScreenDpi{192, 192, 2.0});
    EXPECT_EQ(std::pair(dc.SelectedFont(), dc.FontsAlive()), std::pair(dc.DefaultFont(), 0));
}

} // namespace
} // namespace parcelo::test
