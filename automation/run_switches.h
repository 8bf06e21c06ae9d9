// run_switches.h - the switches rasterwave and mirvo-play read from the environment to run
// unattended: a frame count, frame captures and no pacing. They belong to the programs;
// libMIRVO knows nothing of them.
//
//   MIRVO_FRAMES=N    SDL_QUIT is posted at the start of frame N + 1, so the program ends
//                     through its own quit path after N whole frames;
//   MIRVO_CAPTURE=DIR every frame drawn is written to DIR/frame-NNNNNN.png (frames counted
//                     from 1, the last one included; 8-bit screens through their palette);
//   MIRVO_NOWAIT=1    no pacing: every frame is shown at once.
#ifndef MIRVO_RUN_SWITCHES_H
#define MIRVO_RUN_SWITCHES_H

#include <SDL.h>

#include <string>

namespace mirvo_run {

struct Switches {
    unsigned long frames = 0;  // MIRVO_FRAMES; 0: run until the program quits
    std::string capture;       // MIRVO_CAPTURE; "": no captures
    bool nowait = false;       // MIRVO_NOWAIT set to a number other than 0
};

// The switches as the environment sets them now.
Switches switchesFromEnvironment();

// One run of a program's frame loop under the switches:
//
//   MIRVO_set_fps(run.rate(50));
//   for (;;) {
//       MIRVO_new_time();
//       run.frameStarts();
//       ... handle events (SDL_QUIT ends the program), draw the frame ...
//       if (!run.frameDrawn(screen, error)) ... end the program with status 1 ...
//       if (MIRVO_fps_ok()) SDL_Flip(screen);
//   }
class FrameRun {
public:
    explicit FrameRun(const Switches &switches = switchesFromEnvironment());

    // The rate to hand MIRVO_set_fps: `fps`, or 0 (no pacing) under MIRVO_NOWAIT.
    int rate(int fps) const;

    // Counts the frame now starting; at the start of frame MIRVO_FRAMES + 1 it posts SDL_QUIT.
    void frameStarts();

    // Writes the frame just drawn (the one counted by the last frameStarts) to the capture
    // folder, made on the first write. False when the folder cannot be made or the file
    // cannot be written; `error` then says why in one line.
    bool frameDrawn(SDL_Surface *screen, std::string &error);

    // Makes the capture folder and checks that it takes a file, so a run can be refused
    // before its first frame. True without a capture folder.
    bool captureFolderWritable(std::string &error) const;

    unsigned long framesStarted() const
    {
        return started_;
    }

private:
    Switches switches_;
    unsigned long started_ = 0;
    bool folder_made_ = false;
};

}  // namespace mirvo_run

#endif
