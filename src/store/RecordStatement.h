#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace parcelo {

// A table, column or index name as an SQL identifier: in double quotes, with any
// double quote inside doubled.
std::string QuoteIdentifier(const std::string& name);

// A prepared SQLite statement for UTF-16 text in and out. Every failure throws
// StoreFailure with its kind, taken while the connection still knows the cause.
class CRecordStatement {
public:
    CRecordStatement(sqlite3* connection, const std::string& sql);
    ~CRecordStatement();
    CRecordStatement(const CRecordStatement&) = delete;
    CRecordStatement& operator=(const CRecordStatement&) = delete;

    sqlite3_stmt* Get() const { return m_statement; }

    void BindInt64(int index, int64_t value);
    // Binds text whole: an empty string is '' (never NULL), and a leading U+FEFF or
    // U+FFFE, which SQLite would take for a byte-order mark, survives.
    void BindText(int index, std::u16string_view text);

    // True while a row is available.
    bool Step();
    // Makes the statement ready to run again; the bindings stay.
    void Reset();

    int64_t ColumnInt64(int column) const;
    std::u16string_view ColumnText(int column) const;

private:
    void Check(int result) const;

    sqlite3* m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace parcelo
