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
        view.SetActions({[this] { return newResult; },
                         [this](int position) { return edited.push_back(position), true; },
                         [this](const QString& url) { tracked.push_back(url); },
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
    size_t StoredCount() {
        std::vector<Shipment> all;
        store.ReadAll(all);
        return all.size();
    }
    // The item's text, as the list reports it when the item becomes selected.
    std::u16string TextOf(int index) {
        std::u16string text;
        const auto keep =
            QObject::connect(&list, &CHTMLListCtrl::notify, [&](const HTMLListNotify& n) { text = n.text; });
        list.SetSelectedIndex(index - 1);
        QTest::keyClick(&list, index == 0 ? Qt::Key_Up : Qt::Key_Down);
        QObject::disconnect(keep);
        return text;
    }
    QPoint CentreOf(int index) {
        const Rect r = list.GetItemRect(index);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
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
    bool newResult = false;
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
    EXPECT_EQ(list.GetItemData(0), 2u);
    EXPECT_EQ(TextOf(0).rfind(u"<font color=#aaaaaa>상품명: <h>C</h>", 0), 0u);
    phone.Clear();
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0002"});
    EXPECT_EQ(tracked, Strings{"https://t2.example/?n=INV-C"});

    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].text, "선택하신 배송정보를 삭제하시겠습니까?");
    EXPECT_EQ(messages.Calls()[0].style, 0x34u);
    std::vector<Shipment> left;
    store.ReadAll(left);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[1].itemName, u"B");
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ShipmentListViewTest, UnknownStatusAndMissingCourierNeverFail) {
    Load({MakeShipment(0, u"F", 0, now + 30 * 3600, 7), MakeShipment(9, u"L", 0, now, InDelivery)});
    EXPECT_NE(TextOf(0).find(u"<font color=#0000ff>C0: INV-F</font> <br> 주문일: "), std::u16string::npos);
    EXPECT_NE(TextOf(0).find(u"(-1일 경과)"), std::u16string::npos);
    EXPECT_NE(TextOf(1).find(u"<font color=#0000ff>: INV-L</font>"), std::u16string::npos);

    list.SetSelectedIndex(1); // its courier is no longer in the table
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_TRUE(phone.Numbers().empty());
    EXPECT_TRUE(tracked.empty());
    ASSERT_EQ(messages.Calls().size(), 2u);
    EXPECT_TRUE(messages.Calls()[1].text.contains("parcelo.ini"));

    view.FilterBy(ID_FILTER_IN_DELIVERY);
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(list.GetItemData(0), 1u);
    view.FilterBy(ID_FILTER_CANCELLED);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ShipmentListViewTest, DoubleTapAndReturnRunTheActionReadAtEachCall) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(3, u"B", 0, now, InDelivery)});
    DoubleTap(CentreOf(1));
    EXPECT_EQ(tracked, Strings{"https://t3.example/?n=INV-B"});
    SetProfileValue("DBLCLICK", 1);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0003"});
    SetProfileValue("DBLCLICK", 2);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(edited, std::vector<int>{1});
    SetProfileValue("DBLCLICK", 3);
    messages.QueueAnswer(IDNO);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(StoredCount(), 2u);
    EXPECT_EQ(list.GetItemCount(), 2);

    SetProfileValue("DBLCLICK", 7);
    QTest::keyClick(&list, Qt::Key_Return);
    SetProfileValue("DBLCLICK", 0);
    DoubleTap(QPoint(150, 390)); // below the items: no selection, nothing happens
    EXPECT_EQ(messages.Calls().size() + phone.Numbers().size() + edited.size() + tracked.size(), 4u);
}

TEST_F(ShipmentListViewTest, ItemMenuIsGreyedWithoutASelection) {
    Load({MakeShipment(4, u"A", 0, now, InDelivery)});
    const auto texts = [](const QMenu* menu) {
        QStringList list;
        for (const QAction* action : menu->actions()) {
            list << action->text();
        }
        return list;
    };
    const std::unique_ptr<QMenu> greyed = view.BuildItemMenu();
    for (const QAction* action : greyed->actions()) {
        EXPECT_EQ(action->isEnabled(), action->isSeparator());
        EXPECT_EQ(QtMenuBuilder::CommandOf(action), 0);
    }
    // A request over empty space opens the greyed menu without waiting for it.
    const QPoint below(150, 390);
    QContextMenuEvent request(QContextMenuEvent::Mouse, below, list.viewport()->mapToGlobal(below));
    QApplication::sendEvent(list.viewport(), &request);
    ASSERT_TRUE(view.OpenItemMenu() && view.OpenItemMenu()->isVisible());
    EXPECT_EQ(texts(view.OpenItemMenu()), QStringList({"배송 정보", "전화 걸기", "", "편집", "삭제"}));
    view.OpenItemMenu()->close();

    // Holding the stylus on an item selects it and opens the normal menu, which acts on it.
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, CentreOf(0));
    QTest::qWait(800);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, CentreOf(0));
    QMenu* menu = view.OpenItemMenu();
    EXPECT_EQ(texts(menu), QStringList({"배송 조회", "전화 걸기", "", "편집", "삭제"}));
    QtMenuBuilder::FindCommand(*menu, ID_CALL_COURIER)->trigger();
    EXPECT_EQ(phone.Numbers(), Strings{"0000-0004"});
    menu->close();
}

TEST_F(ShipmentListViewTest, OnlyAnEditorEndingWithOkRefills) {
    Load({MakeShipment(0, u"A", 0, now, Done)});
    EXPECT_FALSE(view.IsCommandEnabled(ID_EDIT_SHIPMENT));
    EXPECT_TRUE(view.IsCommandEnabled(ID_NEW_SHIPMENT));
    ASSERT_TRUE(store.Add(MakeShipment(0, u"N", now - 9, now, InDelivery)));
    view.OnCommand(ID_NEW_SHIPMENT);
    EXPECT_EQ(list.GetItemCount(), 1);
    newResult = true;
    view.OnCommand(ID_NEW_SHIPMENT);
    EXPECT_EQ(list.GetItemCount(), 2);

    view.FilterBy(ID_FILTER_IN_DELIVERY);
    list.SetSelectedIndex(0);
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(edited, std::vector<int>{1});
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
