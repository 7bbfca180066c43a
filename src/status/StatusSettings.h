#pragma once

#include "status/TrackingClient.h"

#include <string>

namespace parcelo {

class SettingsStore;

// The settings of the automatic delivery status, kept in the profile's section STATUS
// (ENABLED, ENDPOINT, INTERVAL in minutes, AUTODONE, NOTIFY; 0 or 1 for off or on; AUTH
// apikey or oauth2, TOKENURL, CLIENTID) so that an administrator or a script can set
// them too. The client id is no secret; the client secret is never kept here. The
// feature is off unless ENABLED is 1. Text is UTF-8.
struct StatusSettings {
    static constexpr int kDefaultIntervalMinutes = 60;
    static constexpr int kMinIntervalMinutes = 5;
    static constexpr int kMaxIntervalMinutes = 7 * 24 * 60;

    bool enabled = false;
    std::string endpoint; // the public service when empty
    int intervalMinutes = kDefaultIntervalMinutes;
    bool autoDone = true;
    bool notify = true;
    TrackingClient::Auth auth = TrackingClient::Auth::ApiKey; // an unknown AUTH value reads as apikey
    std::string tokenUrl;                                     // the public service's issuer when empty
    std::string clientId;

    // The settings in the profile; a missing or unreadable value gives its default and
    // an interval out of range is brought into it.
    static StatusSettings Read(const SettingsStore& profile);
    // False when any value could not be written.
    bool Write(SettingsStore& profile) const;
    // The endpoint to use: the configured one, or the public service's.
    std::string EffectiveEndpoint() const;
    // The token issuer to use: the configured one, or the public service's.
    std::string EffectiveTokenUrl() const;
    // True when nothing can be checked without a client secret: the public service wants
    // a key, and OAuth2 needs one for its token. A server of one's own (which the
    // open-source server is, without any key) may be asked without one.
    bool NeedsKey() const;

    bool operator==(const StatusSettings&) const = default;
};

// `text` without white space at either end (the platform's space class).
std::string TrimmedText(std::string_view text);
// `text` trimmed, with every run of white space inside it made one blank.
std::string SimplifiedText(std::string_view text);
// The host of an absolute URL ("scheme://[user@]host[:port]/..."), in lower case and
// without the brackets of an IPv6 address; empty when the text has none.
std::string UrlHost(std::string_view url);

} // namespace parcelo
