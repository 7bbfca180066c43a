#pragma once

namespace parcelo {

// `parcelo --refresh`: one refresh of the delivery status of the shipments that are due,
// without a window, for a timer of the desktop session. Prints the refresh's one-line
// result. 0 when it ran (also when nothing was due); 1, with a Korean message on
// stderr, when the feature is off, the store or the courier list cannot be read, the
// service refused the key, or none of the due shipments could be checked. A CARRIERnn
// line the service did not take is named on stderr. Needs a QCoreApplication.
int RunRefreshCommand();

} // namespace parcelo
