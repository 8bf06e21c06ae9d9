// glibc_random.cpp - glibc's TYPE_3 random() and, in the web build, random() and srandom()
// themselves, in place of the C library's own generator.
#include "glibc_random.h"

#include <cstdlib>

void GlibcRandom::reseed(unsigned seed) {
  if (seed == 0) seed = 1;
  table[0] = int32_t(seed);
  // r[i] = 16807 r[i - 1] mod (2^31 - 1), by Schrage's method so nothing overflows 32 bits.
  int32_t word = int32_t(seed);
  for (int i = 1; i < DEGREE; ++i) {
    const int32_t hi = word / 127773, lo = word % 127773;
    word = 16807 * lo - 2836 * hi;
    if (word < 0) word += 2147483647;
    table[i] = word;
  }
  front = SEPARATION;
  rear = 0;
  // The first ten rounds of the table are thrown away.
  for (int i = 0; i < 10 * DEGREE; ++i) next();
}

long GlibcRandom::next() {
  const uint32_t sum = uint32_t(table[front]) + uint32_t(table[rear]);
  table[front] = int32_t(sum);
  front = front + 1 == DEGREE ? 0 : front + 1;
  rear = rear + 1 == DEGREE ? 0 : rear + 1;
  return long(sum >> 1);
}

#ifdef __EMSCRIPTEN__
namespace {
GlibcRandom generator;
}

extern "C" long random(void) { return generator.next(); }
extern "C" void srandom(unsigned seed) { generator.reseed(seed); }
#endif
