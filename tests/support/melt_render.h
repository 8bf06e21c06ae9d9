// Renders with MLT's melt into numbered PNG files, absorbing melt's own rare failures.
#ifndef MIRVO_TEST_MELT_RENDER_H
#define MIRVO_TEST_MELT_RENDER_H

#include <string>
#include <utility>
#include <vector>

#include "run_program.h"

namespace mirvo_test {

struct MeltRender {
    std::vector<std::string> producer;  // the producer and its properties ("color:black", ...)
    std::vector<std::string> filter;    // a filter attached with -filter and its properties, if any
    std::vector<std::string> args;      // without a producer: melt's arguments as they stand
                                        // (a project file, or clips with their own out=)
    int frames = 0;                     // frames to render (the producer's out=frames-1)
    int width = 0, height = 0;          // 0 x 0: the size of melt's own profile
    int fps = 50;  // frames a second: the effects' own rate, where their frames are the player's
    int realTime = -1;  // melt's real_time: -1 every frame in order; -2 on two threads
    std::vector<std::string> consumer;  // more consumer properties ("in=100", "out=149": a zone)
    std::string dir;                    // the frames land here as f000001.png, f000002.png, ...
    std::string cwd;                    // melt's working folder
    std::vector<std::pair<std::string, std::string>> env;  // added to melt's environment
    int timeoutSeconds = 120;  // a run that takes longer counts as stalled
};

struct MeltResult : ProgramResult {
    int runs = 0;  // 1, or 2 when the first run was melt's own failure
};

// Runs `melt` (its path) for `render` through the avformat consumer's PNG encoder (RGBA frames
// kept as they are), with real_time=-1 unless asked otherwise: every frame rendered, none dropped
// when the machine is busy. A run that wrote no frame at all though melt said it succeeded, or that
// stalled, is melt's own failure and is run once more (when that happens again, the result has
// status -1 and says so in `err`); anything else (an error status, too few frames, a wrong frame)
// is returned as it is, for the test to fail on.
MeltResult renderWithMelt(const std::string &melt, const MeltRender &render);

}  // namespace mirvo_test

#endif
