#pragma once

#include "platform/TrackingClient.h"

#include <QString>

namespace parcelo {

class Profile;

// The settings of the automatic delivery status, kept in the profile's section STATUS
// (ENABLED, ENDPOINT, INTERVAL in minutes, AUTODONE, NOTIFY; 0 or 1 for off or on; AUTH
// apikey or oauth2, TOKENURL, CLIENTID) so that an administrator or a script can set
// them too. The client id is no secret; the client secret is never kept here. The
// feature is off unless ENABLED is 1.
struct StatusSettings {
    static constexpr int kDefaultIntervalMinutes = 60;
    static constexpr int kMinIntervalMinutes = 5;
    static constexpr int kMaxIntervalMinutes = 7 * 24 * 60;

    bool enabled = false;
    QString endpoint; // the public service when empty
    int intervalMinutes = kDefaultIntervalMinutes;
    bool autoDone = true;
    bool notify = true;
    TrackingClient::Auth auth = TrackingClient::Auth::ApiKey; // an unknown AUTH value reads as apikey
    QString tokenUrl;                                         // the public service's issuer when empty
    QString clientId;

    // The settings in the profile; a missing or unreadable value gives its default and
    // an interval out of range is brought into it.
    static StatusSettings Read(const Profile& profile);
    // False when any value could not be written.
    bool Write(Profile& profile) const;
    // The endpoint to use: the configured one, or the public service's.
    QString EffectiveEndpoint() const;
    // The token issuer to use: the configured one, or the public service's.
    QString EffectiveTokenUrl() const;
    // True when nothing can be checked without a client secret: the public service wants
    // a key, and OAuth2 needs one for its token. A server of one's own (which the
    // open-source server is, without any key) may be asked without one.
    bool NeedsKey() const;

    bool operator==(const StatusSettings&) const = default;
};

} // namespace parcelo
