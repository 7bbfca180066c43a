#include "store/StoreError.h"

#include <cerrno>
#include <sqlite3.h>

namespace parcelo {

bool IsTransient(StoreError error) {
    return error == StoreError::Busy || error == StoreError::Full || error == StoreError::Io;
}

StoreError StoreErrorFromSqlite(int resultCode, int systemErrno) {
    if (systemErrno == ENOSPC || systemErrno == EDQUOT || systemErrno == EFBIG) {
        return StoreError::Full;
    }
    switch (resultCode & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return StoreError::None;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return StoreError::Busy;
    case SQLITE_FULL:
        return StoreError::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return StoreError::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return StoreError::Damaged;
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
    case SQLITE_CONSTRAINT:
    case SQLITE_ERROR:
        return StoreError::Foreign; // a table that is not what this program made
    default:                        // the file could not be opened, read or written, or memory ran out
        return StoreError::Io;
    }
}

} // namespace parcelo
