// bench_rasterwave - the uncapped cost of one rasterwave frame.
//
// Runs the program headless (dummy video driver, MIRVO_NOWAIT=1 so nothing waits) for a
// short and a long number of frames and divides the difference in wall time by the
// difference in frames, so start-up and shut-down drop out. Best of several rounds.
//
// Usage: bench_rasterwave [frames [rounds]]    (defaults: 10000 frames, 3 rounds)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char *const PROGRAM = RASTERWAVE_PROGRAM;
const char *const RUN_DIR = RASTERWAVE_RUN_DIR;  // next to GFX/, for "../GFX/font.pcx"
const long SHORT_RUN = 200;
const double BUDGET_US = 20000.0;  // one frame at 50 frames per second
const double GOAL_US = 150.0;

// Wall time in seconds of one headless run of `frames` frames; negative on failure.
double timeRun(long frames)
{
    fflush(stdout);  // the child must not repeat what is still buffered
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(RUN_DIR) != 0)
            _exit(126);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("MIRVO_NOWAIT", "1", 1);
        setenv("MIRVO_FRAMES", std::to_string(frames).c_str(), 1);
        unsetenv("MIRVO_CAPTURE");
        if (!freopen("/dev/null", "w", stdout))
            _exit(126);
        execl(PROGRAM, PROGRAM, (char *)nullptr);
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv)
{
    long frames = argc > 1 ? atol(argv[1]) : 10000;
    int rounds = argc > 2 ? atoi(argv[2]) : 3;
    if (frames <= SHORT_RUN || rounds < 1) {
        fprintf(stderr, "usage: bench_rasterwave [frames > %ld [rounds >= 1]]\n", SHORT_RUN);
        return 2;
    }
    double best = -1;
    for (int r = 0; r < rounds; ++r) {
        double t_short = timeRun(SHORT_RUN);
        double t_long = timeRun(frames);
        if (t_short < 0 || t_long < 0) {
            fprintf(stderr, "bench_rasterwave: %s did not run cleanly\n", PROGRAM);
            return 1;
        }
        double us = (t_long - t_short) * 1e6 / (double)(frames - SHORT_RUN);
        printf("round %d: %.1f us per frame\n", r + 1, us);
        if (best < 0 || us < best)
            best = us;
    }
    printf("rasterwave: %.1f us per frame (best of %d rounds of %ld frames; dummy driver, "
           "MIRVO_NOWAIT=1)\n",
           best, rounds, frames);
    printf("  = %.2f%% of the 50 fps frame budget (%.0f us); goal <= %.0f us: %s\n",
           100.0 * best / BUDGET_US, BUDGET_US, GOAL_US, best <= GOAL_US ? "met" : "NOT met");
    return 0;
}
