// The surface layer (surfaces/, which the frei0r modules and the browser build draw through)
// against SDL 1.2 and SDL_image themselves, case by case: fills and blits clipped the same
// way with the same rectangles written back, the same pixels, colour keys, palettes and
// alpha, and the same pictures read from the font files.
#include "surface_probe.h"

#include <SDL_image.h>

#include <random>
#include <string>
#include <vector>

#include "run_program.h"

using namespace surface_test;

namespace {

// One picture held twice: as an SDL surface and as a surface of the layer, over two
// copies of the same pixels.
struct Twin {
    std::vector<Uint8> a, b;
    SDL_Surface *sdl = nullptr;
    void *layer = nullptr;
    Probe &probe;

    Twin(Probe &p, int w, int h, int depth, Uint32 R, Uint32 G, Uint32 B, std::mt19937 &random,
         Uint32 A = 0)
        : probe(p)
    {
        const int pitch = (w * depth / 8 + 3) & ~3;
        a.resize((size_t)pitch * h);
        for (Uint8 &v : a)
            v = (Uint8)random();
        b = a;
        sdl = SDL_CreateRGBSurfaceFrom(a.data(), w, h, depth, pitch, R, G, B, A);
        layer = p.wrap(b.data(), w, h, depth, pitch, R, G, B, A);
    }
    ~Twin()
    {
        SDL_FreeSurface(sdl);
        probe.free_surface(layer);
    }
    void setPalette(std::vector<SDL_Color> colors)
    {
        SDL_SetColors(sdl, colors.data(), 0, (int)colors.size());
        probe.set_colors(layer, colors.data(), (int)colors.size());
    }
    void palette(std::mt19937 &random)
    {
        std::vector<SDL_Color> colors(256);
        for (SDL_Color &c : colors)
            c = SDL_Color{(Uint8)random(), (Uint8)random(), (Uint8)random(), 0};
        colors[random() % 256] = SDL_Color{0, 0, 0, 0};
        setPalette(colors);
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

// Random blits of src onto dst, both ways, until the first difference.
void blitBoth(Probe &p, Twin &src, Twin &dst, std::mt19937 &random, int cases, const char *what)
{
    for (int i = 0; i < cases; ++i) {
        SDL_Rect s1 = randomRect(random, -20, 40, 45), s2 = s1;
        SDL_Rect d1 = randomRect(random, -30, 50, 60), d2 = d1;
        const bool whole_source = i % 50 == 0, no_destination = i % 70 == 0;
        const int r1 = SDL_BlitSurface(src.sdl, whole_source ? nullptr : &s1, dst.sdl,
                                       no_destination ? nullptr : &d1);
        const int r2 = p.blit(src.layer, whole_source ? nullptr : &s2, dst.layer,
                              no_destination ? nullptr : &d2);
        ASSERT_EQ(r2, r1) << what << ", case " << i;
        ASSERT_TRUE(sameRect(d2, d1)) << what << ", case " << i;
        ASSERT_TRUE(sameRect(s2, s1)) << what << ", case " << i;
        ASSERT_TRUE(dst.same()) << what << ", case " << i;
    }
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

// The kinds of blit the hosts make, each with source rectangles that start left of or above
// the source (the jumping scroller's x of -1) and destinations across every edge: the same
// pixels, and the same rectangle written back.
struct BlitCase {
    const char *name;
    int src_depth, dst_depth;
    enum { PLAIN, KEYED, EQUAL_PALETTES, ALPHA_RGBA, ALPHA_ARGB, ALPHA_ONTO_ALPHA } kind;
};
class SurfaceLayerBlits : public ::testing::TestWithParam<BlitCase> { };

TEST_P(SurfaceLayerBlits, ClipKeyMapAndWriteBackAsSdl12)
{
    NEED_CLASSIC_SDL();
    const BlitCase &c = GetParam();
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(18 + c.src_depth + 3 * c.dst_depth + 7 * c.kind);
    const auto masks = [](int depth, bool rgba) {
        return depth == 8 ? std::vector<Uint32>{0, 0, 0, 0}
               : rgba     ? std::vector<Uint32>{0xff, 0xff00, 0xff0000, 0xff000000}
                          : std::vector<Uint32>{0xff0000, 0xff00, 0xff, 0};
    };
    const bool alpha = c.kind == BlitCase::ALPHA_RGBA || c.kind == BlitCase::ALPHA_ARGB ||
                       c.kind == BlitCase::ALPHA_ONTO_ALPHA;
    const std::vector<Uint32> dm = masks(c.dst_depth, false);
    const std::vector<Uint32> sm = masks(c.src_depth, c.kind == BlitCase::ALPHA_RGBA);
    Twin dst(p, 41, 29, c.dst_depth, dm[0], dm[1], dm[2], random,
             c.kind == BlitCase::ALPHA_ONTO_ALPHA ? 0xff000000u : 0);
    Twin src(p, 33, 19, c.src_depth, sm[0], sm[1], sm[2], random, alpha ? 0xff000000u : 0);
    if (c.dst_depth == 8)
        dst.palette(random);
    if (c.src_depth == 8) {
        src.palette(random);
        if (c.kind == BlitCase::EQUAL_PALETTES)
            src.setPalette(std::vector<SDL_Color>(dst.sdl->format->palette->colors,
                                                  dst.sdl->format->palette->colors + 256));
        ASSERT_EQ(p.map_rgba(src.layer, 0, 0, 0, 0), SDL_MapRGB(src.sdl->format, 0, 0, 0));
    }
    if (alpha) {  // every alpha, with 0 and 255 often (a font's background and glyphs)
        for (size_t i = 3; i < src.a.size(); i += 4)
            src.a[i] = i % 3 == 0 ? 0 : i % 3 == 1 ? 255 : src.a[i];
        src.b = src.a;
    } else if (c.src_depth != 8) {
        for (size_t i = 0; i < src.a.size(); i += 7)  // some pixels black, keyed
            src.a[i] = src.a[i + 1 < src.a.size() ? i + 1 : i] = 0;
        src.b = src.a;
    }
    if (c.kind == BlitCase::KEYED || c.kind == BlitCase::EQUAL_PALETTES || alpha)
        src.key(SDL_MapRGB(src.sdl->format, 0, 0, 0));
    blitBoth(p, src, dst, random, 2000, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SurfaceLayerBlits,
    ::testing::Values(BlitCase{"strip_32_to_32", 32, 32, BlitCase::PLAIN},
                      BlitCase{"font_24_keyed_to_32", 24, 32, BlitCase::KEYED},
                      BlitCase{"font_8_keyed_to_32", 8, 32, BlitCase::KEYED},
                      BlitCase{"font_8_to_32", 8, 32, BlitCase::PLAIN},
                      BlitCase{"font_8_keyed_to_other_palette", 8, 8, BlitCase::KEYED},
                      BlitCase{"font_8_to_other_palette", 8, 8, BlitCase::PLAIN},
                      BlitCase{"font_8_keyed_to_equal_palette", 8, 8, BlitCase::EQUAL_PALETTES},
                      BlitCase{"font_rgba_to_32", 32, 32, BlitCase::ALPHA_RGBA},
                      BlitCase{"font_argb_to_32", 32, 32, BlitCase::ALPHA_ARGB},
                      BlitCase{"font_argb_to_argb", 32, 32, BlitCase::ALPHA_ONTO_ALPHA}),
    [](const ::testing::TestParamInfo<BlitCase> &i) { return std::string(i.param.name); });

// A surface blitted onto itself moves its pixels as SDL's does (the strip scrolls so).
TEST(SurfaceLayer, BlitOntoItselfMovesPixelsAsSdl12)
{
    NEED_CLASSIC_SDL();
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(19);
    for (int depth : {32, 8}) {
        Twin t(p, 50, 20, depth, depth == 8 ? 0 : 0xff0000, depth == 8 ? 0 : 0xff00,
               depth == 8 ? 0 : 0xff, random);
        for (int i = 0; i < 500; ++i) {
            SDL_Rect s1 = randomRect(random, -5, 30, 40), s2 = s1;
            SDL_Rect d1{(Sint16)(s1.x + (int)(random() % 7) - 3),
                        (Sint16)(s1.y + (int)(random() % 3) - 1), 0, 0},
                d2 = d1;
            SDL_BlitSurface(t.sdl, &s1, t.sdl, &d1);
            p.blit(t.layer, &s2, t.layer, &d2);
            ASSERT_TRUE(sameRect(d2, d1)) << depth << " bits, case " << i;
            ASSERT_TRUE(t.same()) << depth << " bits, case " << i;
        }
    }
}

// Colours mapped to a palette (nearest, first of equals) and to masks with and without
// alpha, and pixels read back into colours (the lost low bits filled as SDL fills them).
TEST(SurfaceLayer, MapsAndReadsColoursAsSdl12)
{
    Probe p;
    ASSERT_TRUE(p.ok());
    std::mt19937 random(20);
    Twin pal(p, 4, 4, 8, 0, 0, 0, random);
    Twin rgb(p, 4, 4, 32, 0xff0000, 0xff00, 0xff, random);
    Twin rgba(p, 4, 4, 32, 0xff, 0xff00, 0xff0000, random, 0xff000000);
    Twin rgb565(p, 4, 4, 16, 0xf800, 0x07e0, 0x001f, random);
    for (int round = 0; round < 20; ++round) {
        pal.palette(random);
        for (int i = 0; i < 200; ++i) {
            const Uint8 r = (Uint8)random(), g = (Uint8)random(), b = (Uint8)random(),
                        a = (Uint8)random();
            for (Twin *t : {&pal, &rgb, &rgba, &rgb565}) {
                const int bits = t->sdl->format->BitsPerPixel;
                ASSERT_EQ(p.map_rgba(t->layer, r, g, b, a), SDL_MapRGBA(t->sdl->format, r, g, b, a))
                    << bits << " bits";
                const Uint32 v = (Uint32)random() & (bits == 8 ? 0xff : bits == 16 ? 0xffff : ~0u);
                // sdl12-compat widens 5- and 6-bit channels by SDL 2's tables, not SDL 1.2's.
                if (bits == 16 && !classicSdl())
                    continue;
                Uint8 wr, wg, wb;
                SDL_GetRGB(v, t->sdl->format, &wr, &wg, &wb);
                ASSERT_EQ(p.get_rgb(t->layer, v), (Uint32)wr << 16 | (Uint32)wg << 8 | wb)
                    << bits << " bits, pixel " << v;
            }
        }
    }
}

// Every picture the readers take, as SDL_image reads it: the same size and depth, and the same
// colours drawn onto black as the scrollers draw fonts (with SDL_image's alpha, where it gives
// one; with classic SDL 1.2 only). Paletted and grey PNG pictures come as 24 bits (SDL_image:
// 8), in the same colours.
class SurfaceLayerReads : public ::testing::TestWithParam<std::string> { };

TEST_P(SurfaceLayerReads, PicturesAsSdlImage)
{
    const std::string &file = GetParam();
    Probe p;
    ASSERT_TRUE(p.ok());
    mirvotest::SurfacePtr want(IMG_Load(file.c_str()));
    ASSERT_TRUE(want) << file << ": " << IMG_GetError();
    mirvotest::SurfacePtr want32 = mirvotest::makeSurface(want->w, want->h, 32);
    SDL_BlitSurface(want.get(), nullptr, want32.get(), nullptr);
    int w = 0, h = 0, bpp = 0;
    void *got = p.load(file.c_str(), &w, &h, &bpp);
    ASSERT_NE(got, nullptr) << file << ": " << p.error();
    EXPECT_EQ(w, want->w);
    EXPECT_EQ(h, want->h);
    if (file.find("png_palette") == std::string::npos &&
        file.find("png_grey") == std::string::npos) {
        EXPECT_EQ(bpp, want->format->BitsPerPixel);
    }
    if (want->format->Amask && !classicSdl()) {  // sdl12-compat blends by SDL 2's rules
        p.free_surface(got);
        GTEST_SKIP() << "a picture with alpha is compared with classic SDL 1.2's blending";
    }
    void *got32 = p.on_black(got);
    ASSERT_NE(got32, nullptr);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(p.pixel(got32, x, y), mirvotest::pixelAt(want32.get(), x, y))
                << file << " at " << x << "," << y;
    p.free_surface(got32);
    p.free_surface(got);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SurfaceLayerReads, ::testing::ValuesIn([] {
        // The fuzzer's seeds (every format and depth the readers take), the fonts in three
        // formats and the bundled font.
        std::vector<std::string> files;
        for (const char *suffix : {".bmp", ".pcx", ".png"})
            for (const std::string &f : mirvo_test::listFiles(SURFACES_FUZZ_CORPUS, suffix))
                files.push_back(f);
        for (const char *font : {"font.png", "font-alpha.png", "font-rle8.bmp"})
            files.push_back(std::string(TEST_DATA_DIR) + "/fonts/" + font);
        files.push_back(std::string(MIRVO_SOURCE_DIR) + "/GFX/font.pcx");
        return files;
    }()),
    [](const ::testing::TestParamInfo<std::string> &i) {
        std::string name = i.param.substr(i.param.find_last_of('/') + 1);
        for (char &c : name)
            if (!isalnum((unsigned char)c))
                c = '_';
        return name;
    });

// A cut file is refused, never read past: the bundled font and a PNG cut anywhere.
TEST(SurfaceLayer, RefusesTruncatedPictures)
{
    Probe p;
    ASSERT_TRUE(p.ok());
    const std::string dir = mirvo_test::makeTempDir("badfont");
    for (const std::string &whole : {std::string(MIRVO_SOURCE_DIR) + "/GFX/font.pcx",
                                     std::string(TEST_DATA_DIR) + "/fonts/font.png",
                                     std::string(TEST_DATA_DIR) + "/fonts/font-rle8.bmp"}) {
        const std::vector<char> bytes = readBytes(whole);
        ASSERT_GT(bytes.size(), 1000u) << whole;
        for (size_t keep : {(size_t)0, (size_t)1, (size_t)100, (size_t)128, bytes.size() / 2,
                            bytes.size() - 10}) {
            const std::string cut = dir + "/cut" + std::to_string(keep);
            writeBytes(cut, std::vector<char>(bytes.begin(), bytes.begin() + keep));
            int w, h, bpp;
            void *s = p.load(cut.c_str(), &w, &h, &bpp);
            EXPECT_EQ(s, nullptr) << whole << " cut to " << keep << " bytes";
            if (s)
                p.free_surface(s);
        }
    }
}
