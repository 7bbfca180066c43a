#pragma once

#include "status/services/StatusServicesLoader.h"

#include <QObject>

namespace parcelo {

// The status-services plugin's entry: the tracking service over Qt Network, the
// notifications over D-Bus and the key in the desktop's secret store.
class StatusServicesPlugin : public QObject, public StatusServices {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PARCELO_STATUS_SERVICES_IID)
    Q_INTERFACES(parcelo::StatusServices)

public:
    std::unique_ptr<TrackingClient> CreateClient(const Clock& clock) override;
    std::unique_ptr<Notifier> CreateNotifier() override;
    std::unique_ptr<SecretStore> CreateSecretStore() override;
};

} // namespace parcelo
