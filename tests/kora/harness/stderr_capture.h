// stderr_capture.h - collects what the code under test writes on the standard error stream
// (both std::cerr and the C stream), by pointing descriptor 2 at a temporary file.
#ifndef KORA_TEST_STDERR_CAPTURE_H
#define KORA_TEST_STDERR_CAPTURE_H

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace koratest {

class StderrCapture {
 public:
  StderrCapture() : file(std::tmpfile()), saved(-1) {
    std::cerr.flush();
    std::fflush(stderr);
    if (file != nullptr) {
      saved = ::dup(2);
      ::dup2(::fileno(file), 2);
    }
  }
  ~StderrCapture() { stop(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Puts the stream back and returns everything written since the capture began.
  std::string stop() {
    if (file == nullptr) return text;
    std::cerr.flush();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
      text.append(buffer, n);
    std::fclose(file);
    file = nullptr;
    return text;
  }

 private:
  std::FILE* file;
  int saved;
  std::string text;
};

}  // namespace koratest

#endif
