#include "platform/FontWarmUp.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>

namespace parcelo {

namespace {

// Linux starts a new thread on the processor of the thread that made it and moves it
// only when it next balances the load, which on a machine with two processors left
// the load waiting its turn behind the window's own start for milliseconds while the
// other processor idled. The warm-up is kept off the caller's processor (when there
// is another one it may use); it ends once the configuration is in.
void RunBeside(std::thread& thread) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const int here = sched_getcpu();
    if (here < 0 || sched_getaffinity(0, sizeof allowed, &allowed) != 0 || !CPU_ISSET(here, &allowed) ||
        CPU_COUNT(&allowed) < 2) {
        return;
    }
    CPU_CLR(here, &allowed);
    pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
}

} // namespace

// FcInit is thread-safe, but a caller that comes while another is loading does not wait
// for it: it loads the whole configuration once more. Qt's font database therefore
// waits for this thread (Wait) before the first text.
FontWarmUp::FontWarmUp() : m_thread([] { FcInit(); }) {
    RunBeside(m_thread);
}

FontWarmUp::~FontWarmUp() {
    Wait();
}

void FontWarmUp::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

} // namespace parcelo
