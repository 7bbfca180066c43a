#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace parcelo {

namespace {

FileStatus StatusOfErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return FileStatus::NotFound;
    case ENOSPC:
    case EDQUOT:
        return FileStatus::Full;
    case EACCES:
    case EPERM:
    case EROFS:
        return FileStatus::Denied;
    case EISDIR:
        return FileStatus::NotRegularFile;
    default:
        return FileStatus::Failed;
    }
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

bool SyncFileSystemEntry(const std::string& path, bool folder) {
    const int descriptor = open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = fsync(descriptor) == 0;
    const int error = errno;
    const bool closed = close(descriptor) == 0;
    errno = error;
    return synced && closed;
}

FileStatus WriteFileAtomically(const std::string& path, std::string_view bytes) {
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        return FileStatus::NotRegularFile;
    }
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return StatusOfErrno(errno);
    }
    // mkostemp makes the file for the owner only; a new file gets the usual mode, a
    // replaced one keeps its own.
    mode_t mode = 0666;
    if (existing.st_mode != 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    bool ok = fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes) && fsync(descriptor) == 0;
    int error = errno;
    if (close(descriptor) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        return StatusOfErrno(error);
    }
    if (!SyncFileSystemEntry(FolderOf(path), true)) {
        return StatusOfErrno(errno);
    }
    return FileStatus::Ok;
}

FileStatus ReadFileBounded(const std::string& path, size_t maxBytes, std::string& bytes) {
    bytes.clear();
    // O_NONBLOCK so that opening a FIFO does not wait for a writer; it is refused below.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return StatusOfErrno(errno);
    }
    struct stat info {};
    FileStatus status = FileStatus::Ok;
    if (fstat(descriptor, &info) != 0) {
        status = StatusOfErrno(errno);
    } else if (!S_ISREG(info.st_mode)) {
        status = FileStatus::NotRegularFile;
    } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        status = FileStatus::TooLarge;
    } else {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t filled = 0;
        // The file may grow meanwhile: read at most one byte past the limit to notice.
        while (status == FileStatus::Ok) {
            if (filled == bytes.size()) {
                if (bytes.size() > maxBytes) {
                    status = FileStatus::TooLarge;
                    break;
                }
                bytes.resize(bytes.size() + 1);
            }
            const ssize_t got = read(descriptor, bytes.data() + filled, bytes.size() - filled);
            if (got < 0) {
                if (errno != EINTR) {
                    status = StatusOfErrno(errno);
                }
                continue;
            }
            if (got == 0) {
                bytes.resize(filled);
                break;
            }
            filled += static_cast<size_t>(got);
        }
    }
    close(descriptor);
    if (status != FileStatus::Ok) {
        bytes.clear();
    }
    return status;
}

} // namespace parcelo
