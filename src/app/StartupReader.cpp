#include "app/StartupReader.h"

#include "platform/ThreadPlacement.h"
#include "render/qt/FontWarmUp.h"

#include <utility>

namespace parcelo {

StartupReader::StartupReader(SessionPaths paths, const FontWarmUp* after)
    : m_thread([this, after, paths = std::move(paths)] {
          if (after != nullptr) {
              after->Wait();
          }
          SessionNeeds needs;
          // Reading every page for damage waits until the list has shown (or the first write).
          needs.check = CPropertyDatabase::Check::BeforeFirstWrite;
          m_session = OpenSession(paths, needs);
      }) {
    KeepOffCallersProcessor(m_thread);
}

StartupReader::~StartupReader() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

Session& StartupReader::Take() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    return m_session;
}

} // namespace parcelo
