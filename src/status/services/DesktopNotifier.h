#pragma once

#include "status/Notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <map>
#include <vector>

namespace parcelo {

// Desktop notifications through the freedesktop.org service
// (org.freedesktop.Notifications on the session bus) as the program "Parcelo". A
// click on one (its "default" action) tells the shipment to show.
// Calls never wait for the service; without one, nothing is shown.
class DesktopNotifier : public QObject, public Notifier {
    Q_OBJECT

public:
    explicit DesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void Show(const std::vector<NotificationItem>& items) override;

    // Notifications shown and not yet closed.
    size_t Open() const { return m_shown.size(); }

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private: // NOLINT(readability-redundant-access-specifiers): the slots above are private too
    QDBusConnection m_bus;
    bool m_markup = false; // the service reads markup in the body: text is escaped
    std::map<uint, int64_t> m_shown;
};

} // namespace parcelo
