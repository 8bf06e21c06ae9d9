// The frei0r modules' own surface layer against SDL 1.2 itself, case by case: fills and
// blits clipped the same way with the same rectangles written back, the same pixels, the
// same colour keys and colour mapping, and the same pictures read from the font files.
#include "effect_harness.h"

#include <SDL_image.h>
#include <dlfcn.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace fx_test;

namespace {

// The layer's entry points in surface_probe.cpp, opened from its module.
struct Probe {
    void *handle = nullptr;
    void *(*wrap)(void *, int, int, int, int, Uint32, Uint32, Uint32, Uint32) = nullptr;
    void (*set_colors)(void *, const SDL_Color *, int) = nullptr;
    void (*set_key)(void *, Uint32) = nullptr;
    Uint32 (*map_rgb)(void *, Uint8, Uint8, Uint8) = nullptr;
    int (*fill)(void *, SDL_Rect *, Uint32) = nullptr;
    int (*blit)(void *, SDL_Rect *, void *, SDL_Rect *) = nullptr;
    void (*free_surface)(void *) = nullptr;
    void *(*load)(const char *, int *, int *, int *, int *, const void **,
                  const SDL_Color **) = nullptr;
    Uint32 (*rgb)(void *, int, int) = nullptr;

    Probe()
    {
        handle = dlopen(SURFACE_PROBE, RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle)
            return;
        bind(wrap, "probe_wrap");
        bind(set_colors, "probe_set_colors");
        bind(set_key, "probe_set_key");
        bind(map_rgb, "probe_map_rgb");
        bind(fill, "probe_fill");
        bind(blit, "probe_blit");
        bind(free_surface, "probe_free");
        bind(load, "probe_load");
        bind(rgb, "probe_rgb");
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
        return handle && rgb;
    }
};

// One picture held twice: as an SDL surface and as a surface of the layer, over two
// copies of the same pixels.
struct Twin {
    std::vector<Uint8> a, b;
    SDL_Surface *sdl = nullptr;
    void *layer = nullptr;
    Probe &probe;

    Twin(Probe &p, int w, int h, int depth, Uint32 R, Uint32 G, Uint32 B, std::mt19937 &random)
        : probe(p)
    {
        const int pitch = (w * depth / 8 + 3) & ~3;
        a.resize((size_t)pitch * h);
        for (Uint8 &v : a)
            v = (Uint8)random();
        b = a;
        sdl = SDL_CreateRGBSurfaceFrom(a.data(), w, h, depth, pitch, R, G, B, 0);
        layer = p.wrap(b.data(), w, h, depth, pitch, R, G, B, 0);
    }
    ~Twin()
    {
        SDL_FreeSurface(sdl);
        probe.free_surface(layer);
    }
    void palette(std::mt19937 &random)
    {
        std::vector<SDL_Color> colors(256);
        for (SDL_Color &c : colors)
            c = SDL_Color{(Uint8)random(), (Uint8)random(), (Uint8)random(), 0};
        colors[random() % 256] = SDL_Color{0, 0, 0, 0};
        SDL_SetColors(sdl, colors.data(), 0, 256);
        probe.set_colors(layer, colors.data(), 256);
    }
    void key(Uint32 k)
    {
        SDL_SetColorKey(sdl, SDL_SRCCOLORKEY, k);
        probe.set_key(layer, k);
    }
    bool same() const
    {
        return a == b;
    }
};

SDL_Rect randomRect(std::mt19937 &random, int lo, int hi, int size)
{
    std::uniform_int_distribution<int> at(lo, hi), extent(0, size);
    return SDL_Rect{(Sint16)at(random), (Sint16)at(random), (Uint16)extent(random),
                    (Uint16)extent(random)};
}

// The reference is classic SDL 1.2 (Debian 12's, whose frames the effects keep):
// sdl12-compat, which reports a later 1.2 version, writes other rectangles back.
bool classicSdl()
{
    const SDL_version *v = SDL_Linked_Version();
    return v->major == 1 && v->minor == 2 && v->patch <= 15;
}
#define NEED_CLASSIC_SDL()                                                                         \
    if (!classicSdl())                                                                             \
    GTEST_SKIP() << "the reference is classic SDL 1.2; this is SDL "                               \
                 << (int)SDL_Linked_Version()->patch << " (sdl12-compat)"

::testing::AssertionResult sameRect(const SDL_Rect &got, const SDL_Rect &want)
{
    if (got.x == want.x && got.y == want.y && got.w == want.w && got.h == want.h)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.w << ", "
                                         << got.h << ") instead of SDL's (" << want.x << ", "
                                         << want.y << ", " << want.w << ", " << want.h << ")";
}

}  // namespace

// Rectangles inside, across every edge, beyond the surface and empty: the fill clips them
// as SDL 1.2 does and writes the same rectangle back (an empty one keeps its clipped x, y).
TEST(SurfaceLayer, FillClipsAndWritesBackAsSdl12)
{
    NEED_CLASSIC_SDL();
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(17);
    for (int depth : {32, 24, 8}) {
        Twin t(p, 37, 23, depth, depth == 8 ? 0 : 0xff0000, depth == 8 ? 0 : 0xff00,
               depth == 8 ? 0 : 0xff, random);
        for (int i = 0; i < 3000; ++i) {
            SDL_Rect r1 = randomRect(random, -50, 70, 60), r2 = r1;
            const Uint32 colour = random() & (depth == 8 ? 0xff : 0xffffff);
            const bool whole = i % 100 == 0;
            SDL_FillRect(t.sdl, whole ? nullptr : &r1, colour);
            p.fill(t.layer, whole ? nullptr : &r2, colour);
            ASSERT_TRUE(sameRect(r2, r1)) << depth << " bits, case " << i;
            ASSERT_TRUE(t.same()) << depth << " bits, case " << i;
        }
    }
}

// Blits from 32-bit (the strip), 24-bit and 8-bit keyed (the fonts) sources onto a 32-bit
// target, with source rectangles that start left of or above the source (the jumping
// scroller's x of -1) and destinations across every edge: the same pixels, and the same
// rectangle written back.
TEST(SurfaceLayer, BlitClipsKeysAndWritesBackAsSdl12)
{
    NEED_CLASSIC_SDL();
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(18);
    for (int depth : {32, 24, 8}) {
        Twin dst(p, 41, 29, 32, 0x0000ff, 0x00ff00, 0xff0000, random);
        Twin src(p, 33, 19, depth, depth == 8 ? 0 : 0xff0000, depth == 8 ? 0 : 0xff00,
                 depth == 8 ? 0 : 0xff, random);
        if (depth == 8) {
            src.palette(random);
            src.key(SDL_MapRGB(src.sdl->format, 0, 0, 0));
            ASSERT_EQ(p.map_rgb(src.layer, 0, 0, 0), SDL_MapRGB(src.sdl->format, 0, 0, 0));
        } else if (depth == 24) {
            for (size_t i = 0; i < src.a.size(); i += 7)  // some pixels black, keyed
                src.a[i] = src.a[i + 1 < src.a.size() ? i + 1 : i] = 0;
            src.b = src.a;
            src.key(0);
        }
        for (int i = 0; i < 3000; ++i) {
            SDL_Rect s1 = randomRect(random, -20, 40, 45), s2 = s1;
            SDL_Rect d1 = randomRect(random, -30, 50, 60), d2 = d1;
            const bool whole_source = i % 50 == 0, no_destination = i % 70 == 0;
            const int r1 = SDL_BlitSurface(src.sdl, whole_source ? nullptr : &s1, dst.sdl,
                                           no_destination ? nullptr : &d1);
            const int r2 = p.blit(src.layer, whole_source ? nullptr : &s2, dst.layer,
                                  no_destination ? nullptr : &d2);
            ASSERT_EQ(r2, r1) << depth << " bits, case " << i;
            ASSERT_TRUE(sameRect(d2, d1)) << depth << " bits, case " << i;
            ASSERT_TRUE(sameRect(s2, s1)) << depth << " bits, case " << i;
            ASSERT_TRUE(dst.same()) << depth << " bits, case " << i;
        }
    }
}

// A surface blitted onto itself moves its pixels as SDL's does (the strip scrolls so).
TEST(SurfaceLayer, BlitOntoItselfMovesPixelsAsSdl12)
{
    NEED_CLASSIC_SDL();
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(19);
    Twin t(p, 50, 20, 32, 0xff0000, 0xff00, 0xff, random);
    for (int i = 0; i < 500; ++i) {
        SDL_Rect s1 = randomRect(random, -5, 30, 40), s2 = s1;
        SDL_Rect d1{(Sint16)(s1.x + (int)(random() % 7) - 3), s1.y, 0, 0}, d2 = d1;
        SDL_BlitSurface(t.sdl, &s1, t.sdl, &d1);
        p.blit(t.layer, &s2, t.layer, &d2);
        ASSERT_TRUE(sameRect(d2, d1)) << "case " << i;
        ASSERT_TRUE(t.same()) << "case " << i;
    }
}

TEST(SurfaceLayer, MapsColoursOnAPaletteAsSdl12)
{
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(20);
    Twin t(p, 4, 4, 8, 0, 0, 0, random);
    for (int round = 0; round < 20; ++round) {
        t.palette(random);
        for (int i = 0; i < 200; ++i) {
            Uint8 r = (Uint8)random(), g = (Uint8)random(), b = (Uint8)random();
            ASSERT_EQ(p.map_rgb(t.layer, r, g, b), SDL_MapRGB(t.sdl->format, r, g, b));
        }
    }
}

// The bundled PCX font and a BMP font as SDL_image reads them: same size, same colours.
TEST(SurfaceLayer, ReadsTheFontsAsSdlImage)
{
    Probe p;
    ASSERT_TRUE(p.ok());
    for (const std::string &file :
         {std::string(PLAYER_SOURCE_DIR) + "/../GFX/font.pcx", makeFont(16, 32, 16, true)}) {
        SurfacePtr want(IMG_Load(file.c_str()));
        ASSERT_TRUE(want) << file;
        SurfacePtr want32 = makeTarget(want->w, want->h);
        SDL_BlitSurface(want.get(), nullptr, want32.get(), nullptr);
        int w = 0, h = 0, bpp = 0, pitch = 0;
        const void *pixels = nullptr;
        const SDL_Color *colors = nullptr;
        void *got = p.load(file.c_str(), &w, &h, &bpp, &pitch, &pixels, &colors);
        ASSERT_NE(got, nullptr) << file;
        EXPECT_EQ(w, want->w);
        EXPECT_EQ(h, want->h);
        EXPECT_EQ(bpp, want->format->BitsPerPixel) << file;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(p.rgb(got, x, y), pixel(want32.get(), x, y))
                    << file << " at " << x << "," << y;
        p.free_surface(got);
    }
}

TEST(SurfaceLayer, RefusesTruncatedAndUnknownPictures)
{
    Probe p;
    ASSERT_TRUE(p.ok());
    std::string dir = mirvo_test::makeTempDir("badfont");
    std::string pcx = std::string(PLAYER_SOURCE_DIR) + "/../GFX/font.pcx";
    FILE *in = fopen(pcx.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::vector<char> bytes(1 << 20);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), in));
    fclose(in);
    for (size_t keep :
         {(size_t)0, (size_t)1, (size_t)100, (size_t)128, bytes.size() / 2, bytes.size() - 10}) {
        std::string cut = dir + "/cut" + std::to_string(keep) + ".pcx";
        FILE *out = fopen(cut.c_str(), "wb");
        fwrite(bytes.data(), 1, keep, out);
        fclose(out);
        int w, h, bpp, pitch;
        const void *pixels;
        const SDL_Color *colors;
        void *s = p.load(cut.c_str(), &w, &h, &bpp, &pitch, &pixels, &colors);
        EXPECT_EQ(s, nullptr) << keep << " bytes";
        if (s)
            p.free_surface(s);
    }
}
