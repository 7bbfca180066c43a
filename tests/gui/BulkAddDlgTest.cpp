#include "dialogs/BulkAddDlg.h"

#include "couriers/CourierDetector.h"
#include "dialogs/CourierComboDelegate.h"
#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <tuple>

namespace parcelo::test {
namespace {

constexpr int kCourierRole = CourierComboDelegate::kCourierRole;

// Courier 0: ten digits from 1; 1: ten digits from 2; 2 and 3: any twelve; 4: no rule.
class BulkAddDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_store.MountVolume(m_folder.filePath("VELDAN.EDB").toStdU16String()) && m_store.Open(u"TRACKDB"));
    }

    std::unique_ptr<CBulkAddDlg> Open(const QString& text, CShipmentDatabase* store = nullptr) {
        auto dialog = std::make_unique<CBulkAddDlg>(m_couriers, m_detector, store != nullptr ? *store : m_store);
        // As a drop or a paste on the list opens it: the text is read as the dialog opens.
        dialog->SetInitialText(text);
        dialog->show();
        return dialog;
    }
    std::vector<Shipment> Stored() { return AllShipments(m_store); }
    // Per row: tick, number, courier shown, item name, mark.
    using Row = std::tuple<bool, QString, QString, QString, QString>;
    static std::vector<Row> Rows(CBulkAddDlg& dialog) {
        QTableWidget& table = dialog.Table();
        std::vector<Row> rows;
        for (int row = 0; row < table.rowCount(); ++row) {
            rows.emplace_back(table.item(row, CBulkAddDlg::kNumberColumn)->checkState() == Qt::Checked,
                              table.item(row, CBulkAddDlg::kNumberColumn)->text(),
                              table.item(row, CBulkAddDlg::kCourierColumn)->text(),
                              table.item(row, CBulkAddDlg::kItemColumn)->text(),
                              table.item(row, CBulkAddDlg::kMarkColumn)->text());
        }
        return rows;
    }
    static void ChooseCourier(CBulkAddDlg& dialog, int row, int courier) {
        dialog.Table().item(row, CBulkAddDlg::kCourierColumn)->setData(kCourierRole, courier);
    }
    QStringList TakeMessages() {
        QStringList texts;
        for (const auto& call : m_messages.Calls()) {
            texts << call.text;
        }
        m_messages.Clear();
        return texts;
    }

    QTemporaryDir m_folder;
    CShipmentDatabase m_store;
    std::vector<Courier> m_couriers = NumberedCouriers(5);
    const CourierDetector m_detector{
        {{0, u"1\\d{9}", u""}, {1, u"2\\d{9}", u""}, {2, u"\\d{12}", u""}, {3, u"\\d{12}", u""}},
        [](std::string_view) {}};
    FakeMessageBoxService m_messages;
};

// A pasted spreadsheet column becomes shipments in delivery, ordered today, entered at one instant.
TEST_F(BulkAddDlgTest, TenPastedNumbersAreAddedInOneStep) {
    QString text = "품목\t송장번호\r\n";
    for (int i = 0; i < 10; ++i) {
        text += QString("상품 %1\t%2-%3\r\n").arg(i).arg(i % 2 == 0 ? 1000 + i : 2000 + i).arg(123450 + i);
    }
    const Instant before = CurrentInstant();
    auto dialog = Open(text);
    ASSERT_EQ(dialog->Table().rowCount(), 10);
    EXPECT_EQ(Rows(*dialog)[1], (Row{true, "2001123451", "C1", "상품 1", ""}));
    dialog->OnOK();
    EXPECT_EQ(TakeMessages(), QStringList());
    EXPECT_EQ(dialog->result(), IDOK);

    std::vector<Shipment> stored = Stored();
    ASSERT_EQ(stored.size(), 10u);
    std::sort(stored.begin(), stored.end(), [](const auto& a, const auto& b) { return a.itemName < b.itemName; });
    LocalDateTime today;
    ASSERT_TRUE(BreakDownLocalTime(before, today));
    for (int i = 0; i < 10; ++i) {
        const Shipment& shipment = stored[static_cast<size_t>(i)];
        LocalDateTime ordered;
        ASSERT_TRUE(BreakDownLocalTime(shipment.orderDate, ordered));
        EXPECT_EQ(std::tuple(shipment.courierIndex, shipment.itemName, shipment.status, shipment.entryDate, ordered.day,
                             ordered.hour),
                  std::tuple(i % 2, QString("상품 %1").arg(i).toStdU16String(), InDelivery, stored[0].entryDate,
                             today.day, 0))
            << i;
    }
    EXPECT_EQ(stored[3].invoiceNumber, u"2003123453") << "stored without the hyphen";
}

// Numbers already stored under their courier, or repeated in the text, are marked and unticked,
// also once such a courier is chosen; the user's ticks count.
TEST_F(BulkAddDlgTest, DuplicatesAreMarkedAndUnticked) {
    Shipment old = MakeShipment(0, u"old", 1'600'000'000, 1'600'000'000, Done);
    old.invoiceNumber = u"1234-567890";
    ASSERT_TRUE(m_store.Add(old));
    old.courierIndex = 3;
    old.invoiceNumber = u"123456789012";
    ASSERT_TRUE(m_store.Add(old));

    auto dialog = Open("1234567890 책\n2222222222 펜\n2222222222 펜\n123456789012 컵");
    EXPECT_EQ(Rows(*dialog), (std::vector<Row>{{false, "1234567890", "C0", "책", "등록됨"},
                                               {true, "2222222222", "C1", "펜", ""},
                                               {false, "2222222222", "C1", "펜", "중복"},
                                               {true, "123456789012", "(선택)", "컵", ""}}));
    ChooseCourier(*dialog, 3, 3);
    EXPECT_EQ(Rows(*dialog)[3], (Row{false, "123456789012", "C3", "컵", "등록됨"}));
    ChooseCourier(*dialog, 3, 2);
    EXPECT_EQ(Rows(*dialog)[3], (Row{false, "123456789012", "C2", "컵", ""})) << "the tick is the user's to set";

    dialog->Table().item(0, CBulkAddDlg::kNumberColumn)->setCheckState(Qt::Checked);
    dialog->Table().item(1, CBulkAddDlg::kNumberColumn)->setCheckState(Qt::Unchecked);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(Stored().size(), 3u) << "the old two and the one the user ticked again";
}

// Ticked rows without a courier are refused by number; nothing to add is told too.
TEST_F(BulkAddDlgTest, RowsWithoutACourierAreRefusedByNumber) {
    auto dialog = Open("111111111111\n1000000001\n222222222222");
    dialog->OnOK();
    const QStringList told = TakeMessages();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("111111111111, 222222222222")) << told[0].toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Stored().empty());

    dialog->Table().item(0, CBulkAddDlg::kNumberColumn)->setCheckState(Qt::Unchecked);
    ChooseCourier(*dialog, 2, 4); // a courier without a rule may be chosen too
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), IDOK);
    std::vector<Shipment> stored = Stored();
    ASSERT_EQ(stored.size(), 2u);
    std::sort(stored.begin(), stored.end(),
              [](const auto& a, const auto& b) { return a.courierIndex < b.courierIndex; });
    EXPECT_EQ(std::tie(stored[0].courierIndex, stored[0].invoiceNumber), std::tuple(0, u"1000000001"));
    EXPECT_EQ(std::tie(stored[1].courierIndex, stored[1].invoiceNumber), std::tuple(4, u"222222222222"));

    // Nothing to add is said, not done silently.
    dialog = Open("주문 내역 없음");
    dialog->OnOK();
    EXPECT_EQ(TakeMessages().size(), 1);
    EXPECT_TRUE(dialog->isVisible());
}

// A store that cannot take the batch adds nothing, says so, and keeps the review.
TEST_F(BulkAddDlgTest, FailedBatchAddsNothingAndKeepsTheDialog) {
    CShipmentDatabase closed; // never opened: every write fails
    auto dialog = Open("1000000001 가\n2000000002 나", &closed);
    dialog->Table().item(0, CBulkAddDlg::kItemColumn)->setText("바뀐 이름");
    dialog->OnOK();
    EXPECT_EQ(TakeMessages().size(), 1);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), IDOK);
    EXPECT_EQ(Rows(*dialog),
              (std::vector<Row>{{true, "1000000001", "C0", "바뀐 이름", ""}, {true, "2000000002", "C1", "나", ""}}));
    EXPECT_TRUE(Stored().empty());
}

// Editing the text keeps the user's changes to the rows; text typed just before OK is read.
TEST_F(BulkAddDlgTest, EditingTheTextKeepsTheReview) {
    auto dialog = Open("1000000001 가\n111111111111 나");
    dialog->Table().item(0, CBulkAddDlg::kItemColumn)->setText("새 이름");
    ChooseCourier(*dialog, 1, 3);
    dialog->TextBox().setPlainText("2000000002 다\n1000000001 가\n111111111111 나");
    dialog->ReviewText();
    EXPECT_EQ(Rows(*dialog), (std::vector<Row>{{true, "2000000002", "C1", "다", ""},
                                               {true, "1000000001", "C0", "새 이름", ""},
                                               {true, "111111111111", "C3", "나", ""}}));

    dialog->TextBox().appendPlainText("2000000003 라"); // OK before the pause is over
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(Stored().size(), 4u);
}

// The courier list of a row starts with the couriers that accept its number.
TEST_F(BulkAddDlgTest, CourierListStartsWithTheCandidates) {
    auto dialog = Open("111111111111");
    QTableWidget& table = dialog->Table();
    const QModelIndex cell = table.model()->index(0, CBulkAddDlg::kCourierColumn);
    QAbstractItemDelegate* delegate = table.itemDelegateForColumn(CBulkAddDlg::kCourierColumn);
    std::unique_ptr<QWidget> editor(delegate->createEditor(table.viewport(), {}, cell));
    auto* combo = qobject_cast<QComboBox*>(editor.get());
    ASSERT_NE(combo, nullptr);
    QStringList names;
    for (int i = 0; i < combo->count(); ++i) {
        names << combo->itemText(i);
    }
    EXPECT_EQ(names, QStringList({"C2", "C3", "", "C0", "C1", "C4"}));
    combo->setCurrentIndex(1);
    delegate->setModelData(combo, table.model(), cell);
    EXPECT_EQ(std::get<2>(Rows(*dialog)[0]), "C3");
    EXPECT_EQ(dialog->Review().Rows()[0].courierIndex, 3);
}

// One choice names the courier of every ticked row that lists it and has none; the
// user's shipments put their courier first among the unconfirmed candidates.
TEST_F(BulkAddDlgTest, OneChoiceAppliesToEveryRowThatListsTheCourier) {
    Shipment earlier;
    earlier.courierIndex = 3;
    earlier.invoiceNumber = u"119999999999";
    ASSERT_TRUE(m_store.Add(earlier));
    auto dialog = Open("111111111111 가\n222222222222 나\n113333333333 다\n1000000001 라\n114444444444 마\n"
                       "333333333333 C3\n1000000002\tC1");
    EXPECT_EQ(dialog->Review().Rows()[0].candidates, (std::vector<int>{3, 2})) << "the stored 11… number";
    EXPECT_EQ(dialog->Review().Rows()[1].candidates, (std::vector<int>{2, 3}));
    dialog->Table().item(4, CBulkAddDlg::kNumberColumn)->setCheckState(Qt::Unchecked);

    dialog->Table().setCurrentCell(3, CBulkAddDlg::kItemColumn);
    dialog->ApplyCourierToCandidates(); // C0 is not a candidate of the others
    dialog->Table().setCurrentCell(1, CBulkAddDlg::kItemColumn);
    dialog->ApplyCourierToCandidates();
    EXPECT_EQ(TakeMessages().size(), 1u) << "row 1 has no courier to apply yet";
    ChooseCourier(*dialog, 1, 2);
    dialog->ApplyCourierToCandidates();
    EXPECT_EQ(Rows(*dialog), (std::vector<Row>{{true, "111111111111", "C2", "가", ""},
                                               {true, "222222222222", "C2", "나", ""},
                                               {true, "113333333333", "C2", "다", ""},
                                               {true, "1000000001", "C0", "라", ""},
                                               {false, "114444444444", "(선택)", "마", ""},
                                               {true, "333333333333", "C3", "", ""},
                                               {true, "1000000002", "C0", "", ""}}))
        << "a courier named beside the number is taken unless its rule refuses the number";
}

} // namespace
} // namespace parcelo::test
