#include "dialogs/BulkAddDlg.h"

#include "couriers/CourierDetector.h"
#include "dialogs/BulkAddReview.h"
#include "dialogs/CourierComboDelegate.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <tuple>

namespace parcelo::test {
namespace {

// Courier 0: ten digits from 1; 1: ten digits from 2; 2 and 3: any twelve; 4: no rule.
const CourierDetector& Detector() {
    static const CourierDetector detector{
        {{0, u"1\\d{9}", u""}, {1, u"2\\d{9}", u""}, {2, u"\\d{12}", u""}, {3, u"\\d{12}", u""}},
        [](std::string_view) {}};
    return detector;
}

// Per row of the review: tick, number, courier, item name, stored, repeated.
using ReviewRow = std::tuple<bool, std::u16string, int, std::u16string, bool, bool>;
std::vector<ReviewRow> RowsOf(const BulkAddReview& review) {
    std::vector<ReviewRow> rows;
    for (const BulkAddReview::Row& r : review.Rows()) {
        rows.emplace_back(r.checked, r.number, r.courierIndex, r.itemName, r.stored, r.repeated);
    }
    return rows;
}

// Numbers stored under their courier or repeated in the text are marked and unticked, also
// once such a courier is chosen; the user's ticks, couriers and names survive a new text;
// the user's shipments put their courier first among unconfirmed candidates; one courier
// goes to every ticked row without one that lists it; a courier named beside the number
// is taken unless its rule refuses the number.
TEST(BulkAddReviewTest, MarksTicksAndTheUsersChoicesFollowTheText) {
    BulkAddReview review(Detector(), {{0, u"1234567890"}, {3, u"123456789012"}, {3, u"119999999999"}},
                         {u"C0", u"C1", u"C2", u"C3", u"C4"});
    review.SetText(u"1234-567890 책\n2222222222 펜\n2222222222 펜\n123456789012 컵");
    EXPECT_EQ(RowsOf(review), (std::vector<ReviewRow>{{false, u"1234567890", 0, u"책", true, false},
                                                      {true, u"2222222222", 1, u"펜", false, false},
                                                      {false, u"2222222222", 1, u"펜", false, true},
                                                      {true, u"123456789012", -1, u"컵", false, false}}));
    review.SetCourier(3, 3);
    EXPECT_EQ(RowsOf(review)[3], (ReviewRow{false, u"123456789012", 3, u"컵", true, false}));
    review.SetCourier(3, 2);
    EXPECT_EQ(RowsOf(review)[3], (ReviewRow{false, u"123456789012", 2, u"컵", false, false}))
        << "the tick is the user's to set";
    review.SetChecked(0, true);
    review.SetItemName(1, u"새 이름");
    review.SetText(u"5555555555\n123456789012 컵\n2222222222 펜\n1234567890 책");
    EXPECT_EQ(RowsOf(review), (std::vector<ReviewRow>{{true, u"5555555555", -1, u"", false, false},
                                                      {false, u"123456789012", 2, u"컵", false, false},
                                                      {true, u"2222222222", 1, u"새 이름", false, false},
                                                      {true, u"1234567890", 0, u"책", true, false}}));

    review.SetText(u"111111111111 가\n222222222222 나\n113333333333 다\n1000000001 라\n114444444444 마\n"
                   u"333333333333 C3\n1000000002\tC1");
    EXPECT_EQ(review.Rows()[0].candidates, (std::vector<int>{3, 2})) << "the stored 11… number";
    EXPECT_EQ(review.Rows()[1].candidates, (std::vector<int>{2, 3}));
    review.SetChecked(4, false);
    EXPECT_EQ(review.SetCourierWhereCandidate(0), 0u) << "C0 is not a candidate of the others";
    EXPECT_EQ(review.CheckedWithoutCourier(), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(review.SetCourierWhereCandidate(2), 3u);
    QStringList made; // courier:number
    for (const Shipment& shipment : review.MakeShipments(5, 6)) {
        EXPECT_EQ(std::tuple(shipment.orderDate, shipment.entryDate, shipment.status), std::tuple(5, 6, InDelivery));
        made << QString("%1:%2").arg(shipment.courierIndex).arg(QString::fromStdU16String(shipment.invoiceNumber));
    }
    EXPECT_EQ(made.join(' '), "2:111111111111 2:222222222222 2:113333333333 0:1000000001 3:333333333333 0:1000000002");
}

class BulkAddDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.filePath("VELDAN.EDB").toStdU16String()) && m_store.Open(u"TRACKDB"));
    }
    // As a drop or a paste on the list opens it: the text is read as the dialog opens.
    std::unique_ptr<CBulkAddDlg> Open(const QString& text, CShipmentDatabase* store = nullptr) {
        auto dialog = std::make_unique<CBulkAddDlg>(m_couriers, Detector(), store != nullptr ? *store : m_store);
        dialog->SetInitialText(text);
        dialog->show();
        return dialog;
    }
    // Per row of the table: tick, number, courier shown, item name, mark.
    using Row = std::tuple<bool, QString, QString, QString, QString>;
    static std::vector<Row> Rows(CBulkAddDlg& dialog) {
        QTableWidget& table = dialog.Table();
        std::vector<Row> rows;
        for (int row = 0; row < table.rowCount(); ++row) {
            const auto text = [&](int column) { return table.item(row, column)->text(); };
            rows.emplace_back(table.item(row, CBulkAddDlg::kNumberColumn)->checkState() == Qt::Checked,
                              text(CBulkAddDlg::kNumberColumn), text(CBulkAddDlg::kCourierColumn),
                              text(CBulkAddDlg::kItemColumn), text(CBulkAddDlg::kMarkColumn));
        }
        return rows;
    }

    QTemporaryDir m_folder;
    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers = NumberedCouriers(5);
    FakeMessageBoxService m_messages;
};

// The table shows the marks of numbers stored already and takes the user's ticks, names
// and couriers; a row's courier list starts with the couriers that accept its number, and
// "apply to all" goes from the current row's courier. Text edited and typed just before OK
// is read; ticked rows without a courier are refused by number; the rest go in delivery,
// ordered today and entered at one instant. Nothing to add is told too, and a store that
// cannot take the batch adds nothing, says so, and keeps the review.
TEST_F(BulkAddDlgTest, TheTableIsTheReviewAndOnlyCompleteRowsAreAdded) {
    Shipment old = MakeShipment(0, u"old", 1'600'000'000, 1'600'000'000, Done);
    old.invoiceNumber = u"1234-567890";
    ASSERT_TRUE(m_store.Add(old));
    auto dialog = Open("1234567890 책\n111111111111 나\n222222222222 다");
    QTableWidget& table = dialog->Table();
    EXPECT_EQ(Rows(*dialog), (std::vector<Row>{{false, "1234567890", "C0", "책", "등록됨"},
                                               {true, "111111111111", "(선택)", "나", ""},
                                               {true, "222222222222", "(선택)", "다", ""}}));
    dialog->OnOK();
    EXPECT_TRUE(m_messages.Take().contains("111111111111, 222222222222") && dialog->isVisible());

    const QModelIndex cell = table.model()->index(1, CBulkAddDlg::kCourierColumn);
    QAbstractItemDelegate* delegate = table.itemDelegateForColumn(CBulkAddDlg::kCourierColumn);
    auto* combo = qobject_cast<QComboBox*>(delegate->createEditor(table.viewport(), {}, cell)); // the table's
    ASSERT_NE(combo, nullptr);
    QStringList names;
    for (int i = 0; i < combo->count(); ++i) {
        names << combo->itemText(i);
    }
    EXPECT_EQ(names, QStringList({"C2", "C3", "", "C0", "C1", "C4"}));
    table.setCurrentCell(2, CBulkAddDlg::kItemColumn);
    dialog->ApplyCourierToCandidates();
    EXPECT_NE(m_messages.Take(), "") << "row 2 has no courier to apply yet";
    combo->setCurrentIndex(1);
    delegate->setModelData(combo, table.model(), cell);
    table.setCurrentCell(1, CBulkAddDlg::kItemColumn);
    dialog->ApplyCourierToCandidates(); // to 222222222222, not to the row of C0
    EXPECT_EQ(std::get<2>(Rows(*dialog)[2]), "C3");
    table.item(1, CBulkAddDlg::kItemColumn)->setText("새 이름");
    table.item(0, CBulkAddDlg::kNumberColumn)->setCheckState(Qt::Checked);
    dialog->TextBox().setPlainText("2000000002 가\n1234567890 책\n111111111111 나\n222222222222 다");
    dialog->ReviewText();
    EXPECT_EQ(Rows(*dialog), (std::vector<Row>{{true, "2000000002", "C1", "가", ""},
                                               {true, "1234567890", "C0", "책", "등록됨"},
                                               {true, "111111111111", "C3", "새 이름", ""},
                                               {true, "222222222222", "C3", "다", ""}}));
    // A courier without a rule may be chosen too.
    table.item(3, CBulkAddDlg::kCourierColumn)->setData(CourierComboDelegate::kCourierRole, 4);
    dialog->TextBox().appendPlainText("2000000003 라"); // OK before the pause is over
    const Instant before = CurrentInstant();
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), IDOK);
    const std::vector<Shipment> stored = AllShipments(m_store);
    EXPECT_EQ(stored.size(), 6u) << "the old one and five, the one stored ticked again";
    LocalDateTime today, ordered;
    ASSERT_TRUE(BreakDownLocalTime(before, today));
    for (const Shipment& shipment : stored) {
        ASSERT_TRUE(BreakDownLocalTime(shipment.orderDate, ordered));
        EXPECT_TRUE(shipment.itemName == u"old" ||
                    std::tuple(shipment.status, shipment.entryDate, ordered.day, ordered.hour,
                               shipment.invoiceNumber != u"222222222222" || shipment.courierIndex == 4) ==
                        std::tuple(InDelivery, stored[0].entryDate, today.day, 0, true))
            << shipment.id;
    }

    dialog = Open("주문 내역 없음");
    dialog->OnOK();
    EXPECT_TRUE(!m_messages.Take().isEmpty() && dialog->isVisible()) << "nothing to add is told";

    CShipmentDatabase closed; // never opened: every write fails
    dialog = Open("1000000001 가\n2000000002 나", &closed);
    dialog->Table().item(0, CBulkAddDlg::kItemColumn)->setText("바뀐 이름");
    dialog->OnOK();
    EXPECT_TRUE(!m_messages.Take().isEmpty() && dialog->isVisible());
    EXPECT_EQ(Rows(*dialog),
              (std::vector<Row>{{true, "1000000001", "C0", "바뀐 이름", ""}, {true, "2000000002", "C1", "나", ""}}));
    EXPECT_EQ(AllShipments(m_store).size(), 6u);
}

} // namespace
} // namespace parcelo::test
