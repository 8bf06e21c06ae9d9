// libFuzzer target: the BMP reader's decoder on arbitrary file images.
#include "image_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korafuzz::decodeBmp(data, size);
  return 0;
}
