// Runs of the real hosts (ffmpeg, melt) and of the player for the frei0r tests, and the
// comparison of their numbered frames.
#ifndef MIRVO_TEST_HOST_RUNS_H
#define MIRVO_TEST_HOST_RUNS_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "effect_params.h"
#include "melt_render.h"
#include "png_image.h"
#include "run_program.h"

#ifdef MIRVO_SANITIZED
#define SKIP_UNDER_SANITIZERS()                                                                    \
    GTEST_SKIP() << "the hosts cannot load modules built with the sanitizers"
#else
#define SKIP_UNDER_SANITIZERS() (void)0
#endif
#define NEED_PROGRAM(name)                                                                         \
    if (mirvo_test::findProgram(name).empty())                                                     \
    GTEST_SKIP() << name " is not installed"

namespace host_runs {

// The hosts find the modules of this build.
inline const std::vector<std::pair<std::string, std::string>> HOST_ENV{{"FREI0R_PATH", FREI0R_DIR}};

// ffmpeg renders `frames` frames of the lavfi `input` (through `filter`, if given) into
// dir/f-NNNNNN.png.
inline mirvo_test::ProgramResult ffmpeg(const std::string &input, const std::string &filter,
                                        int frames, const std::string &dir)
{
    std::vector<std::string> argv{mirvo_test::findProgram("ffmpeg"),
                                  "-hide_banner",
                                  "-loglevel",
                                  "error",
                                  "-f",
                                  "lavfi",
                                  "-i",
                                  input};
    if (!filter.empty()) {
        argv.push_back("-vf");
        argv.push_back(filter);
    }
    for (const std::string &a :
         {std::string("-frames:v"), std::to_string(frames), std::string("-pix_fmt"),
          std::string("rgb24"), dir + "/f-%06d.png"})
        argv.push_back(a);
    return mirvo_test::runProgram(argv, PLAYER_SOURCE_DIR, HOST_ENV);
}

// A melt render into dir/fNNNNNN.png from the player's folder, with this build's modules.
inline mirvo_test::MeltRender
meltRender(const std::string &dir,
           const std::vector<std::pair<std::string, std::string>> &env = HOST_ENV)
{
    mirvo_test::MeltRender render;
    render.dir = dir;
    render.cwd = PLAYER_SOURCE_DIR;
    render.env = env;
    return render;
}

// melt renders `producer` (with `filter` attached when given; without a producer, melt's
// arguments `args` as they stand) into dir/fNNNNNN.png at width x height (0 x 0: melt's own
// profile), every frame in order, melt's own empty renders and stalls tried once more (see
// renderWithMelt). The avformat consumer's PNG encoder keeps the RGBA frames as they are, so
// they can equal the player's pixel for pixel.
inline mirvo_test::ProgramResult
melt(const std::vector<std::string> &producer, const std::vector<std::string> &filter,
     const std::vector<std::string> &args, int frames, int width, int height,
     const std::string &dir, const std::vector<std::pair<std::string, std::string>> &env = HOST_ENV)
{
    mirvo_test::MeltRender render = meltRender(dir, env);
    render.producer = producer;
    render.filter = filter;
    render.args = args;
    render.frames = frames;
    render.width = width;
    render.height = height;
    return mirvo_test::renderWithMelt(mirvo_test::findProgram("melt"), render);
}

// The player draws `frames` frames of `args` headless into dir/frame-NNNNNN.png.
inline mirvo_test::ProgramResult player(const std::vector<std::string> &args, int frames,
                                        const std::string &dir)
{
    std::vector<std::string> argv{MIRVO_PLAY, "--headless"};
    argv.insert(argv.end(), args.begin(), args.end());
    return mirvo_test::runProgram(
        argv, PLAYER_SOURCE_DIR,
        {{"MIRVO_FRAMES", std::to_string(frames)}, {"MIRVO_CAPTURE", dir}, {"MIRVO_NOWAIT", "1"}});
}

// A number of min to max as frei0r's 0 to 1 (docs/frei0r.md): (value - min) / (max - min),
// with digits enough for a module to round it back.
inline std::string unit(long min, long max, long value)
{
    char text[40];
    snprintf(text, sizeof text, "%.12g", double(value - min) / double(max - min));
    return text;
}

// A player's number for parameter `name` of `module` as frei0r's 0 to 1.
inline std::string unit(const char *module, const char *name, long value)
{
    const module_spec *const m = find_module_spec(module);
    EXPECT_NE(m, nullptr) << module;
    for (const param_spec &p : m ? m->params : std::vector<param_spec>{})
        if (std::string(p.name) == name)
            return unit(p.min, p.max, value);
    ADD_FAILURE() << module << " has no parameter " << name;
    return "";
}

inline double unitValue(const char *module, const char *name, long value)
{
    return std::stod(unit(module, name, value));
}

inline std::string numbered(const std::string &dir, const char *prefix, int k)
{
    char name[40];
    snprintf(name, sizeof name, "/%s%06d.png", prefix, k);
    return dir + name;
}

// Frames of a host (`prefix`NNNNNN.png in `host`, from `host_first` on) against the
// player's frame-NNNNNN.png in `player`, from `player_first` on: `count` frames by `step`,
// each `width` wide (any width when 0) and equal pixel for pixel. Stops at the first
// difference; call it through ASSERT_NO_FATAL_FAILURE.
inline void expectPlayersFrames(const std::string &host, const char *prefix, int host_first,
                                const std::string &player, int player_first, int count, int step,
                                const std::string &label = "", int width = 0)
{
    for (int k = 0; k < count; k += step) {
        mirvo_test::PngImage a = mirvo_test::readPng(numbered(host, prefix, host_first + k));
        mirvo_test::PngImage b = mirvo_test::readPng(numbered(player, "frame-", player_first + k));
        if (width)
            ASSERT_EQ(a.width, width) << label << " frame " << host_first + k;
        else
            ASSERT_GT(a.width, 0) << label << " frame " << host_first + k;
        ASSERT_TRUE(a == b) << label << " frame " << host_first + k;
    }
}

}  // namespace host_runs

#endif
