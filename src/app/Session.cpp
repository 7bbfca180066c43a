#include "app/Session.h"

#include "config/IniReader.h"
#include "tracking/CarrierIds.h"

#include <filesystem>
#include <system_error>

namespace parcelo {

Session OpenSession(const SessionPaths& paths, const SessionNeeds& needs) {
    Session session;
    if (needs.couriers) {
        std::vector<CourierDetector::Rule> rules;
        session.courierStatus =
            LoadCourierTable(paths.installFolder, session.couriers, rules, [&session](const CIniReader& reader) {
                session.carrierIds = ReadCarrierIds(reader, session.couriers.size());
            });
        if (needs.detector) {
            // Faulty rules are logged and leave only their courier undetected.
            session.detector = CourierDetector(rules);
        }
        if (!session.CouriersRead() ||
            (session.courierStatus == CourierFileStatus::NoCouriers && !needs.emptyCourierTable)) {
            return session;
        }
    }
    if (needs.store) {
        // A folder that cannot be made leaves no usable volume path, which the mount refuses.
        std::error_code error;
        const bool folder =
            !paths.volumeFile.empty() &&
            (std::filesystem::create_directories(std::filesystem::path(paths.volumeFile).parent_path(), error), !error);
        session.storeOpened = session.store.MountVolume(folder ? paths.volumeFile : std::u16string(), needs.check) &&
                              session.store.Open(kShipmentTable);
    }
    return session;
}

} // namespace parcelo
