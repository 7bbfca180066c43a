#pragma once

#include "platform/SettingsStore.h"

#include <QString>

// The application's persistent settings, kept with QSettings under the
// organisation "VELDAN" and the application "Parcelo" in the native format
// ($XDG_CONFIG_HOME/VELDAN/Parcelo.conf). Values missing from the user's file
// are looked up in the system scope ($XDG_CONFIG_DIRS, /etc/xdg by default), so
// an installer can place INSTALLPATH there; a value in the user's file wins.
namespace parcelo {

inline constexpr char16_t kSettingsSection[] = u"SETTINGS";
inline constexpr char16_t kInstallPathKey[] = u"INSTALLPATH";
inline constexpr char16_t kDoubleClickKey[] = u"DBLCLICK";
inline constexpr char16_t kFontSizeKey[] = u"FONTSIZE";
inline constexpr int kDefaultDoubleClick = 0; // track
inline constexpr int kDefaultFontSize = 1;    // normal

class Profile final : public SettingsStore {
public:
    // The value of `key` in `section`, or `defaultValue` when it is missing or unreadable.
    QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The integer at `key`, or `defaultValue` when it is missing, not a whole
    // number or out of the 32-bit range.
    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const;
    // Stores `value` as a number in the user's file; false when it could not be
    // written (the file or its folder is not writable, the disk is full).
    bool WriteProfileInt(const QString& section, const QString& key, int value);
    // Stores `value` as text in the user's file; false when it could not be written.
    bool WriteProfileString(const QString& section, const QString& key, const QString& value);
    // The user's settings file, where WriteProfileInt writes.
    QString UserFileName() const;

    // The settings the program uses, with their defaults.
    QString InstallPath() const;
    int DoubleClickAction() const;
    int FontSize() const;

    std::u16string ReadText(std::u16string_view section, std::u16string_view key) const override;
    int ReadNumber(std::u16string_view section, std::u16string_view key, int defaultValue) const override;
    bool WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value) override;
    bool WriteNumber(std::u16string_view section, std::u16string_view key, int value) override;
};

} // namespace parcelo
