// mkfont - draws GFX/font.pcx, the bitmap font of rasterwave and the scroller plug-ins,
// from a monospace TrueType font through FreeType.
//
// The result: 94 glyphs of 16 x 32 pixels side by side (1504 x 32), in the order of
// MIRVO_FONT1_CHARACTERS, written as an 8-bit run-length PCX with a 256-colour palette.
// The ink uses palette entries 1 to 4, the greens of rasterwave's palette, on black
// (entry 0), so the font maps cleanly onto that 5-colour palette and still looks right
// when blitted onto true-colour surfaces.
//
// rasterwave reads each glyph one pixel to the left of its cell and scrolls a new glyph
// in every 14 pixels, so only cell columns 0 .. 12 ever show there; the plug-ins read
// whole cells. The ink is therefore kept in columns 1 .. 12, which leaves two blank
// columns between letters in both cases.
//
// Usage: mkfont [TTF [OUT.pcx]]
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "picture_writer.h"

namespace {

const char *const kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
const char *const kCharacters =
    " !#$%&'()*+,-./"
    "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

const int CELL_W = 16;
const int CELL_H = 32;
const int INK_LEFT = 1;    // first column that may hold ink
const int INK_RIGHT = 12;  // last column that may hold ink
const int CAP_TOP = 4;     // row of the top of a capital letter
const int BASELINE = 26;   // first row below a capital letter
const int BOTTOM = 31;     // last row a descender may reach

// Palette entries: black and rasterwave's greens.
enum Shade : uint8_t { BLACK = 0, DARK = 1, MID = 2, LIGHT = 3, BRIGHT = 4 };
const uint8_t kGreens[5] = {0, 64, 128, 200, 255};

struct Glyph {
    int w = 0, h = 0, left = 0, top = 0;  // bitmap size and offsets from the pen
    std::vector<uint8_t> cov;             // coverage, 0 .. 255, row-major
};

// Extra stroke weight in 26.6 pixels, so strokes are three pixels wide and can be shaded.
const FT_Pos EMBOLDEN = 40;

bool render(FT_Face face, char c, Glyph &g)
{
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_NO_BITMAP) ||
        face->glyph->format != FT_GLYPH_FORMAT_OUTLINE ||
        FT_Outline_Embolden(&face->glyph->outline, EMBOLDEN) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
        return false;
    const FT_Bitmap &bm = face->glyph->bitmap;
    g.w = static_cast<int>(bm.width);
    g.h = static_cast<int>(bm.rows);
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.cov.assign(static_cast<size_t>(g.w) * g.h, 0);
    for (int y = 0; y < g.h; ++y)
        std::memcpy(&g.cov[static_cast<size_t>(y) * g.w], bm.buffer + y * bm.pitch, g.w);
    return true;
}

bool fits_vertically(const Glyph &g)
{
    return BASELINE - g.top >= 0 && BASELINE - g.top + g.h - 1 <= BOTTOM;
}

// Picks the pixel height at which a capital runs from CAP_TOP to the baseline and no
// glyph leaves the cell, and the pixel width at which a capital H fills the ink columns
// less one. Glyphs wider than that are drawn narrower (see render_fitted).
bool fit(FT_Face face, int &px_w, int &px_h)
{
    for (int h = 48; h >= 12; --h) {
        FT_Set_Pixel_Sizes(face, 0, h);
        Glyph cap;
        if (!render(face, 'H', cap) || cap.top > BASELINE - CAP_TOP)
            continue;
        bool ok = true;
        for (const char *p = kCharacters; *p && ok; ++p) {
            Glyph g;
            ok = render(face, *p, g) && fits_vertically(g);
        }
        if (!ok)
            continue;
        for (int w = 2 * h; w >= 8; --w) {
            FT_Set_Pixel_Sizes(face, w, h);
            if (render(face, 'H', cap) && cap.w <= INK_RIGHT - INK_LEFT) {
                px_w = w;
                px_h = h;
                return true;
            }
        }
    }
    return false;
}

// Renders c at px_w x px_h, narrowing it until it fits the ink columns.
bool render_fitted(FT_Face face, char c, int px_w, int px_h, Glyph &g)
{
    for (int w = px_w; w >= 4; --w) {
        FT_Set_Pixel_Sizes(face, w, px_h);
        if (!render(face, c, g))
            return false;
        if (g.w <= INK_RIGHT - INK_LEFT + 1 && fits_vertically(g))
            return true;
    }
    return false;
}

// Coverage of the glyph drawn at its pen position, quantised to ink (1) and soft edge (2).
void place(const Glyph &g, int pen_x, uint8_t cell[CELL_H][CELL_W])
{
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            int cx = std::clamp(pen_x + g.left + x, INK_LEFT, INK_RIGHT);
            int cy = BASELINE - g.top + y;
            if (cy < 0 || cy > BOTTOM)
                continue;
            uint8_t c = g.cov[static_cast<size_t>(y) * g.w + x];
            uint8_t v = c >= 112 ? 1 : c >= 48 ? 2 : 0;
            if (v == 1 || (v == 2 && cell[cy][cx] == 0))
                cell[cy][cx] = v;
        }
}

// Shades a quantised glyph like pressed metal: light from the top left. Ink pixels on
// an upper or left edge are bright, on a lower or right edge mid green, inside light
// green; soft edges are dark green.
void shade(const uint8_t in[CELL_H][CELL_W], uint8_t out[CELL_H][CELL_W])
{
    auto ink = [&](int y, int x) {
        return y >= 0 && y < CELL_H && x >= 0 && x < CELL_W && in[y][x] == 1;
    };
    for (int y = 0; y < CELL_H; ++y)
        for (int x = 0; x < CELL_W; ++x) {
            if (in[y][x] == 0) {
                out[y][x] = BLACK;
            } else if (in[y][x] == 2) {
                out[y][x] = DARK;
            } else if (!ink(y - 1, x) || !ink(y, x - 1)) {
                out[y][x] = BRIGHT;
            } else if (!ink(y + 1, x) || !ink(y, x + 1)) {
                out[y][x] = MID;
            } else {
                out[y][x] = LIGHT;
            }
        }
}

// An 8-bit, one-plane, run-length PCX (version 5) with a 256-colour palette at the end:
// black and the four greens, the rest black.
bool write_pcx(const char *path, const std::vector<uint8_t> &pix, int w, int h)
{
    picture::Rgb palette[256] = {};
    for (int i = 0; i < 5; ++i)
        palette[i].g = kGreens[i];
    return picture::save(path, picture::pcx8(w, h, pix.data(), palette), "mkfont");
}

}  // namespace

int main(int argc, char **argv)
{
    const char *ttf = argc > 1 ? argv[1] : kDefaultFont;
    const char *pcx = argc > 2 ? argv[2] : "GFX/font.pcx";
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) || FT_New_Face(lib, ttf, 0, &face)) {
        std::fprintf(stderr, "mkfont: cannot open font %s\n", ttf);
        return 1;
    }
    int px_w = 0, px_h = 0;
    if (!fit(face, px_w, px_h)) {
        std::fprintf(stderr, "mkfont: %s does not fit a %dx%d cell\n", ttf, CELL_W, CELL_H);
        return 1;
    }
    const int n = static_cast<int>(std::strlen(kCharacters));
    const int width = n * CELL_W;
    std::vector<uint8_t> pix(static_cast<size_t>(width) * CELL_H, 0);
    for (int k = 0; k < n; ++k) {
        Glyph g;
        if (!render_fitted(face, kCharacters[k], px_w, px_h, g)) {
            std::fprintf(stderr, "mkfont: %s cannot draw '%c' in the cell\n", ttf, kCharacters[k]);
            return 1;
        }
        // Centre the glyph's ink box in the ink columns.
        const int ink_w = INK_RIGHT - INK_LEFT + 1;
        const int pen_x = INK_LEFT + (ink_w - g.w) / 2 - g.left;
        uint8_t q[CELL_H][CELL_W] = {};
        uint8_t s[CELL_H][CELL_W];
        place(g, pen_x, q);
        shade(q, s);
        for (int y = 0; y < CELL_H; ++y)
            for (int x = 0; x < CELL_W; ++x)
                pix[static_cast<size_t>(y) * width + k * CELL_W + x] = s[y][x];
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    if (!write_pcx(pcx, pix, width, CELL_H))
        return 1;
    std::printf("mkfont: %s at %dx%d px -> %s (%dx%d)\n", ttf, px_w, px_h, pcx, width, CELL_H);
    return 0;
}
