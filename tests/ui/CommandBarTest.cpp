#include "ui/CommandBar.h"

#include "platform/resource.h"
#include "ui/QtMenuBuilder.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>
#include <vector>

using namespace parcelo;

namespace {

TEST(CommandBarTest, KeysSendCommandsAndTheOwnerPreparesThePopup) {
    using Key = CCommandBar::Key;
    int argc = 1;
    char* argv[] = {const_cast<char*>("CommandBarTest")};
    QApplication app(argc, argv); // offscreen, as the test's environment says
    QWidget window;
    auto* bar = new CCommandBar(&window);
    ASSERT_TRUE(bar->InsertMenuBar(IDR_MENUBAR));
    bar->setGeometry(0, 290, 240, 30);
    window.show();
    ASSERT_NE(bar->KeyMenu(Key::Right), nullptr);
    QMenu& menu = *bar->KeyMenu(Key::Right);

    QObject::connect(bar, &CCommandBar::popupAboutToShow, [](QMenu* popup) {
        QtMenuBuilder::EnableCommand(*popup, ID_EDIT_SHIPMENT, false); // inside the "도구" sub-menu
    });
    bar->PressKey(Key::Right);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, ID_EDIT_SHIPMENT)->isEnabled());
    EXPECT_LE(menu.geometry().bottom(), bar->mapToGlobal(QPoint(0, 0)).y());

    // Commands picked in the pop-up and in its sub-menu arrive like the command key's; a greyed key sends nothing.
    std::vector<uint32_t> chosen;
    QObject::connect(bar, &CCommandBar::commandChosen, [&chosen](uint32_t id) { chosen.push_back(id); });
    bar->KeyButton(Key::Left)->click();
    QtMenuBuilder::FindCommand(menu, ID_OPTIONS)->trigger();
    QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->trigger();
    bar->EnableCommand(ID_NEW_SHIPMENT, false);
    bar->PressKey(Key::Left);
    EXPECT_EQ(chosen, (std::vector<uint32_t>{ID_NEW_SHIPMENT, ID_OPTIONS, ID_DELETE_SHIPMENT}));

    EXPECT_FALSE(bar->InsertMenuBar(4711));
    EXPECT_EQ(bar->KeyButton(Key::Left), nullptr);
}

} // namespace
