#include "dialogs/HtmlDlg.h"

#include "platform/QtMenuBuilder.h"
#include "res/resource.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

using namespace parcelo;

namespace {

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

// Runs the event loop until `condition` holds: the web engine does its work in many
// small steps and crawls under QTest::qWaitFor's sleeps, so this waits for events instead.
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

// The connecting page first, then the courier's page, whose text size and fit the tools menu sets.
TEST(HtmlDlgTest, ConnectingPageThenTheTrackingPageWithTextSizeAndFit) {
    LoopbackServer server(R"(<html><body style="margin:0"><div style="width:960px">배송 완료</div></body></html>)");
    CHtmlDlg dialog;
    dialog.SetAddress(server.Address("/track?no=1234"));
    dialog.show();
    QWebEngineView& view = *dialog.View().View();
    std::vector<QUrl> finished;
    QObject::connect(view.page(), &QWebEnginePage::loadingChanged, &view, [&](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus) {
            finished.push_back(info.url());
        }
    });
    ASSERT_TRUE(WaitFor([&] { return finished.size() >= 2 && !dialog.IsLoading(); }));
    EXPECT_EQ(finished[0].scheme(), "data");
    EXPECT_EQ(finished.back().toString(), QString::fromStdU16String(dialog.Address()));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(view.geometry(), dialog.ClientRect());

    Tool(dialog, ID_TOOLS_TEXT_LARGER)->trigger();
    EXPECT_GT(view.zoomFactor(), 1.0);
    Tool(dialog, ID_TOOLS_TEXT_NORMAL)->trigger();
    // Fit shrinks the 960 pixels of content to the view's width; twice turns it off again.
    Tool(dialog, ID_TOOLS_FIT_SCREEN)->trigger();
    EXPECT_TRUE(Tool(dialog, ID_TOOLS_FIT_SCREEN)->isChecked());
    const double fitted = static_cast<double>(view.width()) / 960;
    EXPECT_TRUE(WaitFor([&] { return std::abs(view.zoomFactor() - fitted) < 0.02; })) << view.zoomFactor();
    Tool(dialog, ID_TOOLS_FIT_SCREEN)->trigger();
    EXPECT_EQ(view.zoomFactor(), 1.0);
}

// OK and Escape alike stop the download and take back the wait cursor, for good.
TEST(HtmlDlgTest, ClosingWhileLoadingStopsAndLeavesNoWaitCursor) {
    LoopbackServer silent("", false);
    for (const bool byEscape : {false, true}) {
        CHtmlDlg dialog;
        dialog.SetAddress(silent.Address("/slow"));
        dialog.show();
        ASSERT_TRUE(WaitFor([&] { return silent.Requests().contains("/slow") && dialog.IsLoading(); }));
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        if (byEscape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.OnOK();
        }
        EXPECT_EQ(dialog.result(), byEscape ? IDCANCEL : IDOK);
        EXPECT_FALSE(dialog.IsLoading());
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        WaitFor([] { return false; }, 300); // the stopped page reports back later
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

} // namespace
