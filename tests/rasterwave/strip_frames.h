// Reading rasterwave's captured frames back: where the strip lies on the screen, what
// each strip column shows, and whether it shows anything but the bar.
#ifndef RASTERWAVE_TEST_STRIP_FRAMES_H
#define RASTERWAVE_TEST_STRIP_FRAMES_H

#include "png_image.h"

#include <cmath>
#include <vector>

namespace rasterwave_test {

using mirvo_test::PngImage;
using mirvo_test::Rgb;

const int SCREEN_W = 480;
const int SCREEN_H = 360;
const int STRIP_W = 512;
const int STRIP_H = 32;
const int FIRST_SHOWN = 16;  // strip column shown in screen column 0
const int BAR_TOP = 12;

// The program's palette entries 0 to 4, and the bar's rows top to bottom (entries 1, 2, 3,
// 4, 3, 2, 1).
const Rgb BLACK{0, 0, 0};
const Rgb PALETTE[5] = {{0, 0, 0}, {0, 64, 0}, {0, 128, 0}, {0, 200, 0}, {0, 255, 0}};
const int BAR_ENTRIES[7] = {1, 2, 3, 4, 3, 2, 1};

// The vertical wave: screen row of the strip's top edge, 180 + trunc(75 sin a) with the
// angle i * 0.0174532 rounded to single precision.
inline int waveTop(int i)
{
    float a = (float)(i * 0.0174532);
    return 180 + (int)(75 * std::sin((double)a));
}

// The twist: signed text height in hundredths, trunc(100 sin a), a = i * 0.0174532 * 360/496.
inline int twist(int i)
{
    float a = (float)(i * 0.0174532 * 0.7258064516129032);
    return (int)(100 * std::sin((double)a));
}

// Strip column i of frame f (counted from 1) takes twist entry (512 (f - 1) + i) mod 496:
// the index runs on by 512 columns a frame.
inline int twistAt(int frame, int column)
{
    return twist((512 * (frame - 1) + column) % 496);
}

// Screen row of the strip's top edge in screen column x of frame f.
inline int stripTopAt(int frame, int x)
{
    return waveTop((x + frame - 1) % 360);
}

// One captured frame, read back along the wave.
struct StripFrame {
    int frame = 0;
    // Strip columns 16 .. 495 (index column - 16), 32 rows each, as found on the screen.
    std::vector<Rgb> strip;
    // Pixels outside the strip's 32 rows that are not black.
    int strayPixels = 0;
    // Screen columns holding the bar's seven colours at a row other than top + 12.
    int misplacedBars = 0;
    // Screen columns in which the bar's seven colours were found at top + 12.
    int barsFound = 0;

    const Rgb &at(int column, int row) const
    {
        return strip[(size_t)(column - FIRST_SHOWN) * STRIP_H + row];
    }

    // True when strip column `column` shows the bar and nothing else.
    bool barOnly(int column) const
    {
        for (int r = 0; r < STRIP_H; ++r) {
            bool in_bar = r >= BAR_TOP && r < BAR_TOP + 7;
            const Rgb &want = in_bar ? PALETTE[BAR_ENTRIES[r - BAR_TOP]] : BLACK;
            if (at(column, r) != want)
                return false;
        }
        return true;
    }

    // Strip columns that show more than the bar.
    std::vector<int> inkedColumns() const
    {
        std::vector<int> cols;
        for (int c = FIRST_SHOWN; c < FIRST_SHOWN + SCREEN_W; ++c)
            if (!barOnly(c))
                cols.push_back(c);
        return cols;
    }

    bool sameStrip(const StripFrame &o) const
    {
        return strip == o.strip;
    }
};

inline bool barAt(const PngImage &img, int x, int y)
{
    if (y < 0 || y + 7 > img.height)
        return false;
    for (int r = 0; r < 7; ++r)
        if (img.at(x, y + r) != PALETTE[BAR_ENTRIES[r]])
            return false;
    return true;
}

inline StripFrame readStripFrame(const PngImage &img, int frame)
{
    StripFrame s;
    s.frame = frame;
    s.strip.resize((size_t)SCREEN_W * STRIP_H);
    for (int x = 0; x < SCREEN_W; ++x) {
        int top = stripTopAt(frame, x);
        for (int y = 0; y < img.height; ++y) {
            if (y >= top && y < top + STRIP_H)
                s.strip[(size_t)x * STRIP_H + (y - top)] = img.at(x, y);
            else if (img.at(x, y) != BLACK)
                ++s.strayPixels;
            if (barAt(img, x, y)) {
                if (y == top + BAR_TOP)
                    ++s.barsFound;
                else
                    ++s.misplacedBars;
            }
        }
    }
    return s;
}

// Strip columns at which scroll-surface column `c` is on show in frame f: itself where
// the twist puts the text in front, and mirrored (column 511 - c) where it lies behind.
inline std::vector<int> columnsShowing(int frame, int c)
{
    std::vector<int> cols;
    if (c >= FIRST_SHOWN && c < FIRST_SHOWN + SCREEN_W && twistAt(frame, c) > 0)
        cols.push_back(c);
    int m = STRIP_W - 1 - c;
    if (m >= FIRST_SHOWN && m < FIRST_SHOWN + SCREEN_W && twistAt(frame, m) <= 0)
        cols.push_back(m);
    return cols;
}

}  // namespace rasterwave_test

#endif
