#include "platform/qt/Profile.h"

#include <QSettings>

namespace parcelo {
namespace {

constexpr char kOrganisation[] = "VELDAN";
constexpr char kApplication[] = "Parcelo";

QSettings OpenSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
}

QString SettingKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}

QString Text(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

} // namespace

QString Profile::GetProfileString(const QString& section, const QString& key, const QString& defaultValue) const {
    const QVariant value = OpenSettings().value(SettingKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // An unquoted value with commas comes back from the INI format as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    return value.canConvert<QString>() ? value.toString() : defaultValue;
}

int Profile::GetProfileInt(const QString& section, const QString& key, int defaultValue) const {
    const QVariant value = OpenSettings().value(SettingKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool Profile::WriteProfileInt(const QString& section, const QString& key, int value) {
    QSettings settings = OpenSettings();
    settings.setValue(SettingKey(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool Profile::WriteProfileString(const QString& section, const QString& key, const QString& value) {
    QSettings settings = OpenSettings();
    settings.setValue(SettingKey(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString Profile::UserFileName() const {
    return OpenSettings().fileName();
}

QString Profile::InstallPath() const {
    return GetProfileString(QString::fromUtf16(kSettingsSection), QString::fromUtf16(kInstallPathKey));
}

int Profile::DoubleClickAction() const {
    return GetProfileInt(QString::fromUtf16(kSettingsSection), QString::fromUtf16(kDoubleClickKey),
                         kDefaultDoubleClick);
}

int Profile::FontSize() const {
    return GetProfileInt(QString::fromUtf16(kSettingsSection), QString::fromUtf16(kFontSizeKey), kDefaultFontSize);
}

std::u16string Profile::ReadText(std::u16string_view section, std::u16string_view key) const {
    return GetProfileString(Text(section), Text(key)).toStdU16String();
}

int Profile::ReadNumber(std::u16string_view section, std::u16string_view key, int defaultValue) const {
    return GetProfileInt(Text(section), Text(key), defaultValue);
}

bool Profile::WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    return WriteProfileString(Text(section), Text(key), Text(value));
}

bool Profile::WriteNumber(std::u16string_view section, std::u16string_view key, int value) {
    return WriteProfileInt(Text(section), Text(key), value);
}

} // namespace parcelo
