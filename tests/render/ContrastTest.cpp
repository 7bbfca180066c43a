#include "render/Contrast.h"

#include <gtest/gtest.h>
#include <random>

namespace parcelo {
namespace {

// Over random pairs: a colour that reads is kept; any other moves just enough to read,
// or all the way to white or black when even that is not enough; either way no colour
// ever reads worse than it did.
TEST(ContrastTest, ReadableColoursKeepTheirHueAndReachTheContrastWhereItCanBeReached) {
    EXPECT_NEAR(ContrastRatio(Rgb(0, 0, 0), Rgb(255, 255, 255)), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Rgb(0x77, 0x77, 0x77), Rgb(255, 255, 255)), 4.48, 0.01);
    std::mt19937 random(3);
    for (int i = 0; i < 20'000; ++i) {
        const ColorRef colour = random() & 0xFFFFFF;
        const ColorRef background = random() & 0xFFFFFF;
        const ColorRef readable = ReadableOn(colour, background);
        const double before = ContrastRatio(colour, background);
        const double after = ContrastRatio(readable, background);
        if (before >= 4.5) {
            ASSERT_EQ(readable, colour);
        } else if (readable != Rgb(255, 255, 255) && readable != Rgb(0, 0, 0)) {
            ASSERT_GE(after, 4.5) << std::hex << colour << " on " << background;
        }
        ASSERT_GE(after, before - 1e-9);
    }
}

} // namespace
} // namespace parcelo
