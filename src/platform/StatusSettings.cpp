#include "platform/StatusSettings.h"

#include "platform/Profile.h"
#include "platform/TrackingClient.h"

#include <algorithm>

namespace parcelo {

namespace {

const QString kSection = QStringLiteral("STATUS");
const QString kEnabledKey = QStringLiteral("ENABLED");
const QString kEndpointKey = QStringLiteral("ENDPOINT");
const QString kIntervalKey = QStringLiteral("INTERVAL");
const QString kAutoDoneKey = QStringLiteral("AUTODONE");
const QString kNotifyKey = QStringLiteral("NOTIFY");

} // namespace

StatusSettings StatusSettings::Read(const Profile& profile) {
    StatusSettings settings;
    settings.enabled = profile.GetProfileInt(kSection, kEnabledKey, 0) == 1;
    settings.endpoint = profile.GetProfileString(kSection, kEndpointKey).trimmed();
    settings.intervalMinutes = std::clamp(profile.GetProfileInt(kSection, kIntervalKey, kDefaultIntervalMinutes),
                                          kMinIntervalMinutes, kMaxIntervalMinutes);
    settings.autoDone = profile.GetProfileInt(kSection, kAutoDoneKey, 1) != 0;
    settings.notify = profile.GetProfileInt(kSection, kNotifyKey, 1) != 0;
    return settings;
}

bool StatusSettings::Write(Profile& profile) const {
    bool ok = profile.WriteProfileInt(kSection, kEnabledKey, enabled ? 1 : 0);
    ok = profile.WriteProfileString(kSection, kEndpointKey, endpoint.trimmed()) && ok;
    ok = profile.WriteProfileInt(kSection, kIntervalKey, intervalMinutes) && ok;
    ok = profile.WriteProfileInt(kSection, kAutoDoneKey, autoDone ? 1 : 0) && ok;
    ok = profile.WriteProfileInt(kSection, kNotifyKey, notify ? 1 : 0) && ok;
    return ok;
}

QString StatusSettings::EffectiveEndpoint() const {
    const QString trimmed = endpoint.trimmed();
    return trimmed.isEmpty() ? QString::fromLatin1(TrackingClient::kDefaultEndpoint) : trimmed;
}

} // namespace parcelo
