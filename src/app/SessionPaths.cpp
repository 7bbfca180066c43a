#include "app/SessionPaths.h"

#include "couriers/Courier.h"
#include "store/ShipmentDatabase.h"

#include <cstdlib>
#include <filesystem>
#include <utility>

namespace parcelo {

SessionPaths SessionPaths::In(std::u16string installFolder, std::string dataFolder) {
    SessionPaths paths;
    paths.courierFile = CourierFilePath(installFolder);
    paths.installFolder = std::move(installFolder);
    if (!dataFolder.empty() && dataFolder.front() == '/') {
        try {
            paths.volumeFile = (std::filesystem::path(dataFolder) / std::u16string(kProgramVolume)).u16string();
        } catch (const std::exception&) {
            // A folder name that is not UTF-8 has no volume path: the store cannot be opened.
        }
    }
    paths.dataFolder = std::move(dataFolder);
    return paths;
}

std::optional<std::string> UserDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return (std::filesystem::path(dataHome) / "VELDAN" / "Parcelo").string();
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return (std::filesystem::path(home) / ".local" / "share" / "VELDAN" / "Parcelo").string();
    }
    return std::nullopt;
}

} // namespace parcelo
