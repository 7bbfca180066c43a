#include "store/StoreBackup.h"

#include "platform/AtomicFile.h"
#include "platform/Utf8.h"
#include "store/ShipmentDatabase.h"
#include "store/VolumeFile.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace parcelo {

namespace {

namespace fs = std::filesystem;

constexpr int kBusyTimeoutMs = 2000;

StoreError ErrnoError(int error) {
    return error == ENOSPC || error == EDQUOT ? StoreError::Full : StoreError::Io;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

std::string FolderOf(const std::string& file) {
    const std::string folder = fs::path(file).parent_path().string();
    return folder.empty() ? "." : folder;
}

// A temporary file name in `folder`, the file created empty.
std::string MakeTemporaryFile(const std::string& folder, const std::string& stem) {
    std::string name = folder + "/" + stem + ".XXXXXX";
    const int descriptor = mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        throw StoreFailure(ErrnoError(errno), "temporary file");
    }
    close(descriptor);
    return name;
}

void RemoveWithSideFiles(const std::string& file) {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        std::error_code ignored;
        fs::remove(file + suffix, ignored);
    }
}

// Copies `file` (and a write-ahead log beside it) to `copy`, then folds the log into the
// copy so that it stands alone; the chosen file itself is only read.
StoreError CopyStandalone(const std::string& file, const std::string& copy) {
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? StoreError::NotFound : StoreError::Io;
    }
    if (!S_ISREG(info.st_mode)) {
        return StoreError::Foreign;
    }
    std::error_code error;
    fs::copy_file(file, copy, fs::copy_options::overwrite_existing, error);
    if (error) {
        return ErrnoError(error.value());
    }
    struct stat log {};
    if (stat((file + "-wal").c_str(), &log) == 0 && S_ISREG(log.st_mode) && log.st_size > 0) {
        fs::copy_file(file + "-wal", copy + "-wal", fs::copy_options::overwrite_existing, error);
        if (error) {
            return ErrnoError(error.value());
        }
    }
    if (info.st_size == 0) {
        return StoreError::Foreign; // an empty file holds no shipments
    }
    try {
        SQLite::Database database(copy, SQLite::OPEN_READWRITE, kBusyTimeoutMs);
        database.execAndGet("PRAGMA journal_mode = DELETE");
    } catch (const std::exception& exception) {
        const StoreError kind = ErrorOf(exception);
        return kind == StoreError::Full || kind == StoreError::Io ? kind : StoreError::Damaged;
    }
    if (!SyncFileSystemEntry(copy, false)) {
        return ErrnoError(errno);
    }
    return StoreError::None;
}

// The checks of a standalone copy that the store would open.
StoreError CheckCopy(const std::string& copy) {
    {
        // Mounting only reads the file: it refuses what is not a database, not sound by
        // quick_check, or of a newer schema.
        CShipmentDatabase probe;
        if (!probe.MountVolume(fs::absolute(copy).u16string())) {
            return probe.LastError();
        }
    }
    try {
        SQLite::Database database(copy, SQLite::OPEN_READONLY, kBusyTimeoutMs);
        if (database.execAndGet("PRAGMA integrity_check(1)").getString() != "ok") {
            return StoreError::Damaged;
        }
        SQLite::Statement table(database, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?");
        table.bind(1, Utf16ToUtf8(kShipmentTable));
        if (!table.executeStep() || table.getColumn(0).getInt() == 0) {
            return StoreError::Foreign;
        }
    } catch (const std::exception& exception) {
        const StoreError kind = ErrorOf(exception);
        return kind == StoreError::Io || kind == StoreError::Busy ? kind : StoreError::Damaged;
    }
    // A table of our name is not enough: the copy must open as the store would open it
    // (its columns, an older schema brought up to date), or the store it replaced could
    // not be opened again.
    CShipmentDatabase probe;
    if (!probe.MountVolume(fs::path(copy).u16string()) || !probe.Open(kShipmentTable)) {
        return probe.LastError() == StoreError::None ? StoreError::Foreign : probe.LastError();
    }
    return StoreError::None;
}

StoreError PrepareCopy(const std::string& file, const std::string& copy) {
    StoreError error = CopyStandalone(file, copy);
    if (error == StoreError::None) {
        error = CheckCopy(copy);
    }
    return error;
}

// True when another process has the database open: every SQLite connection in WAL mode
// holds a shared lock on the "dead man switch" byte of the shared-memory index while it
// is open. fcntl locks belong to the process, so this is asked with no connection of our
// own open.
bool OpenElsewhere(const std::string& storeFile) {
    constexpr off_t kDeadManSwitchByte = 128;
    const int descriptor = open((storeFile + "-shm").c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor < 0) {
        return false; // without an index no connection is open in WAL mode
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = kDeadManSwitchByte;
    lock.l_len = 1;
    const bool held = fcntl(descriptor, F_GETLK, &lock) != 0 || lock.l_type != F_UNLCK;
    close(descriptor);
    return held;
}

// Folds the write-ahead log into the store file and removes the log and its index, so
// that nothing beside the file belongs to it any more. The store stays in WAL mode: a
// change of journal mode would write the header through a rollback journal, which a kill
// could leave behind. False when another program has the store open.
bool DetachLog(const std::string& storeFile) {
    {
        SQLite::Database database(storeFile, SQLite::OPEN_READWRITE, kBusyTimeoutMs);
        SQLite::Statement checkpoint(database, "PRAGMA wal_checkpoint(TRUNCATE)");
        if (!checkpoint.executeStep() || checkpoint.getColumn(0).getInt() != 0) {
            return false;
        }
    }
    if (OpenElsewhere(storeFile)) {
        return false;
    }
    std::error_code error;
    const bool logEmpty = !fs::exists(storeFile + "-wal") || fs::file_size(storeFile + "-wal", error) == 0;
    if (!logEmpty || error) {
        return false; // written to since the checkpoint
    }
    fs::remove(storeFile + "-wal");
    fs::remove(storeFile + "-shm");
    return true;
}

// Puts the checked copy in WAL mode, as the store opens it, and syncs it: opening it then
// changes no journal mode.
void PrepareForStore(const std::string& copy) {
    {
        SQLite::Database database(copy, SQLite::OPEN_READWRITE, kBusyTimeoutMs);
        if (database.execAndGet("PRAGMA journal_mode = WAL").getString() != "wal") {
            throw StoreFailure(StoreError::Io, "journal mode");
        }
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        std::error_code ignored;
        fs::remove(copy + suffix, ignored);
    }
    if (!SyncFileSystemEntry(copy, false)) {
        throw StoreFailure(ErrnoError(errno), "sync");
    }
}

bool Reopen(CShipmentDatabase& store, const std::string& storeFile) {
    return store.MountVolume(fs::path(storeFile).u16string()) && store.Open(kShipmentTable);
}

} // namespace

StoreError StoreBackup::BackUp(const CShipmentDatabase& store, const std::string& target) {
    const std::string& storeFile = store.VolumeFile();
    if (storeFile.empty()) {
        return StoreError::NotOpen;
    }
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        if (SameFile(storeFile + suffix, target) || fs::path(target) == fs::path(storeFile + suffix)) {
            return StoreError::Foreign;
        }
    }
    struct stat info {};
    if (stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return StoreError::Foreign;
    }
    try {
        SQLite::Database source(storeFile, SQLite::OPEN_READONLY, kBusyTimeoutMs);
        BackUpDatabase(source, target);
        return StoreError::None;
    } catch (const std::exception& exception) {
        std::error_code ignored;
        fs::remove(target + ".partial", ignored);
        return ErrorOf(exception);
    }
}

StoreError StoreBackup::Check(const std::string& file) {
    try {
        const std::string copy = MakeTemporaryFile(fs::temp_directory_path().string(), "parcelo-restore-check");
        const StoreError error = PrepareCopy(file, copy);
        RemoveWithSideFiles(copy);
        return error;
    } catch (const std::exception& exception) {
        return ErrorOf(exception);
    }
}

StoreError StoreBackup::Restore(CShipmentDatabase& store, const std::string& file) {
    const std::string storeFile = store.VolumeFile();
    if (storeFile.empty()) {
        return StoreError::NotOpen;
    }
    if (SameFile(storeFile, file)) {
        return StoreError::Foreign;
    }
    std::string copy;
    try {
        // The copy lies in the store's folder so that renaming it over the store is atomic.
        copy = MakeTemporaryFile(FolderOf(storeFile), fs::path(storeFile).filename().string() + ".restore");
        StoreError error = PrepareCopy(file, copy);
        if (error != StoreError::None) {
            RemoveWithSideFiles(copy);
            return error;
        }
        PrepareForStore(copy);
        {
            SQLite::Database current(storeFile, SQLite::OPEN_READONLY, kBusyTimeoutMs);
            BackUpDatabase(current, KeptCopyOf(storeFile));
        }
        // Mounting an empty name fails after letting go of the current connection.
        store.MountVolume(std::u16string());
        if (!DetachLog(storeFile)) {
            RemoveWithSideFiles(copy);
            Reopen(store, storeFile);
            return StoreError::Busy;
        }
        if (std::rename(copy.c_str(), storeFile.c_str()) != 0) {
            error = ErrnoError(errno);
            RemoveWithSideFiles(copy);
            Reopen(store, storeFile);
            return error;
        }
        if (!SyncFileSystemEntry(FolderOf(storeFile), true)) {
            error = ErrnoError(errno);
            Reopen(store, storeFile);
            return error;
        }
    } catch (const std::exception& exception) {
        if (!copy.empty()) {
            RemoveWithSideFiles(copy);
        }
        if (!store.IsOpen()) {
            Reopen(store, storeFile);
        }
        return ErrorOf(exception);
    }
    return Reopen(store, storeFile) ? StoreError::None : store.LastError();
}

} // namespace parcelo
