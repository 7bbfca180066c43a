#include "platform/DpiCache.h"
#include "platform/MessageBoxService.h"
#include "platform/PhoneService.h"
#include "platform/Profile.h"
#include "platform/QtMenuBuilder.h"
#include "platform/ResourceImages.h"
#include "res/Menus.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <memory>

using namespace parcelo;

namespace {

// Set up in main() before the first QSettings, which fixes its paths for the process.
QString g_userConfig;
QString g_systemConfig;

QString ProfileFile(const QString& root) {
    return root + QStringLiteral("/VELDAN/Parcelo.conf");
}

void WriteText(const QString& path, const QString& text) {
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile::remove(ProfileFile(g_userConfig));
        QFile::remove(ProfileFile(g_systemConfig));
    }
    void TearDown() override { SetUp(); }
    Profile profile;
};

TEST_F(ProfileTest, MissingValuesGiveTheDefaults) {
    EXPECT_EQ(profile.InstallPath(), QString());
    EXPECT_EQ(profile.DoubleClickAction(), 0);
    EXPECT_EQ(profile.FontSize(), 1);
    EXPECT_EQ(profile.GetProfileString("SETTINGS", "NOWHERE", "fallback"), "fallback");
}

TEST_F(ProfileTest, UnreadableIntegersFallBackToTheDefault) {
    WriteText(ProfileFile(g_userConfig), "[SETTINGS]\nDBLCLICK=abc\nFONTSIZE=\nOTHER=99999999999\nNEG=-1\n");
    EXPECT_EQ(profile.DoubleClickAction(), 0);
    EXPECT_EQ(profile.FontSize(), 1);
    EXPECT_EQ(profile.GetProfileInt("SETTINGS", "OTHER", 5), 5);
    EXPECT_EQ(profile.GetProfileInt("SETTINGS", "NEG", 5), -1);
}

TEST_F(ProfileTest, SystemScopeIsHonouredAndTheUserValueWins) {
    WriteText(ProfileFile(g_systemConfig), "[SETTINGS]\nINSTALLPATH=/opt/parcelo\nDBLCLICK=2\n");
    EXPECT_EQ(profile.InstallPath(), "/opt/parcelo");
    EXPECT_EQ(profile.DoubleClickAction(), 2);

    WriteText(ProfileFile(g_userConfig), "[SETTINGS]\nINSTALLPATH=/home/me/couriers,old\n");
    EXPECT_EQ(profile.InstallPath(), "/home/me/couriers,old");
    EXPECT_EQ(profile.DoubleClickAction(), 2);
}

TEST_F(ProfileTest, IntegersAreWrittenAsNumbersToTheUserFileOnly) {
    WriteText(ProfileFile(g_systemConfig), "[SETTINGS]\nINSTALLPATH=/opt/parcelo\n");
    EXPECT_TRUE(profile.WriteProfileInt("SETTINGS", "DBLCLICK", -1));
    EXPECT_TRUE(profile.WriteProfileInt("SETTINGS", "FONTSIZE", 2));

    const QString written = ReadText(ProfileFile(g_userConfig));
    EXPECT_TRUE(written.contains("DBLCLICK=-1\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("FONTSIZE=2\n")) << written.toStdString();
    EXPECT_FALSE(written.contains("INSTALLPATH"));
    EXPECT_EQ(profile.DoubleClickAction(), -1);
    EXPECT_EQ(profile.FontSize(), 2);
}

TEST(ScaleTest, LengthsScaleWithTheDotsPerInch) {
    for (const auto& [length, at96, at120, at192] :
         {std::array{22, 22, 28, 44}, std::array{2, 2, 3, 4}, std::array{47, 47, 59, 94}, std::array{0, 0, 0, 0}}) {
        EXPECT_EQ(ScaleLength(length, 96), at96);
        EXPECT_EQ(ScaleLength(length, 120), at120);
        EXPECT_EQ(ScaleLength(length, 192), at192);
    }
}

TEST(ScaleTest, ForcedDpiIsParsedStrictly) {
    EXPECT_EQ(ParseDpiOverride("192"), (ScreenDpi{192, 192}));
    EXPECT_EQ(ParseDpiOverride("120x96"), (ScreenDpi{120, 96}));
    EXPECT_EQ(ParseDpiOverride("120X96"), (ScreenDpi{120, 96}));
    for (const char* bad : {"", "abc", "0", "-96", "96x", "x96", "96x96x96", "96 ", "10000", "1e2"}) {
        EXPECT_FALSE(ParseDpiOverride(bad).has_value()) << bad;
    }
}

TEST(ScaleTest, EachCacheReadsTheScreenOnceAndKeepsIt) {
    qputenv("PARCELO_DPI", "120x96");
    DpiCache cache;
    EXPECT_EQ(cache.ScaleX(22), 28);
    EXPECT_EQ(cache.ScaleY(22), 22);
    qputenv("PARCELO_DPI", "192");
    EXPECT_EQ(cache.ScaleX(22), 28);
    EXPECT_EQ(DpiCache().ScaleY(22), 44);
    qunsetenv("PARCELO_DPI");
    EXPECT_GT(DpiCache().DpiX(), 0);
}

TEST(ScaleTest, QtDoesNotScaleASecondTime) {
    // main() set QT_SCALE_FACTOR=2 before preparing the environment.
    EXPECT_TRUE(qgetenv("QT_SCALE_FACTOR").isEmpty());
    EXPECT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0);
}

TEST(MessageBoxTest, StyleChoosesIconAndButtons) {
    const MessageBoxLayout ok = MessageBoxLayoutFor(MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(ok.icon, MessageIcon::Warning);
    ASSERT_EQ(ok.buttons.size(), 1u);
    EXPECT_EQ(ok.buttons[0].text, "확인");
    EXPECT_EQ(ok.buttons[0].result, IDOK);
    EXPECT_EQ(ok.escapeResult, IDOK);

    const MessageBoxLayout yesNo = MessageBoxLayoutFor(0x34);
    EXPECT_EQ(yesNo.icon, MessageIcon::Warning);
    ASSERT_EQ(yesNo.buttons.size(), 2u);
    EXPECT_EQ(yesNo.buttons[0].text, "예");
    EXPECT_EQ(yesNo.buttons[0].result, IDYES);
    EXPECT_EQ(yesNo.buttons[1].text, "아니요");
    EXPECT_EQ(yesNo.buttons[1].result, IDNO);
    EXPECT_EQ(yesNo.escapeResult, IDNO);

    EXPECT_EQ(MessageBoxLayoutFor(MB_ICONERROR).icon, MessageIcon::Error);
    EXPECT_EQ(MessageBoxLayoutFor(MB_ICONQUESTION).icon, MessageIcon::Question);
    EXPECT_EQ(MessageBoxLayoutFor(MB_ICONINFORMATION).icon, MessageIcon::Information);
    EXPECT_EQ(MessageBoxLayoutFor(MB_OK).icon, MessageIcon::None);
}

TEST(MessageBoxTest, FakeServiceIsInstalledForItsLifetime) {
    MessageBoxService* real = &MessageBoxService::Current();
    {
        FakeMessageBoxService fake;
        fake.QueueAnswer(IDNO);
        EXPECT_EQ(ShowMessage(nullptr, "a", MB_YESNO), IDNO);
        EXPECT_EQ(ShowMessage(nullptr, "b", MB_YESNO), IDYES);
        ASSERT_EQ(fake.Calls().size(), 2u);
        EXPECT_EQ(fake.Calls()[1].text, "b");
    }
    EXPECT_EQ(&MessageBoxService::Current(), real);
}

TEST(PhoneTest, NumbersAreCleanedForTheTelAddress) {
    EXPECT_EQ(DialableNumber("1588-1255"), "15881255");
    EXPECT_EQ(DialableNumber(" +82 (2) 123-4567,,#9* ext."), "+8221234567,,#9*");
    EXPECT_EQ(TelUrlForNumber("1588-1255").toString(QUrl::FullyEncoded), "tel:15881255");
    EXPECT_EQ(TelUrlForNumber("12#3").toString(QUrl::FullyEncoded), "tel:12%233");
    EXPECT_TRUE(TelUrlForNumber(" - ").isEmpty());
}

TEST(PhoneTest, DesktopServiceAsksFirstAndReportsAFailedHandOver) {
    FakeMessageBoxService boxes;
    QList<QUrl> opened;
    bool openerWorks = true;
    const auto phone = MakeDesktopPhoneService([&](const QUrl& url) {
        opened.append(url);
        return openerWorks;
    });

    boxes.QueueAnswer(IDNO);
    EXPECT_FALSE(phone->MakeCall(nullptr, "1588-1255"));
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].text, "1588-1255\n전화를 거시겠습니까?");
    EXPECT_EQ(boxes.Calls()[0].style, MB_YESNO | MB_ICONQUESTION);

    boxes.Clear();
    EXPECT_TRUE(phone->MakeCall(nullptr, "1588-1255"));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), "tel:15881255");
    EXPECT_EQ(boxes.Calls().size(), 1u);

    boxes.Clear();
    openerWorks = false;
    EXPECT_FALSE(phone->MakeCall(nullptr, "1588-1255"));
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_TRUE(boxes.Calls()[1].text.contains("1588-1255"));

    boxes.Clear();
    opened.clear();
    EXPECT_FALSE(phone->MakeCall(nullptr, ""));
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].style & MB_TYPEMASK, MB_OK);
}

struct ExpectedItem {
    const char16_t* text; // nullptr for a separator
    int command;
};

void ExpectItems(MenuItems items, std::initializer_list<ExpectedItem> expected) {
    ASSERT_EQ(items.size(), expected.size());
    std::size_t index = 0;
    for (const ExpectedItem& want : expected) {
        const MenuItem& item = items[index++];
        if (want.text == nullptr) {
            EXPECT_TRUE(item.IsSeparator()) << index;
        } else {
            EXPECT_EQ(QtMenuBuilder::ToQString(item.text), QString::fromUtf16(want.text));
            EXPECT_EQ(item.command, want.command) << index;
        }
    }
}

TEST(MenuTest, MenuResourcesHoldTheirItems) {
    const MenuItems bar = LoadMenuResource(IDR_MENUBAR);
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_EQ(bar[0].text, u"새로 만들기");
    EXPECT_EQ(bar[0].command, ID_NEW_SHIPMENT);
    EXPECT_EQ(bar[1].text, u"메뉴");
    ExpectItems(bar[1].popup, {{u"배송 조회", 32784},
                               {u"전화 걸기", 32783},
                               {u"도구", 0},
                               {nullptr, 0},
                               {u"옵션", 32798},
                               {u"정보", 57664},
                               {nullptr, 0},
                               {u"종료", 32772}});
    ExpectItems(SubMenu(bar[1].popup, 2), {{u"편집", 32781}, {u"삭제", 32782}});

    const MenuItems popups = LoadMenuResource(IDR_POPUPS);
    ASSERT_EQ(popups.size(), 3u);
    EXPECT_EQ(popups[0].text, u"Popup");
    ExpectItems(SubMenu(popups, 0),
                {{u"배송 조회", 32784}, {u"전화 걸기", 32783}, {nullptr, 0}, {u"편집", 32781}, {u"삭제", 32782}});
    ExpectItems(SubMenu(popups, 1),
                {{u"모두 표시", 32900}, {u"배송중 표시", 32901}, {u"완료 표시", 32902}, {u"취소 표시", 32903}});
    ExpectItems(SubMenu(popups, 2),
                {{u"입력일 역순", 32800}, {u"입력일 순", 32801}, {u"주문일 역순", 32802}, {u"주문일 순", 32803}});

    const MenuItems html = LoadMenuResource(IDR_HTMLDLG_MENU);
    ASSERT_EQ(html.size(), 2u);
    ExpectItems(
        SubMenu(html, 1),
        {{u"화면 맞춤", 32826}, {nullptr, 0}, {u"글자 크게", 32827}, {u"글자 보통", 32828}, {u"글자 작게", 32829}});
    ExpectItems(LoadMenuResource(IDR_NEWTRACK_MENU), {{u"확인", IDOK}, {u"취소", IDCANCEL}});
    ExpectItems(LoadMenuResource(IDR_OPTION_MENU), {{u"확인", IDOK}, {u"취소", IDCANCEL}});
    EXPECT_TRUE(LoadMenuResource(999).empty());
    EXPECT_EQ(FindMenuCommand(bar, ID_DELETE_SHIPMENT)->text, u"삭제");
}

TEST(MenuTest, QtMenusCarryCommandIds) {
    QWidget owner;
    QMenu* itemMenu = QtMenuBuilder::BuildSubMenu(IDR_POPUPS, kPopupItemMenu, &owner);
    ASSERT_NE(itemMenu, nullptr);
    const QList<QAction*> actions = itemMenu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "배송 조회");
    EXPECT_EQ(QtMenuBuilder::CommandOf(actions[0]), ID_TRACK_SHIPMENT);
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(QtMenuBuilder::CommandOf(actions[2]), 0);

    QtMenuBuilder::EnableCommand(*itemMenu, ID_EDIT_SHIPMENT, false);
    EXPECT_FALSE(actions[3]->isEnabled());
    EXPECT_TRUE(actions[4]->isEnabled());

    QMenu* menu = QtMenuBuilder::BuildMenu(SubMenu(LoadMenuResource(IDR_MENUBAR), 1), &owner);
    QAction* remove = QtMenuBuilder::FindCommand(*menu, ID_DELETE_SHIPMENT);
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), "삭제");
    QtMenuBuilder::CheckCommand(*menu, ID_DELETE_SHIPMENT, true);
    EXPECT_TRUE(remove->isChecked());
    EXPECT_EQ(QtMenuBuilder::BuildSubMenu(IDR_MENUBAR, 0, &owner), nullptr);
}

bool IsMagenta(QRgb pixel) {
    return (pixel & 0xFFFFFF) == 0xFF00FF;
}

TEST(ArtworkTest, BitmapsHaveTheirSizes) {
    const std::pair<int, QSize> expected[] = {
        {IDI_ARROW_DOWN, {32, 32}},           {IDI_ARROW_DOWN_HIRES, {32, 32}},
        {IDB_CHECKBOXES, {128, 16}},          {IDB_COURIER_LOGOS_LARGE, {750, 50}},
        {IDB_COURIER_LOGOS_SMALL, {375, 25}}, {IDB_ABOUT_LOGO, {142, 29}},
        {IDB_ABOUT_LOGO_LARGE, {283, 57}},    {IDR_MAINFRAME, {32, 32}},
    };
    for (const auto& [id, size] : expected) {
        EXPECT_EQ(LoadResourceImage(id).size(), size) << id;
    }
    EXPECT_TRUE(LoadResourceImage(1).isNull());
    for (const int size : {16, 32, 64}) {
        EXPECT_EQ(ApplicationIcon().pixmap(size, size).size(), QSize(size, size));
    }
}

TEST(ArtworkTest, ArrowTrianglesSitWhereTheBarDrawsThem) {
    struct Arrow {
        int id, left, top, width;
    };
    for (const Arrow arrow : {Arrow{IDI_ARROW_DOWN, 4, 7, 7}, Arrow{IDI_ARROW_DOWN_HIRES, 6, 14, 19}}) {
        const QImage image = LoadResourceImage(arrow.id).convertToFormat(QImage::Format_ARGB32);
        int black = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int row = y - arrow.top;
                const bool inside = row >= 0 && x >= arrow.left + row && x < arrow.left + arrow.width - row;
                const QRgb pixel = image.pixel(x, y);
                if (inside) {
                    ASSERT_EQ(pixel, 0xFF000000u) << arrow.id << " at " << x << "," << y;
                    ++black;
                } else {
                    ASSERT_EQ(qAlpha(pixel), 0) << arrow.id << " at " << x << "," << y;
                }
            }
        }
        EXPECT_EQ(black, arrow.width == 7 ? 7 + 5 + 3 + 1 : 100) << arrow.id;
    }
}

TEST(ArtworkTest, CheckBoxesAndLogosStandOnPureMagenta) {
    const QImage boxes = LoadResourceImage(IDB_CHECKBOXES);
    EXPECT_TRUE(IsMagenta(boxes.pixel(0, 0)));
    EXPECT_EQ(boxes.pixel(8, 8) & 0xFFFFFF, 0xFFFFFFu);       // empty box
    EXPECT_EQ(boxes.pixel(16 + 7, 10) & 0xFFFFFF, 0x000000u); // tick
    EXPECT_TRUE(IsMagenta(boxes.pixel(2 * 16 + 8, 8)));       // unused slots
    EXPECT_TRUE(IsMagenta(boxes.pixel(127, 15)));

    for (const auto& [id, size] : {std::pair{IDB_COURIER_LOGOS_LARGE, 50}, std::pair{IDB_COURIER_LOGOS_SMALL, 25}}) {
        const QImage logos = LoadResourceImage(id);
        for (int index = 0; index < kCourierLogoCount; ++index) {
            const int left = index * size;
            const int right = left + size - 1;
            for (const QPoint corner :
                 {QPoint(left, 0), QPoint(right, 0), QPoint(left, size - 1), QPoint(right, size - 1)}) {
                EXPECT_TRUE(IsMagenta(logos.pixel(corner))) << id << " logo " << index;
            }
            EXPECT_FALSE(IsMagenta(logos.pixel(left + size / 2, size / 2))) << id << " logo " << index;
        }
        for (int y = 0; y < logos.height(); ++y) {
            for (int x = 0; x < logos.width(); ++x) {
                const QRgb pixel = logos.pixel(x, y);
                const bool nearMagenta = qRed(pixel) > 160 && qBlue(pixel) > 160 && qGreen(pixel) < 96;
                ASSERT_TRUE(IsMagenta(pixel) || !nearMagenta) << id << " blends into magenta at " << x << "," << y;
            }
        }
    }
}

TEST(SampleIniTest, FifteenCouriersThatFitTheirFields) {
    QFile file(QStringLiteral(PARCELO_SOURCE_DIR "/res/parcelo.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            continue;
        }
        keys.append(line.left(equals));
        const QStringList fields = line.mid(equals + 1).split(u';');
        ASSERT_EQ(fields.size(), 5) << line.toStdString();
        EXPECT_LE(fields[0].size(), 7) << line.toStdString();
        EXPECT_LE(fields[2].size(), 31) << line.toStdString();
        EXPECT_LE(fields[3].size(), 14) << line.toStdString();
        EXPECT_LE(fields[4].size(), 255) << line.toStdString();
        EXPECT_EQ(fields[4].count(u'%'), 1) << line.toStdString();
        EXPECT_TRUE(fields[4].contains("%s")) << line.toStdString();
        EXPECT_TRUE(fields[4].startsWith("https://")) << line.toStdString();
    }
    ASSERT_EQ(keys.size(), kCourierLogoCount);
    for (int index = 0; index < keys.size(); ++index) {
        EXPECT_EQ(keys[index], QStringLiteral("ID%1").arg(index + 1, 2, 10, QLatin1Char('0')));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QTemporaryDir root;
    g_userConfig = root.filePath("user");
    g_systemConfig = root.filePath("system");
    qputenv("XDG_CONFIG_HOME", g_userConfig.toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", g_systemConfig.toLocal8Bit());
    qunsetenv("PARCELO_DPI");
    qputenv("QT_SCALE_FACTOR", "2");
    PrepareHighDpiEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
