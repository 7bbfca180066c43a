#pragma once

#include "tracking/EndpointBackOff.h"
#include "tracking/TrackingService.h"

#include <QString>

class QUrl;

namespace parcelo {

// The tracking service as the program configures it: where it lies, the key it is
// asked with, and how patiently. The client itself (HTTP on the event loop) lives in
// the status-services plugin; see StatusServices.
class TrackingClient : public TrackingService {
public:
    static constexpr const char* kDefaultEndpoint = "https://apis.tracker.delivery/graphql";

    struct Settings {
        QString endpoint = QString::fromLatin1(kDefaultEndpoint);
        QString clientId; // with clientSecret, sent as "Authorization: TRACKQL-API-KEY id:secret"
        QString clientSecret;
        int timeoutMs = 15'000;
        int maxInFlight = 4;
        EndpointBackOff::Settings backOff;
    };

    // Applies new settings; a back-off under way goes on unless its own settings change.
    virtual void SetSettings(const Settings& settings) = 0;
    virtual const Settings& CurrentSettings() const = 0;

    // True for an https URL, or an http URL whose host is a loopback address.
    static bool IsAllowedUrl(const QUrl& url);
};

} // namespace parcelo
