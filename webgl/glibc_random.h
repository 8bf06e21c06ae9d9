// glibc_random.h - the GNU C library's random(): the additive feedback generator of degree 31
// (TYPE_3) that srandom() seeds, written out so that the web build draws the same numbers, and
// so the same landscapes, as the desktop.
#ifndef WEBGL_GLIBC_RANDOM_H
#define WEBGL_GLIBC_RANDOM_H

#include <cstdint>

class GlibcRandom {
 public:
  explicit GlibcRandom(unsigned seed = 1) { reseed(seed); }
  // srandom(seed): seed 0 counts as 1.
  void reseed(unsigned seed);
  // random(): the next number in [0, 2^31 - 1].
  long next();

 private:
  static const int DEGREE = 31, SEPARATION = 3;
  int32_t table[DEGREE];
  int front, rear;  // indices of the two taps, SEPARATION apart
};

#endif
