// renderWithMelt against a stand-in for melt that fails in chosen ways: only melt's own
// failures (status 0 and no frame written, a stall) are run again, once; a failing or short
// render is handed back at once; the command line renders every frame (real_time=-1) and
// ends the producer, not the filter.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "melt_render.h"

namespace {

// Writes the stand-in: it records its arguments (one per line) in $STATE/args-N for its N-th
// run, then behaves as $MODE says for that run ("frames", "empty", "short", "fail", "stall"),
// $MODE being a space-separated list, one word per run.
std::string writeFakeMelt(const std::string &dir)
{
    const std::string path = dir + "/melt";
    std::ofstream(path) << R"SH(#!/bin/sh
n=$(($(ls "$STATE" | grep -c '^args-') + 1))
for a in "$@"; do echo "$a"; done >"$STATE/args-$n"
mode=$(echo $MODE | cut -d' ' -f$n)
out=""
for a in "$@"; do case "$a" in avformat:*) out=${a#avformat:} ;; esac; done
frames=3
case "$mode" in
  empty) exit 0 ;;
  fail) echo "melt: cannot load" >&2; exit 1 ;;
  stall) exec sleep 30 ;;
  short) frames=1 ;;
esac
i=1
while [ $i -le $frames ]; do
  echo png >"$(printf "$out" $i)"
  i=$((i + 1))
done
)SH";
    chmod(path.c_str(), 0755);
    return path;
}

struct FakeRun {
    mirvo_test::MeltResult result;
    std::vector<std::string> frames;
    std::vector<std::string> firstArgs;
};

FakeRun runFake(const std::string &mode)
{
    const std::string dir = mirvo_test::makeTempDir("fakemelt");
    const std::string state = mirvo_test::makeTempDir("fakemelt-state");
    mirvo_test::MeltRender render;
    render.producer = {"color:black"};
    render.filter = {"frei0r.boxflood", "rate=0.0235294117647"};  // 6 of 0 to 255
    render.frames = 3;
    render.width = 32;
    render.height = 24;
    render.dir = dir;
    render.env = {{"MODE", mode}, {"STATE", state}};
    render.timeoutSeconds = 1;
    FakeRun run;
    run.result = mirvo_test::renderWithMelt(writeFakeMelt(state), render);
    run.frames = mirvo_test::listFiles(dir, ".png");
    std::ifstream args(state + "/args-1");
    for (std::string line; std::getline(args, line);)
        run.firstArgs.push_back(line);
    return run;
}

}  // namespace

TEST(MeltRender, AGoodRenderRunsOnce)
{
    FakeRun run = runFake("frames");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.runs, 1);
    EXPECT_EQ(run.frames.size(), 3u);
}

TEST(MeltRender, EveryFrameIsRenderedAndOnlyTheProducerEnds)
{
    FakeRun run = runFake("frames");
    const std::vector<std::string> &a = run.firstArgs;
    ASSERT_EQ(a.size(), 13u);
    // Frames late on a busy machine are dropped unless real_time is 0 or negative.
    EXPECT_EQ(a[12], "real_time=-1");
    // out= right after the producer; after the filter it would end the filter instead.
    EXPECT_EQ(a[0], "color:black");
    EXPECT_EQ(a[1], "out=2");
    EXPECT_EQ(a[2], "-filter");
    EXPECT_EQ(a[5], "-consumer");
    EXPECT_EQ(a[6].rfind("avformat:/", 0), 0u) << a[6];
    EXPECT_EQ(a[6].substr(a[6].size() - 10), "/f%06d.png") << a[6];
    EXPECT_EQ(a[7], "width=32");
    EXPECT_EQ(a[8], "height=24");
    // The effects' own clock: 50 frames a second unless the test asks otherwise.
    EXPECT_EQ(a[9], "frame_rate_num=50");
    EXPECT_EQ(a[10], "frame_rate_den=1");
}

TEST(MeltRender, AnEmptyRenderWithStatusZeroIsRunOnceMore)
{
    FakeRun run = runFake("empty frames");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.runs, 2);
    EXPECT_EQ(run.frames.size(), 3u);
}

TEST(MeltRender, AStallIsRunOnceMore)
{
    FakeRun run = runFake("stall frames");
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.runs, 2);
    EXPECT_EQ(run.frames.size(), 3u);
}

TEST(MeltRender, TwoEmptyRendersFail)
{
    FakeRun run = runFake("empty empty frames");
    EXPECT_EQ(run.result.status, -1);
    EXPECT_EQ(run.result.runs, 2);
    EXPECT_NE(run.result.err.find("wrote no frame, twice"), std::string::npos) << run.result.err;
    EXPECT_TRUE(run.frames.empty());
}

TEST(MeltRender, AFailingOrShortRenderIsNotRunAgain)
{
    FakeRun failed = runFake("fail frames");
    EXPECT_EQ(failed.result.status, 1);
    EXPECT_EQ(failed.result.runs, 1);
    EXPECT_NE(failed.result.err.find("cannot load"), std::string::npos);

    FakeRun shortRender = runFake("short frames");
    EXPECT_EQ(shortRender.result.status, 0);
    EXPECT_EQ(shortRender.result.runs, 1);
    EXPECT_EQ(shortRender.frames.size(), 1u);
}
