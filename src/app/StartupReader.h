#pragma once

#include "app/Session.h"

#include <thread>

namespace parcelo {

class FontWarmUp;

// What the window reads from files before its list can show: the session (the courier
// table of parcelo.ini with its detection rules and tracking ids, and the shipment
// store, mounted and opened). Reading starts on a second thread at construction, while
// the window's widgets are built on the main one; Take waits for it and hands everything
// over. Until then nothing of it is touched by the main thread. When parcelo.ini cannot
// be read the program is ending, and the store is left alone (not even created).
class StartupReader {
public:
    // The page check of the volume is left for later
    // (CPropertyDatabase::Check::BeforeFirstWrite).
    // With `after`, reading waits until the font configuration is in: on a machine with
    // two processors a third busy thread slows the font load, which the window waits
    // for, more than reading meanwhile gains.
    explicit StartupReader(SessionPaths paths, const FontWarmUp* after = nullptr);
    ~StartupReader();
    StartupReader(const StartupReader&) = delete;
    StartupReader& operator=(const StartupReader&) = delete;

    // Waits for the reading to end; the session is the caller's to take apart.
    Session& Take();

private:
    Session m_session;
    std::thread m_thread;
};

} // namespace parcelo
