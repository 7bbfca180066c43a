#include "dialogs/HtmlDlg.h"

#include "platform/QtMenuBuilder.h"
#include "res/resource.h"
#include "support/FakeMessageBoxService.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

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

// The dialog on screen as the user has it: its window active, the focus in the web view.
void ShowActive(CHtmlDlg& dialog) {
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

// A key pressed where the focus is, as the user presses it.
void PressKey(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
}

// The courier's page loads without a lasting wait cursor; the tools fit it and hand it to the browser.
TEST(HtmlDlgTest, TheTrackingPageLoadsFitsAndGoesToTheBrowser) {
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">배송 완료</div></body></html>)");
    CHtmlDlg dialog;
    dialog.SetAddress(server.Address("/track?no=1234"));
    dialog.show();
    QWebEngineView& view = *dialog.View().View();
    ASSERT_TRUE(WaitFor([&] { return server.Requests().contains("/track?no=1234") && !dialog.IsLoading(); }));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Fit shrinks the 960 pixels of content to the view's width; twice turns it off again.
    Tool(dialog, ID_TOOLS_FIT_SCREEN)->trigger();
    EXPECT_TRUE(Tool(dialog, ID_TOOLS_FIT_SCREEN)->isChecked());
    const double fitted = static_cast<double>(view.width()) / 960;
    EXPECT_TRUE(WaitFor([&] { return std::abs(view.zoomFactor() - fitted) < 0.02; })) << view.zoomFactor();
    Tool(dialog, ID_TOOLS_FIT_SCREEN)->trigger();
    EXPECT_EQ(view.zoomFactor(), 1.0);

    // The same address goes to the desktop's browser.
    QTextBrowser browser; // any object with a QUrl slot will do
    QList<QUrl> opened;
    QObject::connect(&browser, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    QDesktopServices::setUrlHandler("http", &browser, "anchorClicked");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("http"); });
    Tool(dialog, ID_TOOLS_OPEN_IN_BROWSER)->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), QString::fromStdU16String(dialog.Address()));
}

// OK and Escape alike stop the download and take back the wait cursor for good; F2, Menu and
// Escape work while the web view has the focus.
TEST(HtmlDlgTest, ClosingWhileLoadingStopsAndLeavesNoWaitCursor) {
    LoopbackServer silent("", false);
    for (const bool byEscape : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(silent.Address("/slow"));
        ShowActive(dialog);
        ASSERT_TRUE(WaitFor([&] { return silent.Requests().contains("/slow") && dialog.IsLoading(); }));
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        if (byEscape) {
            QMenu& tools = *dialog.CommandBar().KeyMenu(CCommandBar::Key::Right);
            for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Menu}) {
                ASSERT_TRUE(dialog.View().View()->isAncestorOf(QApplication::focusWidget()));
                PressKey(key);
                EXPECT_TRUE(WaitFor([&] { return tools.isVisible(); }, 2000)) << key;
                tools.hide();
                dialog.View().View()->setFocus();
            }
            PressKey(Qt::Key_Escape);
        } else {
            dialog.OnOK();
        }
        EXPECT_EQ(dialog.result(), byEscape ? IDCANCEL : IDOK);
        EXPECT_FALSE(dialog.IsLoading());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(dialog.isVisible());
        WaitFor([] { return false; }, 300); // the stopped page reports back later
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
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
        EXPECT_FALSE(dialog.isVisible()) << QString::fromUtf16(address).toStdString();
        EXPECT_EQ(dialog.View().View(), nullptr) << "nothing is loaded";
        ASSERT_EQ(messages.Calls().size(), 1U);
        const QString& text = messages.Calls()[0].text;
        EXPECT_TRUE(text.contains("ID03") && text.contains("<b>한진</b>") && text.contains("parcelo.ini"))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QString::fromUtf16(address)));
        EXPECT_FALSE(Qt::mightBeRichText(text)) << "names from parcelo.ini are shown as written";
    }
    // Run modally, the dialog returns at once.
    CHtmlDlg modal;
    modal.SetAddress(u"file:///etc/passwd");
    QTimer::singleShot(5000, &modal, [&] { modal.done(-1); });
    EXPECT_EQ(modal.DoModal(), IDCANCEL);

    LoopbackServer server("<html><body>ok</body></html>");
    CHtmlDlg upperCase;
    upperCase.SetAddress(QString::fromStdU16String(server.Address("/a")).replace("http:", "HTTP:").toStdU16String());
    upperCase.show();
    EXPECT_TRUE(WaitFor([&] { return server.Requests().contains("/a"); }));
}

// A page cannot lead the view to another program's scheme, a local file or a data: page.
TEST(HtmlDlgTest, APageCannotLeadTheViewAwayFromTheWeb) {
    QTextBrowser launcher; // stands in for the program the scheme would start
    QList<QUrl> opened;
    QObject::connect(&launcher, &QTextBrowser::anchorClicked, [&](const QUrl& url) { opened << url; });
    QDesktopServices::setUrlHandler("x-parcelo-test", &launcher, "anchorClicked");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("x-parcelo-test"); });
    LoopbackServer server(R"(<html><body style="margin:0"><a id="app" href="x-parcelo-test:launch"
        style="display:block;width:200px;height:50px">app</a><a id="next" href="/next">next</a>
        <p id="at">start</p></body></html>)");
    CHtmlDlg dialog;
    dialog.SetAddress(server.Address("/start"));
    ShowActive(dialog);
    QWebEngineView& view = *dialog.View().View();
    ASSERT_TRUE(WaitFor([&] { return server.Requests().contains("/start") && !dialog.IsLoading(); }));
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
    RunScript(view, "document.getElementById('next').click()");
    EXPECT_TRUE(WaitFor([&] { return server.Requests().contains("/next") && !dialog.IsLoading(); }));
}

// A failed load shows the program's page: the address decoded, as text, never markup,
// broken only after "/", "?" and "&"; and a retry link.
TEST(HtmlDlgTest, AFailedLoadShowsAKoreanPageWithARetryLink) {
    quint16 port = 0;
    {
        LoopbackServer gone("");
        port = gone.Port(); // nobody listens here once it is closed
    }
    const QString address =
        QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%25&name=%ED%95%9C%EA%B8%80").arg(port);
    CHtmlDlg dialog;
    dialog.SetAddress(address.toStdU16String());
    dialog.show();
    QWebEngineView& view = *dialog.View().View();
    ASSERT_TRUE(
        WaitFor([&] { return !dialog.IsLoading() && RunScript(view, "!!document.getElementById('retry')").toBool(); }));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const QString body = RunScript(view, "document.body.innerText").toString();
    EXPECT_TRUE(body.contains("서버가 연결을 거부했습니다")) << body.toStdString();
    const QString decoded = QStringLiteral("http://127.0.0.1:%1/track?no=<i>1</i>&to=\"x\"&p=100%&name=한글").arg(port);
    EXPECT_TRUE(body.contains(decoded)) << body.toStdString();
    EXPECT_EQ(RunScript(view, "document.getElementsByTagName('i').length").toInt(), 0) << "the address is text";
    const QStringList pieces =
        RunScript(view, "Array.from(document.querySelectorAll('#address > span'), s => s.textContent).join('\\n')")
            .toString()
            .split(u'\n');
    EXPECT_EQ(pieces.join(QString()), decoded);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        EXPECT_TRUE(QStringLiteral("/?&").contains(pieces[i].back())) << pieces[i].toStdString();
    }

    LoopbackServer back("<html><body>다시 열림</body></html>", true, port);
    ASSERT_EQ(back.Port(), port);
    RunScript(view, "document.getElementById('retry').click()");
    ASSERT_TRUE(WaitFor([&] { return back.Requests().size() == 1 && !dialog.IsLoading(); }));
    EXPECT_TRUE(back.Requests()[0].startsWith("/track?no=")) << back.Requests()[0].toStdString();
    EXPECT_TRUE(WaitFor([&] { return RunScript(view, "document.body.innerText").toString() == "다시 열림"; }));
}

const QString kScreenPixelsPerCssPixel =
    "window.devicePixelRatio * (parseFloat(document.documentElement.style.zoom) || 1)";

// At 192 dpi a CSS pixel of the page and of the connecting text takes two screen
// pixels, whether the program draws them all or Qt scales its drawing by 2.
TEST(HtmlDlgTest, PagesAreDrawnAtTheProgramsResolution) {
    const QByteArray dpi = qgetenv("PARCELO_DPI");
    qputenv("PARCELO_DPI", "192");
    DpiCache::Reread();
    LoopbackServer silent("", false);
    LoopbackServer server("<html><body>배송중</body></html>");
    for (const bool answered : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(answered ? server.Address("/track") : silent.Address("/track"));
        dialog.show();
        QWebEngineView& view = *dialog.View().View();
        ASSERT_TRUE(WaitFor(
            [&] { return (answered ? server : silent).Requests().size() == 1 && dialog.IsLoading() == !answered; }));
        const QString expected = answered ? "배송중" : "연결 중...";
        ASSERT_TRUE(WaitFor([&] { return RunScript(view, "document.body.innerText").toString() == expected; }));
        EXPECT_TRUE(WaitFor([&] { return RunScript(view, kScreenPixelsPerCssPixel).toDouble() == 2.0; }));
        Tool(dialog, ID_TOOLS_TEXT_LARGER)->trigger();
        EXPECT_TRUE(WaitFor([&] { return RunScript(view, kScreenPixelsPerCssPixel).toDouble() == 2.5; }));
    }
    qputenv("PARCELO_DPI", dpi);
    DpiCache::Reread();
}

} // namespace
