#pragma once

#include <map>
#include <string>
#include <string_view>

namespace parcelo {

// Reads key=value text files into a flat table. There are no sections and no
// comments; a line is an entry when it has an '=' after its first character.
// Keys compare by UTF-16 code unit, so the look-up is case-sensitive.
class CIniReader {
public:
    CIniReader();
    virtual ~CIniReader();

    // Adds the entries of the file to the table (a key seen again takes the new value).
    // False when the file cannot be opened or the path has 260 or more units; a read
    // error after the file was opened throws std::system_error carrying errno.
    bool Load(const std::u16string& path);

    // Adds the entries of file content already in memory, as Load does.
    void LoadText(std::string_view bytes);

    // The value stored under the key, or an empty string when the key is absent.
    std::u16string GetValue(const std::u16string& key) const;

private:
    void ParseLine(std::u16string_view line);

    std::map<std::u16string, std::u16string> m_table;
};

} // namespace parcelo
