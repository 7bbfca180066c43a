#pragma once

#include "app/SessionPaths.h"

#include <QString>
#include <cstdio>
#include <functional>

namespace parcelo {

// `parcelo --refresh`: one refresh of the delivery status of the shipments that are due,
// without a window, for a timer of the desktop session, by the window's own status
// controller. Prints the refresh's one-line result through `print` (the command line's
// checked output; each text ends its line). 0 when it ran (also when nothing was due);
// 1, with a Korean message on stderr, when the feature is off, the store or the courier
// list cannot be read, the service wants a key and none is found (a key file, the
// secret store), the service refused the key, or none of the due shipments could be
// checked. A CARRIERnn line the service did not take is named on stderr. Needs a
// QCoreApplication.
int RunRefreshCommand(const SessionPaths& paths, const std::function<void(FILE* stream, const QString& text)>& print);

} // namespace parcelo
