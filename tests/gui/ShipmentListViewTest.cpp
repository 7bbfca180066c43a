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

constexpr Instant kDay = 24 * 3600;

class ShipmentListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        ASSERT_TRUE(store.MountVolume(folder.filePath("list.edb").toStdU16String()));
        ASSERT_TRUE(store.Open(u"TRACKDB"));
        view.SetActions({[this] { return newResult; },
                         [this](int position) {
                             edited.push_back(position);
                             return true;
                         },
                         [this](const QString& url) { tracked.push_back(url); },
                         {}});
        view.resize(300, 400);
        view.show();
    }

    // Shipments in entry order, so that the newest-first order puts the first one at position 0.
    void Load(std::vector<Shipment> shipments) {
        Instant entry = now;
        for (Shipment& shipment : shipments) {
            shipment.entryDate = entry--;
            ASSERT_TRUE(store.Add(shipment));
        }
        view.OnInitialUpdate();
        view.List().viewport()->grab(); // paints, which places the items for hit testing
    }
    int Count() { return view.List().GetItemCount(); }
    uint32_t Data(int index) { return view.List().GetItemData(index); }
    std::vector<Shipment> Stored() {
        std::vector<Shipment> all;
        store.ReadAll(all);
        return all;
    }
    // The item's text, as the list reports it when the item becomes selected.
    std::u16string TextOf(int index) {
        std::u16string text;
        auto connection = QObject::connect(&view.List(), &CHTMLListCtrl::notify, [&](const HTMLListNotify& n) {
            if (n.code == HTMLLIST_SELCHANGED) {
                text = n.text;
            }
        });
        view.List().SetSelectedIndex(index - 1);
        QTest::keyClick(&view.List(), index == 0 ? Qt::Key_Up : Qt::Key_Down);
        QObject::disconnect(connection);
        return text;
    }
    // The first press selects, the second is the double tap.
    void DoubleTap(QPoint at) {
        QTest::mouseClick(view.List().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view.List().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(view.List().viewport(), Qt::LeftButton, {}, at);
    }
    QPoint CentreOf(int index) {
        const Rect rect = view.List().GetItemRect(index);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    QTemporaryDir folder;
    FakeMessageBoxService messages;
    FakePhoneService phone;
    const Instant now = CurrentInstant();
    std::vector<Courier> couriers = NumberedCouriers(6);
    CShipmentDatabase store;
    CShipmentListView view{couriers, store};
    bool newResult = false;
    std::vector<int> edited;
    std::vector<QString> tracked;
};

TEST_F(ShipmentListViewTest, ItemsCarryStorePositionsUnderAFilter) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(5, u"B", 0, now, InDelivery),
          MakeShipment(2, u"C", 0, now, Done)});
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Data(2), 2u);

    view.List().SetSelectedIndex(1);
    view.OnCommand(ID_CALL_COURIER);
    EXPECT_EQ(phone.Numbers(), std::vector<QString>{"0000-0005"});

    view.FilterBy(ID_FILTER_DONE);
    EXPECT_EQ(view.Filter(), Done);
    ASSERT_EQ(Count(), 1);
    EXPECT_EQ(Data(0), 2u);
    EXPECT_EQ(TextOf(0).rfind(u"<font color=#aaaaaa>상품명: <h>C</h>", 0), 0u);

    view.List().SetSelectedIndex(0);
    phone.Clear();
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_EQ(phone.Numbers(), std::vector<QString>{"0000-0002"});
    EXPECT_EQ(tracked, std::vector<QString>{"https://t2.example/?n=INV-C"});

    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].text, "선택하신 배송정보를 삭제하시겠습니까?");
    EXPECT_EQ(messages.Calls()[0].style, 0x34u);
    const std::vector<Shipment> left = Stored();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].itemName, u"A");
    EXPECT_EQ(left[1].itemName, u"B");
    EXPECT_EQ(Count(), 0);
}

TEST_F(ShipmentListViewTest, UnknownStatusShowsAsInDeliveryUnderAllOnly) {
    Load({MakeShipment(0, u"future", 0, now + 30 * 3600, 7), MakeShipment(0, u"d1", 0, now - 25 * 3600, InDelivery),
          MakeShipment(0, u"d0", 0, now - 23 * 3600, InDelivery)});
    ASSERT_EQ(Count(), 3);
    const std::u16string future = TextOf(0);
    EXPECT_NE(future.find(u"<font color=#0000ff>C0: INV-future</font>"), std::u16string::npos);
    EXPECT_NE(future.find(u"(-1일 경과)"), std::u16string::npos);
    EXPECT_NE(TextOf(1).find(u"(1일 경과)"), std::u16string::npos);
    EXPECT_NE(TextOf(2).find(u"(0일 경과)"), std::u16string::npos);

    view.FilterBy(ID_FILTER_IN_DELIVERY);
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Data(0), 1u);
    for (const int command : {ID_FILTER_DONE, ID_FILTER_CANCELLED}) {
        view.FilterBy(command);
        EXPECT_EQ(Count(), 0);
    }
    view.FilterBy(ID_FILTER_ALL);
    EXPECT_EQ(Count(), 3);
}

TEST_F(ShipmentListViewTest, CourierBeyondTheTableNeverFails) {
    Load({MakeShipment(9, u"lost", 0, now, InDelivery)});
    ASSERT_EQ(Count(), 1);
    EXPECT_NE(TextOf(0).find(u"<font color=#0000ff>: INV-lost</font>"), std::u16string::npos);

    view.List().SetSelectedIndex(0);
    view.OnCommand(ID_CALL_COURIER);
    view.OnCommand(ID_TRACK_SHIPMENT);
    EXPECT_TRUE(phone.Numbers().empty());
    EXPECT_TRUE(tracked.empty());
    ASSERT_EQ(messages.Calls().size(), 2u);
    EXPECT_TRUE(messages.Calls()[0].text.contains("parcelo.ini"));
}

TEST_F(ShipmentListViewTest, DoubleTapAndReturnRunTheConfiguredAction) {
    Load({MakeShipment(1, u"A", 0, now, InDelivery), MakeShipment(3, u"B", 0, now, InDelivery)});

    DoubleTap(CentreOf(1));
    EXPECT_EQ(tracked, std::vector<QString>{"https://t3.example/?n=INV-B"});

    SetProfileValue("DBLCLICK", 1);
    QTest::keyClick(&view.List(), Qt::Key_Return);
    EXPECT_EQ(phone.Numbers(), std::vector<QString>{"0000-0003"});

    SetProfileValue("DBLCLICK", 2);
    QTest::keyClick(&view.List(), Qt::Key_Return);
    EXPECT_EQ(edited, std::vector<int>{1});

    SetProfileValue("DBLCLICK", 3);
    messages.QueueAnswer(IDNO);
    QTest::keyClick(&view.List(), Qt::Key_Return);
    EXPECT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(Stored().size(), 2u);
    EXPECT_EQ(Count(), 2);

    SetProfileValue("DBLCLICK", 7);
    QTest::keyClick(&view.List(), Qt::Key_Return);
    SetProfileValue("DBLCLICK", 0);
    DoubleTap(QPoint(150, 390)); // below the items
    EXPECT_EQ(view.List().GetSelectedIndex(), -1);
    EXPECT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(phone.Numbers().size(), 1u);
    EXPECT_EQ(edited.size(), 1u);
    EXPECT_EQ(tracked.size(), 1u);
}

TEST_F(ShipmentListViewTest, ItemMenuIsGreyedWithoutASelection) {
    Load({MakeShipment(4, u"A", 0, now, InDelivery)});
    const auto texts = [](const QMenu& menu) {
        QStringList list;
        for (const QAction* action : menu.actions()) {
            list << action->text();
        }
        return list;
    };

    const std::unique_ptr<QMenu> greyed = view.BuildItemMenu();
    EXPECT_EQ(texts(*greyed), QStringList({"배송 정보", "전화 걸기", "", "편집", "삭제"}));
    for (const QAction* action : greyed->actions()) {
        EXPECT_EQ(action->isEnabled(), action->isSeparator());
        EXPECT_EQ(QtMenuBuilder::CommandOf(action), 0);
    }

    // A request over empty space opens the greyed menu at once, without waiting for it.
    const QPoint below(150, 390);
    QContextMenuEvent request(QContextMenuEvent::Mouse, below, view.List().viewport()->mapToGlobal(below));
    QApplication::sendEvent(view.List().viewport(), &request);
    ASSERT_NE(view.OpenItemMenu(), nullptr);
    EXPECT_TRUE(view.OpenItemMenu()->isVisible());
    EXPECT_EQ(view.OpenItemMenu()->actions().front()->text(), "배송 정보");
    view.OpenItemMenu()->close();

    // Holding the stylus on an item selects it and opens the normal menu; its entries act on that item.
    QTest::mousePress(view.List().viewport(), Qt::LeftButton, {}, CentreOf(0));
    QTest::qWait(800);
    QTest::mouseRelease(view.List().viewport(), Qt::LeftButton, {}, CentreOf(0));
    QMenu* menu = view.OpenItemMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(texts(*menu), QStringList({"배송 조회", "전화 걸기", "", "편집", "삭제"}));
    QtMenuBuilder::FindCommand(*menu, ID_CALL_COURIER)->trigger();
    EXPECT_EQ(phone.Numbers(), std::vector<QString>{"0000-0004"});
    menu->close();
}

TEST_F(ShipmentListViewTest, EditorResultsDecideTheRefill) {
    Load({MakeShipment(0, u"A", 0, now, InDelivery), MakeShipment(0, u"B", 0, now, Done)});
    for (const int command : {ID_EDIT_SHIPMENT, ID_DELETE_SHIPMENT, ID_CALL_COURIER, ID_TRACK_SHIPMENT}) {
        EXPECT_FALSE(view.IsCommandEnabled(command));
    }
    EXPECT_TRUE(view.IsCommandEnabled(ID_NEW_SHIPMENT));
    EXPECT_TRUE(view.IsCommandEnabled(ID_OPTIONS));
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_TRUE(edited.empty());

    ASSERT_TRUE(store.Add(MakeShipment(0, u"N", now - kDay, now, InDelivery)));
    newResult = false;
    view.OnCommand(ID_NEW_SHIPMENT);
    EXPECT_EQ(Count(), 2);
    newResult = true;
    view.OnCommand(ID_NEW_SHIPMENT);
    EXPECT_EQ(Count(), 3);

    view.FilterBy(ID_FILTER_DONE);
    view.List().SetSelectedIndex(0);
    EXPECT_TRUE(view.IsCommandEnabled(ID_EDIT_SHIPMENT));
    view.OnCommand(ID_EDIT_SHIPMENT);
    EXPECT_EQ(edited, std::vector<int>{1});
}

TEST_F(ShipmentListViewTest, StoreFailuresAreToldToTheUser) {
    Load({MakeShipment(0, u"A", 0, now, InDelivery)});
    view.List().SetSelectedIndex(0);
    store.Close();

    view.OnCommand(ID_TRACK_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_TRUE(messages.Calls()[0].text.startsWith("배송정보를 읽지 못했습니다"));
    EXPECT_EQ(Count(), 0); // read again from the closed store
    EXPECT_TRUE(tracked.empty());

    // A delete that the store refuses is reported, not passed over.
    ASSERT_TRUE(store.Open(u"TRACKDB"));
    view.FillList(true);
    view.List().SetSelectedIndex(0);
    store.Close();
    messages.QueueAnswer(IDYES);
    view.OnCommand(ID_DELETE_SHIPMENT);
    ASSERT_EQ(messages.Calls().size(), 3u);
    EXPECT_EQ(messages.Calls()[2].text, "배송정보를 삭제하지 못했습니다.");
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, nullptr);
}
