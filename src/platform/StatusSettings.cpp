#include "platform/StatusSettings.h"

#include "platform/Profile.h"
#include "platform/TrackingClient.h"

#include <QUrl>
#include <algorithm>

namespace parcelo {

namespace {

const QString kSection = QStringLiteral("STATUS");
const QString kEnabledKey = QStringLiteral("ENABLED");
const QString kEndpointKey = QStringLiteral("ENDPOINT");
const QString kIntervalKey = QStringLiteral("INTERVAL");
const QString kAutoDoneKey = QStringLiteral("AUTODONE");
const QString kNotifyKey = QStringLiteral("NOTIFY");
const QString kAuthKey = QStringLiteral("AUTH");
const QString kTokenUrlKey = QStringLiteral("TOKENURL");
const QString kClientIdKey = QStringLiteral("CLIENTID");
const QString kApiKey = QStringLiteral("apikey");
const QString kOAuth2 = QStringLiteral("oauth2");

} // namespace

StatusSettings StatusSettings::Read(const Profile& profile) {
    StatusSettings settings;
    settings.enabled = profile.GetProfileInt(kSection, kEnabledKey, 0) == 1;
    settings.endpoint = profile.GetProfileString(kSection, kEndpointKey).trimmed();
    settings.intervalMinutes = std::clamp(profile.GetProfileInt(kSection, kIntervalKey, kDefaultIntervalMinutes),
                                          kMinIntervalMinutes, kMaxIntervalMinutes);
    settings.autoDone = profile.GetProfileInt(kSection, kAutoDoneKey, 1) != 0;
    settings.notify = profile.GetProfileInt(kSection, kNotifyKey, 1) != 0;
    const QString auth = profile.GetProfileString(kSection, kAuthKey).trimmed();
    settings.auth =
        auth.compare(kOAuth2, Qt::CaseInsensitive) == 0 ? TrackingClient::Auth::OAuth2 : TrackingClient::Auth::ApiKey;
    settings.tokenUrl = profile.GetProfileString(kSection, kTokenUrlKey).trimmed();
    settings.clientId = profile.GetProfileString(kSection, kClientIdKey).simplified();
    return settings;
}

bool StatusSettings::Write(Profile& profile) const {
    bool ok = profile.WriteProfileInt(kSection, kEnabledKey, enabled ? 1 : 0);
    ok = profile.WriteProfileString(kSection, kEndpointKey, endpoint.trimmed()) && ok;
    ok = profile.WriteProfileInt(kSection, kIntervalKey, intervalMinutes) && ok;
    ok = profile.WriteProfileInt(kSection, kAutoDoneKey, autoDone ? 1 : 0) && ok;
    ok = profile.WriteProfileInt(kSection, kNotifyKey, notify ? 1 : 0) && ok;
    ok = profile.WriteProfileString(kSection, kAuthKey, auth == TrackingClient::Auth::OAuth2 ? kOAuth2 : kApiKey) && ok;
    ok = profile.WriteProfileString(kSection, kTokenUrlKey, tokenUrl.trimmed()) && ok;
    ok = profile.WriteProfileString(kSection, kClientIdKey, clientId.simplified()) && ok;
    return ok;
}

QString StatusSettings::EffectiveEndpoint() const {
    const QString trimmed = endpoint.trimmed();
    return trimmed.isEmpty() ? QString::fromLatin1(TrackingClient::kDefaultEndpoint) : trimmed;
}

QString StatusSettings::EffectiveTokenUrl() const {
    const QString trimmed = tokenUrl.trimmed();
    return trimmed.isEmpty() ? QString::fromLatin1(TrackingClient::kDefaultTokenUrl) : trimmed;
}

bool StatusSettings::NeedsKey() const {
    if (auth == TrackingClient::Auth::OAuth2) {
        return true;
    }
    const QUrl address(EffectiveEndpoint());
    const QUrl publicService(QString::fromLatin1(TrackingClient::kDefaultEndpoint));
    return address.host().compare(publicService.host(), Qt::CaseInsensitive) == 0;
}

} // namespace parcelo
