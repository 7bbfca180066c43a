// The shipments the store benchmarks fill their volumes with: numbered, spread over
// about three years, every courier logo and every status.
#pragma once

#include "store/Shipment.h"

#include <string>

namespace parcelo::bench {

inline Shipment SampleShipment(int i, Instant start) {
    const std::string digits = std::to_string(601234500000LL + i * 7919LL);
    Shipment shipment;
    shipment.courierIndex = i % 15;
    shipment.invoiceNumber.assign(digits.begin(), digits.end());
    shipment.itemName = u"무선 이어폰 " + shipment.invoiceNumber.substr(8);
    shipment.entryDate = start + i * 947LL;
    shipment.orderDate = shipment.entryDate - (i % 40) * 3600LL;
    shipment.status = i % 3;
    return shipment;
}

} // namespace parcelo::bench
