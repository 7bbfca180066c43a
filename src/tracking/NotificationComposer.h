#pragma once

#include "store/TrackingEvent.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace parcelo {

// A shipment whose latest event changed in a refresh.
struct StatusChange {
    int64_t shipmentId = 0;
    std::u16string itemName;
    TrackingEvent latest;
};

// A desktop notification as plain text (the notifier escapes it for markup).
struct NotificationItem {
    std::u16string summary;
    std::u16string body;
    int64_t shipmentId = 0; // the shipment to show when it is clicked; 0 for a group
    std::vector<int64_t> shipmentIds;
};

// One notification per change, or, when `groupFrom` or more change at once, one
// notification for all of them that names the first few.
std::vector<NotificationItem> ComposeNotifications(std::span<const StatusChange> changes, size_t groupFrom = 3);

struct RefreshSummary;

// What a refresh found wrong with the setup rather than with one shipment, each as one
// Korean sentence that says what to change: a refused key, and the CARRIERnn lines of
// parcelo.ini the service did not take (`carrierIds[i]` is courier i's id).
std::vector<std::u16string> RefreshSetupProblems(const RefreshSummary& summary,
                                                 std::span<const std::string> carrierIds = {});

// The one status-bar line that sums up a refresh, e.g. "배송 조회 12건: 변경 3건, 실패 1건";
// a refresh that found the network unreachable says only that, one whose key was
// refused says that, and setup problems come first.
std::u16string RefreshStatusLine(const RefreshSummary& summary, std::span<const std::string> carrierIds = {});

} // namespace parcelo
