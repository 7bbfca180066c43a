#include "app/StartupReader.h"

#include "config/IniReader.h"
#include "render/qt/FontWarmUp.h"
#include "platform/ThreadPlacement.h"
#include "tracking/CarrierIds.h"

#include <utility>

namespace parcelo {

StartupReader::StartupReader(std::u16string installFolder, std::u16string storeVolume, std::u16string storeName,
                             const FontWarmUp* after)
    : m_thread([this, after, folder = std::move(installFolder), volume = std::move(storeVolume),
                name = std::move(storeName)] {
          if (after != nullptr) {
              after->Wait();
          }
          Read(folder, volume, name);
      }) {
    KeepOffCallersProcessor(m_thread);
}

StartupReader::~StartupReader() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

StartupReader::Result& StartupReader::Take() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_result;
}

void StartupReader::Read(const std::u16string& installFolder, const std::u16string& storeVolume,
                         const std::u16string& storeName) {
    m_result.courierFile = CourierFilePath(installFolder);
    std::vector<CourierDetector::Rule> rules;
    m_result.courierStatus =
        LoadCourierTable(installFolder, m_result.couriers, rules, [this](const CIniReader& reader) {
            m_result.carrierIds = ReadCarrierIds(reader, m_result.couriers.size());
        });
    // Faulty rules are logged and leave only their courier undetected.
    m_result.detector = CourierDetector(rules);
    // Without a readable parcelo.ini the program ends at its message: the store is not
    // created for it.
    if (m_result.courierStatus != CourierFileStatus::Loaded &&
        m_result.courierStatus != CourierFileStatus::NoCouriers) {
        return;
    }
    // Reading every page for damage waits until the list has shown (or the first write).
    m_result.storeOpened = m_result.store.MountVolume(storeVolume, CPropertyDatabase::Check::BeforeFirstWrite) &&
                           m_result.store.Open(storeName);
}

} // namespace parcelo
