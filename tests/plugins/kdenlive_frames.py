#!/usr/bin/env python3
"""Checks the frames that kdenlive_render drew of tests/data/editors/effects.kdenlive against
the player's: frames 1-50 are wavetext's frames 1-50, frames 101-150 bouncetext's frames 1-50
(each clip shows its effect from its own start), and frames 51-100 boxflood's frames 1-50
over the project's colour clip: the player's box where the player drew it, the colour clip
everywhere else. The box must show (not black, not the colour clip alone).

    kdenlive_frames.py RENDER WAVETEXT BOXFLOOD BOUNCETEXT

Each argument is a folder of frame-NNNNNN.png. Reads the pixels through ffmpeg."""
import struct
import subprocess
import sys

COLOUR_CLIP = bytes((0x20, 0x40, 0x60, 0xFF))
BOX = bytes((0x33, 0x99, 0xFF, 0xFF))


class Frames:
    """The RGBA bytes of a folder's frames, read through one ffmpeg run."""

    def __init__(self, folder):
        with open(folder + "/frame-000001.png", "rb") as png:
            header = png.read(24)  # the signature, then IHDR: width and height
        width, height = struct.unpack(">II", header[16:24])
        self.size = width * height * 4
        self.data = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", folder + "/frame-%06d.png",
                                    "-f", "rawvideo", "-pix_fmt", "rgba", "-"],
                                   check=True, stdout=subprocess.PIPE).stdout

    def __len__(self):
        return len(self.data) // self.size

    def __getitem__(self, k):
        """Frame k, from 1."""
        return self.data[(k - 1) * self.size:k * self.size]


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    render, wave, box, bounce = (Frames(folder) for folder in sys.argv[1:])
    failures = []
    if len(render) != 150 or render.size != wave.size:
        sys.exit("kdenlive_frames: the render has %d frames of %d bytes, not 150 of %d"
                 % (len(render), render.size, wave.size))
    for first, folder, name in ((1, wave, "wavetext"), (101, bounce, "bouncetext")):
        for k in range(50):
            if render[first + k] != folder[1 + k]:
                failures.append("frame %d is not %s's frame %d" % (first + k, name, 1 + k))
                break
    drawn = 0
    for k in range(50):
        got, player = render[51 + k], box[1 + k]
        if len(got) != len(player):
            failures.append("frame %d has another size than boxflood's" % (51 + k))
            break
        # The player's frames are opaque, so black pixels are found only where they start.
        want = player.replace(b"\0\0\0\xff", COLOUR_CLIP)
        if got != want:
            failures.append("frame %d is not boxflood's frame %d over the colour clip" % (51 + k, 1 + k))
            break
        drawn += got.count(BOX) > 0
    if drawn < 40:
        failures.append("boxflood's colour shows in %d of 50 frames" % drawn)
    for f in failures:
        print("kdenlive_frames: " + f, file=sys.stderr)
    if failures:
        sys.exit(1)
    print("kdenlive_frames: the 150 frames are the player's (boxflood drawn in %d of 50)" % drawn)


main()
