#include "barcode/BarcodeReader.h"

#include "support/BarcodeImages.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace parcelo {
namespace {

using test::Encode;
using test::GreyImage;
using test::Placement;
using ZXing::BarcodeFormat;

struct Case {
    const char* what;
    BarcodeFormat format;
    double degrees;
    uint8_t dark;
    uint8_t light;
};

// Each barcode on its own label in a noisy photograph-sized picture, turned and
// faded as a photograph of a parcel has it.
TEST(BarcodeReaderTest, ReadsTurnedAndFadedLabelsOnANoisyBackground) {
    const Case cases[] = {
        {"code 128 upright", BarcodeFormat::Code128, 0, 0, 255},
        {"code 128 slightly turned", BarcodeFormat::Code128, 8, 30, 230},
        {"code 128 sideways", BarcodeFormat::Code128, 90, 0, 255},
        {"code 128 upside down", BarcodeFormat::Code128, 180, 0, 255},
        {"code 128 the other way", BarcodeFormat::Code128, 270, 20, 235},
        {"code 128 faded", BarcodeFormat::Code128, 3, 105, 150},
        {"qr turned", BarcodeFormat::QRCode, 33, 0, 255},
        {"qr upside down, faded", BarcodeFormat::QRCode, 185, 100, 150},
    };
    int seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = c.format == BarcodeFormat::QRCode ? "https://track.example/?n=EE123456785KR"
                                                                   : "6" + std::to_string(40123456789 + seed);
        GreyImage photo = test::NoisyBackground(2600, 1900, static_cast<uint32_t>(seed));
        const GreyImage code =
            c.format == BarcodeFormat::QRCode ? Encode(c.format, text, 300, 300) : Encode(c.format, text, 600, 160);
        test::Place(photo, code,
                    {.centreX = 1200, .centreY = 800, .degrees = c.degrees, .dark = c.dark, .light = c.light});
        test::AddNoise(photo, 6, static_cast<uint32_t>(seed) + 100);
        EXPECT_EQ(BarcodeReader::Read(photo.View()), std::vector<std::string>{text});
        ++seed;
    }
}

// A label carries the same number twice and a second code beside it; a picture
// without any code, or a view that is no image, gives nothing.
TEST(BarcodeReaderTest, ReadsEachCodeOnceFromTheTopAndNothingFromNoImage) {
    GreyImage page(1600, 1200, 255);
    const GreyImage number = Encode(BarcodeFormat::Code128, "640123456789", 500, 120);
    test::Place(page, number, {.centreX = 400, .centreY = 900});
    test::Place(page, number, {.centreX = 1200, .centreY = 900});
    test::Place(page, Encode(BarcodeFormat::QRCode, "ORDER 2024-0017", 200, 200), {.centreX = 800, .centreY = 250});
    EXPECT_EQ(BarcodeReader::Read(page.View()), (std::vector<std::string>{"ORDER 2024-0017", "640123456789"}));

    // The same rows seen through a view wider than the image: the stride is honoured.
    GreyImage wide(2000, 1200, 0);
    for (int y = 0; y < page.height; ++y) {
        std::copy_n(&page.At(0, y), page.width, &wide.At(0, y));
    }
    EXPECT_EQ(BarcodeReader::Read({wide.pixels.data(), page.width, page.height, wide.width}).size(), 2U);

    const GreyImage blank = test::NoisyBackground(800, 600, 3);
    EXPECT_TRUE(BarcodeReader::Read(blank.View()).empty());
    EXPECT_TRUE(BarcodeReader::Read({nullptr, 10, 10, 10}).empty());
    EXPECT_TRUE(BarcodeReader::Read({blank.pixels.data(), 0, 600, 800}).empty());
    EXPECT_TRUE(BarcodeReader::Read({blank.pixels.data(), 800, 600, 799}).empty());
}

} // namespace
} // namespace parcelo
