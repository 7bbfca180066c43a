#include "platform/FontWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace parcelo {

// FcInit is thread-safe: Qt's font database, started later on the main thread, takes
// the configuration this loads, or loads its own if this has not finished.
FontWarmUp::FontWarmUp() : m_thread([] { FcInit(); }) {}

FontWarmUp::~FontWarmUp() {
    m_thread.join();
}

} // namespace parcelo
