// An RGB picture read from a PNG file, for comparing what a program drew.
#ifndef MIRVO_TEST_PNG_IMAGE_H
#define MIRVO_TEST_PNG_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace mirvo_test {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb &o) const
    {
        return r == o.r && g == o.g && b == o.b;
    }
    bool operator!=(const Rgb &o) const
    {
        return !(*this == o);
    }
};

struct PngImage {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first

    const Rgb &at(int x, int y) const
    {
        return pixels[(size_t)y * width + x];
    }
    bool operator==(const PngImage &o) const
    {
        return width == o.width && height == o.height && pixels == o.pixels;
    }
};

// Reads any PNG (palette, grey, alpha are expanded; alpha dropped). Empty image on failure.
PngImage readPng(const std::string &path);

// Writes an RGB PNG; false on failure.
bool writePng(const std::string &path, const PngImage &image);

}  // namespace mirvo_test

#endif
