// The bundled font GFX/font.pcx: its file format, layout and colours, which rasterwave
// and the scroller plug-ins rely on.
#include <SDL.h>
#include <SDL_image.h>
#include <mirvo.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const char *const FONT = RASTERWAVE_RUN_DIR "/" MIRVO_FONT1;
const int GLYPHS = 94;
const int CELL_W = 16, CELL_H = 32;

std::vector<unsigned char> fileBytes(const char *path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

unsigned le16(const std::vector<unsigned char> &b, size_t at)
{
    return b[at] | b[at + 1] << 8;
}

TEST(BundledFont, IsAn8BitRunLengthPcxWithA256ColourPalette)
{
    std::vector<unsigned char> b = fileBytes(FONT);
    ASSERT_GT(b.size(), 128u + 769u);
    EXPECT_EQ(b[0], 10);  // PCX
    EXPECT_EQ(b[1], 5);   // version with the palette at the end
    EXPECT_EQ(b[2], 1);   // run-length encoded
    EXPECT_EQ(b[3], 8);   // bits per pixel
    EXPECT_EQ(le16(b, 8) + 1, (unsigned)(GLYPHS * CELL_W));
    EXPECT_EQ(le16(b, 10) + 1, (unsigned)CELL_H);
    EXPECT_EQ(b[65], 1);               // one plane
    EXPECT_EQ(b[b.size() - 769], 12);  // palette marker
}

class FontImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        font = IMG_Load(FONT);
        ASSERT_NE(font, nullptr) << IMG_GetError();
    }
    void TearDown() override
    {
        SDL_FreeSurface(font);
    }
    Uint8 at(int x, int y) const
    {
        return ((Uint8 *)font->pixels)[y * font->pitch + x];
    }
    SDL_Surface *font = nullptr;
};

TEST_F(FontImage, Holds94GlyphsOf16By32SideBySide)
{
    EXPECT_EQ(font->w, GLYPHS * CELL_W);
    EXPECT_EQ(font->h, CELL_H);
    EXPECT_EQ(font->format->BitsPerPixel, 8);
    EXPECT_EQ((int)strlen(MIRVO_FONT1_CHARACTERS), GLYPHS);
}

TEST_F(FontImage, InkUsesOnlyBlackAndTheBarGreens)
{
    const Uint8 greens[5] = {0, 64, 128, 200, 255};
    ASSERT_NE(font->format->palette, nullptr);
    for (int i = 0; i < 5; ++i) {
        const SDL_Color &c = font->format->palette->colors[i];
        EXPECT_EQ(c.r, 0);
        EXPECT_EQ(c.g, greens[i]);
        EXPECT_EQ(c.b, 0);
    }
    int used[5] = {};
    for (int y = 0; y < font->h; ++y)
        for (int x = 0; x < font->w; ++x) {
            ASSERT_LT(at(x, y), 5) << x << "," << y;
            ++used[at(x, y)];
        }
    for (int i = 1; i < 5; ++i)
        EXPECT_GT(used[i], 0) << "green " << i << " unused";
}

// rasterwave reads each glyph one pixel left of its cell and covers its last two columns
// with the next glyph, so ink must stay inside columns 1 .. 12; the space is blank and
// every other glyph has ink.
TEST_F(FontImage, InkStaysInsideColumns1To12AndOnlyTheSpaceIsBlank)
{
    for (int k = 0; k < GLYPHS; ++k) {
        int ink = 0;
        for (int y = 0; y < CELL_H; ++y)
            for (int x = 0; x < CELL_W; ++x) {
                if (at(k * CELL_W + x, y) == 0)
                    continue;
                ++ink;
                EXPECT_TRUE(x >= 1 && x <= 12)
                    << "'" << MIRVO_FONT1_CHARACTERS[k] << "' has ink in column " << x;
            }
        if (k == 0)
            EXPECT_EQ(ink, 0) << "the space must be blank";
        else
            EXPECT_GT(ink, 0) << "'" << MIRVO_FONT1_CHARACTERS[k] << "' is blank";
    }
}

TEST_F(FontImage, CapitalsStandOnOneBaseline)
{
    // Capitals without descenders end on the same row, so the text reads level.
    auto lowest = [&](char c) {
        int k = (int)(strchr(MIRVO_FONT1_CHARACTERS, c) - MIRVO_FONT1_CHARACTERS);
        int low = -1;
        for (int y = 0; y < CELL_H; ++y)
            for (int x = 0; x < CELL_W; ++x)
                if (at(k * CELL_W + x, y))
                    low = y;
        return low;
    };
    int base = lowest('H');
    EXPECT_GT(base, 16);
    for (char c : std::string("EFHIKLMNTXZ"))
        EXPECT_EQ(lowest(c), base) << c;
}

}  // namespace
