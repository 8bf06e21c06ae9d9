// KR_ImageLimits.h - the size limit of the image readers (private to the library).
#ifndef KORA_KR_IMAGE_LIMITS_H
#define KORA_KR_IMAGE_LIMITS_H

namespace KORA {

// The pixel count the BMP and PCX readers accept: KR_Image::MAX_PIXELS unless lowered (the
// fuzzers lower it, since big rasters only slow them down). A picture over it fails to load.
long imagePixelLimit();
void setImagePixelLimit(long pixels);

}  // namespace KORA

#endif
