#pragma once

#include <latch>
#include <thread>

namespace parcelo {

// Loads the desktop's font configuration on a second thread while the window is being
// built: the first text the list measures would otherwise wait for it. Joined when it
// goes, so it never outlives the program's objects.
class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Waits for the configuration to be loaded. Called before the first text is
    // measured: a font look-up that starts while the load is under way does not wait for
    // it but loads the whole configuration once more, on the thread that needs it.
    void Wait() const;

private:
    mutable std::latch m_loaded{1};
    std::thread m_thread;
};

} // namespace parcelo
