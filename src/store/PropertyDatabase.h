#pragma once

#include "store/StoreError.h"

#include <cstdint>
#include <functional>
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
    std::vector<SortOrderDescription> sortOrders; // the first is the one Open starts on
};

// One property value to write; `number` serves the integer and date-time types.
struct PropertyValue {
    uint32_t tag = 0;
    uint64_t number = 0;
    std::u16string_view text;
};

// The properties of one record while it is being read; valid only inside the visitor.
class RecordView {
public:
    RecordView(sqlite3_stmt* statement, const std::vector<PropertyDescription>& properties)
        : m_statement(statement), m_properties(properties) {}

    size_t Count() const { return m_properties.size(); }
    uint32_t Tag(size_t index) const { return m_properties[index].tag; }
    uint64_t Number(size_t index) const;
    std::u16string_view Text(size_t index) const;

private:
    sqlite3_stmt* m_statement;
    const std::vector<PropertyDescription>& m_properties;
};

using RecordVisitor = std::function<void(const RecordView&)>;

// A database of typed property records in one volume file (SQLite), addressed by
// position: the zero-based index of a record in the sort order the database is open on.
// Every failure is reported as false; nothing here throws.
class CPropertyDatabase {
public:
    CPropertyDatabase();
    virtual ~CPropertyDatabase();
    CPropertyDatabase(const CPropertyDatabase&) = delete;
    CPropertyDatabase& operator=(const CPropertyDatabase&) = delete;

    // Mounts the volume file; Open creates it if missing. A bare file name lies in the
    // user's data folder ($XDG_DATA_HOME/VELDAN/Parcelo); any other path is used as given.
    // A file that is not a sound, writable database (or whose folder is not writable) is
    // refused without being written, and no side file of it is left behind.
    bool MountVolume(const std::u16string& path);

    // Creates the named database if it does not exist yet and opens it on its first sort
    // order. A volume holding anything but an empty database or this one is refused
    // untouched (LastError Foreign).
    bool Open(const std::u16string& name);

    // Closes the database; the volume stays mounted.
    void Close();

    // Reopens the database on one of its declared sort orders. Any other order fails and
    // leaves the database unusable until a declared one is chosen.
    bool SetSortOrder(uint32_t keyTag, uint32_t sortFlags);

    bool DeleteAt(int position);

    // True while record operations can work: mounted, open and on a declared sort order.
    bool IsOpen() const;

    // The kind of failure of the last operation; None after a success.
    StoreError LastError() const { return m_lastError; }

    // The volume file in use after MountVolume resolved the path (empty before).
    const std::string& VolumeFile() const { return m_volumeFile; }

protected:
    bool Fail(StoreError error);
    bool Fail(const std::exception& exception);
    bool Succeed();

    // Fills the description of the database to create; the base class describes nothing,
    // so only a derived class can create a database.
    virtual bool DescribeDatabase(DatabaseDescription& description);

    bool AddRecord(std::span<const PropertyValue> values);
    bool WriteRecordAt(int position, std::span<const PropertyValue> values);
    bool ReadRecordAt(int position, const RecordVisitor& visit);
    // Visits every record in the current sort order, after telling `expect` how many
    // there are. Positions read this way stay valid for the positional operations until
    // another connection changes the volume.
    bool ReadRecords(const std::function<void(size_t count)>& expect, const RecordVisitor& visit);

private:
    // Runs `work` on the row id at a position inside one transaction, refusing if another
    // connection committed since the positions were read.
    bool WithRecordAt(int position, bool write, const std::function<bool(int64_t rowId)>& work);
    bool PositionsAreCurrent();
    void TakePositionsSnapshot();
    StoreError CreateSchema();
    bool HoldsThisDatabase(SQLite::Database& connection) const;
    void Unmount();
    std::string OrderByClause() const;
    std::string SelectColumns() const;
    std::string ColumnOf(uint32_t tag) const;

    std::unique_ptr<SQLite::Database> m_connection;
    DatabaseDescription m_description;
    std::u16string m_volumePath;
    std::u16string m_databaseName;
    std::string m_volumeFile;
    std::string m_table; // quoted
    uint32_t m_sortKeyTag = 0;
    uint32_t m_sortFlags = 0;
    bool m_mounted = false;
    bool m_writable = false;        // the connection may write: the volume holds this database
    unsigned m_sideFilesBefore = 0; // side files that existed when the volume was mounted
    StoreError m_lastError = StoreError::None;
    bool m_open = false;
    std::optional<size_t> m_sortOrder; // index into the declared orders; empty when broken
    int64_t m_dataVersion = 0;         // of the volume when positions were last read
};

} // namespace parcelo
