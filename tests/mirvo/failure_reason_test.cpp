// MIRVO_failure_reason: why the last call that failed failed, per thread, kept across
// successful calls; and MIRVO_write_png reports its failure to its caller.
#include "mirvo.h"
#include "png_image.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

namespace {

TEST(FailureReason, AFailedPngWriteReturns0AndSaysWhichFileAndWhy)
{
    SDL_Surface *s = SDL_CreateRGBSurface(SDL_SWSURFACE, 4, 3, 32, 0xff0000, 0xff00, 0xff, 0);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(MIRVO_write_png(s, "/nonexistent-mirvo-folder/f.png"), 0);
    EXPECT_EQ(std::string(MIRVO_failure_reason()),
              std::string("cannot write /nonexistent-mirvo-folder/f.png: ") + strerror(ENOENT));

    // A later success leaves the reason of the failure in place.
    std::string dir = mirvo_test::makeTempDir("mirvo-reason");
    const std::string file = dir + "/f.png";
    SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 10, 20, 30));
    EXPECT_EQ(MIRVO_write_png(s, file.c_str()), 1);
    EXPECT_NE(std::string(MIRVO_failure_reason()).find("/nonexistent-mirvo-folder/f.png"),
              std::string::npos);
    mirvo_test::PngImage img = mirvo_test::readPng(file);
    ASSERT_EQ(img.width, 4);
    ASSERT_EQ(img.height, 3);
    EXPECT_EQ(img.at(3, 2), (mirvo_test::Rgb{10, 20, 30}));
    unlink(file.c_str());
    rmdir(dir.c_str());

    EXPECT_EQ(MIRVO_write_png(nullptr, "x.png"), 0);
    EXPECT_EQ(std::string(MIRVO_failure_reason()), "cannot write a PNG: no surface");
    SDL_FreeSurface(s);
}

TEST(FailureReason, AFileFoundNowhereSaysWhereItWasLookedFor)
{
    const char *looked = nullptr;
    EXPECT_EQ(MIRVO_find_data("/nonexistent-mirvo-folder/font.pcx", &looked), nullptr);
    EXPECT_EQ(std::string(MIRVO_failure_reason()),
              "cannot find /nonexistent-mirvo-folder/font.pcx: not found (looked in "
              "/nonexistent-mirvo-folder/font.pcx)");
}

TEST(FailureReason, EachThreadHasItsOwn)
{
    EXPECT_EQ(MIRVO_find_data("/nonexistent-mirvo-folder/a", nullptr), nullptr);
    std::string other = "unset";
    std::thread([&other] {
        other = MIRVO_failure_reason();  // nothing has failed on this thread
        MIRVO_find_data("/nonexistent-mirvo-folder/b", nullptr);
    }).join();
    EXPECT_EQ(other, "");
    EXPECT_NE(std::string(MIRVO_failure_reason()).find("/nonexistent-mirvo-folder/a"),
              std::string::npos)
        << "another thread's failure replaced this one's";
}

}  // namespace
