#include "store/ShipmentTracking.h"

#include "store/ShipmentDatabase.h"
#include "store/TrackingSchema.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <string>

namespace parcelo {

namespace {

constexpr const char* kEventColumns = "\"time\", \"status_code\", \"status_name\", \"location\", \"description\"";

TrackingEvent EventAt(SQLite::Statement& row, int first) {
    const SQLite::Column time = row.getColumn(first);
    return {time.isNull() ? std::nullopt : std::optional<Instant>(time.getInt64()),
            row.getColumn(first + 1).getString(), row.getColumn(first + 2).getString(),
            row.getColumn(first + 3).getString(), row.getColumn(first + 4).getString()};
}

void BindTime(SQLite::Statement& statement, int index, const std::optional<Instant>& time) {
    if (time) {
        statement.bind(index, *time);
    } else {
        statement.bind(index); // NULL
    }
}

} // namespace

SchemaSteps ShipmentTracking::Schema() {
    SchemaSteps schema;
    schema.version = 4;
    schema.from[2] = CreateTrackingTables;
    schema.from[3] = UpgradeTrackingTablesFromVersion3;
    return schema;
}

bool ShipmentTracking::AddEvents(int64_t id, std::span<const TrackingEvent> events,
                                 const std::optional<TrackingEvent>& current, Instant checkedAt, CheckRecord& record) {
    record = {};
    if (!m_store->ReadyToWrite()) {
        return false;
    }
    const std::string eventTable = EventsTable(m_store->TableName());
    const std::string checks = ChecksTable(m_store->TableName());
    CheckRecord result;
    const auto work = [&]() -> bool {
        SQLite::Database& db = m_store->Connection();
        SQLite::Statement exists(db, "SELECT 1 FROM \"" + m_store->TableName() + "\" WHERE \"id\" = ?");
        exists.bind(1, id);
        if (!exists.executeStep()) {
            return m_store->Fail(StoreError::NotFound); // deleted meanwhile: nothing is written
        }
        const std::string currentSql = std::string("SELECT ") + kEventColumns + " FROM " + eventTable +
                                       " WHERE \"id\" = (SELECT \"current\" FROM " + checks +
                                       " WHERE \"shipment_id\" = ?)";
        SQLite::Statement before(db, currentSql);
        before.bind(1, id);
        if (before.executeStep()) {
            result.latestBefore = EventAt(before, 0);
        }
        SQLite::Statement check(db, "SELECT \"done_by\" FROM " + checks + " WHERE \"shipment_id\" = ?");
        check.bind(1, id);
        result.firstCheck = !check.executeStep();
        if (!result.firstCheck && !check.getColumn(0).isNull()) {
            result.doneBy = check.getColumn(0).getInt64();
        }
        SQLite::Statement insert(db, "INSERT OR IGNORE INTO " + eventTable + " (\"shipment_id\", " + kEventColumns +
                                         ") VALUES (?, ?, ?, ?, ?, ?)");
        for (const TrackingEvent& event : events) {
            insert.bind(1, id);
            BindTime(insert, 2, event.time);
            insert.bind(3, event.statusCode);
            insert.bind(4, event.statusName);
            insert.bind(5, event.location);
            insert.bind(6, event.description);
            result.stored = insert.exec() > 0 || result.stored;
            insert.reset();
        }
        SQLite::Statement stamp(db,
                                "INSERT INTO " + checks +
                                    " (\"shipment_id\", \"last_check\") VALUES (?, ?) ON CONFLICT (\"shipment_id\") "
                                    "DO UPDATE SET \"last_check\" = excluded.\"last_check\"");
        stamp.bind(1, id);
        stamp.bind(2, checkedAt);
        stamp.exec();
        if (current) {
            // Stored above, or by an earlier check.
            SQLite::Statement name(db,
                                   "UPDATE " + checks + " SET \"current\" = (SELECT \"id\" FROM " + eventTable +
                                       " WHERE \"shipment_id\" = ?1 AND \"time\" IS ?2 AND \"status_code\" = ?3 "
                                       "AND \"location\" = ?4 AND \"description\" = ?5) WHERE \"shipment_id\" = ?1");
            name.bind(1, id);
            BindTime(name, 2, current->time);
            name.bind(3, current->statusCode);
            name.bind(4, current->location);
            name.bind(5, current->description);
            name.exec();
        }
        SQLite::Statement after(db, currentSql);
        after.bind(1, id);
        if (after.executeStep()) {
            result.latest = EventAt(after, 0);
        }
        return true;
    };
    try {
        if (!m_store->Batch(work)) {
            return false;
        }
    } catch (const std::exception& exception) {
        return m_store->Fail(exception);
    }
    record = std::move(result);
    return m_store->Succeed();
}

bool ShipmentTracking::Events(int64_t id, std::vector<TrackingEvent>& events) {
    events.clear();
    if (!m_store->IsOpen()) {
        return m_store->Fail(StoreError::NotOpen);
    }
    try {
        SQLite::Statement read(m_store->Connection(),
                               std::string("SELECT ") + kEventColumns + " FROM " + EventsTable(m_store->TableName()) +
                                   " WHERE \"shipment_id\" = ? ORDER BY \"time\" DESC, \"id\" DESC");
        read.bind(1, id);
        while (read.executeStep()) {
            events.push_back(EventAt(read, 0));
        }
        return m_store->Succeed();
    } catch (const std::exception& exception) {
        events.clear();
        return m_store->Fail(exception);
    }
}

bool ShipmentTracking::LatestEvents(std::span<const int64_t> ids, std::map<int64_t, TrackingEvent>& latest) {
    latest.clear();
    if (!m_store->IsOpen()) {
        return m_store->Fail(StoreError::NotOpen);
    }
    std::string list = "[";
    for (const int64_t id : ids) {
        list += (list.size() > 1 ? "," : "") + std::to_string(id);
    }
    list += "]";
    try {
        const std::string events = EventsTable(m_store->TableName());
        SQLite::Statement read(m_store->Connection(),
                               std::string("SELECT c.\"shipment_id\", e.\"time\", e.\"status_code\", "
                                           "e.\"status_name\", e.\"location\", e.\"description\" FROM ") +
                                   ChecksTable(m_store->TableName()) + " AS c JOIN " + events +
                                   " AS e ON e.\"id\" = c.\"current\" WHERE c.\"shipment_id\" IN "
                                   "(SELECT value FROM json_each(?))");
        read.bind(1, list);
        while (read.executeStep()) {
            latest.emplace(read.getColumn(0).getInt64(), EventAt(read, 1));
        }
        return m_store->Succeed();
    } catch (const std::exception& exception) {
        latest.clear();
        return m_store->Fail(exception);
    }
}

bool ShipmentTracking::LastChecks(std::map<int64_t, Instant>& checks) {
    checks.clear();
    if (!m_store->IsOpen()) {
        return m_store->Fail(StoreError::NotOpen);
    }
    try {
        SQLite::Statement read(m_store->Connection(),
                               "SELECT \"shipment_id\", \"last_check\" FROM " + ChecksTable(m_store->TableName()));
        while (read.executeStep()) {
            checks.emplace(read.getColumn(0).getInt64(), read.getColumn(1).getInt64());
        }
        return m_store->Succeed();
    } catch (const std::exception& exception) {
        checks.clear();
        return m_store->Fail(exception);
    }
}

std::optional<Instant> ShipmentTracking::LastCheck(int64_t id) {
    if (!m_store->IsOpen()) {
        m_store->Fail(StoreError::NotOpen);
        return std::nullopt;
    }
    try {
        SQLite::Statement read(m_store->Connection(), "SELECT \"last_check\" FROM " +
                                                          ChecksTable(m_store->TableName()) +
                                                          " WHERE \"shipment_id\" = ?");
        read.bind(1, id);
        if (!read.executeStep()) {
            m_store->Fail(StoreError::NotFound);
            return std::nullopt;
        }
        m_store->Succeed();
        return read.getColumn(0).getInt64();
    } catch (const std::exception& exception) {
        m_store->Fail(exception);
        return std::nullopt;
    }
}

bool ShipmentTracking::SetDoneBy(int64_t id, Instant eventTime) {
    if (!m_store->ReadyToWrite()) {
        return false;
    }
    try {
        SQLite::Statement update(m_store->Connection(), "UPDATE " + ChecksTable(m_store->TableName()) +
                                                            " SET \"done_by\" = ? WHERE \"shipment_id\" = ?");
        update.bind(1, eventTime);
        update.bind(2, id);
        return update.exec() == 1 ? m_store->Succeed() : m_store->Fail(StoreError::NotFound);
    } catch (const std::exception& exception) {
        return m_store->Fail(exception);
    }
}

} // namespace parcelo
