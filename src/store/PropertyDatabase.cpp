#include "store/PropertyDatabase.h"

#include "store/StoreError.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace parcelo {

namespace {

constexpr int kSchemaVersion = 1;
constexpr int kBusyTimeoutMs = 2000;
constexpr size_t kMaxNameLength = 127;
constexpr const char* kRowIdColumn = "\"id\"";
constexpr size_t kUserVersionOffset = 60; // in the database file's header

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

// A failed step, with its kind taken while the connection still knows the system's errno.
class StoreFailure : public std::runtime_error {
public:
    // `callErrno` is errno right after the failed call, for when SQLite did not keep it.
    StoreFailure(sqlite3* connection, int result, int callErrno)
        : std::runtime_error(sqlite3_errstr(result)),
          m_error(StoreErrorFromSqlite(result, sqlite3_system_errno(connection) != 0 ? sqlite3_system_errno(connection)
                                                                                     : callErrno)) {}
    StoreError Error() const { return m_error; }

private:
    StoreError m_error;
};

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
        errno = 0;
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW) {
            return true;
        }
        if (result == SQLITE_DONE) {
            return false;
        }
        throw StoreFailure(m_connection, result, errno);
    }

private:
    void Check(int result) const {
        if (result != SQLITE_OK) {
            throw StoreFailure(m_connection, result, 0);
        }
    }

    sqlite3* m_connection;
    sqlite3_stmt* m_statement = nullptr;
};

int64_t ReadDataVersion(SQLite::Database& connection) {
    return connection.execAndGet("PRAGMA data_version").getInt64();
}

// The files SQLite keeps beside a database while it is in use: which of them exist, as a
// bit mask, so that those a refused volume made can be removed again.
constexpr std::array<const char*, 3> kSideFileSuffixes = {"-wal", "-shm", "-journal"};

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

StoreError ErrorOf(const std::exception& exception, SQLite::Database* connection) {
    if (const auto* failure = dynamic_cast<const StoreFailure*>(&exception)) {
        return failure->Error();
    }
    const auto* sqlite = dynamic_cast<const SQLite::Exception*>(&exception);
    if (sqlite == nullptr) {
        return StoreError::Io;
    }
    const int systemErrno = connection != nullptr ? sqlite3_system_errno(connection->getHandle()) : 0;
    return StoreErrorFromSqlite(sqlite->getExtendedErrorCode(), systemErrno);
}

// Looks at a volume file without writing to it: it must be absent (then its folder
// must be writable), empty, or a sound SQLite database no newer than this program,
// writable together with its folder. A database is handed back open read-only.
StoreError InspectVolume(const std::string& file, std::unique_ptr<SQLite::Database>& inspection) {
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
    if (BigEndian32(&header[kUserVersionOffset]) > static_cast<uint32_t>(kSchemaVersion)) {
        return StoreError::TooNew;
    }
    try {
        inspection = std::make_unique<SQLite::Database>(file, SQLite::OPEN_READONLY, kBusyTimeoutMs);
        if (inspection->execAndGet("PRAGMA quick_check").getString() != "ok") {
            return StoreError::Damaged;
        }
        if (inspection->execAndGet("PRAGMA user_version").getInt() > kSchemaVersion) {
            return StoreError::TooNew;
        }
    } catch (const std::exception& exception) {
        const StoreError error = ErrorOf(exception, inspection.get());
        return error == StoreError::Busy || error == StoreError::Io ? error : StoreError::Damaged;
    }
    return StoreError::None;
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
    m_mounted = false;
    m_writable = false;
    try {
        std::optional<std::string> file = ResolveVolumeFile(path);
        if (!file) {
            return Fail(StoreError::Io);
        }
        // Nothing is opened for writing here: the file is only read until Open has seen
        // that it holds this program's database.
        const unsigned sideFiles = ExistingSideFiles(*file);
        std::unique_ptr<SQLite::Database> inspection;
        const StoreError error = InspectVolume(*file, inspection);
        if (error != StoreError::None) {
            inspection.reset();
            RemoveNewSideFiles(*file, sideFiles);
            return Fail(error);
        }
        m_sideFilesBefore = sideFiles;
        m_connection = std::move(inspection);
        m_volumeFile = *file;
        m_mounted = true;
        return Succeed();
    } catch (const std::exception&) {
        return Fail(StoreError::Io);
    }
}

bool CPropertyDatabase::Open(const std::u16string& name) {
    Close();
    m_databaseName = name;
    DatabaseDescription description;
    if (!DescribeDatabase(description)) {
        return Fail(StoreError::NotOpen);
    }
    description.name = name.substr(0, kMaxNameLength);
    std::optional<std::string> table = ToUtf8Name(description.name);
    const bool described = !description.sortOrders.empty() &&
                           std::all_of(description.properties.begin(), description.properties.end(),
                                       [](const PropertyDescription& p) { return IsSupportedType(p.tag); });
    if (!m_mounted || !table || table->empty() || !described) {
        return Fail(StoreError::NotOpen);
    }
    m_description = std::move(description);
    m_table = QuoteIdentifier(*table);
    for (const SortOrderDescription& order : m_description.sortOrders) {
        if (ColumnOf(order.keyTag).empty()) {
            return Fail(StoreError::NotOpen);
        }
    }
    try {
        if (m_connection && !m_writable) {
            // The volume was only read so far: it is written to once it shows this database.
            if (!HoldsThisDatabase(*m_connection)) {
                Unmount();
                return Fail(StoreError::Foreign);
            }
            m_connection.reset();
        }
        if (!m_writable) {
            auto connection = std::make_unique<SQLite::Database>(
                m_volumeFile, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
            connection->exec("PRAGMA encoding = 'UTF-16le'"); // ignored by an existing volume
            // Every commit reaches the disk before the call that made it returns.
            connection->exec("PRAGMA synchronous = FULL");
            m_connection = std::move(connection);
            m_writable = true;
        }
        const StoreError error = CreateSchema();
        if (error != StoreError::None) {
            Unmount();
            return Fail(error);
        }
        m_connection->execAndGet("PRAGMA journal_mode = WAL");
        m_open = true;
        m_sortOrder = 0;
        m_sortKeyTag = m_description.sortOrders[0].keyTag;
        m_sortFlags = m_description.sortOrders[0].flags;
        TakePositionsSnapshot();
        return Succeed();
    } catch (const std::exception& exception) {
        const StoreError error = ErrorOf(exception, m_connection.get());
        Close();
        return Fail(error);
    }
}

// Either an empty volume, or one whose table of this name has every declared column.
bool CPropertyDatabase::HoldsThisDatabase(SQLite::Database& connection) const {
    if (connection.execAndGet("SELECT count(*) FROM sqlite_master").getInt64() == 0) {
        return true;
    }
    std::set<std::string> existing;
    SQLite::Statement tableInfo(connection, "PRAGMA table_info(" + m_table + ")");
    while (tableInfo.executeStep()) {
        existing.insert(tableInfo.getColumn(1).getString());
    }
    return std::all_of(m_description.properties.begin(), m_description.properties.end(),
                       [&](const PropertyDescription& p) { return existing.count(p.column) != 0; });
}

// Gives up the volume, removing the side files that looking at it made.
void CPropertyDatabase::Unmount() {
    Close();
    m_connection.reset();
    if (!m_writable && m_mounted) {
        RemoveNewSideFiles(m_volumeFile, m_sideFilesBefore);
    }
    m_writable = false;
    m_mounted = false;
}

bool CPropertyDatabase::Fail(StoreError error) {
    m_lastError = error;
    return false;
}

bool CPropertyDatabase::Succeed() {
    m_lastError = StoreError::None;
    return true;
}

bool CPropertyDatabase::Fail(const std::exception& exception) {
    return Fail(ErrorOf(exception, m_connection.get()));
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
        return Fail(StoreError::NotOpen);
    }
    const auto& orders = m_description.sortOrders;
    for (size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].keyTag == keyTag && orders[i].flags == sortFlags) {
            m_sortOrder = i;
            return Succeed();
        }
    }
    return Fail(StoreError::NotOpen);
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
        return Fail(StoreError::NotOpen);
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
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
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
        return Fail(StoreError::NotOpen);
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
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::WithRecordAt(int position, bool write, const std::function<bool(int64_t)>& work) {
    if (!IsOpen()) {
        return Fail(StoreError::NotOpen);
    }
    if (position < 0) {
        return Fail(StoreError::NotFound);
    }
    try {
        // An immediate transaction holds the write lock from the start, so nobody can
        // commit between the staleness check and the write.
        SQLite::Transaction transaction(*m_connection, write ? SQLite::TransactionBehavior::IMMEDIATE
                                                             : SQLite::TransactionBehavior::DEFERRED);
        if (!PositionsAreCurrent()) {
            return Fail(StoreError::NotFound);
        }
        int64_t rowId = 0;
        {
            Query find(m_connection->getHandle(), std::string("SELECT ") + kRowIdColumn + " FROM " + m_table +
                                                      OrderByClause() + " LIMIT 1 OFFSET ?");
            find.BindInt64(1, position);
            if (!find.Step()) {
                return Fail(StoreError::NotFound);
            }
            rowId = sqlite3_column_int64(find.Get(), 0);
        }
        if (!work(rowId)) {
            return Fail(StoreError::NotFound);
        }
        transaction.commit();
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
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

StoreError CPropertyDatabase::CreateSchema() {
    SQLite::Transaction transaction(*m_connection, SQLite::TransactionBehavior::IMMEDIATE);
    // Looked at again under the write lock: another program may have written meanwhile.
    if (!HoldsThisDatabase(*m_connection)) {
        return StoreError::Foreign;
    }
    const int version = m_connection->execAndGet("PRAGMA user_version").getInt();
    if (version > kSchemaVersion) {
        return StoreError::TooNew; // written by a newer program
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
    if (version < kSchemaVersion) {
        m_connection->exec("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    }
    transaction.commit();
    return StoreError::None;
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
