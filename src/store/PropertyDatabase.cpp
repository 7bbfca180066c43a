#include "store/PropertyDatabase.h"

#include "platform/LocalTime.h"
#include "store/RecordStatement.h"
#include "store/StoreError.h"
#include "store/StoredTime.h"
#include "store/VolumeFile.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <algorithm>
#include <set>
#include <sqlite3.h>
#include <utility>

// The volume is an SQLite database (UTF-16le text, write-ahead log, every commit
// synced). Its schema version (PRAGMA user_version) is the derived store's (see
// SchemaSteps; the shipment store's is 4). For a database described with properties
// p1..pn the record table and its indexes are:
//
//   CREATE TABLE <name> (
//       "id" INTEGER PRIMARY KEY AUTOINCREMENT, -- stable; never given out twice
//       <p> INTEGER NOT NULL DEFAULT 0,         -- 16-bit values (CEVT_UI2), low 16 bits
//       <p> TEXT NOT NULL DEFAULT '',           -- strings (CEVT_LPWSTR), whole
//       <p> INTEGER NOT NULL DEFAULT 0,         -- date-times (CEVT_FILETIME): seconds since
//       ...                                     --   1970-01-01 00:00:00 UTC
//   );
//   CREATE INDEX <name>_by_<key> ON <name> (<key>, "id"); -- one per sort key
//
// The shipment store keeps beside it the tracking of each record (TrackingSchema.cpp),
// removed with the record:
//
//   CREATE TABLE <name>_events (
//       "id" INTEGER PRIMARY KEY,        -- in the order the events were stored
//       "shipment_id" INTEGER NOT NULL, "time" INTEGER, -- seconds since 1970 UTC; NULL: none known
//       "status_code" TEXT, "status_name" TEXT, "location" TEXT, "description" TEXT);
//   CREATE UNIQUE INDEX <name>_events_once ON <name>_events
//       ("shipment_id", ifnull("time", ''), "status_code", "location", "description");
//   CREATE TABLE <name>_checks (
//       "shipment_id" INTEGER PRIMARY KEY,
//       "last_check" INTEGER NOT NULL, -- the last successful check, seconds since 1970 UTC
//       "done_by" INTEGER,             -- the time of the event that last set the record done
//       "current" INTEGER);            -- the id of the event that is the record's status now
//   CREATE TRIGGER <name>_delete_tracking AFTER DELETE ON <name> ...;
//
// Opening an older volume copies it to "<volume>.v<n>.bak" first (n its version, 1 for
// a volume without one) and then brings it up to date in one transaction: the record
// table first, then the derived store's tables. The shipment store's version 3 had
// the events with a time always, without an id of their own, and no current event:
// the events table is rebuilt with every event (its row id as its id) and each
// checked record's newest event is named its current one. Version 2 had the record
// table only: the tracking tables are added.
//
// Version 1 had the same table without AUTOINCREMENT and kept each date-time as the
// local wall-clock time of the instant, in 100-nanosecond ticks since 1601-01-01 (so
// that it depended on the time zone it was written in). Opening a version-1 volume
// copies it to "<volume>.v1.bak" and then, in one transaction, rebuilds the table with
// every row and id, the text as it was, and each date-time read as a local wall-clock
// time under the time-zone rules in force now and turned into UTC; a wall-clock time
// that the end of daylight saving shows twice takes its first pass. Columns the
// program never had are not carried over (the copy keeps them).

namespace parcelo {

namespace {

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

void BindValue(CRecordStatement& statement, int index, const PropertyValue& value) {
    switch (ValueType(value.tag)) {
    case CEVT_LPWSTR:
        statement.BindText(index, value.text);
        break;
    case CEVT_UI2:
        statement.BindInt64(index, static_cast<int64_t>(value.number & 0xFFFF));
        break;
    default:
        statement.BindInt64(index, static_cast<int64_t>(value.number));
        break;
    }
}

// The SQL function that turns a version-1 date-time (local wall-clock ticks) into
// seconds since 1970 UTC; its user data is the composer for the whole migration.
void WallClockTicksToUtc(sqlite3_context* context, int, sqlite3_value** arguments) {
    auto* composer = static_cast<CLocalTimeComposer*>(sqlite3_user_data(context));
    const auto ticks = static_cast<uint64_t>(sqlite3_value_int64(arguments[0]));
    sqlite3_result_int64(context, StoredTimeToInstant(ticks, *composer));
}

} // namespace

int64_t RecordView::Id() const {
    return sqlite3_column_int64(m_statement, 0);
}

uint64_t RecordView::Number(size_t index) const {
    const auto value = static_cast<uint64_t>(sqlite3_column_int64(m_statement, static_cast<int>(index) + 1));
    return ValueType(Tag(index)) == CEVT_UI2 ? (value & 0xFFFF) : value;
}

std::u16string_view RecordView::Text(size_t index) const {
    const auto column = static_cast<int>(index) + 1;
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

CPropertyDatabase::CPropertyDatabase(CPropertyDatabase&& other) noexcept {
    *this = std::move(other);
}

CPropertyDatabase& CPropertyDatabase::operator=(CPropertyDatabase&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    m_connection = std::move(other.m_connection);
    m_description = std::move(other.m_description);
    m_volumePath = std::move(other.m_volumePath);
    m_databaseName = std::move(other.m_databaseName);
    m_volumeFile = std::move(other.m_volumeFile);
    m_tableName = std::move(other.m_tableName);
    m_table = std::move(other.m_table);
    m_mounted = std::exchange(other.m_mounted, false);
    m_pagesChecked = std::exchange(other.m_pagesChecked, false);
    m_writable = std::exchange(other.m_writable, false);
    m_sideFilesBefore = std::exchange(other.m_sideFilesBefore, 0U);
    m_lastError = std::exchange(other.m_lastError, StoreError::None);
    m_open = std::exchange(other.m_open, false);
    m_dataVersion = std::exchange(other.m_dataVersion, 0);
    other.m_volumeFile.clear();
    other.m_volumePath.clear();
    return *this;
}

bool CPropertyDatabase::MountVolume(const std::u16string& path, Check check) {
    Close();
    m_connection.reset();
    m_volumeFile.clear();
    m_volumePath = path;
    m_mounted = false;
    m_writable = false;
    m_pagesChecked = false;
    try {
        std::optional<std::string> file = ResolveVolumeFile(path);
        if (!file) {
            return Fail(StoreError::Io);
        }
        // Nothing is opened for writing here: the file is only read until Open has seen
        // that it holds this program's database.
        const unsigned sideFiles = ExistingSideFiles(*file);
        std::unique_ptr<SQLite::Database> inspection;
        const StoreError error = InspectVolume(*file, Schema().version, inspection, check == Check::Now);
        if (error != StoreError::None) {
            inspection.reset();
            RemoveNewSideFiles(*file, sideFiles);
            return Fail(error);
        }
        m_sideFilesBefore = sideFiles;
        // A missing or empty file has no pages to check.
        m_pagesChecked = check == Check::Now || !inspection;
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
    m_tableName = *table;
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
            // A store, like its connection, is used by one thread at a time: SQLite's own
            // locking of every call would only cost time.
            auto connection = std::make_unique<SQLite::Database>(
                m_volumeFile, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_NOMUTEX, kBusyTimeoutMs);
            connection->exec("PRAGMA encoding = 'UTF-16le'"); // ignored by an existing volume
            // Every commit reaches the disk before the call that made it returns.
            connection->exec("PRAGMA synchronous = FULL");
            connection->execAndGet("PRAGMA journal_mode = WAL");
            m_connection = std::move(connection);
            m_writable = true;
        }
        // Bringing an older volume up to date writes to it: its pages are checked first.
        if (!m_pagesChecked && m_connection->execAndGet("PRAGMA user_version").getInt() != Schema().version &&
            !CheckVolume()) {
            return false;
        }
        const StoreError error = PrepareSchema();
        if (error != StoreError::None) {
            Unmount();
            return Fail(error);
        }
        m_open = true;
        m_dataVersion = DataVersion();
        return Succeed();
    } catch (const std::exception& exception) {
        const StoreError error = ErrorOf(exception);
        Close();
        return Fail(error);
    }
}

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

void CPropertyDatabase::Close() {
    m_open = false;
}

bool CPropertyDatabase::IsOpen() const {
    return m_connection && m_open;
}

bool CPropertyDatabase::DescribeDatabase(DatabaseDescription&) {
    return false;
}

// Records with equal keys keep the order of their ids, in the same direction.
std::string CPropertyDatabase::OrderBy(const RecordQuery& query) const {
    const std::string direction = query.descending ? " DESC" : "";
    return " ORDER BY " + ColumnOf(query.keyTag) + direction + ", " + kRowIdColumn + direction;
}

bool CPropertyDatabase::CheckVolume() {
    if (!m_connection) {
        return Fail(StoreError::NotOpen);
    }
    if (m_pagesChecked) {
        return true;
    }
    const StoreError error = CheckPages(*m_connection);
    if (error == StoreError::Busy || error == StoreError::Io) {
        return Fail(error); // still unchecked: the next write tries again
    }
    if (error != StoreError::None) {
        // Refused as a mount would have refused it: nothing was written, and the side
        // files opening it made go too.
        m_writable = false;
        Unmount();
        return Fail(error);
    }
    m_pagesChecked = true;
    return true;
}

bool CPropertyDatabase::ReadyToWrite() {
    return IsOpen() ? CheckVolume() : Fail(StoreError::NotOpen);
}

bool CPropertyDatabase::Delete(int64_t id) {
    if (!ReadyToWrite()) {
        return false;
    }
    try {
        CRecordStatement remove(m_connection->getHandle(),
                                "DELETE FROM " + m_table + " WHERE " + kRowIdColumn + " = ?");
        remove.BindInt64(1, id);
        remove.Step();
        return Changed() ? Succeed() : Fail(StoreError::NotFound);
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::AddRecord(std::span<const PropertyValue> values, int64_t& id) {
    if (!ReadyToWrite()) {
        return false;
    }
    std::string columns;
    std::string placeholders;
    for (const PropertyValue& value : values) {
        const std::string column = ColumnOf(value.tag);
        if (column.empty()) {
            return Fail(StoreError::Foreign);
        }
        columns += (columns.empty() ? "" : ", ") + column;
        placeholders += placeholders.empty() ? "?" : ", ?";
    }
    const std::string statement = columns.empty()
                                      ? "INSERT INTO " + m_table + " DEFAULT VALUES"
                                      : "INSERT INTO " + m_table + " (" + columns + ") VALUES (" + placeholders + ")";
    try {
        CRecordStatement insert(m_connection->getHandle(), statement);
        for (size_t i = 0; i < values.size(); ++i) {
            BindValue(insert, static_cast<int>(i) + 1, values[i]);
        }
        insert.Step(); // commits on its own, durably, unless inside a batch
        id = sqlite3_last_insert_rowid(m_connection->getHandle());
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::WriteRecord(int64_t id, std::span<const PropertyValue> values) {
    if (!ReadyToWrite()) {
        return false;
    }
    std::string assignments;
    for (const PropertyValue& value : values) {
        const std::string column = ColumnOf(value.tag);
        if (column.empty()) {
            return Fail(StoreError::Foreign);
        }
        assignments += (assignments.empty() ? "" : ", ") + column + " = ?";
    }
    if (assignments.empty()) {
        assignments = std::string(kRowIdColumn) + " = " + kRowIdColumn;
    }
    try {
        CRecordStatement update(m_connection->getHandle(),
                                "UPDATE " + m_table + " SET " + assignments + " WHERE " + kRowIdColumn + " = ?");
        for (size_t i = 0; i < values.size(); ++i) {
            BindValue(update, static_cast<int>(i) + 1, values[i]);
        }
        update.BindInt64(static_cast<int>(values.size()) + 1, id);
        update.Step();
        return Changed() ? Succeed() : Fail(StoreError::NotFound);
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::ReadRecord(int64_t id, const RecordVisitor& visit) {
    if (!IsOpen()) {
        return Fail(StoreError::NotOpen);
    }
    try {
        CRecordStatement read(m_connection->getHandle(),
                              "SELECT " + SelectColumns() + " FROM " + m_table + " WHERE " + kRowIdColumn + " = ?");
        read.BindInt64(1, id);
        if (!read.Step()) {
            return Fail(StoreError::NotFound);
        }
        visit(RecordView(read.Get(), m_description.properties));
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::ReadRecords(const RecordQuery& query, const std::function<void(size_t)>& expect,
                                    const RecordVisitor& visit) {
    if (!IsOpen()) {
        return Fail(StoreError::NotOpen);
    }
    const std::string key = ColumnOf(query.keyTag);
    const std::string filter = query.equals ? ColumnOf(query.equals->tag) : std::string();
    if (key.empty() || (query.equals && filter.empty())) {
        return Fail(StoreError::NotFound);
    }
    const std::string where = query.equals ? " WHERE " + filter + " = ?" : std::string();
    std::string sql = "SELECT " + SelectColumns() + " FROM " + m_table + where;
    if (!query.tableOrder) {
        sql += OrderBy(query);
    }
    if (query.limit != 0) {
        sql += " LIMIT " + std::to_string(query.limit);
    }
    const auto bindFilter = [&](CRecordStatement& statement) {
        if (query.equals) {
            BindValue(statement, 1, *query.equals);
        }
    };
    try {
        SQLite::Transaction transaction(*m_connection); // one snapshot for the count and the rows
        const int64_t version = DataVersion();
        if (expect) {
            CRecordStatement count(m_connection->getHandle(), "SELECT count(*) FROM " + m_table + where);
            bindFilter(count);
            count.Step();
            expect(static_cast<size_t>(count.ColumnInt64(0)));
        }
        {
            CRecordStatement read(m_connection->getHandle(), sql);
            bindFilter(read);
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

bool CPropertyDatabase::Batch(const std::function<bool()>& work) {
    if (!ReadyToWrite()) {
        return false;
    }
    if (sqlite3_get_autocommit(m_connection->getHandle()) == 0) {
        return work(); // inside another batch: that one commits or rolls back
    }
    try {
        SQLite::Transaction transaction(*m_connection, SQLite::TransactionBehavior::IMMEDIATE);
        if (!work()) {
            const StoreError error = m_lastError == StoreError::None ? StoreError::NotFound : m_lastError;
            return Fail(error); // the transaction rolls back
        }
        transaction.commit();
        return Succeed();
    } catch (const std::exception& exception) {
        return Fail(exception);
    }
}

bool CPropertyDatabase::ChangedElsewhere() {
    if (!IsOpen()) {
        return false;
    }
    try {
        return DataVersion() != m_dataVersion;
    } catch (const std::exception&) {
        return false;
    }
}

// True if the last statement changed one record.
bool CPropertyDatabase::Changed() {
    return sqlite3_changes(m_connection->getHandle()) == 1;
}

int64_t CPropertyDatabase::DataVersion() {
    return m_connection->execAndGet("PRAGMA data_version").getInt64();
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
    return Fail(ErrorOf(exception));
}

std::string CPropertyDatabase::CreateTableStatement(const std::string& table) const {
    std::string columns = std::string(kRowIdColumn) + " INTEGER PRIMARY KEY AUTOINCREMENT";
    for (const PropertyDescription& property : m_description.properties) {
        const bool text = ValueType(property.tag) == CEVT_LPWSTR;
        columns += ", " + QuoteIdentifier(property.column) +
                   (text ? " TEXT NOT NULL DEFAULT ''" : " INTEGER NOT NULL DEFAULT 0");
    }
    return "CREATE TABLE " + table + " (" + columns + ")";
}

SchemaSteps CPropertyDatabase::Schema() const {
    return {};
}

StoreError CPropertyDatabase::PrepareSchema() {
    SQLite::Transaction transaction(*m_connection, SQLite::TransactionBehavior::IMMEDIATE);
    // Looked at again under the write lock: another program may have written meanwhile.
    if (!HoldsThisDatabase(*m_connection)) {
        return StoreError::Foreign;
    }
    const SchemaSteps schema = Schema();
    const int version = m_connection->execAndGet("PRAGMA user_version").getInt();
    if (version > schema.version) {
        return StoreError::TooNew; // written by a newer program
    }
    if (version == schema.version) {
        return StoreError::None;
    }
    // A volume without a version number predates version 2.
    const bool exists = m_connection->tableExists(m_tableName);
    const int from = exists ? std::max(version, 1) : SchemaSteps::kRecordTableVersion;
    const auto step = schema.from.find(std::max(from, SchemaSteps::kRecordTableVersion));
    if (step == schema.from.end() && schema.version != SchemaSteps::kRecordTableVersion) {
        return StoreError::Foreign; // a version this store never wrote
    }
    if (exists) {
        BackUpVolume(from);
    }
    if (from < SchemaSteps::kRecordTableVersion) {
        MigrateFromVersion1();
    } else if (!exists) {
        m_connection->exec(CreateTableStatement(m_table));
    }
    if (from < SchemaSteps::kRecordTableVersion || !exists) {
        CreateIndexes();
    }
    if (step != schema.from.end()) {
        step->second(*m_connection, m_tableName);
    }
    m_connection->exec("PRAGMA user_version = " + std::to_string(schema.version));
    transaction.commit();
    return StoreError::None;
}

// One index per sort key; read backwards it serves the other direction too.
void CPropertyDatabase::CreateIndexes() {
    std::set<uint32_t> keys;
    for (const SortOrderDescription& order : m_description.sortOrders) {
        if (!keys.insert(order.keyTag).second) {
            continue;
        }
        const auto property = std::find_if(m_description.properties.begin(), m_description.properties.end(),
                                           [&](const PropertyDescription& p) { return p.tag == order.keyTag; });
        std::string statement = "CREATE INDEX ";
        statement += QuoteIdentifier(m_tableName + "_by_" + property->column);
        statement += " ON " + m_table + " (" + QuoteIdentifier(property->column) + ", " + kRowIdColumn + ")";
        m_connection->exec(statement);
    }
}

// Runs inside PrepareSchema's transaction, which holds the write lock throughout. The
// copy is read by a connection of its own, which sees the volume as it is before the
// migration writes anything.
void CPropertyDatabase::BackUpVolume(int version) {
    SQLite::Database snapshot(m_volumeFile, SQLite::OPEN_READONLY, kBusyTimeoutMs);
    BackUpDatabase(snapshot, m_volumeFile + ".v" + std::to_string(version) + ".bak");
}

// Runs inside PrepareSchema's transaction, after the copy of the volume is made.
void CPropertyDatabase::MigrateFromVersion1() {
    const std::string old = QuoteIdentifier(m_tableName + "_v1");
    m_connection->exec("ALTER TABLE " + m_table + " RENAME TO " + old);
    m_connection->exec(CreateTableStatement(m_table));
    std::string columns = kRowIdColumn;
    std::string values = kRowIdColumn;
    for (const PropertyDescription& property : m_description.properties) {
        const std::string column = QuoteIdentifier(property.column);
        columns += ", " + column;
        values +=
            ValueType(property.tag) == CEVT_FILETIME ? ", wall_clock_ticks_to_utc(" + column + ")" : ", " + column;
    }
    CLocalTimeComposer composer;
    sqlite3* handle = m_connection->getHandle();
    if (sqlite3_create_function(handle, "wall_clock_ticks_to_utc", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &composer,
                                WallClockTicksToUtc, nullptr, nullptr) != SQLITE_OK) {
        throw StoreFailure(StoreError::Io, "no conversion function");
    }
    try {
        m_connection->exec("INSERT INTO " + m_table + " (" + columns + ") SELECT " + values + " FROM " + old +
                           " ORDER BY " + kRowIdColumn);
    } catch (...) {
        sqlite3_create_function(handle, "wall_clock_ticks_to_utc", 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_create_function(handle, "wall_clock_ticks_to_utc", 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr);
    m_connection->exec("DROP TABLE " + old); // with the version-1 indexes
}

std::string CPropertyDatabase::SelectColumns() const {
    std::string columns = kRowIdColumn;
    for (const PropertyDescription& property : m_description.properties) {
        columns += ", " + QuoteIdentifier(property.column);
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
