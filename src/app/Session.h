#pragma once

#include "app/SessionPaths.h"
#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"
#include "store/ShipmentDatabase.h"

#include <string>
#include <vector>

namespace parcelo {

// What a session opens, and how.
struct SessionNeeds {
    // The courier table of parcelo.ini with the tracking service's carrier ids; when
    // parcelo.ini cannot be read the store is left alone (not even created).
    bool couriers = true;
    // The detector of the rules beside the couriers, which reports the faulty ones.
    bool detector = true;
    bool store = true;
    // A parcelo.ini without couriers still opens the store.
    bool emptyCourierTable = true;
    CPropertyDatabase::Check check = CPropertyDatabase::Check::Now;
};

// The couriers, their detector and carrier ids, and the shipment store of a session.
struct Session {
    CourierFileStatus courierStatus = CourierFileStatus::Missing;
    std::vector<Courier> couriers;
    CourierDetector detector{{}};
    std::vector<std::string> carrierIds;
    CShipmentDatabase store;
    bool storeOpened = false; // mounted and open; store.LastError() says why not

    // parcelo.ini was read, with couriers or without.
    bool CouriersRead() const {
        return courierStatus == CourierFileStatus::Loaded || courierStatus == CourierFileStatus::NoCouriers;
    }
};

// Opens what `needs` asks for: the window at its start, each command of the command
// line and the refresh without a window open their sessions so. The store's folder is
// made if need be.
Session OpenSession(const SessionPaths& paths, const SessionNeeds& needs = {});

} // namespace parcelo
