#include "status/services/StatusServicesPlugin.h"

#include "status/services/DesktopNotifier.h"
#include "status/services/KeychainSecretStore.h"
#include "status/services/QtTrackingClient.h"

namespace parcelo {

std::unique_ptr<TrackingClient> StatusServicesPlugin::CreateClient(const Clock& clock) {
    return std::make_unique<QtTrackingClient>(clock);
}

std::unique_ptr<Notifier> StatusServicesPlugin::CreateNotifier() {
    return std::make_unique<DesktopNotifier>();
}

std::unique_ptr<SecretStore> StatusServicesPlugin::CreateSecretStore() {
    return std::make_unique<KeychainSecretStore>();
}

} // namespace parcelo
