#pragma once

#include <optional>
#include <string>

namespace parcelo {

// Where the files of a session lie. They are resolved once, where the program starts
// and reads its environment and settings, and handed down from there.
struct SessionPaths {
    std::u16string installFolder; // holds parcelo.ini
    std::u16string courierFile;   // parcelo.ini in it, for messages
    std::string dataFolder;       // the user's data folder; empty when the environment names none
    std::u16string volumeFile;    // the store's volume in it, an absolute path; empty without one

    // parcelo.ini in `installFolder` and the program's volume (kProgramVolume) in
    // `dataFolder`, an absolute path or empty.
    static SessionPaths In(std::u16string installFolder, std::string dataFolder);
};

// The user's data folder, where the program's store lies: $XDG_DATA_HOME/VELDAN/Parcelo,
// else ~/.local/share/VELDAN/Parcelo (a variable counts only when it is an absolute
// path); std::nullopt when neither is set.
std::optional<std::string> UserDataFolder();

} // namespace parcelo
