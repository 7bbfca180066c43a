#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace parcelo {

// A grey image in memory: one byte a pixel (0 black, 255 white), `width` pixels a row,
// rows `stride` bytes apart, top row first. The pixels belong to the caller.
struct GreyImageView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Reads the barcodes of a photographed label or a screenshot of an order page: the
// linear codes parcel labels carry (Code 128, Code 39, Code 93, Codabar, Interleaved
// 2 of 5) and QR, Data Matrix and PDF417 codes, upright, sideways or upside down.
// Product codes (EAN, UPC) are left out: they number the goods, not the parcel.
class BarcodeReader {
public:
    // More barcodes than a page of labels holds are not looked for.
    static constexpr size_t kMaxBarcodes = 64;

    // The text of each barcode found (UTF-8), from the top of the image down, each
    // text once. Empty for an image without barcodes, or a view that is not an image
    // (no pixels, a side of 0, rows shorter than the width).
    static std::vector<std::string> Read(const GreyImageView& image);
};

} // namespace parcelo
