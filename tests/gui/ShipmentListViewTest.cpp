#include "listui/ShipmentListView.h"

#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "platform/QtMenuBuilder.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"
#include "support/FakePhoneService.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

namespace parcelo::test {
namespace {

using Strings = std::vector<QString>;

class ShipmentListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        ASSERT_TRUE(store.MountVolume(folder.filePath("list.edb").toStdU16String()) && store.Open(u"TRACKDB"));
        view.SetActions({[] { return false; },
                         [this](int position) { return edited.push_back(position), true; },
                         [this](const QString& url, int /*courierIndex*/) { tracked.push_back(url); },
                         {},
                         {}});
        view.resize(300, 400);
        view.show();
    }
    // The first shipment gets the newest entry date and so position 0.
    void Load(std::vector<Shipment> shipments) {
        Instant entry = now;
        for (Shipment& shipment : shipments) {
            shipment.entryDate = entry--;
            ASSERT_TRUE(store.Add(shipment));
        }
        view.OnInitialUpdate();
        list.viewport()->grab(); // a paint places the items for hit testing
    }
    void DoubleTap(QPoint at) { // the first press selects, the second is the double tap
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir folder;
    FakeMessageBoxService messages;
    FakePhoneService phone;
    const Instant now = CurrentInstant();
    std::vector<Courier> couriers = NumberedCouriers(6);
    CShipmentDatabase store;
    CShipmentListView view{couriers, store};
    CHTMLListCtrl& list = view.List();
    std::vector<int> edited;
    Strings tracked;
};

TEST_F(ShipmentListViewTest, ItemsCarryStorePositionsUnderAFilter) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(5, u"B", 0, now, InDelivery),
          MakeShipment(2, u"C", 0, now, Done)});
    list.SetSelectedIndex(1);
    view.OnCommand(ID_CALL_COURIER);
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0005"});

    view.FilterBy(ID_FILTER_DONE);
    ASSERT_EQ(list.GetItemCount(), 1);
    list.SetSelectedIndex(0);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_EQ(tracked, Strings{"https://t2.example/?n=INV-C"});
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(edited, std::vector<int>{2});

    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].text, "선택하신 배송정보를 삭제하시겠습니까?");
    view.FilterBy(ID_FILTER_ALL);
    EXPECT_EQ(list.GetItemCount(), 2) << "only the done one is gone";
}

// A courier the table no longer has, on a shipment of an unknown status: no call, no page, a word why.
TEST_F(ShipmentListViewTest, MissingCourierNeverFails) {
    Load({MakeShipment(9, u"L", 0, now, 7)});
    list.SetSelectedIndex(0);
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_TRUE(phone.Numbers().empty() && tracked.empty());
    ASSERT_EQ(messages.Calls().size(), 2u);
    EXPECT_TRUE(messages.Calls()[0].text.contains("parcelo.ini") && messages.Calls()[1].text.contains("parcelo.ini"));
}

TEST_F(ShipmentListViewTest, DoubleTapAndReturnRunTheActionReadAtEachCall) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(3, u"B", 0, now, InDelivery)});
    const Rect second = list.GetItemRect(1);
    DoubleTap({(second.left + second.right) / 2, (second.top + second.bottom) / 2});
    EXPECT_EQ(tracked, Strings{"https://t3.example/?n=INV-B"});
    SetProfileValue("DBLCLICK", 2);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(edited, std::vector<int>{1});

    SetProfileValue("DBLCLICK", 7);
    QTest::keyClick(&list, Qt::Key_Return);
    SetProfileValue("DBLCLICK", 0);
    DoubleTap(QPoint(150, 390)); // below the items: no selection, nothing happens
    EXPECT_EQ(messages.Calls().size() + phone.Numbers().size() + edited.size() + tracked.size(), 2u);
}

TEST_F(ShipmentListViewTest, ItemMenuIsGreyedWithoutASelection) {
    Load({MakeShipment(4, u"A", 0, now, InDelivery)});
    view.ShowItemMenu(list.viewport()->mapToGlobal(QPoint(150, 390)));
    QMenu* menu = view.OpenItemMenu();
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << action->text();
        EXPECT_EQ(action->isEnabled(), action->isSeparator() || action->text() == "여러 건 추가")
            << action->text().toStdString();
    }
    EXPECT_EQ(texts, QStringList({"배송 정보", "전화 걸기", "", "편집", "삭제", "", "여러 건 추가"}));
    // Adding many needs no selection; the list shows what was added.
    ShipmentActions actions;
    actions.bulkAdd = [this] { return store.Add(MakeShipment(2, u"B", now - 100, now, InDelivery)); };
    view.SetActions(std::move(actions));
    QtMenuBuilder::FindCommand(*menu, ID_BULK_ADD)->trigger();
    EXPECT_EQ(list.GetItemCount(), 2);
    menu->close();

    // With a selection the normal menu acts on the selected shipment.
    list.SetSelectedIndex(0);
    view.ShowItemMenu(list.viewport()->mapToGlobal(QPoint(10, 10)));
    menu = view.OpenItemMenu();
    EXPECT_EQ(menu->actions().front()->text(), "배송 조회");
    QtMenuBuilder::FindCommand(*menu, ID_CALL_COURIER)->trigger();
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0004"});
    menu->close();
}

// A right click, or a held press, on an item that is not selected selects it first and
// offers the menu of that item; a right click on empty space offers the greyed menu.
TEST_F(ShipmentListViewTest, ItemMenuActsOnTheItemUnderThePointer) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(3, u"B", 0, now, InDelivery)});
    const auto rightClick = [this](QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
        return view.OpenItemMenu();
    };
    const Rect first = list.GetItemRect(0);
    const Rect second = list.GetItemRect(1);
    list.SetSelectedIndex(0);
    QMenu* menu = rightClick({50, (second.top + second.bottom) / 2});
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    EXPECT_EQ(list.GetSelectedIndex(), 1);
    QtMenuBuilder::FindCommand(*menu, ID_CALL_COURIER)->trigger();
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0003"});
    menu->close();

    list.SetSelectedIndex(-1);
    const QPoint firstCentre(50, (first.top + first.bottom) / 2);
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, firstCentre);
    QTest::qWait(700);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, firstCentre);
    menu = view.OpenItemMenu();
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    EXPECT_EQ(menu->actions().front()->text(), "배송 조회");
    EXPECT_TRUE(menu->actions().front()->isEnabled());
    menu->close();

    menu = rightClick({50, 390});
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_EQ(menu->actions().front()->text(), "배송 정보");
    menu->close();
}

TEST_F(ShipmentListViewTest, StoreFailuresAreToldToTheUser) {
    Load({MakeShipment(0, u"A", 0, now, InDelivery)});
    list.SetSelectedIndex(0);
    store.Close();
    view.OnCommand(ID_TRACK_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_TRUE(messages.Calls()[0].text.startsWith("배송정보를 읽지 못했습니다"));
    EXPECT_EQ(list.GetItemCount(), 0); // read again
    EXPECT_TRUE(tracked.empty());

    ASSERT_TRUE(store.Open(u"TRACKDB"));
    view.FillList(true);
    store.Close();
    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 3u);
    EXPECT_EQ(messages.Calls()[2].text, "배송정보를 삭제하지 못했습니다.");
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, "96");
}
