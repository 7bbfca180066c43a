#include "store/TrackingSchema.h"

#include "store/RecordStatement.h"

#include <SQLiteCpp/Database.h>

namespace parcelo {

std::string EventsTable(const std::string& table) {
    return QuoteIdentifier(table + "_events");
}

std::string ChecksTable(const std::string& table) {
    return QuoteIdentifier(table + "_checks");
}

namespace {

void CreateEventsTable(SQLite::Database& connection, const std::string& events, const std::string& table) {
    connection.exec("CREATE TABLE " + events +
                    " (\"id\" INTEGER PRIMARY KEY, \"shipment_id\" INTEGER NOT NULL, \"time\" INTEGER, "
                    "\"status_code\" TEXT NOT NULL DEFAULT '', \"status_name\" TEXT NOT NULL DEFAULT '', "
                    "\"location\" TEXT NOT NULL DEFAULT '', \"description\" TEXT NOT NULL DEFAULT '')");
    // An event without a time is one event too: '' is never equal to a time.
    connection.exec("CREATE UNIQUE INDEX " + QuoteIdentifier(table + "_events_once") + " ON " + events +
                    " (\"shipment_id\", ifnull(\"time\", ''), \"status_code\", \"location\", \"description\")");
}

void CreateDeleteTrigger(SQLite::Database& connection, const std::string& table) {
    connection.exec("CREATE TRIGGER " + QuoteIdentifier(table + "_delete_tracking") + " AFTER DELETE ON " +
                    QuoteIdentifier(table) + " BEGIN DELETE FROM " + EventsTable(table) +
                    " WHERE \"shipment_id\" = old.\"id\"; DELETE FROM " + ChecksTable(table) +
                    " WHERE \"shipment_id\" = old.\"id\"; END");
}

} // namespace

void CreateTrackingTables(SQLite::Database& connection, const std::string& table) {
    const std::string events = EventsTable(table);
    const std::string checks = ChecksTable(table);
    CreateEventsTable(connection, events, table);
    connection.exec("CREATE TABLE " + checks +
                    " (\"shipment_id\" INTEGER PRIMARY KEY, \"last_check\" INTEGER NOT NULL DEFAULT 0, "
                    "\"done_by\" INTEGER, \"current\" INTEGER)");
    CreateDeleteTrigger(connection, table);
}

void UpgradeTrackingTablesFromVersion3(SQLite::Database& connection, const std::string& table) {
    const std::string events = EventsTable(table);
    const std::string checks = ChecksTable(table);
    const std::string old = QuoteIdentifier(table + "_events_v3");
    connection.exec("DROP TRIGGER " + QuoteIdentifier(table + "_delete_tracking"));
    connection.exec("ALTER TABLE " + events + " RENAME TO " + old);
    CreateEventsTable(connection, events, table);
    // The ids are the old row ids: events of the same time keep their order.
    connection.exec("INSERT INTO " + events +
                    " (\"id\", \"shipment_id\", \"time\", \"status_code\", \"status_name\", \"location\", "
                    "\"description\") SELECT rowid, \"shipment_id\", \"time\", \"status_code\", \"status_name\", "
                    "\"location\", \"description\" FROM " +
                    old + " ORDER BY rowid");
    connection.exec("DROP TABLE " + old);
    connection.exec("ALTER TABLE " + checks + " ADD COLUMN \"current\" INTEGER");
    connection.exec("UPDATE " + checks + " SET \"current\" = (SELECT \"id\" FROM " + events + " WHERE " + events +
                    ".\"shipment_id\" = " + checks + ".\"shipment_id\" ORDER BY \"time\" DESC, \"id\" DESC LIMIT 1)");
    CreateDeleteTrigger(connection, table);
}

} // namespace parcelo
