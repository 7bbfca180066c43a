#include "barcode/BarcodeReader.h"

#define ZX_USE_UTF8 1 // texts as UTF-8, the library's coming default
#include <ZXing/ReadBarcode.h>
#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace parcelo {

namespace {

// The image the reader looks at first: a photograph's pixels averaged in squares of
// `factor` so that its longer side is at most this long. Label barcodes keep bars
// several pixels wide at that size and are read in a tenth of the time.
constexpr int kCoarseSide = 2500;
// When the coarse image shows none, a finer one is read, its longer side at most this.
constexpr int kFineSide = 6000;

struct Layer {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
};

Layer Downscaled(const GreyImageView& image, int factor) {
    Layer layer{image.width / factor, image.height / factor, {}};
    layer.pixels.resize(static_cast<size_t>(layer.width) * static_cast<size_t>(layer.height));
    const int area = factor * factor;
    for (int y = 0; y < layer.height; ++y) {
        for (int x = 0; x < layer.width; ++x) {
            int sum = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const uint8_t* row = image.pixels + static_cast<ptrdiff_t>(y * factor + dy) * image.stride;
                for (int dx = 0; dx < factor; ++dx) {
                    sum += row[x * factor + dx];
                }
            }
            layer.pixels[static_cast<size_t>(y) * static_cast<size_t>(layer.width) + static_cast<size_t>(x)] =
                static_cast<uint8_t>((sum + area / 2) / area);
        }
    }
    return layer;
}

// Whites out a barcode found and its surroundings, so that the next read finds
// another. A linear code's corners mark the scan lines it was read on, not the whole
// height of its bars: its area reaches a quarter of its length above and below them.
void Erase(Layer& layer, const ZXing::Position& corners, bool linear) {
    const double ux = corners[1].x - corners[0].x;
    const double uy = corners[1].y - corners[0].y;
    const double length = std::max(1.0, std::hypot(ux, uy));
    const double across = std::hypot(corners[3].x - corners[0].x, corners[3].y - corners[0].y);
    const double alongMargin = length * 0.1 + 4;
    const double acrossMargin = length * (linear ? 0.25 : 0.1) + 4;
    // Unit vectors along the code and across it (the latter turned from the former).
    const double ax = ux / length;
    const double ay = uy / length;
    const double bx = -ay;
    const double by = ax;
    int left = layer.width;
    int top = layer.height;
    int right = 0;
    int bottom = 0;
    const double reach = alongMargin + acrossMargin;
    for (const auto& corner : corners) {
        left = std::min(left, static_cast<int>(corner.x - reach));
        right = std::max(right, static_cast<int>(corner.x + reach) + 1);
        top = std::min(top, static_cast<int>(corner.y - reach));
        bottom = std::max(bottom, static_cast<int>(corner.y + reach) + 1);
    }
    // The across direction points from the top corners to the bottom ones.
    const double acrossSign = ((corners[3].x - corners[0].x) * bx + (corners[3].y - corners[0].y) * by) < 0 ? -1 : 1;
    for (int y = std::max(0, top); y < std::min(layer.height, bottom); ++y) {
        for (int x = std::max(0, left); x < std::min(layer.width, right); ++x) {
            const double dx = x - corners[0].x;
            const double dy = y - corners[0].y;
            const double u = dx * ax + dy * ay;
            const double v = (dx * bx + dy * by) * acrossSign;
            if (u >= -alongMargin && u <= length + alongMargin && v >= -acrossMargin && v <= across + acrossMargin) {
                layer.pixels[static_cast<size_t>(y) * static_cast<size_t>(layer.width) + static_cast<size_t>(x)] = 255;
            }
        }
    }
}

// The barcodes of one layer, each with the top of its area. The library's reader of
// many barcodes stops the program when one linear barcode is seen twice (an assertion
// in the distribution's build), so barcodes are read one at a time and erased.
void ReadLayer(Layer& layer, std::vector<std::pair<int, std::string>>& found) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::Code128 | ZXing::BarcodeFormat::Code39 | ZXing::BarcodeFormat::Code93 |
                     ZXing::BarcodeFormat::Codabar | ZXing::BarcodeFormat::ITF | ZXing::BarcodeFormat::QRCode |
                     ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::PDF417);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setTryDownscale(false);
    hints.setMaxNumberOfSymbols(2); // any count but 1: one barcode, without the library's own downscaling
    for (size_t reads = 0; reads < BarcodeReader::kMaxBarcodes; ++reads) {
        const ZXing::ImageView view(layer.pixels.data(), layer.width, layer.height, ZXing::ImageFormat::Lum);
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid()) {
            return;
        }
        const ZXing::Position& corners = result.position();
        found.emplace_back(std::min({corners[0].y, corners[1].y, corners[2].y, corners[3].y}), result.text());
        Erase(layer, corners, ZXing::BarcodeFormats(ZXing::BarcodeFormat::LinearCodes).testFlag(result.format()));
    }
}

int FactorFor(const GreyImageView& image, int side) {
    const int longer = std::max(image.width, image.height);
    return std::max(1, (longer + side - 1) / side);
}

} // namespace

std::vector<std::string> BarcodeReader::Read(const GreyImageView& image) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 || image.stride < image.width) {
        return {};
    }
    std::vector<std::pair<int, std::string>> found; // top edge in the image, text
    int previous = 0;
    for (const int side : {kCoarseSide, kFineSide}) {
        const int factor = FactorFor(image, side);
        if (factor == previous) {
            break;
        }
        previous = factor;
        Layer layer = Downscaled(image, factor);
        try {
            ReadLayer(layer, found);
        } catch (const std::exception&) {
            // What was read before the library gave up stands.
        }
        if (!found.empty()) {
            break;
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> texts;
    for (auto& entry : found) {
        if (!entry.second.empty() && std::find(texts.begin(), texts.end(), entry.second) == texts.end()) {
            texts.push_back(std::move(entry.second));
        }
    }
    return texts;
}

} // namespace parcelo
