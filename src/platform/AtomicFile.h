#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parcelo {

// How writing or reading a whole file went.
enum class FileStatus {
    Ok,
    NotFound,       // no such file (or a folder on the way is missing)
    NotRegularFile, // a folder, a device, a pipe...
    TooLarge,       // over the caller's limit; nothing was read
    Full,           // the disk or the quota is full
    Denied,         // no permission
    Failed,         // any other system failure
};

// Writes `bytes` to `path` so that the file is either as it was or holds all of them:
// written to a temporary file in the same folder, synced, renamed over `path`, and the
// folder synced. The temporary file is removed on failure. A `path` that exists and is
// not a regular file is refused (NotRegularFile) and left alone.
FileStatus WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads a regular file of at most `maxBytes` bytes whole into `bytes`; a larger file is
// refused before reading (TooLarge), as is anything but a regular file.
FileStatus ReadFileBounded(const std::string& path, size_t maxBytes, std::string& bytes);

// Syncs a file or, with `folder` set, a folder's entries; false when that failed.
bool SyncFileSystemEntry(const std::string& path, bool folder);

} // namespace parcelo
