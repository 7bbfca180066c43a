#include "app/MainFrame.h"

#include "app/AppTestSupport.h"
#include "app/ParceloApp.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "support/FakeMessageBoxService.h"
#include "support/ShellTestSupport.h"
#include "ui/Menus.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
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
        frame = std::make_unique<CMainFrame>(ProgramPaths());
        EXPECT_TRUE(frame->LoadFrame());
        frame->show();
        return *frame;
    }
    // Item names from top to bottom, found through the shipment ids of the rows.
    Names Listed() {
        Names names;
        for (int i = 0; i < frame->View().List().GetItemCount(); ++i) {
            const std::optional<Shipment> shipment = frame->Store().Read(frame->View().IdAt(i));
            names.push_back(shipment ? shipment->itemName : u"?");
        }
        return names;
    }
    // Starts the window anew and gives the messages it showed.
    QStringList StartAndTell() {
        frame.reset();
        messages.Clear();
        Start();
        QStringList told;
        for (const auto& call : messages.Calls()) {
            told << call.text;
        }
        return told;
    }
    static void Pick(CDropDownButton& button, int command) {
        QtMenuBuilder::FindCommand(*button.Menu(), command)->trigger();
    }

    FakeMessageBoxService messages;
    const Instant now = CurrentInstant();
    std::unique_ptr<CMainFrame> frame;
};

// A damaged store is told and the program runs; without couriers it ends after one message.
TEST_F(MainFrameTest, UnopenableStoreIsToldAndMissingCouriersEndTheProgramWithZero) {
    const QString storeFile = DataFolder() + "/VELDAN.EDB";
    const auto damage = [&storeFile](qint64 at) {
        QDir().mkpath(DataFolder());
        QFile damaged(storeFile);
        ASSERT_TRUE(damaged.open(QIODevice::ReadWrite) && damaged.seek(at) &&
                    damaged.write(QByteArray(4096, '\xA5')) == 4096);
    };
    damage(0);
    QStringList told = StartAndTell();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith("배송정보 데이터베이스를 열 수 없습니다"));
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_TRUE(frame->OnCmdMsg(ID_NEW_SHIPMENT));
    EXPECT_EQ(RunEventLoop(50), -1);

    // Damage past the header and the schema shows once the page check has run, after the
    // first frame: the same message, and the list empties.
    frame.reset();
    QFile::remove(storeFile);
    AddToProgramVolume(std::vector<Shipment>(150, Shipment{0, u"1", std::u16string(400, u'x'), now, now, 0}));
    damage(8192);
    EXPECT_EQ(StartAndTell(), QStringList());
    EXPECT_GT(frame->View().List().GetItemCount(), 0);
    frame->View().List().viewport()->grab();
    QCoreApplication::processEvents();
    ASSERT_EQ(messages.Calls().size(), 1u);
    EXPECT_EQ(messages.Calls()[0].text, told[0]);
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_EQ(frame->View().List().GetItemCount(), 0);

    // A program ending over a missing parcelo.ini does not create the store either.
    frame.reset();
    QFile::remove(storeFile);
    SetProfileValue("INSTALLPATH", TestRoot().filePath("nowhere"));
    EXPECT_EQ(StartAndTell(), QStringList{"parcelo.ini! 없습니다. 프로그램을 종료합니다."});
    EXPECT_EQ(frame->GetCourierCount(), 0u);
    EXPECT_FALSE(frame->StoreIsOpen());
    EXPECT_EQ(RunEventLoop(5000), 0);
    EXPECT_FALSE(QFile::exists(storeFile));
}

// No ID01 is told, naming the file as plain text; a path too long is told and ends the
// program; the detection rules are read beside the couriers, and a faulty one costs only
// its courier's detection.
TEST_F(MainFrameTest, TheCourierFileIsToldAboutOrReadWithItsDetectionRules) {
    const QString folder = TestRoot().filePath("<i>x"), deep = folder + "/" + QString(250, 'd');
    for (const QString& path : {folder, deep}) {
        QDir().mkpath(path);
        QFile file(path + "/parcelo.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("ID02=둘;2;;2222;https://two/%s\n") > 0);
    }
    for (const QString& path : {folder, deep}) {
        SetProfileValue("INSTALLPATH", path);
        const QStringList told = StartAndTell();
        ASSERT_EQ(told.size(), 1);
        if (path == folder) {
            EXPECT_TRUE(told[0].contains(folder + "/parcelo.ini") && told[0].contains("ID01")) << told[0].toStdString();
            EXPECT_FALSE(Qt::mightBeRichText(told[0])) << "the path is shown as written";
        }
        EXPECT_EQ(frame->GetCourierCount(), 0u);
        EXPECT_EQ(RunEventLoop(path == deep ? 5000 : 50), path == deep ? 0 : -1) << "only the long path ends it";
    }
    InstallCourierFile("ID01=하나;1;;1111;https://one/%s\nID02=둘;2;;2222;https://two/%s\n"
                       "NUMBER01=(\nNUMBER02=\\d{10}\nNUMBER03=\\d{10}\n");
    EXPECT_EQ(StartAndTell(), QStringList());
    EXPECT_EQ(frame->GetCourierCount(), 2u);
    EXPECT_EQ(frame->Detector().Detect(u"1234-567890"), std::vector<int>{1});
    EXPECT_FALSE(frame->Detector().HasRule(0));
    EXPECT_EQ(std::u16string(frame->GetCourier(5).name), u""); // beyond the table: blank
}

// Filter and sort leave each other alone and reset on a restart; Ctrl+F or the menu opens
// the find field, which narrows within the filter and keeps the selection; Escape undoes the
// find; every list action has a key.
TEST_F(MainFrameTest, FilterSortAndFindNarrowTogetherAndEveryListActionHasAKey) {
    // Entry dates newest first: A B C D. Order dates oldest first: C D A B. B and D are done.
    AddToProgramVolume({MakeShipment(0, u"책D", now - 4 * kDay, now - 9 * kDay, Done),
                        MakeShipment(0, u"의C", now - 3 * kDay, now - 10 * kDay, InDelivery),
                        MakeShipment(0, u"책B", now - 2 * kDay, now - 7 * kDay, Done),
                        MakeShipment(0, u"책A", now - 1 * kDay, now - 8 * kDay, InDelivery)});
    CFilterSortBar& bar = Start().FilterSortBar();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    Pick(bar.SortButton(), ID_SORT_ORDER_ASC);
    EXPECT_EQ(Listed(), (Names{u"의C", u"책D", u"책A", u"책B"}));
    Pick(bar.FilterButton(), ID_FILTER_DONE);
    EXPECT_EQ(Listed(), (Names{u"책D", u"책B"}));
    frame->View().List().SetSelectedIndex(1);
    const int64_t selected = frame->View().SelectedId();

    CFindBar& find = frame->FindBar();
    EXPECT_FALSE(find.isVisible());
    QTest::keyClick(frame->View().List().viewport(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(find.isVisible());
    find.insert(u"ㅊ"_qs); // as typed: QTest types Latin letters only
    EXPECT_EQ(Listed(), (Names{u"책D", u"책B"}));
    EXPECT_EQ(frame->View().SelectedId(), selected) << "the find keeps the selected shipment";
    Pick(bar.FilterButton(), ID_FILTER_ALL);
    EXPECT_EQ(Listed(), (Names{u"책D", u"책A", u"책B"}));
    QTest::keyClick(&find, Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
    EXPECT_EQ(Listed(), (Names{u"의C", u"책D", u"책A", u"책B"}));
    EXPECT_TRUE(frame->OnCmdMsg(ID_FIND));
    EXPECT_TRUE(find.isVisible());
    EXPECT_TRUE(find.text().isEmpty());

    Start().activateWindow();
    EXPECT_EQ(Listed(), (Names{u"책A", u"책B", u"의C", u"책D"}));
    EXPECT_TRUE(messages.Calls().empty());

    // Every list action has a key: Delete (in the list only), the menu keys, F3/F4 for the bar,
    // Tab and Space on its buttons; the menus show the keys.
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CHTMLListCtrl& list = frame->View().List();
    list.SetSelectedIndex(0);
    list.setFocus();
    // Presses `key` on `target`; gives how many messages were shown by then.
    const auto press = [&](QWidget* target, QKeyCombination key) {
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        return messages.Calls().size();
    };
    QGuiApplication::clipboard()->clear();
    ASSERT_EQ(press(list.viewport(), Qt::Key_Delete), 1u) << "Delete asks before it deletes";
    EXPECT_TRUE(messages.Calls()[0].text.contains(u"책A"_qs));
    press(list.viewport(), Qt::CTRL | Qt::Key_F);
    EXPECT_EQ(press(&frame->FindBar(), Qt::Key_Delete), 1u) << "Delete in the find field edits the text";
    EXPECT_EQ(press(&frame->FindBar(), Qt::CTRL | Qt::Key_V), 1u) << "Ctrl+V in the find field pastes text";
    press(&frame->FindBar(), Qt::Key_Escape);
    ASSERT_EQ(press(list.viewport(), Qt::CTRL | Qt::Key_V), 2u) << "Ctrl+V in the list adds what the clipboard holds";
    EXPECT_TRUE(messages.Calls()[1].text.startsWith(u"붙여 넣을 것이 없습니다"_qs));

    // Whether `key` on `target` opens `menu`, or the item menu when none is given.
    const auto opens = [&](QWidget* target, QKeyCombination key, QMenu* menu = nullptr) {
        press(target, key);
        QMenu* shown = menu != nullptr ? menu : frame->View().OpenItemMenu();
        const bool visible = shown != nullptr && QTest::qWaitFor([shown] { return shown->isVisible(); }, 2000);
        if (shown != nullptr) {
            shown->hide();
        }
        return visible;
    };
    CFilterSortBar& keysBar = frame->FilterSortBar();
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_F3, keysBar.FilterButton().Menu()));
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_F4, keysBar.SortButton().Menu()));
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_Menu));
    EXPECT_TRUE(opens(list.viewport(), Qt::SHIFT | Qt::Key_F10));
    keysBar.FilterButton().setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(opens(&keysBar.FilterButton(), Qt::Key_Space, keysBar.FilterButton().Menu()));
    QMenu& menu = *frame->CommandBar().KeyMenu(CCommandBar::Key::Right);
    EXPECT_EQ(QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(QtMenuBuilder::FindCommand(menu, ID_EXIT)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
}

// The soft keys work; the menu greys the item commands without a selection; exit ends with 0.
TEST_F(MainFrameTest, ApplicationShowsThePhoneShapedWindowAndItsSoftKeysWork) {
    CParceloApp app;
    ASSERT_TRUE(app.InitInstance(ProgramPaths()));
    int aboutBoxes = 0, newShipments = 0;
    app.SetAboutBox([&] { ++aboutBoxes; });
    CMainFrame& main = *app.MainFrame();
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.OnCmdMsg(ID_APP_ABOUT)); // past the view and the frame
    EXPECT_EQ(aboutBoxes, 1);

    main.View().SetActions({[&] { return ++newShipments, false; }, {}, {}, {}, {}, {}, {}, {}});
    main.CommandBar().PressKey(CCommandBar::Key::Left);
    EXPECT_EQ(newShipments, 1);
    QMenu& menu = *main.CommandBar().KeyMenu(CCommandBar::Key::Right);
    main.CommandBar().PressKey(CCommandBar::Key::Right);
    for (const int command : {ID_TRACK_SHIPMENT, ID_CALL_COURIER, ID_EDIT_SHIPMENT, ID_DELETE_SHIPMENT}) {
        EXPECT_FALSE(QtMenuBuilder::FindCommand(menu, command)->isEnabled()) << command;
    }
    QtMenuBuilder::FindCommand(menu, ID_EXIT)->trigger();
    EXPECT_EQ(RunEventLoop(5000), 0);
    EXPECT_TRUE(messages.Calls().empty()) << "nothing is asked";
}

bool HasHangul(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
}

// English is the program's own texts, the core's included, and Qt's own English; Korean
// is the source texts with Qt's own texts, its file dialog among them, in Korean.
TEST_F(MainFrameTest, TheInterfaceSpeaksTheLanguageOfTheLocale) {
    for (const InterfaceLanguage language : {InterfaceLanguage::English, InterfaceLanguage::Korean}) {
        const bool english = language == InterfaceLanguage::English;
        const Language installed(language);
        CMainFrame& main = Start();
        EXPECT_EQ(QtMenuBuilder::FindCommand(*main.CommandBar().KeyMenu(CCommandBar::Key::Right), ID_EXPORT)->text(),
                  english ? "Export" : "내보내기");
        const NumberedText daysAgo = PARCELO_TR_N("ShipmentItemText", "(%n일 경과)");
        EXPECT_EQ(daysAgo(1) + daysAgo(2), english ? u"(1 day ago)(2 days ago)" : u"(1일 경과)(2일 경과)");
        // Every menu of the program has its English.
        for (const int id : {IDR_MENUBAR, IDR_POPUPS, IDR_HTMLDLG_MENU, IDR_NEWTRACK_MENU}) {
            const std::function<void(MenuItems)> check = [&](MenuItems items) {
                for (const MenuItem& item : items) {
                    EXPECT_EQ(HasHangul(QtMenuBuilder::TranslatedText("Menu", item.text)),
                              !english && HasHangul(QtMenuBuilder::ToQString(item.text)));
                    check(item.popup);
                }
            };
            check(LoadMenuResource(id));
        }

        QFileDialog files(nullptr, QStringLiteral("x"));
        files.setOption(QFileDialog::DontUseNativeDialog);
        const QList<QLabel*> labels = files.findChildren<QLabel*>();
        EXPECT_EQ(std::any_of(labels.cbegin(), labels.cend(), [](QLabel* label) { return HasHangul(label->text()); }),
                  !english)
            << "Qt's file dialog";
        frame.reset();
    }
}

} // namespace
} // namespace parcelo::test

int main(int argc, char** argv) {
    return parcelo::test::RunShellTests(argc, argv, "96");
}
