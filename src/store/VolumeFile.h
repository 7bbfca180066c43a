#pragma once

#include "store/StoreError.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace SQLite {
class Database;
}

namespace parcelo {

// Strict UTF-16 to UTF-8 for file and table names: a lone surrogate or a zero unit
// has no faithful name and is refused.
std::optional<std::string> ToUtf8Name(std::u16string_view text);

// The file of a volume path: empty unless the path is absolute and can be a file name.
std::optional<std::string> ResolveVolumeFile(std::u16string_view path);

// Which of the files SQLite keeps beside a database exist now, as a bit mask, and the
// removal of those that did not exist then.
unsigned ExistingSideFiles(const std::string& file);
void RemoveNewSideFiles(const std::string& file, unsigned existedBefore);

// Looks at a volume file without writing to it: it must be absent (its folder
// writable), empty, or a sound SQLite database of a schema version up to
// `newestVersion`, writable together with its folder. A database is handed back
// open read-only in `inspection`. Whether every page of it is sound is checked too
// unless `wholeFile` is false (see CheckPages).
StoreError InspectVolume(const std::string& file, int newestVersion, std::unique_ptr<SQLite::Database>& inspection,
                         bool wholeFile = true);
// Reads every page of an open database: None when it is sound, Damaged when it is not.
StoreError CheckPages(SQLite::Database& connection);

// The kind of failure an exception from the store's SQLite calls stands for.
StoreError ErrorOf(const std::exception& exception);

// Copies a database durably to `target` (written beside it first, then renamed), so
// that `target` is either absent, as it was, or a complete copy.
void BackUpDatabase(SQLite::Database& source, const std::string& target);

} // namespace parcelo
