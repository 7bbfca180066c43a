#pragma once

// Grey test images holding barcodes drawn by ZXing's own writer: a label on a noisy
// background, at any angle and contrast, for the reader's tests and benchmark.

#include "barcode/BarcodeReader.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace parcelo::test {

struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    GreyImage(int w, int h, uint8_t fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint8_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    GreyImageView View() const { return {pixels.data(), width, height, width}; }
};

// The barcode alone, black on white with the writer's quiet zone, at least w x h pixels.
inline GreyImage Encode(ZXing::BarcodeFormat format, const std::string& text, int w, int h) {
    const auto grey = ZXing::ToMatrix<uint8_t>(ZXing::MultiFormatWriter(format).setMargin(10).encode(text, w, h));
    GreyImage image(grey.width(), grey.height(), 255);
    std::copy(grey.begin(), grey.end(), image.pixels.begin());
    return image;
}

struct Placement {
    int centreX = 0;
    int centreY = 0;
    double degrees = 0;  // turned clockwise by this much
    uint8_t dark = 0;    // the bars
    uint8_t light = 255; // the label between them
};

// Draws `code` into `image` as placed, sampled bilinearly as a camera would see it.
inline void Place(GreyImage& image, const GreyImage& code, const Placement& at) {
    const double turn = at.degrees * 3.14159265358979 / 180;
    const double c = std::cos(turn), s = std::sin(turn);
    const double half = std::hypot(code.width, code.height) / 2 + 2;
    const auto px = [&code](int x, int y) { return code.pixels[size_t(y) * code.width + x] / 255.0; };
    for (int y = std::max(0, int(at.centreY - half)); y < std::min(image.height, int(at.centreY + half)); ++y) {
        for (int x = std::max(0, int(at.centreX - half)); x < std::min(image.width, int(at.centreX + half)); ++x) {
            const double dx = x - at.centreX, dy = y - at.centreY;
            const double u = c * dx + s * dy + code.width / 2.0 - 0.5, v = -s * dx + c * dy + code.height / 2.0 - 0.5;
            if (u < 0 || v < 0 || u > code.width - 1 || v > code.height - 1) {
                continue;
            }
            const int u0 = int(u), v0 = int(v), u1 = std::min(u0 + 1, code.width - 1),
                      v1 = std::min(v0 + 1, code.height - 1);
            const double fu = u - u0, fv = v - v0;
            const double white =
                (px(u0, v0) * (1 - fu) + px(u1, v0) * fu) * (1 - fv) + (px(u0, v1) * (1 - fu) + px(u1, v1) * fu) * fv;
            image.At(x, y) = static_cast<uint8_t>(std::lround(at.dark + white * (at.light - at.dark)));
        }
    }
}

// Every pixel moved by up to `amount` either way.
inline void AddNoise(GreyImage& image, int amount, uint32_t seed) {
    std::minstd_rand random(seed);
    std::uniform_int_distribution<int> shift(-amount, amount);
    for (uint8_t& pixel : image.pixels) {
        pixel = static_cast<uint8_t>(std::clamp(pixel + shift(random), 0, 255));
    }
}

// A photograph's background: blotches of grey at random, then noise.
inline GreyImage NoisyBackground(int width, int height, uint32_t seed) {
    GreyImage image(width, height, 128);
    std::minstd_rand random(seed);
    const int cell = 64;
    std::uniform_int_distribution<int> grey(60, 200);
    for (int cy = 0; cy < height; cy += cell) {
        for (int cx = 0; cx < width; cx += cell) {
            const auto value = static_cast<uint8_t>(grey(random));
            for (int y = cy; y < std::min(height, cy + cell); ++y) {
                std::fill_n(&image.At(cx, y), std::min(cell, width - cx), value);
            }
        }
    }
    AddNoise(image, 24, seed + 1);
    return image;
}

} // namespace parcelo::test
