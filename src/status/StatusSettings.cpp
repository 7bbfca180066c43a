#include "status/StatusSettings.h"

#include "platform/CharClass.h"
#include "platform/CodePage.h"
#include "platform/SettingsStore.h"
#include "platform/Utf8.h"

#include <algorithm>

namespace parcelo {

namespace {

constexpr std::u16string_view kSection = u"STATUS";
constexpr std::u16string_view kEnabledKey = u"ENABLED";
constexpr std::u16string_view kEndpointKey = u"ENDPOINT";
constexpr std::u16string_view kIntervalKey = u"INTERVAL";
constexpr std::u16string_view kAutoDoneKey = u"AUTODONE";
constexpr std::u16string_view kNotifyKey = u"NOTIFY";
constexpr std::u16string_view kAuthKey = u"AUTH";
constexpr std::u16string_view kTokenUrlKey = u"TOKENURL";
constexpr std::u16string_view kClientIdKey = u"CLIENTID";
constexpr std::u16string_view kApiKey = u"apikey";
constexpr std::u16string_view kOAuth2 = u"oauth2";

std::u16string Simplified(std::u16string_view text) {
    std::u16string out;
    bool space = false;
    for (const char16_t c : TrimSpaces(text)) {
        if (IsPlatformSpace(c)) {
            space = true;
            continue;
        }
        if (space) {
            out.push_back(u' ');
            space = false;
        }
        out.push_back(c);
    }
    return out;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) {
        const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

} // namespace

std::string TrimmedText(std::string_view text) {
    return Utf16ToUtf8(TrimSpaces(DecodeUtf8(text)));
}

std::string SimplifiedText(std::string_view text) {
    return Utf16ToUtf8(Simplified(DecodeUtf8(text)));
}

std::string UrlHost(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos || scheme == 0) {
        return {};
    }
    std::string_view authority = url.substr(scheme + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    if (host.starts_with('[')) {
        host = host.substr(1, host.find(']') == std::string_view::npos ? host.size() : host.find(']') - 1);
    } else {
        host = host.substr(0, host.find(':'));
    }
    std::string lower(host);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

StatusSettings StatusSettings::Read(const SettingsStore& profile) {
    StatusSettings settings;
    settings.enabled = profile.ReadNumber(kSection, kEnabledKey, 0) == 1;
    settings.endpoint = Utf16ToUtf8(TrimSpaces(profile.ReadText(kSection, kEndpointKey)));
    settings.intervalMinutes = std::clamp(profile.ReadNumber(kSection, kIntervalKey, kDefaultIntervalMinutes),
                                          kMinIntervalMinutes, kMaxIntervalMinutes);
    settings.autoDone = profile.ReadNumber(kSection, kAutoDoneKey, 1) != 0;
    settings.notify = profile.ReadNumber(kSection, kNotifyKey, 1) != 0;
    settings.auth = EqualsIgnoringCase(TrimSpaces(profile.ReadText(kSection, kAuthKey)), kOAuth2)
                        ? TrackingClient::Auth::OAuth2
                        : TrackingClient::Auth::ApiKey;
    settings.tokenUrl = Utf16ToUtf8(TrimSpaces(profile.ReadText(kSection, kTokenUrlKey)));
    settings.clientId = Utf16ToUtf8(Simplified(profile.ReadText(kSection, kClientIdKey)));
    return settings;
}

bool StatusSettings::Write(SettingsStore& profile) const {
    bool ok = profile.WriteNumber(kSection, kEnabledKey, enabled ? 1 : 0);
    ok = profile.WriteText(kSection, kEndpointKey, TrimSpaces(DecodeUtf8(endpoint))) && ok;
    ok = profile.WriteNumber(kSection, kIntervalKey, intervalMinutes) && ok;
    ok = profile.WriteNumber(kSection, kAutoDoneKey, autoDone ? 1 : 0) && ok;
    ok = profile.WriteNumber(kSection, kNotifyKey, notify ? 1 : 0) && ok;
    ok = profile.WriteText(kSection, kAuthKey, auth == TrackingClient::Auth::OAuth2 ? kOAuth2 : kApiKey) && ok;
    ok = profile.WriteText(kSection, kTokenUrlKey, TrimSpaces(DecodeUtf8(tokenUrl))) && ok;
    ok = profile.WriteText(kSection, kClientIdKey, Simplified(DecodeUtf8(clientId))) && ok;
    return ok;
}

std::string StatusSettings::EffectiveEndpoint() const {
    const std::string trimmed = TrimmedText(endpoint);
    return trimmed.empty() ? std::string(TrackingClient::kDefaultEndpoint) : trimmed;
}

std::string StatusSettings::EffectiveTokenUrl() const {
    const std::string trimmed = TrimmedText(tokenUrl);
    return trimmed.empty() ? std::string(TrackingClient::kDefaultTokenUrl) : trimmed;
}

bool StatusSettings::NeedsKey() const {
    if (auth == TrackingClient::Auth::OAuth2) {
        return true;
    }
    return UrlHost(EffectiveEndpoint()) == UrlHost(TrackingClient::kDefaultEndpoint);
}

} // namespace parcelo
