// Drives the list's item heights with operations read from the input (appends,
// refills, width changes, measuring in view, around an item and in slices, moves of
// the view) and checks the offsets, the estimates count, the anchor and, at the end,
// that every item has the height of its text, against a brute-force reference.
//
// Input: pairs of bytes, an operation and its argument (see ItemHeightsDriver).
#include "list/ItemHeightsDriver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string failure = parcelo::testing::ItemHeightsDriver().Run(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "fuzz_item_heights: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
