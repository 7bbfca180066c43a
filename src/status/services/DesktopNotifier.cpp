#include "status/services/DesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace parcelo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(OnActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"))),
        this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        m_markup = reply.isValid() && reply.value().contains(QStringLiteral("body-markup"));
        call->deleteLater();
    });
}

void DesktopNotifier::Show(const std::vector<NotificationItem>& items) {
    for (const NotificationItem& item : items) {
        QString body = QString::fromStdU16String(item.body);
        if (m_markup) {
            body = body.toHtmlEscaped();
        }
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
        QVariantMap hints;
        hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("parcelo"));
        call << QStringLiteral("Parcelo") << uint(0) << QStringLiteral("parcelo")
             << QString::fromStdU16String(item.summary) << body
             << QStringList{QStringLiteral("default"), QCoreApplication::translate("DesktopNotifier", "열기")} << hints
             << int(-1);
        const int64_t shipment = item.shipmentId;
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, shipment](QDBusPendingCallWatcher* done) {
            const QDBusPendingReply<uint> reply = *done;
            if (reply.isValid()) {
                m_shown[reply.value()] = shipment;
            }
            done->deleteLater();
        });
    }
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    const auto found = m_shown.find(id);
    if (found == m_shown.end() || action != QLatin1String("default")) {
        return; // another program's notification, or another action
    }
    Activate(found->second);
}

void DesktopNotifier::OnClosed(uint id, uint) {
    m_shown.erase(id);
}

} // namespace parcelo
