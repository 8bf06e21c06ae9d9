// run_switches.cpp - MIRVO_FRAMES, MIRVO_CAPTURE and MIRVO_NOWAIT for the programs.
#include "run_switches.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mirvo.h"

namespace mirvo_run {

Switches switchesFromEnvironment()
{
    Switches s;
    const char *frames = getenv("MIRVO_FRAMES");
    s.frames = frames ? strtoul(frames, nullptr, 10) : 0;
    const char *capture = getenv("MIRVO_CAPTURE");
    s.capture = capture ? capture : "";
    const char *nowait = getenv("MIRVO_NOWAIT");
    s.nowait = nowait && atoi(nowait) != 0;
    return s;
}

FrameRun::FrameRun(const Switches &switches) : switches_(switches) { }

int FrameRun::rate(int fps) const
{
    return switches_.nowait ? 0 : fps;
}

void FrameRun::frameStarts()
{
    ++started_;
    if (switches_.frames && started_ == switches_.frames + 1) {
        SDL_Event quit;
        memset(&quit, 0, sizeof quit);
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

bool FrameRun::frameDrawn(SDL_Surface *screen, std::string &error)
{
    if (switches_.capture.empty() || !screen)
        return true;
    const char *dir = switches_.capture.c_str();
    if (!folder_made_) {
        if (mkdir(dir, 0777) != 0 && errno != EEXIST) {
            error = std::string("cannot make capture folder ") + dir + ": " + strerror(errno);
            return false;
        }
        folder_made_ = true;
    }
    char path[4096];
    snprintf(path, sizeof path, "%s/frame-%06lu.png", dir, started_);
    if (!MIRVO_write_png(screen, path)) {
        error = MIRVO_failure_reason();
        return false;
    }
    return true;
}

bool FrameRun::captureFolderWritable(std::string &error) const
{
    if (switches_.capture.empty())
        return true;
    const char *dir = switches_.capture.c_str();
    if (mkdir(dir, 0777) != 0 && errno != EEXIST) {
        error =
            std::string("MIRVO_CAPTURE: cannot make the folder ") + dir + ": " + strerror(errno);
        return false;
    }
    const std::string probe = switches_.capture + "/.mirvo-play-probe";
    FILE *f = fopen(probe.c_str(), "wb");
    if (!f) {
        error = std::string("MIRVO_CAPTURE: cannot write in ") + dir + ": " + strerror(errno);
        return false;
    }
    fclose(f);
    remove(probe.c_str());
    return true;
}

}  // namespace mirvo_run
