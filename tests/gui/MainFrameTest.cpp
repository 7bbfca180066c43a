#include "app/MainFrame.h"

#include "app/ParceloApp.h"
#include "gui/ShellTestSupport.h"
#include "platform/LocalTime.h"
#include "platform/QtMenuBuilder.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QAction>
#include <QMenu>
#include <memory>

namespace parcelo::test {
namespace {

using Names = std::vector<std::u16string>;
constexpr Instant kDay = 24 * 3600;

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\nID02=둘;2;;2222;https://two/%s\n");
    }

    CMainFrame& Start() {
        frame.reset();
        frame = std::make_unique<CMainFrame>();
        EXPECT_TRUE(frame->LoadFrame());
        frame->show();
        return *frame;
    }
    // Item names from top to bottom, found through the positions the items carry.
    Names Listed() {
        std::vector<Shipment> stored;
        frame->Store().ReadAll(stored);
        Names names;
        for (int i = 0; i < frame->View().List().GetItemCount(); ++i) {
            names.push_back(stored.at(frame->View().List().GetItemData(i)).itemName);
        }
        return names;
    }
    static void Pick(CDropDownButton& button, int command) {
        QtMenuBuilder::FindCommand(*button.Menu(), command)->trigger();
    }
    static void DamageStore() {
        QDir().mkpath(DataFolder());
        QFile damaged(DataFolder() + "/VELDAN.EDB");
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray(4096, 'x'));
    }

    FakeMessageBoxService messages;
    const Instant now = CurrentInstant();
    std::unique_ptr<CMainFrame> frame;
};

// Without couriers the program is ending: one message, not a second about the store.
TEST_F(MainFrameTest, MissingCourierFileIsToldOnceThenTheProgramEndsWithZero) {
    SetProfileValue("INSTALLPATH", TestRoot().filePath("nowhere"));
    DamageStore();
    Start();
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].text, "parcelo.ini! 없습니다. 프로그램을 종료합니다.");
    EXPECT_EQ(messages.Calls()[0].style, unsigned(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(frame->GetCourierCount(), 0u);
    EXPECT_EQ(RunEventLoop(5000), 0);
}

TEST_F(MainFrameTest, UnopenableStoreIsToldOnceAndTheProgramRuns) {
    DamageStore();
    Start();
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_TRUE(messages.Calls()[0].text.startsWith("배송정보 데이터베이스를 열 수 없습니다"));
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_TRUE(frame->OnCmdMsg(ID_NEW_SHIPMENT));
    EXPECT_EQ(RunEventLoop(50), -1);
}

TEST_F(MainFrameTest, SoftKeyMenuGreysItemCommandsWithoutASelection) {
    AddToProgramVolume({MakeShipment(0, u"A", now, now, InDelivery)});
    CCommandBar& bar = Start().CommandBar();
    QMenu& menu = *bar.KeyMenu(CCommandBar::Key::Right);
    const auto enabled = [&](int command) { return QtMenuBuilder::FindCommand(menu, command)->isEnabled(); };
    bar.PressKey(CCommandBar::Key::Right);
    EXPECT_TRUE(menu.isVisible());
    for (const int command : {ID_TRACK_SHIPMENT, ID_CALL_COURIER, ID_EDIT_SHIPMENT, ID_DELETE_SHIPMENT}) {
        EXPECT_FALSE(enabled(command)) << command;
    }
    EXPECT_TRUE(enabled(ID_OPTIONS) && enabled(ID_APP_ABOUT) && enabled(ID_EXIT));
    menu.close();

    frame->View().List().SetSelectedIndex(0);
    bar.PressKey(CCommandBar::Key::Right); // the states are set as the menu opens
    EXPECT_TRUE(enabled(ID_TRACK_SHIPMENT) && enabled(ID_CALL_COURIER) && enabled(ID_EDIT_SHIPMENT) &&
                enabled(ID_DELETE_SHIPMENT));
    menu.close();
}

TEST_F(MainFrameTest, LeftSoftKeyIsNewAndExitEndsAtOnce) {
    Start();
    int newShipments = 0;
    frame->View().SetActions({[&] { return ++newShipments, false; }, {}, {}, {}});
    frame->CommandBar().PressKey(CCommandBar::Key::Left);
    EXPECT_EQ(newShipments, 1);
    QtMenuBuilder::FindCommand(*frame->CommandBar().KeyMenu(CCommandBar::Key::Right), ID_EXIT)->trigger();
    EXPECT_EQ(RunEventLoop(5000), 0);
    EXPECT_TRUE(messages.Calls().empty()) << "nothing is asked";
}

TEST_F(MainFrameTest, FilterAndSortLeaveEachOtherAloneAndResetOnRestart) {
    // Entry dates newest first: A B C D. Order dates oldest first: C D A B. B is done.
    AddToProgramVolume({MakeShipment(0, u"D", now - 4 * kDay, now - 9 * kDay, InDelivery),
                        MakeShipment(0, u"C", now - 3 * kDay, now - 10 * kDay, InDelivery),
                        MakeShipment(0, u"B", now - 2 * kDay, now - 7 * kDay, Done),
                        MakeShipment(0, u"A", now - 1 * kDay, now - 8 * kDay, InDelivery)});
    CFilterSortBar& bar = Start().FilterSortBar();
    EXPECT_TRUE(messages.Calls().empty());
    ASSERT_EQ(frame->GetCourierCount(), 2u);
    EXPECT_EQ(std::u16string(frame->GetCourier(1).name), u"둘");
    EXPECT_EQ(std::u16string(frame->GetCourier(5).name), u""); // beyond the table: blank

    Pick(bar.SortButton(), ID_SORT_ORDER_ASC);
    EXPECT_EQ(Listed(), (Names{u"C", u"D", u"A", u"B"}));
    Pick(bar.FilterButton(), ID_FILTER_IN_DELIVERY);
    EXPECT_EQ(Listed(), (Names{u"C", u"D", u"A"}));
    Pick(bar.SortButton(), ID_SORT_ENTRY_DESC);
    EXPECT_EQ(Listed(), (Names{u"A", u"C", u"D"}));
    Pick(bar.FilterButton(), ID_FILTER_DONE);
    Pick(bar.SortButton(), ID_SORT_ORDER_DESC);
    EXPECT_EQ(Listed(), (Names{u"B"}));

    Start();
    EXPECT_EQ(frame->FilterSortBar().FilterButton().Caption(), "모두 표시");
    EXPECT_EQ(frame->FilterSortBar().SortButton().Caption(), "입력일 역순");
    EXPECT_EQ(Listed(), (Names{u"A", u"B", u"C", u"D"}));
}

TEST_F(MainFrameTest, ApplicationShowsThePhoneShapedWindow) {
    CParceloApp app;
    ASSERT_TRUE(app.InitInstance());
    int aboutBoxes = 0;
    app.SetAboutBox([&] { ++aboutBoxes; });
    const CMainFrame* main = app.MainFrame();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), "Parcelo");
    EXPECT_EQ(main->size(), QSize(480, 640));
    EXPECT_EQ(QCoreApplication::organizationName(), "VELDAN");
    EXPECT_TRUE(app.MainFrame()->OnCmdMsg(ID_APP_ABOUT)); // past the view and the frame
    EXPECT_FALSE(app.MainFrame()->OnCmdMsg(12345));
    EXPECT_EQ(aboutBoxes, 1);
    EXPECT_TRUE(messages.Calls().empty());
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, "96");
}
