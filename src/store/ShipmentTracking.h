#pragma once

#include "store/PropertyDatabase.h"
#include "store/TrackingEvent.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace parcelo {

class CShipmentDatabase;

// What storing one check of a shipment found.
struct CheckRecord {
    bool stored = false;                       // at least one event was new
    bool firstCheck = false;                   // the shipment had no successful check before
    std::optional<TrackingEvent> latestBefore; // the current event before this check
    std::optional<TrackingEvent> latest;       // the current event after it
    std::optional<Instant> doneBy;             // the event time that last set the shipment done
};

// The tracking of each shipment of a shipment store: its events (its history),
// de-duplicated, the event that is its current status, and the time of its last
// successful check. Deleting a shipment deletes all of it. Events are ordered by time,
// those without a time before all others, and events of the same time in the order
// they were stored. The tables lie beside the store's record table, in its connection
// and its transactions; the store owns this part (CShipmentDatabase::Tracking) and
// reports its failures in its own LastError().
class ShipmentTracking {
public:
    explicit ShipmentTracking(CShipmentDatabase& store) : m_store(&store) {}
    ShipmentTracking(const ShipmentTracking&) = delete;
    ShipmentTracking& operator=(const ShipmentTracking&) = delete;

    // The schema of the tracking tables, which is the shipment store's: version 4, made
    // from version 2 (the record table alone) or brought from version 3.
    static SchemaSteps Schema();

    // Stores the events of a successful check made at `checkedAt` and that time, in one
    // transaction; `current`, one of the events stored now or before, becomes the
    // shipment's current status (none: the current one stays). A shipment that no
    // longer exists gets nothing (false, NotFound).
    bool AddEvents(int64_t id, std::span<const TrackingEvent> events, const std::optional<TrackingEvent>& current,
                   Instant checkedAt, CheckRecord& record);
    // The events of a shipment, newest first, in place of what `events` held.
    bool Events(int64_t id, std::vector<TrackingEvent>& events);
    // The current event of each of the shipments that has one, in one query.
    bool LatestEvents(std::span<const int64_t> ids, std::map<int64_t, TrackingEvent>& latest);
    // The time of the last successful check of every shipment checked so far.
    bool LastChecks(std::map<int64_t, Instant>& checks);
    // The time of the last successful check of one shipment; empty when never checked.
    std::optional<Instant> LastCheck(int64_t id);
    // Notes the time of the event that set a shipment done; false (NotFound) when the
    // shipment was never checked.
    bool SetDoneBy(int64_t id, Instant eventTime);

private:
    CShipmentDatabase* m_store;
};

} // namespace parcelo
