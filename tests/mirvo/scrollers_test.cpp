// Font scrollers: glyph rectangles, the ready rule, failures and the colour-keyed blit.
#include "mirvo.h"
#include "run_program.h"
#include "surface_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace mirvotest;

// A 3-glyph font of 4 x 5 cells: glyph k is filled with blue level 60 * (k + 1), except its
// top-left pixel, which is black (the colour key).
class Scrollers : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = mirvo_test::makeTempDir("mirvo-font");
        font = dir + "/font.bmp";
        SurfacePtr img = makeSurface(12, 5, 32);
        for (int k = 0; k < 3; ++k) {
            SDL_Rect r = {(Sint16)(4 * k), 0, 4, 5};
            SDL_FillRect(img.get(), &r, (Uint32)(60 * (k + 1)));
            setPixel(img.get(), 4 * k, 0, 0);
        }
        ASSERT_EQ(SDL_SaveBMP(img.get(), font.c_str()), 0);
    }
    void TearDown() override
    {
        unlink(font.c_str());
        rmdir(dir.c_str());
    }
    std::string dir, font;
};

TEST_F(Scrollers, GlyphsFollowTheCharacterTable)
{
    static const char text[] = "ba?c";
    Uint8 id = MIRVO_add_scroller(text, font.c_str(), "abc", 4, 5);
    ASSERT_NE(id, 255);
    EXPECT_EQ(MIRVO_get_character_width(id), 4);
    EXPECT_EQ(MIRVO_get_character_height(id), 5);
    std::vector<int> xs;
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(MIRVO_scroller_ready(id)) << "ready too early, before call " << i;
        SDL_Rect *r = MIRVO_get_font_char(id);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->y, 0);
        EXPECT_EQ(r->w, 4);
        EXPECT_EQ(r->h, 5);
        xs.push_back(r->x);
    }
    // 'b' is glyph 1, 'a' glyph 0, '?' is missing (glyph 0), 'c' glyph 2.
    EXPECT_EQ(xs, (std::vector<int>{4, 0, 0, 8}));
    // The last character has been handed out, but the scroller is ready only from the
    // call after it, which gives glyph 0 (and so do all later calls).
    EXPECT_FALSE(MIRVO_scroller_ready(id));
    EXPECT_EQ(MIRVO_get_font_char(id)->x, 0);
    EXPECT_TRUE(MIRVO_scroller_ready(id));
    EXPECT_EQ(MIRVO_get_font_char(id)->x, 0);
    EXPECT_TRUE(MIRVO_scroller_ready(id));
    MIRVO_free_scroller(id);
}

TEST_F(Scrollers, FailuresReturn255)
{
    EXPECT_EQ(MIRVO_add_scroller(nullptr, font.c_str(), "abc", 4, 5), 255);
    EXPECT_EQ(MIRVO_add_scroller("abc", (dir + "/missing.pcx").c_str(), "abc", 4, 5), 255);
    EXPECT_EQ(MIRVO_add_scroller("abc", font.c_str(), nullptr, 4, 5), 255);
}

TEST_F(Scrollers, At255LiveScrollersTheNextFailsAndAFreedIdIsReused)
{
    std::vector<Uint8> ids;
    for (int i = 0; i < 255; ++i) {
        Uint8 id = MIRVO_add_scroller("a", font.c_str(), "abc", 4, 5);
        ASSERT_NE(id, 255) << "scroller " << i;
        ids.push_back(id);
    }
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(ids[i], i);
    EXPECT_EQ(MIRVO_add_scroller("a", font.c_str(), "abc", 4, 5), 255);
    MIRVO_free_scroller(17);
    EXPECT_EQ(MIRVO_add_scroller("a", font.c_str(), "abc", 4, 5), 17);
    for (Uint8 id : ids)
        MIRVO_free_scroller(id);
    // Freed ids behave as finished, not as crashes.
    EXPECT_EQ(MIRVO_get_font_char(3), nullptr);
    EXPECT_TRUE(MIRVO_scroller_ready(3));
}

// Instances of a frei0r module make and free scrollers on several threads at once: no two
// live scrollers share an id, each keeps the glyph size it was made with, and every id comes
// back when they are freed.
TEST_F(Scrollers, ScrollersMadeOnSeveralThreadsAtOnceNeverShareAnId)
{
    const int THREADS = 8, EACH = 30;
    std::vector<std::vector<Uint8>> ids(THREADS);
    std::vector<std::thread> makers;
    for (int t = 0; t < THREADS; ++t)
        makers.emplace_back([&, t] {
            for (int i = 0; i < EACH; ++i)
                ids[t].push_back(MIRVO_add_scroller("a", font.c_str(), "abc", Uint8(t + 1), 5));
        });
    for (std::thread &m : makers)
        m.join();
    std::vector<int> owner(256, -1);
    for (int t = 0; t < THREADS; ++t)
        for (Uint8 id : ids[t]) {
            ASSERT_NE(id, 255) << "thread " << t;
            EXPECT_EQ(owner[id], -1) << "id " << int(id) << " given twice";
            owner[id] = t;
            EXPECT_EQ(MIRVO_get_character_width(id), t + 1) << "id " << int(id);
        }
    std::vector<std::thread> freers;
    for (int t = 0; t < THREADS; ++t)
        freers.emplace_back([&, t] {
            for (Uint8 id : ids[t])
                MIRVO_free_scroller(id);
        });
    for (std::thread &f : freers)
        f.join();
    std::vector<Uint8> again;
    for (int i = 0; i < 255; ++i)
        again.push_back(MIRVO_add_scroller("a", font.c_str(), "abc", 4, 5));
    for (int i = 0; i < 255; ++i)
        EXPECT_EQ(again[i], i);
    for (Uint8 id : again)
        MIRVO_free_scroller(id);
}

TEST_F(Scrollers, TheScrollerReadsTheCallersTextInPlace)
{
    char text[] = "aa";
    Uint8 id = MIRVO_add_scroller(text, font.c_str(), "abc", 4, 5);
    ASSERT_NE(id, 255);
    text[1] = 'c';  // changed after the scroller was made: it must see the change
    EXPECT_EQ(MIRVO_get_font_char(id)->x, 0);
    EXPECT_EQ(MIRVO_get_font_char(id)->x, 8);
    MIRVO_free_scroller(id);
}

TEST_F(Scrollers, DrawLeavesBlackOutAndClips)
{
    Uint8 id = MIRVO_add_scroller("c", font.c_str(), "abc", 4, 5);
    ASSERT_NE(id, 255);
    SurfacePtr dst = makeSurface(6, 6, 32);
    SDL_FillRect(dst.get(), nullptr, 0x123456);
    SDL_Rect *glyph = MIRVO_get_font_char(id);
    SDL_Rect where = {-1, 2, 4, 5};  // one column off the left edge, rows below clipped
    MIRVO_draw_font_char(id, glyph, dst.get(), &where);
    // Glyph 2 columns 1..3 land on x 0..2, rows 0..3 on y 2..5; its black pixel (0, 0)
    // would have fallen off the edge anyway, so every landed pixel is blue 180.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            Uint32 want = (x <= 2 && y >= 2) ? 180u : 0x123456u;
            ASSERT_EQ(pixelAt(dst.get(), x, y), want) << x << "," << y;
        }
    // The black key pixel is not copied.
    SDL_FillRect(dst.get(), nullptr, 0x123456);
    SDL_Rect at = {0, 0, 4, 5};
    MIRVO_draw_font_char(id, glyph, dst.get(), &at);
    EXPECT_EQ(pixelAt(dst.get(), 0, 0), 0x123456u);
    EXPECT_EQ(pixelAt(dst.get(), 1, 0), 180u);
    MIRVO_free_scroller(id);
}

}  // namespace
