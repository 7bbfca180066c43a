#include "platform/ThreadPlacement.h"

#include <pthread.h>
#include <sched.h>

namespace parcelo {

void KeepOffCallersProcessor(std::thread& thread) {
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

} // namespace parcelo
