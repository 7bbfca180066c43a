#include "dialogs/HtmlDlg.h"

#include "page/TrackingPageWindow.h"
#include "pageprotocol/PageProtocol.h"
#include "platform/resource.h"
#include "support/FakeMessageBoxService.h"
#include "support/ScopedEnv.h"
#include "ui/QtMenuBuilder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/xcb.h>

using namespace parcelo;

namespace {

// A server on 127.0.0.1 that answers every request with one page, or never answers, and
// lists the paths asked for.
struct LoopbackServer : QTcpServer {
    QStringList requests;

    explicit LoopbackServer(QByteArray page, bool answer = true, quint16 port = 0) {
        listen(QHostAddress::LocalHost, port);
        connect(this, &QTcpServer::newConnection, this, [this, page, answer] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, page, answer] {
                    requests << QString::fromLatin1(socket->readAll().split(' ').value(1));
                    if (answer) {
                        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                                      QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
                        socket->disconnectFromHost();
                    }
                });
            }
        });
    }
    std::u16string Address(const QString& pathAndQuery) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(pathAndQuery).toStdU16String();
    }
};

// Waits on events until `condition` holds: the web engine crawls under QTest::qWaitFor's sleeps.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick; // wakes the loop when nothing else does
    tick.start(5);
    while (!condition() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return condition();
}

// Picks one of the dialog's tools; true when it is ticked after.
bool Tool(CHtmlDlg& dialog, int command) {
    QAction* tool = QtMenuBuilder::FindCommand(*dialog.CommandBar().KeyMenu(CCommandBar::Key::Right), command);
    tool->trigger();
    return tool->isChecked();
}
const auto Pause = [](int ms) { WaitFor([] { return false; }, ms); };

// The result of `script` in the page shown now.
QVariant RunScript(QWebEngineView& view, const QString& script) {
    std::optional<QVariant> result;
    view.page()->runJavaScript(script, [&](const QVariant& value) { result = value; });
    WaitFor([&] { return result.has_value(); });
    return result.value_or(QVariant());
}

// The page's window in the test's own process, as parcelo-page runs it, with what it
// sends to the program.
struct PageWindow {
    std::vector<PageMessage> sent;
    bool loading = false; // as the last Loading or Loaded said
    CTrackingPageWindow window{[this](const PageMessage& message) {
                                   sent.push_back(message);
                                   loading = message.verb == PageVerb::Loading ||
                                             (loading && message.verb != PageVerb::Loaded);
                               },
                               false};
};

// The result of `script` in the page of a dialog's parcelo-page, run for tests.
QVariant RunScript(CHtmlDlg& dialog, const QString& script) {
    std::optional<QVariant> result;
    QObject context; // ends the connection on return
    QObject::connect(&dialog.Page(), &CPageProcess::received, &context, [&](const PageMessage& message) {
        if (message.verb == PageVerb::Result) {
            result = QJsonDocument::fromJson(QByteArray::fromStdString(message.text)).array().at(0).toVariant();
        }
    });
    dialog.Page().Send({PageVerb::Eval, {}, script.toStdString()});
    WaitFor([&] { return result.has_value(); }, 10000);
    return result.value_or(QVariant());
}

// The processes of a process group still alive, by /proc/<pid>/stat (a zombie is as good as gone).
int ProcessesInGroup(qint64 group) {
    int alive = 0;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        const QByteArray text = entry.toLongLong() > 0 && stat.open(QIODevice::ReadOnly) ? stat.readAll() : "";
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        alive += fields.size() > 2 && fields[0] != "Z" && fields[2].toLongLong() == group ? 1 : 0;
    }
    return alive;
}

// A failed load shows the program's page: the address decoded, as text, never markup,
// broken only after "/", "?" and "&"; and a retry link. It is drawn at the program's
// scale, as the courier's page is. F2, Menu and Escape pressed in the page go to the
// program's dialog, once, other keys to the page. A page cannot lead the view to another
// program's scheme, a local file or a data: page.
TEST(TrackingPageWindowTest, AFailedLoadShowsAKoreanPageWithARetryLinkAndThePageStaysOnTheWeb) {
    const quint16 port = LoopbackServer("").serverPort(); // nobody listens here once it is closed
    const QString address =
        QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%25&name=%ED%95%9C%EA%B8%80").arg(port);
    PageWindow page;
    page.window.Handle({PageVerb::Scale, {2000}, {}}); // the program draws at 192 dpi
    page.window.Handle({PageVerb::Open, {}, address.toStdString()});
    page.window.Handle({PageVerb::Show, {}, {}});
    QWebEngineView& view = *page.window.View().View();
    ASSERT_TRUE(
        WaitFor([&] { return !page.loading && RunScript(view, "!!document.getElementById('retry')").toBool(); }));
    EXPECT_TRUE(RunScript(view, "document.body.innerText").toString().contains("서버가 연결을 거부했습니다"));
    const QString pieces =
        RunScript(view, "Array.from(document.querySelectorAll('#address > span'), s => s.textContent).join('\\n')")
            .toString();
    EXPECT_EQ(QString(pieces).remove(u'\n'),
              QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%&name=한글").arg(port));
    EXPECT_FALSE(pieces.contains(QRegularExpression("[^/?&]\n"))) << pieces.toStdString();
    const QString screenPixelsPerCssPixel =
        "window.devicePixelRatio * (parseFloat(document.documentElement.style.zoom) || 1)";
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.0; }));
    page.window.Handle({PageVerb::Zoom, {3}, {}});
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.5; }));

    LoopbackServer back(R"(<html><body style="margin:0"><a id="app" href="x-parcelo-test:launch"
        style="display:block;width:200px;height:50px">app</a><a id="next" href="/next">next</a>
        <p id="at">다시 열림</p></body></html>)",
                        true, port);
    ASSERT_EQ(back.serverPort(), port);
    RunScript(view, "document.getElementById('retry').click()");
    ASSERT_TRUE(WaitFor([&] { return back.requests.size() == 1 && !page.loading; }));
    EXPECT_TRUE(back.requests[0].startsWith("/track?no=")) << back.requests[0].toStdString();
    const QString shown = "document.getElementById('at').textContent"; // none on the program's page
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, shown).toString() == "다시 열림"; }));
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.5; }));

    page.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page.window));
    for (const auto& [key, name] :
         {std::pair{Qt::Key_F2, "tools"}, {Qt::Key_Menu, "tools"}, {Qt::Key_Escape, "close"}, {Qt::Key_A, ""}}) {
        page.sent.clear();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(page.sent, std::vector<PageMessage>(*name != 0, {PageVerb::Key, {}, name})) << key;
    }

    QTextBrowser launcher; // stands in for the program the scheme would start
    QList<QUrl> opened, ended;
    QObject::connect(&launcher, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    QDesktopServices::setUrlHandler("x-parcelo-test", &launcher, "anchorClicked");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("x-parcelo-test"); });
    QObject::connect(view.page(), &QWebEnginePage::loadingChanged, &view, [&](const QWebEngineLoadingInfo& info) {
        ended << (info.status() != QWebEngineLoadingInfo::LoadStartedStatus ? info.url() : QUrl());
    });
    // Only a real click hands such a link on; a page just loaded may not take input yet, so repeat it.
    RunScript(view, "document.getElementById('app').onclick = () => { document.title = 'clicked'; }");
    QWidget* surface = view.focusProxy();
    for (int attempt = 0; attempt < 20 && view.title() != "clicked"; ++attempt) {
        QTest::mouseMove(surface, QPoint(20, 20));
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(20, 20), 20);
        WaitFor([&] { return view.title() == "clicked"; }, 250);
    }
    ASSERT_TRUE(WaitFor([&] { return ended.contains(QUrl("x-parcelo-test:launch")); }));
    Pause(300); // the program would be started a moment later
    EXPECT_TRUE(opened.isEmpty());

    // Scripts that go to a local file or a data: page leave the page where it is.
    RunScript(view, "location.href = 'data:text/html,<p id=at>data</p>'");
    RunScript(view, "location.href = 'file:///etc/hostname'");
    Pause(300);
    EXPECT_EQ(view.url().path(), "/track");
    EXPECT_EQ(RunScript(view, "document.body.innerText").toString().left(3), "app") << "no error page";
    // Links within the web still work.
    page.sent.clear();
    RunScript(view, "document.getElementById('next').click()");
    EXPECT_TRUE(WaitFor([&] { return back.requests.contains("/next") && !page.sent.empty() && !page.loading; }));
}

// The dialog shows its own "연결 중..." at once and until the page from parcelo-page has
// loaded, then the page at the dialog's text size; the tools reach the page and the browser;
// and closing, by OK or by Escape, ends every process of the page's group, while loading
// too, when the download stops and the wait cursor goes for good. A page started when the
// item menu opens is taken over by the next dialog, or ended soon after the menu closes
// without one.
TEST(HtmlDlgTest, TheDialogShowsThePageFromItsOwnProcessAndEndsItOnClose) {
    const test::ScopedEnv testing("PARCELO_PAGE_TESTING", "1"); // the page process runs the test's scripts
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">배송 완료</div></body></html>)");
    LoopbackServer silent("", false);
    for (const bool byEscape : {false, true}) {
        {
            CHtmlDlg dialog;
            dialog.SetAddress(silent.Address("/slow"));
            dialog.show();
            dialog.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            ASSERT_TRUE(WaitFor([&] { return silent.requests.size() > byEscape && dialog.IsLoading(); }));
            emit dialog.Page().received({PageVerb::Loading, {}, {}}); // further loads start before the first ends
            emit dialog.Page().received({PageVerb::Loading, {}, {}});
            ASSERT_EQ(std::pair(dialog.WaitCursors(), dialog.IsPageShown()), std::pair(3, false))
                << "the dialog's own text stands while the page loads";
            const qint64 group = dialog.Page().ProcessId();
            byEscape ? QTest::keyClick(&dialog, Qt::Key_Escape) : dialog.OnOK();
            EXPECT_EQ(std::tuple(dialog.result(), dialog.IsLoading(), dialog.isVisible(), dialog.WaitCursors()),
                      std::tuple(byEscape ? IDCANCEL : IDOK, false, false, 0));
            EXPECT_TRUE(WaitFor([&] { return ProcessesInGroup(group) == 0; }, 2000)); // killed ones take a moment
        }
        CHtmlDlg::PreparePage(); // the item menu opens
        const qint64 prepared = CHtmlDlg::PreparedPageId();
        ASSERT_GT(prepared, 0);
        Pause(byEscape ? 1000 : 0);   // the user reads the menu; the page gets ready meanwhile
        CHtmlDlg::DropPreparedPage(); // the menu closes, with no dialog or as its command starts
        EXPECT_TRUE(byEscape ||
                    WaitFor([&] { return CHtmlDlg::PreparedPageId() == 0 && ProcessesInGroup(prepared) == 0; },
                            CHtmlDlg::kPreparedIdleMs + 3000));
        CHtmlDlg dialog; // the scheme may be written in capitals
        const QString address = QString::fromStdU16String(server.Address("/track?no=1234"));
        dialog.SetAddress((byEscape ? "HTTP" + address.mid(4) : address).toStdU16String());
        dialog.show();
        const QLabel* connecting = dialog.ConnectingLabel();
        EXPECT_TRUE(connecting != nullptr && connecting->isVisible() && connecting->geometry() == dialog.ClientRect());
        const qint64 group = dialog.Page().ProcessId();
        ASSERT_GT(group, 0);
        EXPECT_EQ(std::pair(prepared == group, CHtmlDlg::PreparedPageId()), std::pair(byEscape, qint64{0}));
        ASSERT_TRUE(WaitFor([&] { return dialog.IsPageShown(); }));
        EXPECT_EQ(std::pair(dialog.IsLoading(), QGuiApplication::overrideCursor() == nullptr), std::pair(false, true));
        EXPECT_EQ(RunScript(dialog, "location.pathname + location.search + ' ' + innerWidth").toString(),
                  QStringLiteral("/track?no=1234 %1").arg(dialog.ClientRect().width())); // over the client area
        if (QGuiApplication::platformName() == "xcb") {
            // On X11 the page's window is a child window of the dialog, over its client area.
            const auto* container = dialog.PageContainer();
            EXPECT_TRUE(container != nullptr && container->isVisible() && container->geometry() == dialog.ClientRect());
            auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
            const auto query = xcb_query_tree(x11->connection(), static_cast<xcb_window_t>(dialog.Page().WindowId()));
            const std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
                xcb_query_tree_reply(x11->connection(), query, nullptr), &free);
            EXPECT_EQ(tree != nullptr ? tree->parent : 0, dialog.winId());
        }

        // The text size and the fit go to the page.
        EXPECT_TRUE(Tool(dialog, ID_TOOLS_TEXT_LARGER));
        EXPECT_TRUE(WaitFor([&] { return RunScript(dialog, "window.devicePixelRatio").toDouble() == 1.25; }));
        EXPECT_TRUE(Tool(dialog, ID_TOOLS_FIT_SCREEN));
        EXPECT_TRUE(WaitFor([&] { return std::abs(RunScript(dialog, "window.innerWidth").toInt() - 960) < 20; }));
        EXPECT_FALSE(Tool(dialog, ID_TOOLS_FIT_SCREEN)); // off again: the page at the text size
        EXPECT_TRUE(WaitFor([&] { return RunScript(dialog, "window.devicePixelRatio").toDouble() == 1.25; }));

        if (byEscape) {
            Pause(CHtmlDlg::kPreparedIdleMs + 200);
            EXPECT_TRUE(dialog.Page().IsRunning()) << "the page taken over is not dropped with the menu";
            // F2 in the page opens the dialog's tools; Escape there closes the dialog.
            QMenu& tools = *dialog.CommandBar().KeyMenu(CCommandBar::Key::Right);
            dialog.Page().Send({PageVerb::Press, {}, "tools"});
            EXPECT_TRUE(WaitFor([&] { return tools.isVisible(); }, 5000));
            tools.hide();
            dialog.Page().Send({PageVerb::Press, {}, "close"});
            EXPECT_TRUE(WaitFor([&] { return !dialog.isVisible(); }, 5000));
        } else {
            // The same address goes to the desktop's browser.
            QTextBrowser browser; // any object with a QUrl slot will do
            QList<QUrl> opened;
            QObject::connect(&browser, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
            QDesktopServices::setUrlHandler("http", &browser, "anchorClicked");
            const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("http"); });
            Tool(dialog, ID_TOOLS_OPEN_IN_BROWSER);
            EXPECT_EQ(opened, QList<QUrl>{QUrl(QString::fromStdU16String(dialog.Address()))});
            dialog.OnOK();
        }
        EXPECT_EQ(dialog.result(), byEscape ? IDCANCEL : IDOK);
        EXPECT_FALSE(dialog.Page().IsRunning());
        EXPECT_TRUE(WaitFor([&] { return ProcessesInGroup(group) == 0; }, 2000)) << "the web engine's helpers go too";
    }
}

// A page process that does not start, dies, never says it is ready or says what it should
// not is ended with all it started, and the user is told what happened. Only http(s)
// addresses are opened; anything else is told, naming the courier's line when the courier
// is known. Run modally, the dialog returns at once.
TEST(HtmlDlgTest, APageProcessThatFailsOrAnAddressOtherThanHttpIsTold) {
    QTemporaryDir scratch;
    const QString groupFile = scratch.filePath("group");
    LoopbackServer server("<html><body>ok</body></html>");
    FakeMessageBoxService messages;
    // Per case: what the page's program does after starting a helper (none: there is no
    // program), and what the user is told.
    for (const auto& [body, told] : {std::pair<QByteArray, QString>{"", "시작하지 못했습니다"},
                                     {"exit 3", "종료 코드 3"},
                                     {"wait", "응답하지 않아"},
                                     {"echo ready 5; echo hello; wait", "알 수 없는 응답"},
                                     {"printf 'ready 5\\n\\001\\n'; wait", "알 수 없는 응답"},
                                     {"echo ready 5; echo ready 5; wait", "알 수 없는 응답"}}) {
        QFile::remove(groupFile);
        messages.Clear();
        QFile program(scratch.filePath(body.isEmpty() ? "missing" : "page"));
        ASSERT_TRUE(body.isEmpty() ||
                    (program.open(QIODevice::WriteOnly) &&
                     program.write("#!/bin/sh\necho $$ > " + groupFile.toUtf8() + "; sleep 60 & " + body + "\n") > 0 &&
                     program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)));
        program.close();
        const test::ScopedEnv chosen("PARCELO_PAGE_PROGRAM", program.fileName().toUtf8().constData());
        CHtmlDlg dialog;
        dialog.SetAddress(server.Address("/x"));
        dialog.SetAnswerTimeout(1500);
        QTimer::singleShot(15000, &dialog, [&] { dialog.done(-1); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << body.toStdString();
        ASSERT_EQ(messages.Calls().size(), 1U) << body.toStdString();
        const QString& text = messages.Calls()[0].text;
        EXPECT_TRUE(text.contains(told) && text.contains("배송 조회 페이지")) << text.toStdString();
        EXPECT_FALSE(dialog.Page().IsRunning());
        QFile group(groupFile); // the page's helper is gone too
        const qint64 id = group.open(QIODevice::ReadOnly) ? group.readAll().trimmed().toLongLong() : 0;
        EXPECT_TRUE(id == 0 || WaitFor([&] { return ProcessesInGroup(id) == 0; }, 2000)) << body.toStdString();
    }

    for (const char16_t* address : {u"file:///etc/passwd", u"data:text/html,<b>x</b>", u"javascript:alert(1)",
                                    u"ftp://example.com/x", u"http://", u"택배 조회", u""}) {
        messages.Clear();
        CHtmlDlg dialog;
        dialog.SetAddress(address);
        dialog.SetCourier(u"<b>한진</b>", 2);
        dialog.show();
        EXPECT_FALSE(dialog.isVisible() || dialog.Page().IsRunning()) << QString::fromUtf16(address).toStdString();
        CHtmlDlg::RunModal(nullptr, address, u"", -1);
        ASSERT_EQ(messages.Calls().size(), 2U);
        const QString& text = messages.Calls()[0].text;
        EXPECT_TRUE(text.contains("ID03") && text.contains("<b>한진</b>") && text.contains("parcelo.ini") &&
                    text.contains(QString::fromUtf16(address)) && !messages.Calls()[1].text.contains("ID"))
            << text.toStdString();
    }
}

} // namespace
