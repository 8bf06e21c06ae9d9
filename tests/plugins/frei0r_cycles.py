#!/usr/bin/python3
# Adds a Mirvo frei0r effect to a clip, renders a frame and removes it again, CYCLES times
# in one process, through MLT's Python bindings, as an editor does while one works. Prints
# "CYCLE RSS_KB MAPPINGS BLANK" after the first WARMUP cycles and after the last, so that
# the caller can see whether memory or mapped files grow with the cycles; BLANK counts the
# cycles so far whose frame had no pixel drawn (a filter over black, or a source's frame
# FRAME, where the text is on screen and the box half grown).
#   frei0r_cycles.py SERVICE CYCLES WARMUP     (SERVICE: boxflood, a filter, or a source)
import sys

import mlt7 as mlt

FRAME = 50


def rss_kb():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def mappings():
    with open("/proc/self/maps") as maps:
        return sum(1 for _ in maps)


def main():
    service, cycles, warmup = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    mlt.Factory().init()
    profile = mlt.Profile()
    profile.set_explicit(1)
    profile.set_width(320)
    profile.set_height(240)
    clip = mlt.Producer(profile, "color:black")
    blank = 0
    for cycle in range(1, cycles + 1):
        if service == "boxflood":
            effect = mlt.Filter(profile, "frei0r.boxflood")
            if not effect.is_valid():
                sys.exit("frei0r.boxflood could not be made in cycle %d" % cycle)
            clip.attach(effect)
            clip.seek(FRAME)
            frame = clip.get_frame()
            clip.detach(effect)
        else:
            effect = mlt.Producer(profile, "frei0r." + service)
            if not effect.is_valid():
                sys.exit("frei0r.%s could not be made in cycle %d" % (service, cycle))
            effect.seek(FRAME)
            frame = effect.get_frame()
        image = frame.get_image(mlt.mlt_image_rgba, 320, 240)
        if not any(image[i] or image[i + 1] or image[i + 2] for i in range(0, len(image), 4)):
            blank += 1
        del frame, effect
        if cycle in (warmup, cycles):
            print(cycle, rss_kb(), mappings(), blank, flush=True)


main()
