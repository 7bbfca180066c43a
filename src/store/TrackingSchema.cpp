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

void CreateTrackingTables(SQLite::Database& connection, const std::string& table) {
    const std::string events = EventsTable(table);
    const std::string checks = ChecksTable(table);
    connection.exec("CREATE TABLE " + events +
                    " (\"shipment_id\" INTEGER NOT NULL, \"time\" INTEGER NOT NULL, "
                    "\"status_code\" TEXT NOT NULL DEFAULT '', \"status_name\" TEXT NOT NULL DEFAULT '', "
                    "\"location\" TEXT NOT NULL DEFAULT '', \"description\" TEXT NOT NULL DEFAULT '', "
                    "UNIQUE (\"shipment_id\", \"time\", \"status_code\", \"location\", \"description\"))");
    connection.exec("CREATE TABLE " + checks +
                    " (\"shipment_id\" INTEGER PRIMARY KEY, \"last_check\" INTEGER NOT NULL DEFAULT 0, "
                    "\"done_by\" INTEGER)");
    connection.exec("CREATE TRIGGER " + QuoteIdentifier(table + "_delete_tracking") + " AFTER DELETE ON " +
                    QuoteIdentifier(table) + " BEGIN DELETE FROM " + events +
                    " WHERE \"shipment_id\" = old.\"id\"; DELETE FROM " + checks +
                    " WHERE \"shipment_id\" = old.\"id\"; END");
}

} // namespace parcelo
