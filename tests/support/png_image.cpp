#include "png_image.h"

#include <png.h>

#include <cstdio>
#include <cstring>

namespace mirvo_test {

PngImage readPng(const std::string &path)
{
    PngImage out;
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str()))
        return out;
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> buffer(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, buffer.data(), 0, nullptr)) {
        png_image_free(&img);
        return out;
    }
    out.width = (int)img.width;
    out.height = (int)img.height;
    out.pixels.resize((size_t)out.width * out.height);
    memcpy(out.pixels.data(), buffer.data(), buffer.size());
    return out;
}

bool writePng(const std::string &path, const PngImage &image)
{
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    img.width = (png_uint_32)image.width;
    img.height = (png_uint_32)image.height;
    img.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&img, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

}  // namespace mirvo_test
