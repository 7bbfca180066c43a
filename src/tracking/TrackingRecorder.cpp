#include "tracking/TrackingRecorder.h"

#include "tracking/TrackingRules.h"

namespace parcelo {

std::optional<RecordedCheck> TrackingRecorder::Record(int64_t shipmentId, std::span<const TrackingEvent> events,
                                                      const std::optional<TrackingEvent>& lastEvent, bool autoDone) {
    RecordedCheck result;
    const bool written = m_store.Batch([&] {
        std::optional<Shipment> shipment = m_store.Read(shipmentId);
        if (!shipment) {
            return false;
        }
        CheckRecord record;
        const std::optional<TrackingEvent> current = CurrentEvent(lastEvent, events, shipment->orderDate);
        if (!m_store.Tracking().AddEvents(shipmentId, events, current, m_clock.Now(), record)) {
            return false;
        }
        result.latest = record.latest;
        result.itemName = shipment->itemName;
        result.latestChanged = record.latest != record.latestBefore;
        result.notify = ShouldNotify(record.firstCheck, record.latestBefore, record.latest);
        if (ShouldMarkDone(autoDone, shipment->status, record.latest, record.doneBy)) {
            shipment->status = Done;
            if (!m_store.Update(*shipment) || !m_store.Tracking().SetDoneBy(shipmentId, *record.latest->time)) {
                return false;
            }
            result.markedDone = true;
        }
        return true;
    });
    if (!written) {
        return std::nullopt;
    }
    return result;
}

} // namespace parcelo
