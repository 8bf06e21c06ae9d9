// image_fuzz_entry.h - the fuzz entry points of the BMP and PCX readers, shared by the libFuzzer
// targets and the corpus replay test. Each decodes one file image and checks what a decode
// must leave behind; a violated check aborts.
#ifndef KORA_IMAGE_FUZZ_ENTRY_H
#define KORA_IMAGE_FUZZ_ENTRY_H

#include <cstddef>
#include <cstdint>

namespace korafuzz {

// Silences the readers' error stream and lowers the pixel limit so that a header cannot make
// every run allocate a giant raster. Called once by both entry points.
void setUp();

// 1 when the file decoded (fully or up to damage), 0 when it was refused.
int decodeBmp(const std::uint8_t* data, std::size_t size);
int decodePcx(const std::uint8_t* data, std::size_t size);

}  // namespace korafuzz

#endif
