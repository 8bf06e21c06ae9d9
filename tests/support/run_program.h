// Runs a program to completion with extra environment variables, capturing its output.
#ifndef MIRVO_TEST_RUN_PROGRAM_H
#define MIRVO_TEST_RUN_PROGRAM_H

#include <string>
#include <utility>
#include <vector>

namespace mirvo_test {

struct ProgramResult {
    int status = -1;  // exit status 0..255, or -1 when it did not exit normally
    std::string out, err;
};

// Runs argv[0] (a path) with argv, in directory `cwd`, adding `env` to the environment
// (SDL_VIDEODRIVER=dummy is set first; a variable given with an empty value is unset).
// Waits for it to finish.
ProgramResult runProgram(const std::vector<std::string> &argv, const std::string &cwd,
                         const std::vector<std::pair<std::string, std::string>> &env = {});

// A fresh empty folder under the system's temporary folder ($TMPDIR or /tmp), removed
// with what it holds when the test program ends.
std::string makeTempDir(const std::string &prefix);

// Sorted list of the files in `dir` whose names end with `suffix`.
std::vector<std::string> listFiles(const std::string &dir, const std::string &suffix);

// The first executable NAME on $PATH (/usr/bin:/bin when unset), or "".
std::string findProgram(const char *name);

}  // namespace mirvo_test

#endif
