#include "listui/ShipmentListView.h"

#include "listui/CourierLogos.h"
#include "platform/resource.h"
#include "support/FakeClock.h"
#include "support/FakeMessageBoxService.h"
#include "support/FakePhoneService.h"
#include "support/ShellTestSupport.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <span>

namespace parcelo::test {
namespace {

using Strings = std::vector<QString>;
using Ids = std::vector<int64_t>;

constexpr Instant kNow = 1'704'067'200; // 2024-01-01 00:00 UTC
constexpr Instant kHour = 3600;

class ShipmentListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        ASSERT_TRUE(store.MountVolume(folder.filePath("list.edb").toStdU16String()) && store.Open(u"TRACKDB"));
        ShipmentActions actions;
        actions.newShipment = [this] { return adding(); };
        actions.editShipment = [this](int64_t id) { return edited.push_back(id), editing(id), true; };
        actions.trackShipment = [this](const QString& url, int) { tracked.push_back(url); };
        actions.prepareTracking = [this](bool open) { menuOpen.push_back(open); };
        view.SetActions(std::move(actions));
        view.resize(300, 400);
        view.show();
    }
    void Load(std::vector<Shipment> shipments) { ids = LoadShipments(store, view, std::move(shipments), now); }
    Ids Rows() const { return RowIds(view); }
    // Another program's connection to the same file.
    std::unique_ptr<CShipmentDatabase> Elsewhere() {
        auto other = std::make_unique<CShipmentDatabase>();
        EXPECT_TRUE(other->MountVolume(QString::fromStdString(store.VolumeFile()).toStdU16String()) &&
                    other->Open(u"TRACKDB"));
        return other;
    }
    void DoubleTap(QPoint at) { // the first press selects, the second is the double tap
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir folder;
    FakeMessageBoxService messages;
    FakePhoneService phone;
    FakeClock clock{kNow};
    const Instant now = kNow;
    std::vector<Courier> couriers = NumberedCouriers(6);
    CShipmentDatabase store;
    CShipmentListView view{couriers, store, clock};
    CHTMLListCtrl& list = view.List();
    Ids ids;
    Ids edited;
    Strings tracked;
    std::vector<bool> menuOpen; // what the view told of the item menu, for the tracking page
    std::function<int64_t()> adding = [] { return int64_t{0}; }; // the editor's work on a new shipment
    std::function<void(int64_t id)> editing = [](int64_t) {};    // and on the shipment edited
};

// A long list shows its top first, with room kept for the rest, which is read once the list
// has painted or before a key, a find or a selection by id acts on it.
TEST_F(ShipmentListViewTest, ALongListShowsItsTopFirstAndIsWholeBeforeAnythingActs) {
    const int count = static_cast<int>(CShipmentListView::kFirstScreenRows) + 72;
    std::vector<Shipment> shipments;
    for (int i = 0; i < count; ++i) {
        shipments.push_back(MakeShipment(1 + i % 5, u"S" + QString::number(i).toStdU16String(), 0, now, InDelivery));
    }
    Load(shipments); // shows the first frame
    QCoreApplication::processEvents();
    EXPECT_EQ(Rows(), ids) << "read once the first frame is out";
    const int wholeHeight = list.GetTotalHeight();
    const auto startWithTheTop = [&] {
        view.OnInitialUpdate();
        ASSERT_EQ(list.GetItemCount(), static_cast<int>(CShipmentListView::kFirstScreenRows));
        EXPECT_EQ(Rows(), Ids(ids.begin(), ids.begin() + list.GetItemCount()));
        EXPECT_EQ(list.GetTotalHeight(), wholeHeight) << "the bar is right from the first frame";
    };

    startWithTheTop();
    list.setFocus();
    list.SetSelectedIndex(-1);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(view.SelectedId(), ids.back()) << "Down from no selection goes to the last shipment, not the last read";

    startWithTheTop();
    EXPECT_TRUE(view.SelectShipment(ids.back()));

    startWithTheTop();
    view.SetFindText(QStringLiteral("S%1").arg(count - 1));
    EXPECT_EQ(Rows(), Ids{ids.back()});
}

// A double tap and Return run the action set at that moment; a right click selects and offers
// the item's menu, greyed on empty space. Actions take the selected row's id; a sort, filter or
// delete keeps the row selected. A courier the table lost: no call, no page, a word why. A
// shipment deleted elsewhere or a failed store is told (not asked) and the list read again.
TEST_F(ShipmentListViewTest, InputAndActionsActOnTheSelectedShipmentsIdOrSayWhyNot) {
    Load({MakeShipment(1, u"A", 0, now - 1 * kHour, InDelivery), MakeShipment(5, u"B", 0, now - 2 * kHour, Done),
          MakeShipment(2, u"C", 0, now - 3 * kHour, Done), MakeShipment(9, u"L", 0, now - 4 * kHour, 7)});
    EXPECT_EQ(Rows(), ids);
    const auto middle = [this](int row) {
        const Rect rect = list.GetItemRect(row);
        return QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    };
    DoubleTap(middle(0));
    EXPECT_EQ(tracked, Strings{"https://t1.example/?n=INV-A"});
    SetProfileValue("DBLCLICK", 2);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(edited, Ids{ids[0]});
    SetProfileValue("DBLCLICK", 7);
    QTest::keyClick(&list, Qt::Key_Return);
    SetProfileValue("DBLCLICK", 0);
    DoubleTap(QPoint(150, 390)); // below the items: no selection, nothing happens
    EXPECT_EQ(messages.Calls().size() + phone.Numbers().size() + edited.size() + tracked.size(), 2u);
    EXPECT_NE(list.GetItemText(0).find(u"(0일 경과)"), std::u16string::npos);
    clock.Advance(24 * kHour);
    view.Refresh(RefillCause::User);
    list.viewport()->grab(); // places the items read again for hit testing
    EXPECT_NE(list.GetItemText(0).find(u"(1일 경과)"), std::u16string::npos);

    const auto rightClick = [this](QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
        return view.OpenItemMenu();
    };
    list.SetSelectedIndex(0);
    QMenu* menu = rightClick(middle(1));
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    QtMenuBuilder::FindCommand(*menu, ID_CALL_COURIER)->trigger();
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0005"});
    EXPECT_EQ(menuOpen, std::vector<bool>{true}) << "the tracking page may start as the menu opens";
    menu->close();
    EXPECT_EQ(menuOpen, (std::vector<bool>{true, false}));
    menu = rightClick({50, 390});
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    for (const QAction* action : menu->actions()) {
        EXPECT_EQ(action->isEnabled(), action->isSeparator() || QtMenuBuilder::CommandOf(action) == ID_BULK_ADD)
            << action->text().toStdString();
    }
    menu->close();
    EXPECT_EQ(menuOpen, (std::vector<bool>{true, false, false})) << "no page for the menu of no shipment";

    list.SetSelectedIndex(1);
    view.SortBy(ID_SORT_ORDER_ASC); // oldest order first: L C B A
    EXPECT_EQ(std::tuple(Rows(), view.SelectedId()), std::tuple(Ids{ids[3], ids[2], ids[1], ids[0]}, ids[2]));
    view.OnCommand(ID_TRACK_SHIPMENT);
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(std::pair(tracked.back(), edited.back()), std::pair(QString("https://t2.example/?n=INV-C"), ids[2]));
    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    EXPECT_TRUE(messages.Calls()[0].text.endsWith("\n상품명: C, 송장번호: INV-C")) << "the question names it";
    EXPECT_EQ(std::tuple(Rows(), view.SelectedId()), std::tuple(Ids{ids[3], ids[1], ids[0]}, ids[1]))
        << "the one that followed the deleted one";
    list.SetSelectedIndex(0);
    view.FilterBy(ID_FILTER_DONE);
    EXPECT_EQ(std::tuple(Rows(), view.SelectedId()), std::tuple(Ids{ids[1]}, ids[1]));
    view.FilterBy(ID_FILTER_ALL);

    list.SetSelectedIndex(0);
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_EQ(std::tuple(phone.Numbers().size(), tracked.size()), std::tuple(size_t{1}, size_t{2}));
    ASSERT_EQ(messages.Calls().size(), 3u);
    EXPECT_TRUE(messages.Calls()[1].text.contains("parcelo.ini") && messages.Calls()[2].text.contains("parcelo.ini"));

    list.SetSelectedIndex(2);
    ASSERT_TRUE(Elsewhere()->Delete(ids[0]));
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(std::tuple(edited.size(), messages.Calls().size(), Rows(), view.SelectedId()),
              std::tuple(2u, 4u, Ids{ids[3], ids[1]}, 0))
        << "the highlight moves to no other shipment";
    list.SetSelectedIndex(1);
    ASSERT_TRUE(Elsewhere()->Delete(ids[1]));
    view.OnCommand(ID_DELETE_SHIPMENT);
    EXPECT_EQ(std::tuple(messages.Calls().size(), Rows()), std::tuple(5u, Ids{ids[3]})) << "told, and not asked";

    for (const int command : {ID_TRACK_SHIPMENT, ID_DELETE_SHIPMENT}) { // on a store that failed
        view.Refresh(RefillCause::User);
        list.SetSelectedIndex(0);
        store.Close();
        view.OnCommand(command);
        EXPECT_EQ(list.GetItemCount(), 0) << "read again";
        ASSERT_TRUE(store.Open(u"TRACKDB"));
    }
    EXPECT_EQ(std::tuple(messages.Calls().size(), tracked.size()), std::tuple(7u, 2u)) << "told, and not asked";
}

// A new shipment is selected and scrolled to; an edited one stays selected and in view wherever
// it moves, also through a change made elsewhere; once it is gone (polled) nothing is selected.
TEST_F(ShipmentListViewTest, SelectionGoesWithTheShipmentAddedEditedOrChangedElsewhere) {
    std::vector<Shipment> twelve; // A to L, ordered an hour after each other
    for (int i = 0; i < 12; ++i) {
        twelve.push_back(MakeShipment(i % 6, std::u16string(1, static_cast<char16_t>(u'A' + i)), 0,
                                      now - (12 - i) * kHour, InDelivery));
    }
    Load(twelve);
    list.SetSelectedIndex(11);
    list.EnsureVisible(11);
    int64_t added = 0;
    adding = [&] {
        Shipment shipment = MakeShipment(2, u"new", now + 10, now, InDelivery);
        EXPECT_TRUE(store.Add(shipment));
        return added = shipment.id;
    };
    const auto selectedInView = [this] {
        list.viewport()->grab();
        const Rect shown = list.GetItemRect(list.GetSelectedIndex());
        return shown.top >= 0 && shown.bottom <= list.viewport()->height();
    };
    view.OnCommand(ID_NEW_SHIPMENT);
    ASSERT_NE(added, 0);
    EXPECT_EQ(view.SelectedId(), added);
    EXPECT_TRUE(selectedInView());

    view.SortBy(ID_SORT_ORDER_DESC);
    list.SetSelectedIndex(2);
    const int64_t moved = view.SelectedId();
    editing = [&](int64_t id) {
        Shipment shipment = *store.Read(id);
        shipment.orderDate = now - 100 * kHour; // the oldest order: the last row
        EXPECT_TRUE(store.Update(shipment));
    };
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), view.SelectedId()), std::pair(12, moved));
    EXPECT_TRUE(selectedInView()) << "scrolled to where the edit moved it";

    EXPECT_FALSE(view.RefreshIfChangedElsewhere());
    const std::unique_ptr<CShipmentDatabase> other = Elsewhere();
    ASSERT_TRUE(other->Add(MakeShipment(0, u"new", now + 20, now, InDelivery))); // at the top
    EXPECT_TRUE(view.RefreshIfChangedElsewhere());
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), view.SelectedId()), std::pair(13, moved));
    ASSERT_TRUE(other->Delete(moved));
    ASSERT_TRUE(QTest::qWaitFor([this] { return list.GetItemCount() == 13; }, 3 * CShipmentListView::kPollIntervalMs));
    EXPECT_EQ(std::pair(list.GetSelectedIndex(), view.SelectedId()), std::pair(-1, int64_t{0}));
}

// Couriers past the artwork get a logo drawn from their name, the key colour outside its square.
TEST(CourierLogoStripTest, DrawsALogoForEveryCourierPastTheArtwork) {
    constexpr int kSize = 50;
    QImage artwork(2 * kSize, kSize, QImage::Format_RGB32);
    artwork.fill(Qt::darkBlue);
    std::vector<Courier> couriers = NumberedCouriers(6);
    couriers[5] = couriers[3];
    EXPECT_EQ(CourierLogoStrip(artwork, NumberedCouriers(2)), artwork);

    const QImage strip = CourierLogoStrip(artwork, couriers);
    ASSERT_EQ(strip.size(), QSize(6 * kSize, kSize));
    EXPECT_EQ(strip.copy(0, 0, 2 * kSize, kSize), artwork);
    const auto logo = [&](int index) { return strip.copy(index * kSize, 0, kSize, kSize); };
    EXPECT_EQ(logo(5), logo(3));
    EXPECT_NE(logo(2).pixel(3, kSize / 2), logo(3).pixel(3, kSize / 2)) << "C2 and C3 differ in colour";
    for (int index = 2; index < 6; ++index) {
        const QImage shown = logo(index);
        EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0xFF00FFu);
        EXPECT_NE(shown.pixel(3, kSize / 2) & 0xFFFFFF, 0xFF00FFu);
        const std::span pixels(reinterpret_cast<const QRgb*>(shown.constBits()), shown.sizeInBytes() / sizeof(QRgb));
        EXPECT_GT(std::ranges::count_if(pixels, [](QRgb p) { return qGray(p) > 240; }), 20) << "the letter";
    }
}

} // namespace
} // namespace parcelo::test
