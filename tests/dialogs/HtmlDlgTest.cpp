#include "dialogs/HtmlDlg.h"

#include "page/TrackingPageWindow.h"
#include "pageprotocol/PageProtocol.h"
#include "platform/resource.h"
#include "support/FakeMessageBoxService.h"
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
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

using namespace parcelo;

namespace {

// A server on 127.0.0.1 that answers every request with one page, or never answers.
class LoopbackServer {
public:
    explicit LoopbackServer(QByteArray page, bool answer = true, quint16 port = 0) {
        m_server.listen(QHostAddress::LocalHost, port);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, page, answer] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, page, answer] {
                    m_requests << QString::fromLatin1(socket->readAll().split(' ').value(1));
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
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery).toStdU16String();
    }
    const QStringList& Requests() const { return m_requests; }
    quint16 Port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QStringList m_requests;
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

QAction* Tool(CHtmlDlg& dialog, int command) {
    return QtMenuBuilder::FindCommand(*dialog.CommandBar().KeyMenu(CCommandBar::Key::Right), command);
}

// The result of `script` in the page shown now.
QVariant RunScript(QWebEngineView& view, const QString& script) {
    QVariant result;
    bool done = false;
    view.page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitFor([&] { return done; });
    return result;
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

    void Open(const std::u16string& address) {
        window.Handle({PageVerb::Open, {}, QString::fromStdU16String(address).toStdString()});
        window.Handle({PageVerb::Show, {}, {}});
    }
    // Opens `path` of `server` in the active window and waits until it has loaded.
    bool Load(const LoopbackServer& server, const QString& path) {
        Open(server.Address(path));
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window) &&
               WaitFor([&] { return server.Requests().contains(path) && Sent(PageVerb::Loaded); });
    }
    QWebEngineView& View() { return *window.View().View(); }
    bool Sent(PageVerb verb, const std::string& text = {}) const {
        return std::any_of(sent.begin(), sent.end(),
                           [&](const PageMessage& m) { return m.verb == verb && m.text == text; });
    }
};

// The result of `script` in the page of a dialog's parcelo-page, run for tests.
QVariant RunScript(CHtmlDlg& dialog, const QString& script) {
    QVariant result;
    bool done = false;
    const QMetaObject::Connection answer =
        QObject::connect(&dialog.Page(), &CPageProcess::received, [&](const PageMessage& message) {
            if (message.verb == PageVerb::Result) {
                result = QJsonDocument::fromJson(QByteArray::fromStdString(message.text)).array().at(0).toVariant();
                done = true;
            }
        });
    dialog.Page().Send({PageVerb::Eval, {}, script.toStdString()});
    WaitFor([&] { return done; }, 10000);
    QObject::disconnect(answer);
    return result;
}

// The state field and the process group of /proc/<pid>/stat.
std::pair<QByteArray, qint64> ProcessState(const QString& pid) {
    QFile stat("/proc/" + pid + "/stat");
    const QByteArray text = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 2 ? std::pair{fields[0], fields[2].toLongLong()} : std::pair<QByteArray, qint64>{};
}
bool IsAlive(const QString& pid) {
    const QByteArray state = ProcessState(pid).first;
    return !state.isEmpty() && state != "Z"; // a zombie is as good as gone
}
// The processes of a process group still alive.
int ProcessesInGroup(qint64 group) {
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs);
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [group](const QString& entry) {
        return entry.toLongLong() > 0 && ProcessState(entry).second == group && IsAlive(entry);
    }));
}

// The window an X11 window is a child of.
WId ParentOnX11(WId window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
        x11->connection(), xcb_query_tree(x11->connection(), static_cast<xcb_window_t>(window)), nullptr);
    const WId parent = tree != nullptr ? tree->parent : 0;
    free(tree);
    return parent;
}

// The page loads; shrink fits its 960 pixels to the view's width and turning it off again
// shows it at the text size. F2, Menu and Escape pressed in the page go to the program's
// dialog, other keys to the page.
TEST(TrackingPageWindowTest, ThePageLoadsShrinksToTheWidthAndHandsTheDialogsKeysOn) {
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">배송 완료</div></body></html>)");
    PageWindow page;
    ASSERT_TRUE(page.Load(server, "/track?no=1234"));
    EXPECT_FALSE(page.loading);
    QWebEngineView& view = page.View();
    page.window.Handle({PageVerb::Shrink, {1}, {}});
    const double fitted = static_cast<double>(view.width()) / 960;
    EXPECT_TRUE(WaitFor([&] { return std::abs(view.zoomFactor() - fitted) < 0.02; })) << view.zoomFactor();
    page.window.Handle({PageVerb::Shrink, {0}, {}});
    EXPECT_EQ(view.zoomFactor(), 1.0);

    for (const auto& [key, name] :
         {std::pair{Qt::Key_F2, "tools"}, {Qt::Key_Menu, "tools"}, {Qt::Key_Escape, "close"}, {Qt::Key_A, ""}}) {
        page.sent.clear();
        QTest::keyClick(QApplication::focusWidget(), key);
        EXPECT_EQ(page.sent, std::vector<PageMessage>(*name != 0, {PageVerb::Key, {}, name})) << key;
    }
}

// A page cannot lead the view to another program's scheme, a local file or a data: page.
TEST(TrackingPageWindowTest, APageCannotLeadTheViewAwayFromTheWeb) {
    QTextBrowser launcher; // stands in for the program the scheme would start
    QList<QUrl> opened;
    QObject::connect(&launcher, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    QDesktopServices::setUrlHandler("x-parcelo-test", &launcher, "anchorClicked");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("x-parcelo-test"); });
    LoopbackServer server(R"(<html><body style="margin:0"><a id="app" href="x-parcelo-test:launch"
        style="display:block;width:200px;height:50px">app</a><a id="next" href="/next">next</a>
        <p id="at">start</p></body></html>)");
    PageWindow page;
    ASSERT_TRUE(page.Load(server, "/start"));
    QWebEngineView& view = page.View();
    QList<QUrl> ended;
    QObject::connect(view.page(), &QWebEnginePage::loadingChanged, &view, [&](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
            ended << info.url();
        }
    });
    // Only a real click hands such a link on; a page just loaded may not take input yet, so repeat it.
    RunScript(view, "document.getElementById('app').onclick = () => { document.title = 'clicked'; }");
    QWidget* surface = view.focusProxy();
    for (int attempt = 0; attempt < 20 && view.title() != "clicked"; ++attempt) {
        QTest::mouseMove(surface, QPoint(20, 20));
        QTest::mousePress(surface, Qt::LeftButton, {}, QPoint(20, 20), 20);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(20, 20), 20);
        WaitFor([&] { return view.title() == "clicked"; }, 250);
    }
    ASSERT_TRUE(WaitFor([&] { return ended.contains(QUrl("x-parcelo-test:launch")); }));
    WaitFor([] { return false; }, 300); // the program would be started a moment later
    EXPECT_TRUE(opened.isEmpty());

    // Scripts that go to a local file or a data: page leave the page where it is.
    RunScript(view, "location.href = 'data:text/html,<p id=at>data</p>'");
    RunScript(view, "location.href = 'file:///etc/hostname'");
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(RunScript(view, "document.getElementById('at').textContent").toString(), "start");
    EXPECT_EQ(view.url().path(), "/start");
    EXPECT_EQ(RunScript(view, "document.body.innerText").toString().left(3), "app") << "no error page";
    // Links within the web still work.
    page.sent.clear();
    RunScript(view, "document.getElementById('next').click()");
    EXPECT_TRUE(WaitFor([&] { return server.Requests().contains("/next") && page.Sent(PageVerb::Loaded); }));
}

// A failed load shows the program's page: the address decoded, as text, never markup,
// broken only after "/", "?" and "&"; and a retry link. It is drawn at the program's
// scale, as the courier's page is.
TEST(TrackingPageWindowTest, AFailedLoadShowsAKoreanPageWithARetryLinkAtTheProgramsScale) {
    quint16 port = 0;
    {
        LoopbackServer gone("");
        port = gone.Port(); // nobody listens here once it is closed
    }
    const QString address =
        QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%25&name=%ED%95%9C%EA%B8%80").arg(port);
    PageWindow page;
    page.window.Handle({PageVerb::Scale, {2000}, {}}); // the program draws at 192 dpi
    page.Open(address.toStdU16String());
    QWebEngineView& view = page.View();
    ASSERT_TRUE(
        WaitFor([&] { return !page.loading && RunScript(view, "!!document.getElementById('retry')").toBool(); }));
    const QString body = RunScript(view, "document.body.innerText").toString();
    EXPECT_TRUE(body.contains("서버가 연결을 거부했습니다")) << body.toStdString();
    const QString decoded = QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%&name=한글").arg(port);
    const QStringList pieces =
        RunScript(view, "Array.from(document.querySelectorAll('#address > span'), s => s.textContent).join('\\n')")
            .toString()
            .split(u'\n');
    EXPECT_EQ(pieces.join(QString()), decoded);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        EXPECT_TRUE(QStringLiteral("/?&").contains(pieces[i].back())) << pieces[i].toStdString();
    }
    const QString screenPixelsPerCssPixel =
        "window.devicePixelRatio * (parseFloat(document.documentElement.style.zoom) || 1)";
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.0; }));
    page.window.Handle({PageVerb::Zoom, {3}, {}});
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.5; }));

    LoopbackServer back("<html><body>다시 열림</body></html>", true, port);
    ASSERT_EQ(back.Port(), port);
    RunScript(view, "document.getElementById('retry').click()");
    ASSERT_TRUE(WaitFor([&] { return back.Requests().size() == 1 && !page.loading; }));
    EXPECT_TRUE(back.Requests()[0].startsWith("/track?no=")) << back.Requests()[0].toStdString();
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, "document.body.innerText").toString() == "다시 열림"; }));
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, screenPixelsPerCssPixel).toDouble() == 2.5; }));
}

// The dialog shows its own "연결 중..." at once and the page from parcelo-page once it has
// loaded, at the dialog's text size; the tools reach the page and the browser; and closing,
// by OK or by Escape in the page, ends every process of the page's group.
TEST(HtmlDlgTest, TheDialogShowsThePageFromItsOwnProcessAndEndsItOnClose) {
    qputenv("PARCELO_PAGE_TESTING", "1"); // the dialog's page process runs scripts for the test
    const auto testing = qScopeGuard([] { qunsetenv("PARCELO_PAGE_TESTING"); });
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">배송 완료</div></body></html>)");
    for (const bool byEscape : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(server.Address("/track?no=1234"));
        WId pageWindow = 0;
        QObject::connect(&dialog.Page(), &CPageProcess::received, [&](const PageMessage& message) {
            if (message.verb == PageVerb::Ready) {
                pageWindow = static_cast<WId>(message.numbers[0]);
            }
        });
        dialog.show();
        const QLabel* connecting = dialog.ConnectingLabel();
        ASSERT_NE(connecting, nullptr);
        EXPECT_EQ(std::tuple(connecting->isVisible(), connecting->text(), connecting->geometry()),
                  std::tuple(true, "연결 중...", dialog.ClientRect()));
        const qint64 group = dialog.Page().ProcessId();
        ASSERT_GT(group, 0);
        ASSERT_TRUE(WaitFor([&] { return dialog.IsPageShown(); }));
        EXPECT_EQ(std::pair(dialog.IsLoading(), QGuiApplication::overrideCursor() == nullptr), std::pair(false, true));
        EXPECT_EQ(RunScript(dialog, "location.pathname + location.search").toString(), "/track?no=1234");
        EXPECT_EQ(RunScript(dialog, "window.innerWidth").toInt(), dialog.ClientRect().width())
            << "the page covers the client area";
        if (QGuiApplication::platformName() == "xcb") {
            // On X11 the page's window is a child window of the dialog, over its client area.
            ASSERT_NE(dialog.PageContainer(), nullptr);
            EXPECT_TRUE(dialog.PageContainer()->isVisible() &&
                        dialog.PageContainer()->geometry() == dialog.ClientRect());
            EXPECT_EQ(ParentOnX11(pageWindow), dialog.winId());
        }

        // The text size and the fit go to the page.
        Tool(dialog, ID_TOOLS_TEXT_LARGER)->trigger();
        EXPECT_TRUE(Tool(dialog, ID_TOOLS_TEXT_LARGER)->isChecked());
        EXPECT_TRUE(WaitFor([&] { return RunScript(dialog, "window.devicePixelRatio").toDouble() == 1.25; }));
        Tool(dialog, ID_TOOLS_FIT_SCREEN)->trigger();
        EXPECT_TRUE(Tool(dialog, ID_TOOLS_FIT_SCREEN)->isChecked());
        EXPECT_TRUE(WaitFor([&] { return std::abs(RunScript(dialog, "window.innerWidth").toInt() - 960) < 20; }));

        if (byEscape) {
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
            Tool(dialog, ID_TOOLS_OPEN_IN_BROWSER)->trigger();
            ASSERT_EQ(opened.size(), 1);
            EXPECT_EQ(opened[0].toString(), QString::fromStdU16String(dialog.Address()));
            dialog.OnOK();
        }
        EXPECT_EQ(dialog.result(), byEscape ? IDCANCEL : IDOK);
        EXPECT_FALSE(dialog.Page().IsRunning());
        EXPECT_TRUE(WaitFor([&] { return ProcessesInGroup(group) == 0; }, 2000)) << "the web engine's helpers go too";
    }
}

// A page started when the item menu opens is taken over by the next dialog, or ended soon
// after the menu closes without one.
TEST(HtmlDlgTest, APagePreparedAtTheItemMenuIsTakenOverOrEnded) {
    CHtmlDlg::PreparePage();
    const qint64 dropped = CHtmlDlg::PreparedPageId();
    ASSERT_GT(dropped, 0);
    CHtmlDlg::DropPreparedPage();
    EXPECT_TRUE(WaitFor([&] { return CHtmlDlg::PreparedPageId() == 0 && ProcessesInGroup(dropped) == 0; },
                        CHtmlDlg::kPreparedIdleMs + 3000));

    LoopbackServer server("<html><body>배송중</body></html>");
    CHtmlDlg::PreparePage();
    const qint64 prepared = CHtmlDlg::PreparedPageId();
    WaitFor([] { return false; }, 1000); // the user reads the menu; the page gets ready meanwhile
    CHtmlDlg::DropPreparedPage();        // the menu closes as its command starts
    CHtmlDlg dialog;
    dialog.SetAddress(server.Address("/menu"));
    dialog.show();
    EXPECT_EQ(dialog.Page().ProcessId(), prepared);
    EXPECT_EQ(CHtmlDlg::PreparedPageId(), 0);
    ASSERT_TRUE(WaitFor([&] { return dialog.IsPageShown(); }));
    WaitFor([] { return false; }, CHtmlDlg::kPreparedIdleMs + 200);
    EXPECT_TRUE(dialog.Page().IsRunning()) << "the page taken over is not dropped with the menu";
    dialog.OnOK();
    EXPECT_TRUE(WaitFor([&] { return ProcessesInGroup(prepared) == 0; }, 2000));
}

// OK and Escape alike stop the download, take back the wait cursor for good and end the page.
TEST(HtmlDlgTest, ClosingWhileLoadingStopsAndLeavesNoWaitCursor) {
    LoopbackServer silent("", false);
    for (const bool byEscape : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(silent.Address("/slow"));
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_TRUE(WaitFor([&] { return silent.Requests().contains("/slow") && dialog.IsLoading(); }));
        for (int more = 0; more < 2; ++more) { // further loads start before the first ends
            emit dialog.Page().received({PageVerb::Loading, {}, {}});
        }
        ASSERT_EQ(dialog.WaitCursors(), 3);
        EXPECT_FALSE(dialog.IsPageShown()) << "the dialog's own text stands while the page loads";
        const qint64 group = dialog.Page().ProcessId();
        if (byEscape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.OnOK();
        }
        EXPECT_EQ(std::tuple(dialog.result(), dialog.IsLoading(), dialog.isVisible(), dialog.WaitCursors()),
                  std::tuple(byEscape ? IDCANCEL : IDOK, false, false, 0));
        EXPECT_TRUE(WaitFor([&] { return ProcessesInGroup(group) == 0; }, 2000)); // killed processes take a moment
        WaitFor([] { return false; }, 300);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "no wait cursor, now or later";
    }
}

// A page process that does not start, dies, never says it is ready or says what it should
// not is ended with all it started, and the user is told what happened.
TEST(HtmlDlgTest, APageProcessThatFailsIsEndedAndTold) {
    QTemporaryDir scratch;
    const auto script = [&](const QString& name, const QByteArray& body) {
        QFile file(scratch.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n" + body + "\n") > 0);
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    };
    const QByteArray pidFile = scratch.filePath("helper.pid").toUtf8();
    const QByteArray helper = "sleep 60 & echo $! > " + pidFile + "; ";
    const struct {
        QString program;
        QString told;
    } cases[] = {
        {scratch.filePath("missing"), "시작하지 못했습니다"},
        {script("dies", helper + "exit 3"), "종료 코드 3"},
        {script("silent", helper + "wait"), "응답하지 않아"},
        {script("chatter", helper + "echo ready 5; echo hello; wait"), "알 수 없는 응답"},
        {script("binary", helper + "printf 'ready 5\\n\\001\\n'; wait"), "알 수 없는 응답"},
        {script("twice", helper + "echo ready 5; echo ready 5; wait"), "알 수 없는 응답"},
    };
    LoopbackServer server("<html><body>ok</body></html>");
    FakeMessageBoxService messages;
    for (const auto& [program, told] : cases) {
        QFile::remove(pidFile);
        messages.Clear();
        qputenv("PARCELO_PAGE_PROGRAM", program.toUtf8());
        CHtmlDlg dialog;
        dialog.SetAddress(server.Address("/x"));
        dialog.SetAnswerTimeout(1500);
        QTimer::singleShot(15000, &dialog, [&] { dialog.done(-1); });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << program.toStdString();
        ASSERT_EQ(messages.Calls().size(), 1U) << program.toStdString();
        const QString& text = messages.Calls()[0].text;
        EXPECT_TRUE(text.contains(told) && text.contains("배송 조회 페이지")) << text.toStdString();
        EXPECT_FALSE(dialog.Page().IsRunning());
        QFile pid(pidFile);
        if (pid.open(QIODevice::ReadOnly)) {
            const QString helperPid = QString::fromLatin1(pid.readAll().trimmed());
            EXPECT_TRUE(WaitFor([&] { return !IsAlive(helperPid); }, 2000))
                << "the page's helper is gone: " << program.toStdString();
        }
    }
    qunsetenv("PARCELO_PAGE_PROGRAM");
}

// Only http(s) addresses are opened; anything else is told, naming the courier's line, as plain text.
TEST(HtmlDlgTest, AnAddressOtherThanHttpIsRefusedWithAMessageNamingTheCouriersLine) {
    FakeMessageBoxService messages;
    for (const char16_t* address : {u"file:///etc/passwd", u"data:text/html,<script>document.title='ran'</script>",
                                    u"javascript:alert(1)", u"ftp://example.com/x", u"http://", u"택배 조회", u""}) {
        messages.Clear();
        CHtmlDlg dialog;
        dialog.SetAddress(address);
        dialog.SetCourier(u"<b>한진</b>", 2);
        dialog.show();
        EXPECT_FALSE(dialog.isVisible() || dialog.Page().IsRunning()) << QString::fromUtf16(address).toStdString();
        ASSERT_EQ(messages.Calls().size(), 1U);
        const QString& text = messages.Calls()[0].text;
        EXPECT_TRUE(text.contains("ID03") && text.contains("<b>한진</b>") && text.contains("parcelo.ini") &&
                    text.contains(QString::fromUtf16(address)))
            << text.toStdString();
        EXPECT_FALSE(Qt::mightBeRichText(text)) << "names from parcelo.ini are shown as written";
    }
    // Run modally, the dialog returns at once; without a known courier the message names none.
    messages.Clear();
    CHtmlDlg::RunModal(nullptr, u"file:///etc/passwd", u"", -1);
    ASSERT_EQ(messages.Calls().size(), 1U);
    EXPECT_FALSE(messages.Calls()[0].text.contains("ID"));

    LoopbackServer server("<html><body>ok</body></html>");
    CHtmlDlg upperCase;
    upperCase.SetAddress(QString::fromStdU16String(server.Address("/a")).replace("http:", "HTTP:").toStdU16String());
    upperCase.show();
    EXPECT_TRUE(WaitFor([&] { return server.Requests().contains("/a"); }));
}

} // namespace
