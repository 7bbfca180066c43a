#pragma once

#include <string>
#include <string_view>

namespace parcelo {

// A store of settings by section and key, as the program's profile keeps them, for the
// parts of the program that read and write settings without knowing where they live.
class SettingsStore {
public:
    SettingsStore() = default;
    virtual ~SettingsStore() = default;

    // The text at `key` in `section`; empty when it is missing or unreadable.
    virtual std::u16string ReadText(std::u16string_view section, std::u16string_view key) const = 0;
    // The whole number at `key`, or `defaultValue` when it is missing or not one.
    virtual int ReadNumber(std::u16string_view section, std::u16string_view key, int defaultValue) const = 0;
    // False when the value could not be written.
    virtual bool WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value) = 0;
    virtual bool WriteNumber(std::u16string_view section, std::u16string_view key, int value) = 0;

protected:
    SettingsStore(const SettingsStore&) = default;
    SettingsStore& operator=(const SettingsStore&) = default;
};

} // namespace parcelo
