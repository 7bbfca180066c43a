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

TEST(CommandBarTest, KeysSendCommandsAndTheOwnerPreparesThePopup) {
    using Key = CCommandBar::Key;
    QWidget window;
    window.resize(240, 320);
    auto* bar = new CCommandBar(&window);
    ASSERT_TRUE(bar->InsertMenuBar(IDR_MENUBAR));
    bar->setGeometry(0, 290, 240, 30);
    window.show();
    EXPECT_EQ(bar->KeyButton(Key::Left)->text(), "새로 만들기");
    EXPECT_EQ(bar->KeyButton(Key::Right)->text(), "메뉴");
    ASSERT_NE(bar->KeyMenu(Key::Right), nullptr);
    QMenu& menu = *bar->KeyMenu(Key::Right);

    bool wasVisible = true;
    QObject::connect(bar, &CCommandBar::popupAboutToShow, [&](QMenu* popup) {
        wasVisible = popup->isVisible();
        QtMenuBuilder::EnableCommand(*popup, ID_EDIT_SHIPMENT, false); // inside the "도구" sub-menu
    });
    bar->PressKey(Key::Right);
    EXPECT_FALSE(wasVisible);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, ID_EDIT_SHIPMENT)->isEnabled());
    EXPECT_TRUE(QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->isEnabled());
    EXPECT_LE(menu.geometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());
    menu.close();

    // Commands picked in the pop-up and in its sub-menu arrive like the command key's; a greyed key sends nothing.
    QSignalSpy chosen(bar, &CCommandBar::commandChosen);
    bar->KeyButton(Key::Left)->click();
    QtMenuBuilder::FindCommand(menu, ID_OPTIONS)->trigger();
    QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->trigger();
    bar->EnableCommand(ID_NEW_SHIPMENT, false);
    bar->PressKey(Key::Left);
    EXPECT_EQ(Commands(chosen), (std::vector<uint32_t>{ID_NEW_SHIPMENT, ID_OPTIONS, ID_DELETE_SHIPMENT}));

    EXPECT_FALSE(bar->InsertMenuBar(4711));
    EXPECT_EQ(bar->KeyButton(Key::Left), nullptr);
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
