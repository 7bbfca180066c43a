#include "dialogs/HtmlDlg.h"

#include "platform/QtMenuBuilder.h"
#include "res/resource.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <iostream>

using namespace parcelo;

namespace {

constexpr int kLoadTimeoutMs = 30000;

// A web server on 127.0.0.1 that answers every request with one page, or
// takes requests and never answers them. Requests are small enough to arrive whole.
class LoopbackServer {
public:
    explicit LoopbackServer(QByteArray page, bool answer = true) {
        m_server.listen(QHostAddress::LocalHost);
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

private:
    QTcpServer m_server;
    QStringList m_requests;
};

// Runs a real event loop until `condition` holds: the web engine does its work
// in many small steps and crawls under QTest::qWaitFor's sleeps.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = kLoadTimeoutMs) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!condition()) {
        loop.exec();
    }
    return condition();
}

bool Checked(CHtmlDlg& dialog, int command) {
    return QtMenuBuilder::FindCommand(*dialog.CommandBar().KeyMenu(CCommandBar::Key::Right), command)->isChecked();
}

void Choose(CHtmlDlg& dialog, int command) {
    QtMenuBuilder::FindCommand(*dialog.CommandBar().KeyMenu(CCommandBar::Key::Right), command)->trigger();
}

// From the Track command (the dialog made and shown) to the connecting page on screen.
TEST(HtmlDlgTest, ConnectingPageComesFirstThenTheTrackingPage) {
    LoopbackServer server("<html><body><p>배송 완료</p></body></html>");
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 480, 640);
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        CHtmlDlg dialog(&mainWindow);
        dialog.SetAddress(server.Address("/track?no=1234"));
        dialog.show();
        QWebEngineView* view = dialog.View().View();
        ASSERT_NE(view, nullptr);
        QSignalSpy started(view, &QWebEngineView::loadStarted);
        std::vector<QUrl> finished;
        qint64 connectingShownMs = -1;
        QObject::connect(view->page(), &QWebEnginePage::loadingChanged, view, [&](const QWebEngineLoadingInfo& info) {
            if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
                return;
            }
            finished.push_back(info.url());
            if (connectingShownMs < 0) {
                connectingShownMs = timer.elapsed();
            }
        });

        ASSERT_TRUE(WaitFor([&] { return finished.size() >= 2 && !dialog.IsLoading(); }));
        std::cout << "[ track ] run " << run << ": connecting page shown after " << connectingShownMs << " ms\n";
        EXPECT_EQ(finished[0].scheme(), "data") << "the connecting page is shown before the address";
        EXPECT_EQ(finished.back().toString(), QString::fromStdU16String(dialog.Address()));
        EXPECT_TRUE(server.Requests().contains("/track?no=1234"));
        EXPECT_EQ(started.count(), static_cast<int>(finished.size()));
        EXPECT_EQ(dialog.WaitCursors(), 0);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(view->geometry(), dialog.ClientRect());
        dialog.OnOK();
        EXPECT_EQ(dialog.result(), IDOK);
    }
}

TEST(HtmlDlgTest, ToolsMenuSetsTextSizeAndFitsAWidePage) {
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">wide</div></body></html>)");
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 480, 640);
    CHtmlDlg dialog(&mainWindow);
    dialog.SetAddress(server.Address("/wide"));
    EXPECT_EQ(dialog.View().View(), nullptr) << "the web view is made only when the dialog opens";
    dialog.show();
    QWebEngineView& view = *dialog.View().View();
    EXPECT_EQ(dialog.ZoomLevel(), 2);
    EXPECT_TRUE(Checked(dialog, ID_TOOLS_TEXT_NORMAL));
    EXPECT_FALSE(Checked(dialog, ID_TOOLS_FIT_SCREEN));
    EXPECT_EQ(view.zoomFactor(), 1.0) << "nothing is sent at open";
    ASSERT_TRUE(WaitFor([&] { return view.url().path() == "/wide" && !dialog.IsLoading(); }));

    Choose(dialog, ID_TOOLS_TEXT_LARGER);
    Choose(dialog, ID_TOOLS_TEXT_LARGER);
    EXPECT_EQ(dialog.View().ZoomLevel(), 3);
    EXPECT_TRUE(Checked(dialog, ID_TOOLS_TEXT_LARGER));
    EXPECT_FALSE(Checked(dialog, ID_TOOLS_TEXT_NORMAL));
    EXPECT_GT(view.zoomFactor(), 1.0);
    Choose(dialog, ID_TOOLS_TEXT_SMALLER);
    EXPECT_TRUE(Checked(dialog, ID_TOOLS_TEXT_SMALLER));
    EXPECT_FALSE(Checked(dialog, ID_TOOLS_TEXT_LARGER));
    EXPECT_LT(view.zoomFactor(), 1.0);
    Choose(dialog, ID_TOOLS_TEXT_NORMAL);

    // Fit shrinks the 960 pixels of content to the view's width; twice turns it off again.
    Choose(dialog, ID_TOOLS_FIT_SCREEN);
    EXPECT_TRUE(Checked(dialog, ID_TOOLS_FIT_SCREEN));
    const double fitted = static_cast<double>(view.width()) / 960;
    EXPECT_TRUE(WaitFor([&] { return std::abs(view.zoomFactor() - fitted) < 0.02; })) << view.zoomFactor();
    Choose(dialog, ID_TOOLS_FIT_SCREEN);
    EXPECT_FALSE(dialog.View().IsShrinkEnabled());
    EXPECT_FALSE(Checked(dialog, ID_TOOLS_FIT_SCREEN));
    EXPECT_EQ(view.zoomFactor(), 1.0);
    dialog.OnOK();
}

TEST(HtmlDlgTest, ClosingWhileLoadingStopsAndLeavesNoWaitCursor) {
    LoopbackServer silent("", false);
    for (const bool byEscape : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(silent.Address("/slow"));
        dialog.show();
        ASSERT_TRUE(WaitFor([&] { return silent.Requests().contains("/slow") && dialog.IsLoading(); }));
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

        if (byEscape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            EXPECT_EQ(dialog.result(), IDCANCEL);
        } else {
            dialog.OnOK();
            EXPECT_EQ(dialog.result(), IDOK);
        }
        EXPECT_FALSE(dialog.IsLoading());
        EXPECT_EQ(dialog.WaitCursors(), 0);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        // The stopped page reports back later; that must not bring a cursor back.
        WaitFor([] { return false; }, 300);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

} // namespace
