#include "page/TrackingPageWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QKeyEvent>
#include <QWebEngineScript>

namespace parcelo {
namespace {

// A result longer than this is cut: encoded, it must still fit one line.
constexpr std::size_t kResultLimit = (kPageLineLimit - 16) / 3;

} // namespace

CTrackingPageWindow::CTrackingPageWindow(Sender send, bool testing) : m_send(std::move(send)), m_testing(testing) {
    setObjectName(QStringLiteral("trackingPage"));
    setWindowTitle(QCoreApplication::translate("TrackingPageWindow", "배송 조회"));
    setAccessibleName(QCoreApplication::translate("TrackingPageWindow", "배송 조회 페이지"));
    if (QGuiApplication::platformName() == u"xcb") {
        // On X11 the window becomes a child of the program's dialog; it needs no frame.
        setWindowFlag(Qt::FramelessWindowHint);
    }
    resize(480, 640);
    m_view.SetNotifyHandler([this](int code) {
        if (code == NM_BEFORENAVIGATE) {
            Send(PageVerb::Loading);
        } else if (code == NM_DOCUMENTCOMPLETE) {
            Send(PageVerb::Loaded);
        }
    });
    m_view.Create(this, rect());
    qApp->installEventFilter(this);
    winId(); // the program places the native window before it shows
}

CTrackingPageWindow::~CTrackingPageWindow() {
    m_view.SetNotifyHandler(nullptr);
}

void CTrackingPageWindow::Send(PageVerb verb, std::string text) {
    if (m_send) {
        m_send(PageMessage{verb, {}, std::move(text)});
    }
}

void CTrackingPageWindow::Handle(const PageMessage& message) {
    switch (message.verb) {
    case PageVerb::Scale:
        m_view.SetScale(static_cast<double>(message.numbers[0]) / 1000.0);
        break;
    case PageVerb::Zoom:
        m_view.SetZoomLevel(static_cast<int>(message.numbers[0]));
        break;
    case PageVerb::Shrink:
        m_view.EnableShrink(message.numbers[0] != 0);
        break;
    case PageVerb::Open:
        m_view.Navigate(QString::fromUtf8(message.text).toStdU16String());
        break;
    case PageVerb::Stop:
        m_view.Stop();
        break;
    case PageVerb::Place:
        setGeometry(static_cast<int>(message.numbers[0]), static_cast<int>(message.numbers[1]),
                    std::max(1, static_cast<int>(message.numbers[2])),
                    std::max(1, static_cast<int>(message.numbers[3])));
        break;
    case PageVerb::Show:
        show();
        raise();
        activateWindow();
        if (m_view.View() != nullptr) {
            m_view.View()->setFocus();
        }
        break;
    case PageVerb::Quit:
        QCoreApplication::quit();
        break;
    case PageVerb::Eval:
        if (m_testing) {
            RunScript(message.text);
        }
        break;
    case PageVerb::Press:
        if (m_testing) {
            PressKey(message.text);
        }
        break;
    default:
        break; // what the page itself sends is never a command
    }
}

void CTrackingPageWindow::RunScript(const std::string& script) {
    QWebEngineView* view = m_view.View();
    view->page()->runJavaScript(
        QString::fromUtf8(script), QWebEngineScript::ApplicationWorld, [this](const QVariant& value) {
            QByteArray json = QJsonDocument(QJsonArray{QJsonValue::fromVariant(value)}).toJson(QJsonDocument::Compact);
            json.truncate(static_cast<qsizetype>(kResultLimit));
            Send(PageVerb::Result, json.toStdString());
        });
}

void CTrackingPageWindow::PressKey(const std::string& name) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : this;
    const int key = name == "tools" ? Qt::Key_F2 : Qt::Key_Escape;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}

bool CTrackingPageWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return QWidget::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const char* name = key == Qt::Key_F2 || key == Qt::Key_Menu ? "tools" : key == Qt::Key_Escape ? "close" : nullptr;
    if (name == nullptr) {
        return QWidget::eventFilter(watched, event);
    }
    if (!watched->isWidgetType()) {
        return false; // the key is on its way to the widget with the focus
    }
    if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        Send(PageVerb::Key, name);
    }
    return true; // the first widget the key reaches stops it
}

void CTrackingPageWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (QWebEngineView* view = m_view.View()) {
        view->setGeometry(rect());
    }
}

} // namespace parcelo
