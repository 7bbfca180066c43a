#pragma once

#include "store/StoreError.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3_stmt;

namespace SQLite {
class Database;
}

namespace parcelo {

// Value types, the low 16 bits of a property tag.
constexpr uint32_t CEVT_UI2 = 0x12;
constexpr uint32_t CEVT_LPWSTR = 0x1F;
constexpr uint32_t CEVT_FILETIME = 0x40;

// Sort flags of a sort order.
constexpr uint32_t CEDB_SORT_DESCENDING = 1;
constexpr uint32_t CEDB_SORT_UNKNOWNFIRST = 4;

struct PropertyDescription {
    uint32_t tag = 0;   // identifier in the high 16 bits, value type in the low 16
    std::string column; // the column that keeps it
};

struct SortOrderDescription {
    uint32_t keyTag = 0;
    uint32_t flags = 0;
};

// What a derived class declares about its database; Open creates it from this.
struct DatabaseDescription {
    std::u16string name; // filled in by Open
    std::vector<PropertyDescription> properties;
    std::vector<SortOrderDescription> sortOrders; // the orders records are read in; each key is indexed
};

// The schema of a derived store's tables beside its record table: the volume's version
// with them, and for each older version the step that brings those tables from it to
// that version. Every step runs in the base's one transaction, after the record table
// is in its current form (version kRecordTableVersion) and a copy of the volume as it
// was ("<volume>.v<n>.bak") has been made. The step from kRecordTableVersion also makes
// the tables of a new volume.
struct SchemaSteps {
    static constexpr int kRecordTableVersion = 2;
    using Step = std::function<void(SQLite::Database& connection, const std::string& table)>;
    int version = kRecordTableVersion;
    std::map<int, Step> from;
};

// One property value to write. `number` serves the integer types and, as a signed
// count of seconds since 1970-01-01 00:00:00 UTC, the date-time type.
struct PropertyValue {
    uint32_t tag = 0;
    uint64_t number = 0;
    std::u16string_view text;
};

// Which records a read visits and in which order. Records with equal keys come in the
// order they were added, reversed when descending (the later one counts as the newer).
struct RecordQuery {
    uint32_t keyTag = 0;
    bool descending = false;
    std::optional<PropertyValue> equals; // only records with this value of this property
    size_t limit = 0;                    // at most this many, the first in the order; 0 for all
    // The records in the order the table keeps them, for a caller that sorts them itself:
    // reading a whole table so is several times faster than through the index of the key.
    bool tableOrder = false;
};

// The properties of one record while it is being read; valid only inside the visitor.
class RecordView {
public:
    RecordView(sqlite3_stmt* statement, const std::vector<PropertyDescription>& properties)
        : m_statement(statement), m_properties(properties) {}

    int64_t Id() const;
    size_t Count() const { return m_properties.size(); }
    uint32_t Tag(size_t index) const { return m_properties[index].tag; }
    uint64_t Number(size_t index) const;
    std::u16string_view Text(size_t index) const;

private:
    sqlite3_stmt* m_statement;
    const std::vector<PropertyDescription>& m_properties;
};

using RecordVisitor = std::function<void(const RecordView&)>;

// A database of typed property records in one volume file (SQLite). Every record has
// a stable id, never given to another record, even after a delete; reads, writes and
// deletes go by id. Every failure is reported as false, with its kind in LastError();
// nothing here throws. An object and its connection are used by one thread at a time.
class CPropertyDatabase {
public:
    CPropertyDatabase();
    virtual ~CPropertyDatabase();
    CPropertyDatabase(const CPropertyDatabase&) = delete;
    CPropertyDatabase& operator=(const CPropertyDatabase&) = delete;
    // A store moves with its mounted volume and open database, for one opened on another
    // thread; the store moved from is left unmounted. Moving into a store drops what it had.
    CPropertyDatabase(CPropertyDatabase&& other) noexcept;
    CPropertyDatabase& operator=(CPropertyDatabase&& other) noexcept;

    // Mounts the volume file at the absolute `path`; Open creates it if missing. A
    // relative path, or one that cannot be a file name, is refused untouched (LastError
    // Io). A file that is not a sound, writable database (or whose folder is not writable)
    // is refused without being written, and no side file of it is left behind.
    //
    // Reading every page to find damage takes time in proportion to the file. With
    // `Check::BeforeFirstWrite` only the header and the schema are looked at now,
    // and the pages before the first write, or earlier by CheckVolume: a start can show
    // a long list before the check has run, and a damaged file is still never written.
    enum class Check { Now, BeforeFirstWrite };
    bool MountVolume(const std::u16string& path, Check check = Check::Now);
    // Runs the page check MountVolume left for later; true at once when it has run. On
    // damage the volume is given up as MountVolume would have refused it (LastError
    // Damaged) and the side files this program made are removed.
    bool CheckVolume();

    // Creates the named database if it does not exist yet, or brings an older one up to
    // date (see the schema in PropertyDatabase.cpp), and opens it.
    // A volume holding anything but an empty database or this one is refused untouched
    // (LastError Foreign), as is one written by a newer program (TooNew).
    bool Open(const std::u16string& name);

    // Closes the database; the volume stays mounted.
    void Close();

    // True while record operations can work: mounted and open.
    bool IsOpen() const;

    // The kind of failure of the last operation; None after a success.
    StoreError LastError() const { return m_lastError; }

    // Deletes a record; false (NotFound) and nothing changed when there is no such id.
    bool Delete(int64_t id);

    // Runs `work` as one transaction: every write in it is kept, durably and with one
    // sync, when it returns true, and none of them when it returns false or a write in
    // it fails. A batch inside a batch joins the outer one.
    bool Batch(const std::function<bool()>& work);

    // True when another program has changed the volume since this object last read
    // every record, so that a list made from that read is out of date.
    bool ChangedElsewhere();

    // The volume file in use after MountVolume resolved the path (empty before).
    const std::string& VolumeFile() const { return m_volumeFile; }

protected:
    // Fills the description of the database to create; the base class describes nothing,
    // so only a derived class can create a database.
    virtual bool DescribeDatabase(DatabaseDescription& description);
    // The schema of the derived store's own tables; the base has none.
    virtual SchemaSteps Schema() const;

    bool Fail(StoreError error);
    bool Fail(const std::exception& exception);
    bool Succeed();

    // Adds a record and gives its new id.
    bool AddRecord(std::span<const PropertyValue> values, int64_t& id);
    // Replaces the given properties of a record; NotFound when there is no such id.
    bool WriteRecord(int64_t id, std::span<const PropertyValue> values);
    // Visits the record with this id; NotFound when there is none.
    bool ReadRecord(int64_t id, const RecordVisitor& visit);
    // True when a write may go ahead: open, and the volume checked (see CheckVolume).
    bool ReadyToWrite();
    // Visits the records a query selects, in its order. Unless `expect` is empty it is
    // told first how many records the query selects before its limit.
    bool ReadRecords(const RecordQuery& query, const std::function<void(size_t count)>& expect,
                     const RecordVisitor& visit);

    // The open connection and the unquoted name of the record table, for the tables
    // kept beside it; only while IsOpen().
    SQLite::Database& Connection() { return *m_connection; }
    const std::string& TableName() const { return m_tableName; }

private:
    StoreError PrepareSchema();
    bool HoldsThisDatabase(SQLite::Database& connection) const;
    void Unmount();
    std::string SelectColumns() const;
    std::string OrderBy(const RecordQuery& query) const;
    std::string ColumnOf(uint32_t tag) const;
    std::string CreateTableStatement(const std::string& table) const;
    void BackUpVolume(int version);
    void MigrateFromVersion1();
    void CreateIndexes();
    int64_t DataVersion();
    bool Changed();

    std::unique_ptr<SQLite::Database> m_connection;
    DatabaseDescription m_description;
    std::u16string m_volumePath;
    std::u16string m_databaseName;
    std::string m_volumeFile;
    std::string m_tableName; // unquoted
    std::string m_table;     // quoted
    bool m_mounted = false;
    bool m_pagesChecked = false;    // CheckVolume found every page sound, or had nothing to check
    bool m_writable = false;        // the connection may write: the volume holds this database
    unsigned m_sideFilesBefore = 0; // side files that existed when the volume was mounted
    StoreError m_lastError = StoreError::None;
    bool m_open = false;
    int64_t m_dataVersion = 0; // of the volume at the last full read
};

} // namespace parcelo
