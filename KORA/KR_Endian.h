// KR_Endian.h - the host byte order, and little-endian field extraction for the image readers.
// One process-wide instance, made by the first getInstance() and never destroyed.
#ifndef KORA_KR_ENDIAN_H
#define KORA_KR_ENDIAN_H

#include "KR_Def.h"

namespace KORA {

class KR_Endian {
 public:
  bool little_endian;  // true when the host stores the least significant byte first

  static KR_Endian* getInstance();

  // Takes one little-endian value of `size` bytes from `buffer` into `destination` in host
  // order and advances `buffer` by `size`. With size 0 or less nothing moves.
  void getTypedData(void* destination, const byte*& buffer, int size) const;
  void getTypedData(void* destination, byte*& buffer, int size) const;

  ~KR_Endian();

 private:
  KR_Endian();
  static KR_Endian* _instance;
};

}  // namespace KORA

#endif
