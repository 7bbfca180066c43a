#include "render/qt/FontWarmUp.h"

#include "platform/ThreadPlacement.h"

#include <fontconfig/fontconfig.h>

namespace parcelo {

// FcInit is thread-safe, but a caller that comes while another is loading does not wait
// for it: it loads the whole configuration once more. Qt's font database therefore
// waits for this thread (Wait) before the first text.
FontWarmUp::FontWarmUp()
    : m_thread([this] {
          FcInit();
          m_loaded.count_down();
      }) {
    KeepOffCallersProcessor(m_thread);
}

FontWarmUp::~FontWarmUp() {
    m_thread.join();
}

void FontWarmUp::Wait() const {
    m_loaded.wait();
}

} // namespace parcelo
