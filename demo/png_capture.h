// png_capture.h - frame capture: reading the current GL read buffer and writing it to a PNG
// file (top row first).
#ifndef KORA_DEMO_PNG_CAPTURE_H
#define KORA_DEMO_PNG_CAPTURE_H

#include <string>
#include <vector>

// Reads width x height RGB pixels at the window's lower-left corner, lowest row first, into
// `pixels` (resized; its storage is reused from call to call).
void readFrame(int width, int height, std::vector<unsigned char>& pixels);

// Writes pixels as read by readFrame; false (with a message on stderr) when the file cannot
// be written.
bool writeFramePng(const std::string& path, const std::vector<unsigned char>& pixels, int width,
                   int height);

// readFrame, then writeFramePng.
bool captureFramePng(const std::string& path, int width, int height);

#endif
