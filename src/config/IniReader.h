#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace parcelo {

// What became of an attempt to load a file.
enum class IniFileStatus {
    Loaded,
    PathTooLong,    // 260 UTF-16 units or more
    NotFound,       // missing, not openable, or a NUL in the path
    NotRegularFile, // a folder, a device, a FIFO or a socket (links are followed)
    TooLarge,       // more than IniMaxFileBytes
};

// Larger files are refused unread.
inline constexpr size_t IniMaxFileBytes = size_t{1} << 20;

// Reads key=value text files into a flat table. There are no sections and no
// comments; a line is an entry when it has an '=' after its first character.
// Keys compare by UTF-16 code unit, so the look-up is case-sensitive.
class CIniReader {
public:
    CIniReader();
    virtual ~CIniReader();

    // Adds the entries of the file to the table (a key seen again takes the new value).
    // Only a regular file of at most IniMaxFileBytes is read; anything else is refused
    // without being read, and a FIFO never blocks the call. The table is unchanged
    // unless the result is Loaded. A read error after the file was opened throws
    // std::system_error carrying errno.
    IniFileStatus LoadFile(const std::u16string& path);

    // LoadFile, true when it gives Loaded.
    bool Load(const std::u16string& path);

    // Adds the entries of file content already in memory, as Load does: the bytes are
    // decoded (see DecodeConfigText) and the text ends at its first NUL.
    void LoadText(std::string_view bytes);

    // The value stored under the key, or an empty string when the key is absent.
    std::u16string GetValue(const std::u16string& key) const;

private:
    void ParseLine(std::u16string_view line);

    std::map<std::u16string, std::u16string> m_table;
};

} // namespace parcelo
