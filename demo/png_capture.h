// png_capture.h - writes the current GL read buffer to a PNG file (top row first).
#ifndef KORA_DEMO_PNG_CAPTURE_H
#define KORA_DEMO_PNG_CAPTURE_H

#include <string>

// Reads width x height pixels at the window's lower-left corner; false (with a message on
// stderr) when the file cannot be written.
bool captureFramePng(const std::string& path, int width, int height);

#endif
