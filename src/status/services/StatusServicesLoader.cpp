#include "status/services/StatusServicesLoader.h"

#include "platform/qt/ProgramPlugin.h"

namespace parcelo {

StatusServices* LoadStatusServices(std::string* error) {
    QString reason;
    StatusServices* services = ProgramPlugin::LoadOnce<StatusServices>(QStringLiteral("status-services.so"), &reason);
    if (services == nullptr && error != nullptr) {
        *error = reason.toStdString();
    }
    return services;
}

} // namespace parcelo
