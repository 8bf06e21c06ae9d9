// KR_Endian.cpp - byte-order detection and little-endian field extraction.
#include "KR_Endian.h"

#include <cstdint>
#include <cstring>

namespace KORA {

KR_Endian* KR_Endian::_instance = nullptr;

KR_Endian* KR_Endian::getInstance() {
  if (_instance == nullptr) _instance = new KR_Endian();
  return _instance;
}

KR_Endian::KR_Endian() {
  const std::uint32_t one = 1;
  byte lowest;
  std::memcpy(&lowest, &one, 1);
  little_endian = lowest != 0;
}

KR_Endian::~KR_Endian() {}

void KR_Endian::getTypedData(void* destination, byte*& buffer, int size) const {
  const byte* from = buffer;
  getTypedData(destination, from, size);
  buffer += from - buffer;
}

void KR_Endian::getTypedData(void* destination, const byte*& buffer, int size) const {
  if (size <= 0) return;
  byte* out = static_cast<byte*>(destination);
  for (int i = 0; i < size; ++i) {
    if (little_endian)
      out[i] = buffer[i];
    else
      out[size - 1 - i] = buffer[i];
  }
  buffer += size;
}

}  // namespace KORA
