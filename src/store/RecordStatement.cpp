#include "store/RecordStatement.h"

#include "store/StoreError.h"

#include <cerrno>
#include <climits>
#include <sqlite3.h>

namespace parcelo {

std::string QuoteIdentifier(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

CRecordStatement::CRecordStatement(sqlite3* connection, const std::string& sql) : m_connection(connection) {
    Check(sqlite3_prepare_v2(connection, sql.c_str(), static_cast<int>(sql.size()) + 1, &m_statement, nullptr));
}

CRecordStatement::~CRecordStatement() {
    sqlite3_finalize(m_statement);
}

void CRecordStatement::BindInt64(int index, int64_t value) {
    Check(sqlite3_bind_int64(m_statement, index, value));
}

void CRecordStatement::BindText(int index, std::u16string_view text) {
    if (text.size() >= INT_MAX / 2 - 1) {
        throw StoreFailure(StoreError::Io, "text too long");
    }
    // SQLite takes a leading U+FEFF or U+FFFE for a byte-order mark and drops it (and
    // byte-swaps the rest after U+FFFE); a mark of its own in front keeps the text whole.
    if (!text.empty() && (text.front() == u'\xFEFF' || text.front() == u'\xFFFE')) {
        const std::u16string marked = u'\xFEFF' + std::u16string(text);
        Check(sqlite3_bind_text16(m_statement, index, marked.data(), static_cast<int>(marked.size() * 2),
                                  SQLITE_TRANSIENT));
        return;
    }
    // An empty view may have no data pointer, which would bind NULL instead of "".
    const void* data = text.empty() ? static_cast<const void*>(u"") : text.data();
    Check(sqlite3_bind_text16(m_statement, index, data, static_cast<int>(text.size() * 2), SQLITE_STATIC));
}

bool CRecordStatement::Step() {
    errno = 0;
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        return true;
    }
    if (result == SQLITE_DONE) {
        return false;
    }
    // SQLite does not always keep the errno of a failed write; right after the call it
    // is still the one that tells a full disk.
    const int systemErrno = sqlite3_system_errno(m_connection) != 0 ? sqlite3_system_errno(m_connection) : errno;
    throw StoreFailure(StoreErrorFromSqlite(result, systemErrno), sqlite3_errmsg(m_connection));
}

void CRecordStatement::Reset() {
    sqlite3_reset(m_statement);
}

int64_t CRecordStatement::ColumnInt64(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::u16string_view CRecordStatement::ColumnText(int column) const {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(m_statement, column));
    if (text == nullptr) {
        return {};
    }
    return {text, static_cast<size_t>(sqlite3_column_bytes16(m_statement, column)) / 2};
}

void CRecordStatement::Check(int result) const {
    if (result != SQLITE_OK) {
        throw StoreFailure(StoreErrorFromSqlite(result, 0), sqlite3_errmsg(m_connection));
    }
}

} // namespace parcelo
