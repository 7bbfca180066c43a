#pragma once

class QUrl;

namespace parcelo {

// True for an address the tracking service or its token issuer may be asked at: an
// https URL, or an http URL whose host is a loopback address.
bool IsAllowedServiceUrl(const QUrl& url);

} // namespace parcelo
