#include "barcode/BarcodeReader.h"

#include "support/BarcodeImages.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace parcelo {
namespace {

using test::Encode;
using test::GreyImage;
using ZXing::BarcodeFormat;

// Each barcode on its own label in a noisy photograph-sized picture, turned and faded as a
// photograph of a parcel has it: the turn in degrees, the grey of the bars and of the label.
TEST(BarcodeReaderTest, ReadsTurnedAndFadedLabelsOnANoisyBackground) {
    const std::tuple<BarcodeFormat, double, uint8_t, uint8_t> cases[] = {
        {BarcodeFormat::Code128, 0, 0, 255},    {BarcodeFormat::Code128, 8, 30, 230},
        {BarcodeFormat::Code128, 90, 0, 255},   {BarcodeFormat::Code128, 180, 0, 255},
        {BarcodeFormat::Code128, 270, 20, 235}, {BarcodeFormat::Code128, 3, 105, 150},
        {BarcodeFormat::QRCode, 33, 0, 255},    {BarcodeFormat::QRCode, 185, 100, 150}};
    uint32_t seed = 1;
    for (const auto& [format, degrees, dark, light] : cases) {
        SCOPED_TRACE(testing::Message() << degrees << " degrees, grey " << int(dark) << " on " << int(light));
        const bool qr = format == BarcodeFormat::QRCode;
        const std::string text =
            qr ? "https://track.example/?n=EE123456785KR" : "6" + std::to_string(40123456789 + seed);
        GreyImage photo = test::NoisyBackground(2600, 1900, seed);
        test::Place(photo, qr ? Encode(format, text, 300, 300) : Encode(format, text, 600, 160),
                    {.centreX = 1200, .centreY = 800, .degrees = degrees, .dark = dark, .light = light});
        test::AddNoise(photo, 6, seed + 100);
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
