#include "store/VolumeFile.h"

#include "platform/Utf8.h"
#include "store/PropertyDatabase.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace parcelo {

namespace {

constexpr int kBusyTimeoutMs = 2000;
constexpr size_t kUserVersionOffset = 60; // in the database file's header

// The files SQLite keeps beside a database while it is in use.
constexpr std::array<const char*, 3> kSideFileSuffixes = {"-wal", "-shm", "-journal"};

} // namespace

// Strict UTF-16 to UTF-8 for file and table names: a lone surrogate or a zero unit
// has no faithful name and is refused.
std::optional<std::string> ToUtf8Name(std::u16string_view text) {
    if (text.find(u'\0') != std::u16string_view::npos) {
        return std::nullopt;
    }
    return Utf16ToUtf8Exactly(text);
}

std::optional<std::string> ResolveVolumeFile(std::u16string_view path) {
    std::optional<std::string> name = ToUtf8Name(path);
    if (!name || name->empty() || name->front() != '/') {
        return std::nullopt;
    }
    return name;
}

unsigned ExistingSideFiles(const std::string& file) {
    unsigned mask = 0;
    for (size_t i = 0; i < kSideFileSuffixes.size(); ++i) {
        std::error_code ignored;
        if (std::filesystem::exists(file + kSideFileSuffixes[i], ignored)) {
            mask |= 1u << i;
        }
    }
    return mask;
}

void RemoveNewSideFiles(const std::string& file, unsigned existedBefore) {
    for (size_t i = 0; i < kSideFileSuffixes.size(); ++i) {
        if ((existedBefore & (1u << i)) == 0) {
            std::error_code ignored;
            std::filesystem::remove(file + kSideFileSuffixes[i], ignored);
        }
    }
}

namespace {

bool CanWrite(const std::string& path) {
    return access(path.c_str(), R_OK | W_OK) == 0;
}

// A side file that an earlier run left unwritable (SQLite gives it the mode of the
// database file, so a read-only database leaves read-only side files) would keep a
// writable database from opening; it takes the database file's mode again.
bool MakeSideFileWritable(const std::string& side, const struct stat& database) {
    struct stat info {};
    if (stat(side.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    if (CanWrite(side)) {
        return true;
    }
    return S_ISREG(info.st_mode) && info.st_uid == geteuid() && chmod(side.c_str(), database.st_mode & 07777) == 0 &&
           CanWrite(side);
}

uint32_t BigEndian32(const unsigned char* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

bool SyncPath(const std::string& path, int flags) {
    const int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    return close(descriptor) == 0 && synced;
}

} // namespace

StoreError ErrorOf(const std::exception& exception) {
    if (const auto* failure = dynamic_cast<const StoreFailure*>(&exception)) {
        return failure->Error();
    }
    if (const auto* sqlite = dynamic_cast<const SQLite::Exception*>(&exception)) {
        return StoreErrorFromSqlite(sqlite->getExtendedErrorCode(), 0);
    }
    return StoreError::Io;
}

// Looks at a volume file without writing to it: it must be absent (then its folder
// must be writable), empty, or a sound SQLite database no newer than this program,
// writable together with its folder. A database is handed back open read-only.
StoreError CheckPages(SQLite::Database& connection) {
    try {
        return connection.execAndGet("PRAGMA quick_check").getString() == "ok" ? StoreError::None : StoreError::Damaged;
    } catch (const std::exception& exception) {
        const StoreError error = ErrorOf(exception);
        return error == StoreError::Busy || error == StoreError::Io ? error : StoreError::Damaged;
    }
}

StoreError InspectVolume(const std::string& file, int newestVersion, std::unique_ptr<SQLite::Database>& inspection,
                         bool wholeFile) {
    const std::filesystem::path path(file);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    struct stat info {};
    const bool exists = stat(file.c_str(), &info) == 0;
    if (!exists && errno != ENOENT) {
        return errno == EACCES ? StoreError::ReadOnly : StoreError::Io;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        return StoreError::Foreign;
    }
    // SQLite creates its side files in the folder, so the folder must be writable too.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return StoreError::ReadOnly;
    }
    if (!exists) {
        return StoreError::None;
    }
    if (!CanWrite(file)) {
        return StoreError::ReadOnly;
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        if (!MakeSideFileWritable(file + suffix, info)) {
            return StoreError::ReadOnly;
        }
    }
    if (info.st_size == 0) {
        return StoreError::None; // an empty file is an empty database
    }
    std::array<unsigned char, 100> header{};
    std::ifstream in(file, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(header.data()), header.size())) {
        return StoreError::Damaged;
    }
    if (std::memcmp(header.data(), "SQLite format 3", 16) != 0) {
        return StoreError::Damaged;
    }
    if (BigEndian32(&header[kUserVersionOffset]) > static_cast<uint32_t>(newestVersion)) {
        return StoreError::TooNew;
    }
    try {
        inspection =
            std::make_unique<SQLite::Database>(file, SQLite::OPEN_READONLY | SQLite::OPEN_NOMUTEX, kBusyTimeoutMs);
        if (const StoreError pages = wholeFile ? CheckPages(*inspection) : StoreError::None;
            pages != StoreError::None) {
            return pages;
        }
        if (inspection->execAndGet("PRAGMA user_version").getInt() > newestVersion) {
            return StoreError::TooNew;
        }
    } catch (const std::exception& exception) {
        const StoreError error = ErrorOf(exception);
        return error == StoreError::Busy || error == StoreError::Io ? error : StoreError::Damaged;
    }
    return StoreError::None;
}

void BackUpDatabase(SQLite::Database& source, const std::string& target) {
    const std::string partial = target + ".partial";
    std::filesystem::remove(partial);
    {
        SQLite::Database copy(partial, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        copy.exec("PRAGMA journal_mode = DELETE");
        copy.exec("PRAGMA synchronous = FULL");
        SQLite::Backup backup(copy, source);
        if (backup.executeStep() != SQLITE_DONE) {
            throw StoreFailure(StoreError::Io, "backup incomplete");
        }
    }
    const std::string folder = std::filesystem::path(target).parent_path().string();
    if (!SyncPath(partial, O_RDONLY) || std::rename(partial.c_str(), target.c_str()) != 0 ||
        !SyncPath(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY)) {
        throw StoreFailure(errno == ENOSPC ? StoreError::Full : StoreError::Io, "backup not written");
    }
}

} // namespace parcelo
