// Surface copy, left-right mirroring and vertical column scaling at every depth.
#include "mirvo.h"
#include "surface_helpers.h"

#include <gtest/gtest.h>

namespace {

using namespace mirvotest;

class AnyDepth : public ::testing::TestWithParam<int> { };

TEST_P(AnyDepth, CopyHasSameFormatAndPixels)
{
    int bpp = GetParam();
    SurfacePtr src = makeSurface(13, 5, bpp);
    fillPattern(src.get());
    SurfacePtr copy(MIRVO_copy_surface(src.get()));
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), src.get());
    EXPECT_EQ(copy->w, 13);
    EXPECT_EQ(copy->h, 5);
    EXPECT_EQ(copy->format->BitsPerPixel, bpp);
    EXPECT_EQ(copy->format->Rmask, src->format->Rmask);
    EXPECT_EQ(copy->format->Bmask, src->format->Bmask);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(pixelAt(copy.get(), x, y), pixelAt(src.get(), x, y)) << x << "," << y;
    // The copy is independent: writing it leaves the source alone.
    setPixel(copy.get(), 0, 0, 0);
    EXPECT_EQ(pixelAt(src.get(), 0, 0), patternValue(0, 0, bpp));
}

TEST_P(AnyDepth, MirrorReversesEveryRow)
{
    int bpp = GetParam();
    for (int w : {1, 6, 7}) {
        SurfacePtr s = makeSurface(w, 3, bpp);
        fillPattern(s.get());
        MIRVO_flipx_image(s.get());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(pixelAt(s.get(), x, y), patternValue(w - 1 - x, y, bpp))
                    << "width " << w << " at " << x << "," << y;
    }
}

TEST_P(AnyDepth, ScaledColumnIsCentredAndSampledDown)
{
    int bpp = GetParam();
    SurfacePtr src = makeSurface(4, 32, bpp);
    fillPattern(src.get());
    SurfacePtr dst = makeSurface(4, 32, bpp);
    SDL_FillRect(dst.get(), nullptr, 3);
    // 50 of 32 rows: h = 16, top = 8, row i comes from source row 2i.
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 2, 50);
    for (int y = 0; y < 32; ++y) {
        Uint32 want = (y >= 8 && y < 24) ? patternValue(2, 2 * (y - 8), bpp) : 3u;
        ASSERT_EQ(pixelAt(dst.get(), 2, y), want) << "row " << y;
        for (int x : {0, 1, 3})
            ASSERT_EQ(pixelAt(dst.get(), x, y), 3u) << "other column " << x << " row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, AnyDepth, ::testing::Values(8, 16, 24, 32));

TEST(SurfaceCopy, CarriesThePalette)
{
    SurfacePtr src = makeSurface(2, 2, 8);
    SDL_Color colors[3] = {{1, 2, 3, 0}, {40, 50, 60, 0}, {200, 100, 0, 0}};
    SDL_SetPalette(src.get(), SDL_LOGPAL, colors, 0, 3);
    SurfacePtr copy(MIRVO_copy_surface(src.get()));
    ASSERT_TRUE(copy && copy->format->palette);
    ASSERT_NE(copy->format->palette, src->format->palette);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(copy->format->palette->colors[i].r, colors[i].r);
        EXPECT_EQ(copy->format->palette->colors[i].g, colors[i].g);
        EXPECT_EQ(copy->format->palette->colors[i].b, colors[i].b);
    }
    EXPECT_EQ(MIRVO_copy_surface(nullptr), nullptr);
}

TEST(ColumnScaling, AmountsAtTheEnds)
{
    SurfacePtr src = makeSurface(1, 32, 8);
    fillPattern(src.get());
    SurfacePtr dst = makeSurface(1, 32, 8);

    // Amount 0 writes nothing at all.
    SDL_FillRect(dst.get(), nullptr, 0xEE);
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 0, 0);
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(pixelAt(dst.get(), 0, y), 0xEEu);

    // 99: h = 31 rows from the top (top = 0), source row (i * 32) / 31; the last row stays.
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 0, 99);
    for (int i = 0; i < 31; ++i)
        ASSERT_EQ(pixelAt(dst.get(), 0, i), patternValue(0, (i * 32) / 31, 8)) << i;
    EXPECT_EQ(pixelAt(dst.get(), 0, 31), 0xEEu);

    // 100 is a straight copy; 3 of 32 rows: h = 0, nothing.
    SDL_FillRect(dst.get(), nullptr, 0xEE);
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 0, 3);
    EXPECT_EQ(pixelAt(dst.get(), 0, 15), 0xEEu);
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 0, 100);
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(pixelAt(dst.get(), 0, y), patternValue(0, y, 8));
}

TEST(ColumnScaling, DifferentHeightsAndOutsideColumns)
{
    // Source 10 rows, destination 20: amount 50 gives h = 5 at top = 7, rows 0,2,4,6,8.
    SurfacePtr src = makeSurface(3, 10, 8);
    fillPattern(src.get());
    SurfacePtr dst = makeSurface(5, 20, 8);
    SDL_FillRect(dst.get(), nullptr, 0);
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 1, 50);
    for (int y = 0; y < 20; ++y) {
        Uint32 want = (y >= 7 && y < 12) ? patternValue(1, 2 * (y - 7), 8) : 0u;
        ASSERT_EQ(pixelAt(dst.get(), 1, y), want) << y;
    }
    // Column 3 exists in dst but not in src; 5 in neither: nothing is written.
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 3, 100);
    MIRVO_scale_copy_vscanline(src.get(), dst.get(), 5, 100);
    for (int y = 0; y < 20; ++y)
        ASSERT_EQ(pixelAt(dst.get(), 3, y), 0u);
    // Amounts above 100 never write outside the destination.
    SurfacePtr small = makeSurface(3, 4, 8);
    SDL_FillRect(small.get(), nullptr, 0);
    MIRVO_scale_copy_vscanline(src.get(), small.get(), 0, 255);
    // h = 25, top = -10: destination row y shows source row ((y + 10) * 10) / 25.
    for (int y = 0; y < 4; ++y)
        ASSERT_EQ(pixelAt(small.get(), 0, y), patternValue(0, ((y + 10) * 10) / 25, 8));
}

TEST(ParameterList, WalksDataInOrder)
{
    Uint8 a = 7;
    Uint16 b = 640;
    const char *c = "text";
    MIRVO_NODE n3 = {&c, nullptr, nullptr};
    MIRVO_NODE n2 = {&b, &n3, nullptr};
    MIRVO_NODE n1 = {&a, &n2, nullptr};
    n2.previous_node = &n1;
    n3.previous_node = &n2;
    MIRVO_NODE *cursor = &n1;
    EXPECT_EQ(*(const Uint8 *)MIRVO_LIST_get_data_next(&cursor), 7);
    EXPECT_EQ(cursor, &n2);
    EXPECT_EQ(*(const Uint16 *)MIRVO_LIST_get_data_next(&cursor), 640);
    EXPECT_STREQ(*(const char *const *)MIRVO_LIST_get_data_next(&cursor), "text");
    EXPECT_EQ(cursor, nullptr);
}

}  // namespace
