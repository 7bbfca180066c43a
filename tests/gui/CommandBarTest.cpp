#include "platform/CommandBar.h"

#include "platform/QtMenuBuilder.h"
#include "res/resource.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

using namespace parcelo;

namespace {

std::vector<uint32_t> Commands(const QSignalSpy& spy) {
    std::vector<uint32_t> ids;
    for (const QList<QVariant>& arguments : spy) {
        ids.push_back(arguments.at(0).value<uint32_t>());
    }
    return ids;
}

TEST(CommandBarTest, MainBarHasACommandKeyAndAMenuKey) {
    CCommandBar bar;
    ASSERT_TRUE(bar.InsertMenuBar(IDR_MENUBAR));
    EXPECT_EQ(bar.KeyButton(CCommandBar::Key::Left)->text(), "새로 만들기");
    EXPECT_EQ(bar.KeyCommand(CCommandBar::Key::Left), ID_NEW_SHIPMENT);
    EXPECT_EQ(bar.KeyMenu(CCommandBar::Key::Left), nullptr);
    EXPECT_EQ(bar.KeyButton(CCommandBar::Key::Right)->text(), "메뉴");
    ASSERT_NE(bar.KeyMenu(CCommandBar::Key::Right), nullptr);
    EXPECT_EQ(bar.KeyCommand(CCommandBar::Key::Right), 0);

    QSignalSpy chosen(&bar, &CCommandBar::commandChosen);
    bar.KeyButton(CCommandBar::Key::Left)->click();
    // Commands picked in the pop-up and in its "도구" sub-menu arrive the same way.
    QMenu& menu = *bar.KeyMenu(CCommandBar::Key::Right);
    QtMenuBuilder::FindCommand(menu, ID_OPTIONS)->trigger();
    QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->trigger();
    EXPECT_EQ(Commands(chosen), (std::vector<uint32_t>{ID_NEW_SHIPMENT, ID_OPTIONS, ID_DELETE_SHIPMENT}));

    EXPECT_FALSE(bar.InsertMenuBar(4711));
    EXPECT_EQ(bar.KeyButton(CCommandBar::Key::Left), nullptr);
}

TEST(CommandBarTest, OwnerPreparesThePopupBeforeItOpens) {
    QWidget window;
    window.resize(240, 320);
    auto* bar = new CCommandBar(&window);
    ASSERT_TRUE(bar->InsertMenuBar(IDR_MENUBAR));
    bar->setGeometry(0, 290, 240, 30);
    window.show();

    bool wasVisible = true;
    QObject::connect(bar, &CCommandBar::popupAboutToShow, [&](QMenu* popup) {
        wasVisible = popup->isVisible();
        QtMenuBuilder::EnableCommand(*popup, ID_TRACK_SHIPMENT, false);
        QtMenuBuilder::EnableCommand(*popup, ID_EDIT_SHIPMENT, false);
    });
    bar->PressKey(CCommandBar::Key::Right);
    QMenu& menu = *bar->KeyMenu(CCommandBar::Key::Right);
    EXPECT_FALSE(wasVisible);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, ID_TRACK_SHIPMENT)->isEnabled());
    EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, ID_EDIT_SHIPMENT)->isEnabled());
    EXPECT_TRUE(QtMenuBuilder::FindCommand(menu, ID_EXIT)->isEnabled());
    EXPECT_LE(menu.geometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());
    menu.close();

    // A greyed command key sends nothing.
    QSignalSpy chosen(bar, &CCommandBar::commandChosen);
    bar->EnableCommand(ID_NEW_SHIPMENT, false);
    bar->PressKey(CCommandBar::Key::Left);
    EXPECT_EQ(chosen.count(), 0);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
