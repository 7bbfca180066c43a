#pragma once

#include <thread>

namespace parcelo {

// Keeps `thread` off the processor the calling thread runs on, when there is another
// one it may use. Linux starts a new thread on the processor of the thread that made
// it and moves it only when it next balances the load; on a machine with two
// processors the start-up's helper threads were seen queued behind the window's own
// start for milliseconds while the other processor idled. Meant for short-lived
// helpers that end once their work is done.
void KeepOffCallersProcessor(std::thread& thread);

} // namespace parcelo
