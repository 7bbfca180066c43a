#include "store/PropertyDatabase.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sqlite3.h>
#include <system_error>

namespace parcelo {

namespace {

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 2000;
constexpr size_t kMaxNameLength = 127;
constexpr const char* kRowIdColumn = "\"id\"";

uint32_t ValueType(uint32_t tag) {
    return tag & 0xFFFF;
}

bool IsSupportedType(uint32_t tag) {
    const uint32_t type = ValueType(tag);
    return type == CEVT_UI2 || type == CEVT_LPWSTR || type == CEVT_FILETIME;
}

// Strict UTF-16 to UTF-8 for file and table names: a lone surrogate or a zero unit
// has no faithful name and is refused.
std::optional<std::string> ToUtf8Name(std::u16string_view text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code == 0 || (code >= 0xDC00 && code <= 0xDFFF)) {
            return std::nullopt;
        }
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return std::nullopt;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (code < 0x80) {
            result += static_cast<char>(code);
        } else if (code < 0x800) {
            result += static_cast<char>(0xC0 | (code >> 6));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            result += static_cast<char>(0xE0 | (code >> 12));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (code >> 18));
            result += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

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

std::optional<std::filesystem::path> DataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return std::filesystem::path(dataHome) / "VELDAN" / "Parcelo";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::filesystem::path(home) / ".local" / "share" / "VELDAN" / "Parcelo";
    }
    return std::nullopt;
}

std::optional<std::string> ResolveVolumeFile(const std::u16string& path) {
    std::optional<std::string> name = ToUtf8Name(path);
    if (!name || name->empty()) {
        return std::nullopt;
    }
    if (name->find('/') != std::string::npos) {
        return name;
    }
    std::optional<std::filesystem::path> folder = DataFolder();
    std::error_code error;
    if (!folder || (std::filesystem::create_directories(*folder, error), error)) {
        return std::nullopt;
    }
    return (*folder / *name).string();
}

// A prepared statement on the raw handle, for UTF-16 text in and out.
class Query {
public:
    Query(sqlite3* connection, const std::string& sql) : m_connection(connection) {
        Check(sqlite3_prepare_v2(connection, sql.c_str(), static_cast<int>(sql.size()) + 1, &m_statement, nullptr));
    }
    ~Query() { sqlite3_finalize(m_statement); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    sqlite3_stmt* Get() const { return m_statement; }

    void BindInt64(int index, int64_t value) { Check(sqlite3_bind_int64(m_statement, index, value)); }

    void BindValue(int index, const PropertyValue& value) {
        switch (ValueType(value.tag)) {
        case CEVT_LPWSTR: {
            if (value.text.size() >= INT_MAX / 2) {
                throw SQLite::Exception("text too long", SQLITE_TOOBIG);
            }
            // SQLite takes a leading U+FEFF or U+FFFE for a byte-order mark and drops it (and
            // byte-swaps the rest after U+FFFE); a mark of its own in front keeps the text whole.
            if (!value.text.empty() && (value.text.front() == u'\xFEFF' || value.text.front() == u'\xFFFE')) {
                const std::u16string marked = u'\xFEFF' + std::u16string(value.text);
                Check(sqlite3_bind_text16(m_statement, index, marked.data(), static_cast<int>(marked.size() * 2),
                                          SQLITE_TRANSIENT));
                break;
            }
            // An empty view may have no data pointer, which would bind NULL instead of "".
            const void* data = value.text.empty() ? static_cast<const void*>(u"") : value.text.data();
            Check(
                sqlite3_bind_text16(m_statement, index, data, static_cast<int>(value.text.size() * 2), SQLITE_STATIC));
            break;
        }
        case CEVT_UI2:
            BindInt64(index, static_cast<int64_t>(value.number & 0xFFFF));
            break;
        default:
            BindInt64(index, static_cast<int64_t>(value.number));
            break;
        }
    }

    // True while a row is available.
    bool Step() {
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW) {
            return true;
        }
        if (result == SQLITE_DONE) {
            return false;
        }
        throw SQLite::Exception(m_connection, result);
    }

private:
    void Check(int result) const {
        if (result != SQLITE_OK) {
            throw SQLite::Exception(m_connection, result);
        }
    }

    sqlite3* m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

int64_t ReadDataVersion(SQLite::Database& connection) {
    return connection.execAndGet("PRAGMA data_version").getInt64();
}

} // namespace

uint64_t RecordView::Number(size_t index) const {
    const auto value = static_cast<uint64_t>(sqlite3_column_int64(m_statement, static_cast<int>(index)));
    return ValueType(Tag(index)) == CEVT_UI2 ? (value & 0xFFFF) : value;
}

std::u16string_view RecordView::Text(size_t index) const {
    const auto column = static_cast<int>(index);
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(m_statement, column));
    if (text == nullptr) {
        return {};
    }
    return {text, static_cast<size_t>(sqlite3_column_bytes16(m_statement, column)) / 2};
}

CPropertyDatabase::CPropertyDatabase() = default;

CPropertyDatabase::~CPropertyDatabase() {
    Close();
}

bool CPropertyDatabase::MountVolume(const std::u16string& path) {
    Close();
    m_connection.reset();
    m_volumeFile.clear();
    m_volumePath = path;
    try {
        std::optional<std::string> file = ResolveVolumeFile(path);
        if (!file) {
            return false;
        }
        auto connection =
            std::make_unique<SQLite::Database>(*file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
        // Reading comes first: a file that is not a sound database fails here, before
        // anything could be written to it.
        if (connection->execAndGet("PRAGMA quick_check").getString() != "ok" ||
            sqlite3_db_readonly(connection->getHandle(), "main") != 0) {
            return false;
        }
        connection->exec("PRAGMA encoding = 'UTF-16le'"); // ignored by an existing volume
        connection->execAndGet("PRAGMA journal_mode = WAL");
        // Every commit reaches the disk before the call that made it returns.
        connection->exec("PRAGMA synchronous = FULL");
        m_connection = std::move(connection);
        m_volumeFile = *file;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CPropertyDatabase::Open(const std::u16string& name) {
    Close();
    m_databaseName = name;
    DatabaseDescription description;
    if (!DescribeDatabase(description)) {
        return false;
    }
    description.name = name.substr(0, kMaxNameLength);
    std::optional<std::string> table = ToUtf8Name(description.name);
    const bool described = !description.sortOrders.empty() &&
                           std::all_of(description.properties.begin(), description.properties.end(),
                                       [](const PropertyDescription& p) { return IsSupportedType(p.tag); });
    if (!m_connection || !table || table->empty() || !described) {
        return false;
    }
    m_description = std::move(description);
    m_table = QuoteIdentifier(*table);
    for (const SortOrderDescription& order : m_description.sortOrders) {
        if (ColumnOf(order.keyTag).empty()) {
            return false;
        }
    }
    try {
        if (!CreateSchema()) {
            return false;
        }
        m_open = true;
        m_sortOrder = 0;
        m_sortKeyTag = m_description.sortOrders[0].keyTag;
        m_sortFlags = m_description.sortOrders[0].flags;
        TakePositionsSnapshot();
        return true;
    } catch (const std::exception&) {
        Close();
        return false;
    }
}

void CPropertyDatabase::Close() {
    m_open = false;
    m_sortOrder.reset();
}

bool CPropertyDatabase::SetSortOrder(uint32_t keyTag, uint32_t sortFlags) {
    m_sortKeyTag = keyTag;
    m_sortFlags = sortFlags;
    m_sortOrder.reset();
    if (!m_open) {
        return false;
    }
    const auto& orders = m_description.sortOrders;
    for (size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].keyTag == keyTag && orders[i].flags == sortFlags) {
            m_sortOrder = i;
            return true;
        }
    }
    return false;
}

bool CPropertyDatabase::IsOpen() const {
    return m_connection && m_open && m_sortOrder.has_value();
}

bool CPropertyDatabase::DescribeDatabase(DatabaseDescription&) {
    return false;
}

bool CPropertyDatabase::DeleteAt(int position) {
    return WithRecordAt(position, true, [this](int64_t rowId) {
        Query remove(m_connection->getHandle(), "DELETE FROM " + m_table + " WHERE " + kRowIdColumn + " = ?");
        remove.BindInt64(1, rowId);
        remove.Step();
        return sqlite3_changes(m_connection->getHandle()) == 1;
    });
}

bool CPropertyDatabase::AddRecord(std::span<const PropertyValue> values) {
    if (!IsOpen() || values.empty()) {
        return false;
    }
    std::string columns;
    std::string placeholders;
    for (const PropertyValue& value : values) {
        const std::string column = ColumnOf(value.tag);
        if (column.empty()) {
            return false;
        }
        columns += (columns.empty() ? "" : ", ") + column;
        placeholders += placeholders.empty() ? "?" : ", ?";
    }
    try {
        Query insert(m_connection->getHandle(),
                     "INSERT INTO " + m_table + " (" + columns + ") VALUES (" + placeholders + ")");
        for (size_t i = 0; i < values.size(); ++i) {
            insert.BindValue(static_cast<int>(i) + 1, values[i]);
        }
        insert.Step(); // commits on its own, durably
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CPropertyDatabase::WriteRecordAt(int position, std::span<const PropertyValue> values) {
    std::string assignments;
    for (const PropertyValue& value : values) {
        const std::string column = ColumnOf(value.tag);
        if (column.empty()) {
            return false;
        }
        assignments += (assignments.empty() ? "" : ", ") + column + " = ?";
    }
    if (assignments.empty()) {
        return false;
    }
    return WithRecordAt(position, true, [&](int64_t rowId) {
        Query update(m_connection->getHandle(),
                     "UPDATE " + m_table + " SET " + assignments + " WHERE " + kRowIdColumn + " = ?");
        for (size_t i = 0; i < values.size(); ++i) {
            update.BindValue(static_cast<int>(i) + 1, values[i]);
        }
        update.BindInt64(static_cast<int>(values.size()) + 1, rowId);
        update.Step();
        return sqlite3_changes(m_connection->getHandle()) == 1;
    });
}

bool CPropertyDatabase::ReadRecordAt(int position, const RecordVisitor& visit) {
    return WithRecordAt(position, false, [&](int64_t rowId) {
        Query read(m_connection->getHandle(),
                   "SELECT " + SelectColumns() + " FROM " + m_table + " WHERE " + kRowIdColumn + " = ?");
        read.BindInt64(1, rowId);
        if (!read.Step()) {
            return false;
        }
        visit(RecordView(read.Get(), m_description.properties));
        return true;
    });
}

bool CPropertyDatabase::ReadRecords(const std::function<void(size_t)>& expect, const RecordVisitor& visit) {
    if (!IsOpen()) {
        return false;
    }
    try {
        SQLite::Transaction transaction(*m_connection);
        const int64_t version = ReadDataVersion(*m_connection);
        expect(static_cast<size_t>(m_connection->execAndGet("SELECT count(*) FROM " + m_table).getInt64()));
        {
            Query read(m_connection->getHandle(), "SELECT " + SelectColumns() + " FROM " + m_table + OrderByClause());
            const RecordView record(read.Get(), m_description.properties);
            while (read.Step()) {
                visit(record);
            }
        }
        transaction.commit();
        m_dataVersion = version;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CPropertyDatabase::WithRecordAt(int position, bool write, const std::function<bool(int64_t)>& work) {
    if (!IsOpen() || position < 0) {
        return false;
    }
    try {
        // An immediate transaction holds the write lock from the start, so nobody can
        // commit between the staleness check and the write.
        SQLite::Transaction transaction(*m_connection, write ? SQLite::TransactionBehavior::IMMEDIATE
                                                             : SQLite::TransactionBehavior::DEFERRED);
        if (!PositionsAreCurrent()) {
            return false;
        }
        int64_t rowId = 0;
        {
            Query find(m_connection->getHandle(), std::string("SELECT ") + kRowIdColumn + " FROM " + m_table +
                                                      OrderByClause() + " LIMIT 1 OFFSET ?");
            find.BindInt64(1, position);
            if (!find.Step()) {
                return false;
            }
            rowId = sqlite3_column_int64(find.Get(), 0);
        }
        if (!work(rowId)) {
            return false;
        }
        transaction.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Another connection's commit changes the data version seen by this one; positions read
// before it may name other records now.
bool CPropertyDatabase::PositionsAreCurrent() {
    return ReadDataVersion(*m_connection) == m_dataVersion;
}

void CPropertyDatabase::TakePositionsSnapshot() {
    m_dataVersion = ReadDataVersion(*m_connection);
}

bool CPropertyDatabase::CreateSchema() {
    SQLite::Transaction transaction(*m_connection, SQLite::TransactionBehavior::IMMEDIATE);
    const int version = m_connection->execAndGet("PRAGMA user_version").getInt();
    if (version > kSchemaVersion) {
        return false; // written by a newer program
    }
    std::string columns = std::string(kRowIdColumn) + " INTEGER PRIMARY KEY";
    for (const PropertyDescription& property : m_description.properties) {
        const bool text = ValueType(property.tag) == CEVT_LPWSTR;
        columns += ", " + QuoteIdentifier(property.column) +
                   (text ? " TEXT NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0");
    }
    m_connection->exec("CREATE TABLE IF NOT EXISTS " + m_table + " (" + columns + ")");

    // One index per sort order, ending in the row id that breaks ties among equal keys.
    const std::string table = ToUtf8Name(m_description.name).value_or("");
    for (const SortOrderDescription& order : m_description.sortOrders) {
        const bool descending = (order.flags & CEDB_SORT_DESCENDING) != 0;
        const std::string direction = descending ? " DESC" : "";
        const auto property = std::find_if(m_description.properties.begin(), m_description.properties.end(),
                                           [&](const PropertyDescription& p) { return p.tag == order.keyTag; });
        const std::string index = QuoteIdentifier(table + "_by_" + property->column + (descending ? "_desc" : "_asc"));
        std::string statement = "CREATE INDEX IF NOT EXISTS " + index + " ON " + m_table + " (";
        statement += QuoteIdentifier(property->column);
        statement += direction;
        statement += ", ";
        statement += kRowIdColumn;
        statement += direction;
        statement += ")";
        m_connection->exec(statement);
    }

    std::set<std::string> existing;
    SQLite::Statement tableInfo(*m_connection, "PRAGMA table_info(" + m_table + ")");
    while (tableInfo.executeStep()) {
        existing.insert(tableInfo.getColumn(1).getString());
    }
    for (const PropertyDescription& property : m_description.properties) {
        if (existing.count(property.column) == 0) {
            return false; // an older or foreign table of the same name
        }
    }
    if (version < kSchemaVersion) {
        m_connection->exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    }
    transaction.commit();
    return true;
}

// Records that lack the key cannot occur (every column is NOT NULL), so the
// "unknown first" flag needs no clause of its own.
std::string CPropertyDatabase::OrderByClause() const {
    const std::string direction = (m_sortFlags & CEDB_SORT_DESCENDING) != 0 ? " DESC" : "";
    return " ORDER BY " + ColumnOf(m_sortKeyTag) + direction + ", " + kRowIdColumn + direction;
}

std::string CPropertyDatabase::SelectColumns() const {
    std::string columns;
    for (const PropertyDescription& property : m_description.properties) {
        columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(property.column);
    }
    return columns;
}

std::string CPropertyDatabase::ColumnOf(uint32_t tag) const {
    for (const PropertyDescription& property : m_description.properties) {
        if (property.tag == tag) {
            return QuoteIdentifier(property.column);
        }
    }
    return {};
}

} // namespace parcelo
