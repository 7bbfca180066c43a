#pragma once

#include <stdexcept>
#include <string>

namespace parcelo {

// Why the last store operation failed, so that the caller can tell a failure worth
// retrying from one that no retry can mend.
enum class StoreError {
    None,     // the last operation succeeded
    NotOpen,  // no volume mounted or no database open
    Busy,     // another program holds the file locked; try again shortly
    Full,     // the disk or the user's quota is full; free space and try again
    Io,       // the system failed to read or write the file
    NotFound, // the record asked for does not exist (any more)
    ReadOnly, // the file or its folder cannot be written
    Damaged,  // the file is not a sound database
    Foreign,  // a database of another program, or not a file at all
    TooNew,   // written by a newer version of the program
};

// Thrown inside the store when a database call fails; never leaves it.
class StoreFailure : public std::runtime_error {
public:
    StoreFailure(StoreError error, const std::string& message) : std::runtime_error(message), m_error(error) {}
    StoreError Error() const { return m_error; }

private:
    StoreError m_error;
};

// True for the kinds of failure that may go away when the same call is made again.
bool IsTransient(StoreError error);

// The kind of an SQLite result code, with the system's errno of the failed call
// (a full disk may come back as a write error).
StoreError StoreErrorFromSqlite(int resultCode, int systemErrno);

} // namespace parcelo
