// png_capture_web.cpp - kora-demo's frame capture in the page: the frame read from the canvas
// goes to the page's script (Module.onCapture), which keeps it as a PNG under the name
// --capture gave. Replaces demo/png_capture.cpp, whose PNG writer needs libpng.
#include <GL/gl.h>
#include <emscripten.h>

#include <string>
#include <vector>

#include "png_capture.h"

void readFrame(int width, int height, std::vector<unsigned char>& pixels) {
  pixels.resize(size_t(width) * size_t(height) * 3);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

bool writeFramePng(const std::string& path, const std::vector<unsigned char>& pixels, int width,
                   int height) {
  if (pixels.size() < size_t(width) * size_t(height) * 3) return false;
  return EM_ASM_INT(
             {
               if (!Module.onCapture) return 0;
               Module.onCapture(UTF8ToString($0), $1, $2, HEAPU8.subarray($3, $3 + $1 * $2 * 3));
               return 1;
             },
             path.c_str(), width, height, pixels.data()) != 0;
}

bool captureFramePng(const std::string& path, int width, int height) {
  std::vector<unsigned char> pixels;
  readFrame(width, height, pixels);
  return writeFramePng(path, pixels, width, height);
}
