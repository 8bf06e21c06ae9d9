// The surface layer's probe module (surface_probe.cpp) opened by a test that links SDL 1.2
// itself, and small file helpers of the surface tests.
#ifndef MIRVO_TEST_SURFACE_PROBE_H
#define MIRVO_TEST_SURFACE_PROBE_H

#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "surface_helpers.h"

namespace surface_test {

// The layer's entry points in surface_probe.cpp, opened from its module.
struct Probe {
    void *handle = nullptr;
    void *(*wrap)(void *, int, int, int, int, Uint32, Uint32, Uint32, Uint32) = nullptr;
    void (*set_colors)(void *, SDL_Color *, int) = nullptr;
    void (*set_key)(void *, Uint32) = nullptr;
    Uint32 (*map_rgba)(void *, Uint8, Uint8, Uint8, Uint8) = nullptr;
    Uint32 (*get_rgb)(void *, Uint32) = nullptr;
    int (*fill)(void *, SDL_Rect *, Uint32) = nullptr;
    int (*blit)(void *, SDL_Rect *, void *, SDL_Rect *) = nullptr;
    void (*free_surface)(void *) = nullptr;
    void *(*load)(const char *, int *, int *, int *) = nullptr;
    const char *(*error)() = nullptr;
    void *(*on_black)(void *) = nullptr;
    Uint32 (*pixel)(void *, int, int) = nullptr;
    void (*limits)(long *, long *, unsigned long long *) = nullptr;

    Probe()
    {
        handle = dlopen(SURFACE_PROBE, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle)
            return;
        bind(wrap, "probe_wrap");
        bind(set_colors, "probe_set_colors");
        bind(set_key, "probe_set_key");
        bind(map_rgba, "probe_map_rgba");
        bind(get_rgb, "probe_get_rgb");
        bind(fill, "probe_fill");
        bind(blit, "probe_blit");
        bind(free_surface, "probe_free");
        bind(load, "probe_load");
        bind(error, "probe_error");
        bind(on_black, "probe_on_black");
        bind(pixel, "probe_pixel");
        bind(limits, "probe_limits");
    }
    ~Probe()
    {
        if (handle)
            dlclose(handle);
    }
    template <typename Fn> void bind(Fn &fn, const char *name)
    {
        fn = reinterpret_cast<Fn>(dlsym(handle, name));
        EXPECT_NE(fn, nullptr) << name;
    }
    bool ok() const
    {
        return handle && limits;
    }
};

inline std::vector<char> readBytes(const std::string &file)
{
    std::vector<char> bytes;
    if (FILE *in = fopen(file.c_str(), "rb")) {
        char buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, in)) > 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        fclose(in);
    }
    return bytes;
}

inline void writeBytes(const std::string &file, const std::vector<char> &bytes)
{
    FILE *out = fopen(file.c_str(), "wb");
    ASSERT_NE(out, nullptr) << file;
    if (!bytes.empty())
        fwrite(bytes.data(), 1, bytes.size(), out);
    fclose(out);
}

}  // namespace surface_test

#endif
