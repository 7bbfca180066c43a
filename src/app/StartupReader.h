#pragma once

#include "couriers/Courier.h"
#include "couriers/CourierDetector.h"
#include "store/TrackingDatabase.h"

#include <string>
#include <thread>
#include <vector>

namespace parcelo {

class FontWarmUp;

// What the window reads from files before its list can show: the courier table of
// parcelo.ini with its detection rules and tracking ids, and the shipment store, mounted
// and opened. Reading starts on a second thread at construction, while the window's
// widgets are built on the main one; Take waits for it and hands everything over. Until
// then nothing of it is touched by the main thread. When parcelo.ini cannot be read
// the program is ending, and the store is left alone (not even created).
class StartupReader {
public:
    struct Result {
        std::u16string courierFile; // the parcelo.ini that was read, for messages
        CourierFileStatus courierStatus = CourierFileStatus::Missing;
        std::vector<Courier> couriers;
        CourierDetector detector{{}};
        std::vector<std::string> carrierIds;
        CTrackingDatabase store;
        bool storeOpened = false; // mounted and open; store.LastError() says why not
    };

    // `installFolder` holds parcelo.ini; `storeVolume` and `storeName` are what
    // CPropertyDatabase::MountVolume and Open take. The page check of the volume is
    // left for later (CPropertyDatabase::Check::BeforeFirstWrite).
    // With `after`, reading waits until the font configuration is in: on a machine with
    // two processors a third busy thread slows the font load, which the window waits
    // for, more than reading meanwhile gains.
    StartupReader(std::u16string installFolder, std::u16string storeVolume, std::u16string storeName,
                  const FontWarmUp* after = nullptr);
    ~StartupReader();
    StartupReader(const StartupReader&) = delete;
    StartupReader& operator=(const StartupReader&) = delete;

    // Waits for the reading to end; the result is the caller's to take apart.
    Result& Take();

private:
    void Read(const std::u16string& installFolder, const std::u16string& storeVolume, const std::u16string& storeName);

    Result m_result;
    std::thread m_thread;
};

} // namespace parcelo
