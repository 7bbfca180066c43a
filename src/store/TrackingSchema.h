#pragma once

#include <string>

namespace SQLite {
class Database;
}

namespace parcelo {

// Creates, beside the record table `table`, the tables of the tracking events of each
// record and of the last check of each record, and the trigger that deletes both with
// their record (see PropertyDatabase.cpp for the schema). Runs inside the caller's
// transaction.
void CreateTrackingTables(SQLite::Database& connection, const std::string& table);

// Brings the tracking tables of schema version 3 to the current layout, keeping every
// event in its order and every check: events may have no time and get a stable id, and
// each check names the event that is its record's current status (the newest one, as
// version 3 showed it). Runs inside the caller's transaction.
void UpgradeTrackingTablesFromVersion3(SQLite::Database& connection, const std::string& table);

// The quoted names of those tables.
std::string EventsTable(const std::string& table);
std::string ChecksTable(const std::string& table);

} // namespace parcelo
