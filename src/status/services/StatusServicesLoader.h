#pragma once

#include "status/StatusServices.h"

#include <QtPlugin>
#include <string>

namespace parcelo {

// The status services of the program's plugin "status-services.so" (see ProgramPlugin),
// loaded on the first call and kept; nullptr when the plugin cannot be loaded, with the
// reason (UTF-8) in `error`. A failed load is tried again on the next call.
StatusServices* LoadStatusServices(std::string* error = nullptr);

} // namespace parcelo

#define PARCELO_STATUS_SERVICES_IID "com.veldan.Parcelo.StatusServices/1"
Q_DECLARE_INTERFACE(parcelo::StatusServices, PARCELO_STATUS_SERVICES_IID)
