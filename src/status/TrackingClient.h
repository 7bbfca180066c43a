#pragma once

#include "tracking/EndpointBackOff.h"
#include "tracking/TrackingService.h"

#include <string>

namespace parcelo {

// The tracking service as the program configures it: where it lies, the key it is
// asked with, and how patiently. The client itself (HTTP on the event loop) lives in
// the status-services plugin; see StatusServices. Text is UTF-8.
class TrackingClient : public TrackingService {
public:
    static constexpr const char* kDefaultEndpoint = "https://apis.tracker.delivery/graphql";
    // The public service's token issuer (OAuth 2.0 client credentials).
    static constexpr const char* kDefaultTokenUrl = "https://auth.tracker.delivery/oauth2/token";

    // How the key goes with each request: as it is ("Authorization: TRACKQL-API-KEY
    // id:secret"), or exchanged at the token issuer for a bearer token that is kept
    // until it expires ("Authorization: Bearer token"). Client ids of the public service
    // registered before 2024-05-13 work only in the second way.
    enum class Auth { ApiKey, OAuth2 };

    struct Settings {
        std::string endpoint = kDefaultEndpoint;
        std::string clientId; // without an id or a secret (ApiKey) no Authorization header is sent
        std::string clientSecret;
        Auth auth = Auth::ApiKey;
        std::string tokenUrl = kDefaultTokenUrl;
        int timeoutMs = 15'000;
        int maxInFlight = 4;
        EndpointBackOff::Settings backOff;
    };

    // Applies new settings; a back-off under way goes on unless its own settings change.
    virtual void SetSettings(const Settings& settings) = 0;
    virtual const Settings& CurrentSettings() const = 0;

    // Sends one small request with the current settings (a token first, for OAuth2) and
    // calls back with what it says of the address and the key (see ConnectionCheck.h),
    // never from inside the call. Not held back by a back-off.
    virtual void CheckConnection(Callback done) = 0;
};

} // namespace parcelo
