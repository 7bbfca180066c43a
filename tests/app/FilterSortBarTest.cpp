// Run at 96 and, once more, at 192 dots per inch (PARCELO_TEST_DPI): the bar is checked at both scales.
#include "ui/FilterSortBar.h"

#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "platform/LocalTime.h"
#include "platform/resource.h"
#include "render/qt/ResourceImages.h"
#include "support/FakeMessageBoxService.h"
#include "ui/MessageBoxService.h"
#include "ui/QtMenuBuilder.h"

#include <QAction>
#include <QBitmap>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegion>
#include <QRegularExpression>
#include <QTest>
#include <memory>

namespace parcelo::test {
namespace {

using Names = std::vector<std::u16string>;
using Sent = std::vector<std::pair<unsigned, uint32_t>>;
const int kDpi = TestDpi();
int S(int value) {
    return ScaleLength(value, kDpi);
}

// The main window over four shipments. Entry dates newest first: A B C D; order dates oldest
// first: C D A B. B and D are done.
class FilterSortBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearProfileAndData();
        InstallCourierFile("[COURIERS]\nID01=하나;1;;1111;https://one.example/%s\n");
        const Instant now = CurrentInstant(), day = 24 * 3600;
        AddToProgramVolume({MakeShipment(0, u"책D", now - 4 * day, now - 9 * day, Done),
                            MakeShipment(0, u"의C", now - 3 * day, now - 10 * day, InDelivery),
                            MakeShipment(0, u"책B", now - 2 * day, now - 7 * day, Done),
                            MakeShipment(0, u"책A", now - 1 * day, now - 8 * day, InDelivery)});
        Start();
    }
    void Start() {
        frame.reset();
        frame = std::make_unique<CMainFrame>(ProgramPaths());
        ASSERT_TRUE(frame->LoadFrame());
        frame->setGeometry(300, 40, S(240), S(320));
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        bar = &frame->FilterSortBar();
        QObject::connect(bar, &CFilterSortBar::notifyMainWindow, [this](unsigned message, uint32_t command) {
            sent.push_back({message, command});
        });
    }
    // Item names from top to bottom.
    Names Listed() {
        Names names;
        for (const int64_t id : RowIds(frame->View())) {
            names.push_back(frame->Store().Read(id).value_or(Shipment{}).itemName);
        }
        return names;
    }

    FakeMessageBoxService messages;
    std::unique_ptr<CMainFrame> frame;
    CFilterSortBar* bar = nullptr;
    Sent sent;
};

// The buttons share the bar above the list, their menus drop from it, each choice shows, is sent
// and acts on the list; the smallest window and its message boxes show everything whole; the find
// field narrows within the filter; every list action has a key.
TEST_F(FilterSortBarTest, TheBarOrdersTheListTheSmallestWindowShowsEverythingAndEveryActionHasAKey) {
    ASSERT_EQ(DpiCache().DpiX(), kDpi);
    CDropDownButton& filter = bar->FilterButton();
    CDropDownButton& sort = bar->SortButton();
    const CShipmentListView& view = frame->View();
    CHTMLListCtrl& list = frame->View().List();
    const QPushButton *left = frame->CommandBar().KeyButton(CCommandBar::Key::Left),
                      *right = frame->CommandBar().KeyButton(CCommandBar::Key::Right);
    // The window is never made smaller than what shows every caption of the bar, one item and the
    // soft keys whole; smallest, turned, then upright.
    for (const QSize size : {QSize(S(40), S(30)), QSize(S(320), S(240)), QSize(S(240), S(320))}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        frame->resize(size);
        EXPECT_EQ(frame->size(), size.expandedTo(frame->minimumSize()));
        const int width = frame->width();
        EXPECT_EQ(bar->geometry(), QRect(0, 0, width, bar->height())) << "the bar spans the top of the window";
        EXPECT_EQ(view.geometry(), QRect(0, bar->height(), width, frame->CommandBar().y() - bar->height()))
            << "the list fills the room between the bar and the soft keys, neither under them nor leaving a gap";

        // The buttons do not overlap, stay in the window, and show each of their captions whole.
        ASSERT_TRUE(filter.isVisible() && sort.isVisible());
        EXPECT_LT(filter.geometry().right(), sort.x());
        const int barBottom = bar->mapToGlobal(QPoint(0, bar->height())).y();
        for (const CDropDownButton* button : {&filter, &sort}) {
            EXPECT_TRUE(button->x() >= 0 && button->geometry().right() < width);
            for (const QAction* entry : button->Menu()->actions()) {
                EXPECT_LE(button->fontMetrics().horizontalAdvance(entry->text()) + button->ArrowWidth(),
                          button->width())
                    << entry->text().toStdString() << " and its arrow fit";
            }
            // The menus drop from the bar's lower edge, inside the window.
            const int top = button->PopupPosition().y();
            EXPECT_TRUE(top >= barBottom - S(2) && top <= barBottom) << top << " below " << barBottom;
            EXPECT_GE(button->PopupPosition().x(), frame->mapToGlobal(QPoint(0, 0)).x());
        }
        EXPECT_LE(sort.PopupPosition().x() + sort.Menu()->sizeHint().width(), frame->mapToGlobal(QPoint(width, 0)).x());
        list.viewport()->grab();
        EXPECT_LE(list.GetItemRect(0).Height(), list.viewport()->height()) << "one item shows whole";
        EXPECT_LE(left->geometry().right(), right->x());
        for (const QPushButton* key : {left, right}) {
            EXPECT_LE(key->fontMetrics().horizontalAdvance(key->text()), key->width()) << key->text().toStdString();
        }
    }
    const QPoint before = filter.PopupPosition();
    frame->move(frame->pos() + QPoint(S(7), S(11)));
    EXPECT_EQ(filter.PopupPosition(), before + QPoint(S(7), S(11)));

    // Every entry becomes its button's caption, is drawn, is sent each time it is picked, and
    // orders or narrows the window's list as it does a list view of its own (sorts first: the last
    // filter leaves nothing to order).
    QTest::mousePress(&filter, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(filter.Menu()->isVisible() && filter.Menu()->close());
    CShipmentListView reference{frame->Couriers(), frame->Store(), frame->GetClock()};
    reference.OnInitialUpdate();
    for (const auto& [button, message] : {std::pair{&sort, WM_SORT_CHANGED}, {&filter, WM_FILTER_CHANGED}}) {
        SCOPED_TRACE(button->objectName().toStdString());
        const QList<QAction*> entries = button->Menu()->actions();
        ASSERT_GE(entries.size(), 2);
        EXPECT_EQ(button->Caption(), entries.front()->text()) << "the first entry is chosen at the start";
        std::vector<QImage> drawn;
        for (QAction* entry : entries) {
            sent.clear();
            entry->trigger();
            entry->trigger(); // the current entry again is sent again
            EXPECT_EQ(button->Caption(), entry->text());
            const std::pair once{message, static_cast<uint32_t>(QtMenuBuilder::CommandOf(entry))};
            EXPECT_EQ(sent, (Sent{once, once}));
            button == &filter ? reference.FilterBy(once.second) : reference.SortBy(once.second);
            EXPECT_EQ(RowIds(frame->View()), RowIds(reference)) << entry->text().toStdString();
            const QImage image = button->grab().toImage();
            EXPECT_EQ(std::count(drawn.begin(), drawn.end(), image), 0) << "two entries look the same in the button";
            drawn.push_back(image);
        }
    }

    // Ctrl+F or the menu opens the find field, which narrows within the filter and keeps the
    // selection; Escape undoes the find.
    // The entries above left the list in order date order.
    QtMenuBuilder::FindCommand(*filter.Menu(), ID_FILTER_DONE)->trigger();
    list.SetSelectedIndex(1);
    const int64_t selected = frame->View().SelectedId();
    CFindBar& find = frame->FindBar();
    EXPECT_FALSE(find.isVisible());
    QTest::keyClick(list.viewport(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(find.isVisible());
    find.insert(u"ㅊ"_qs); // as typed: QTest types Latin letters only
    EXPECT_EQ(frame->View().SelectedId(), selected) << "the find keeps the selected shipment";
    QtMenuBuilder::FindCommand(*filter.Menu(), ID_FILTER_ALL)->trigger();
    EXPECT_EQ(Listed(), (Names{u"책D", u"책A", u"책B"}));
    QTest::keyClick(&find, Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
    EXPECT_EQ(Listed(), (Names{u"의C", u"책D", u"책A", u"책B"}));

    // Every list action has a key: Delete (in the list only), Ctrl+V, the menu keys, F3/F4 for
    // the bar, Space on its buttons; the menus show the keys.
    // Presses `key` on `target`; gives how many messages were shown by then.
    const auto press = [&](QWidget* target, QKeyCombination key) {
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        return messages.Calls().size();
    };
    list.SetSelectedIndex(0);
    QGuiApplication::clipboard()->clear();
    ASSERT_EQ(press(list.viewport(), Qt::Key_Delete), 1u) << "Delete asks before it deletes";
    EXPECT_TRUE(messages.Calls()[0].text.contains(u"의C"_qs));
    EXPECT_TRUE(frame->OnCmdMsg(ID_FIND));
    EXPECT_TRUE(find.isVisible() && find.text().isEmpty());
    EXPECT_EQ(press(&find, Qt::Key_Delete), 1u) << "Delete in the find field edits the text";
    EXPECT_EQ(press(&find, Qt::CTRL | Qt::Key_V), 1u) << "Ctrl+V in the find field pastes text";
    press(&find, Qt::Key_Escape);
    ASSERT_EQ(press(list.viewport(), Qt::CTRL | Qt::Key_V), 2u) << "Ctrl+V in the list adds what the clipboard holds";
    EXPECT_TRUE(messages.Calls()[1].text.startsWith(u"붙여 넣을 것이 없습니다"_qs));

    // Whether `key` on `target` opens `menu`, or the item menu when none is given.
    const auto opens = [&](QWidget* target, QKeyCombination key, QMenu* menu = nullptr) {
        press(target, key);
        QMenu* shown = menu != nullptr ? menu : frame->View().OpenItemMenu();
        return shown != nullptr && QTest::qWaitFor([shown] { return shown->isVisible(); }, 2000) && shown->close();
    };
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_F3, filter.Menu()));
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_F4, sort.Menu()));
    EXPECT_TRUE(opens(list.viewport(), Qt::Key_Menu));
    EXPECT_TRUE(opens(list.viewport(), Qt::SHIFT | Qt::Key_F10));
    filter.setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(opens(&filter, Qt::Key_Space, filter.Menu()));
    QMenu& menu = *frame->CommandBar().KeyMenu(CCommandBar::Key::Right);
    EXPECT_EQ(QtMenuBuilder::FindCommand(menu, ID_DELETE_SHIPMENT)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(QtMenuBuilder::FindCommand(menu, ID_EXIT)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    // A message box with a long text is no wider than the window.
    const QString text = u"이 파일의 배송정보로 바꾸시겠습니까?\n%1\n\n현재 배송정보는 %1.bak 으로 보관됩니다."_qs.arg(
        "/home/user/" + QString(12, u'가') + "/parcelo-backup-" + QString(60, u'7') + ".edb");
    MessageBoxService* fake = MessageBoxService::Install(nullptr); // the real box
    std::pair<QRect, QString> seen;                                // the box's frame and text
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = {dialog->frameGeometry(), dialog->text()};
        dialog->reject();
    });
    ShowMessage(frame.get(), text, MB_YESNO | MB_ICONQUESTION);
    MessageBoxService::Install(fake);
    const auto& [box, shown] = seen;
    EXPECT_TRUE(box.left() >= frame->frameGeometry().left() && box.right() <= frame->frameGeometry().right())
        << box.width() << " in " << frame->frameGeometry().width();
    const auto letters = [](QString value) { return value.remove(QRegularExpression("\\s")); };
    EXPECT_EQ(letters(shown), letters(text)) << "broken into lines, nothing lost";

    // Filter and sort reset on a restart.
    Start(); // the first shipment went with the Delete above
    EXPECT_EQ(Listed(), (Names{u"책A", u"책B", u"책D"}));
}

// The small arrow up to 130 dpi; above, the large one at 192 and in proportion to it
// elsewhere, growing with the resolution, one picture pixel to a device pixel at any ratio.
TEST(ScaledPictureTest, ArrowsGrowAbove130Dpi) {
    const QImage small = LoadResourceImage(IDI_ARROW_DOWN).convertToFormat(QImage::Format_ARGB32);
    const QImage large = LoadResourceImage(IDI_ARROW_DOWN_HIRES).convertToFormat(QImage::Format_ARGB32);
    const auto topRow = [](const QImage& picture) { // the inked width, that of its first row
        return QRegion(QBitmap::fromImage(picture.createAlphaMask())).boundingRect().width();
    };
    int previousWidth = topRow(small) + 1;
    for (int dpi = 96; dpi <= 400; ++dpi) {
        for (const double ratio : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, ratio " << ratio);
            const QPixmap arrow = CDropDownButton::ArrowPicture({dpi, dpi, ratio});
            EXPECT_EQ(arrow.devicePixelRatio(), ratio);
            const QImage picture = arrow.toImage().convertToFormat(QImage::Format_ARGB32);
            if (dpi <= 130 || dpi == 192) {
                EXPECT_EQ(picture, dpi <= 130 ? small : large);
            }
            if (dpi > 130) {
                EXPECT_EQ(picture.size(), QSize(1, 1) * ((32 * dpi + 96) / 192));
                const int width = topRow(picture);
                EXPECT_LE(std::abs(width * 192 - 19 * dpi), 192) << "in proportion to the large arrow";
                EXPECT_GE(width, std::exchange(previousWidth, width));
            }
        }
    }
}

} // namespace
} // namespace parcelo::test
