// output_capture.h - collects what the code under test writes on the standard output or error
// stream (the C++ and the C stream alike), by pointing the descriptor at a temporary file.
#ifndef MIRVO_TEST_OUTPUT_CAPTURE_H
#define MIRVO_TEST_OUTPUT_CAPTURE_H

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

namespace mirvotest {

class OutputCapture {
public:
    // fd is 1 (standard output) or 2 (standard error).
    explicit OutputCapture(int fd = 2) : fd(fd), file(std::tmpfile()), saved(-1)
    {
        flush();
        if (file != nullptr) {
            saved = ::dup(fd);
            ::dup2(::fileno(file), fd);
        }
    }
    ~OutputCapture()
    {
        stop();
    }
    OutputCapture(const OutputCapture &) = delete;
    OutputCapture &operator=(const OutputCapture &) = delete;

    // Puts the stream back and returns everything written since the capture began.
    std::string stop()
    {
        if (file == nullptr)
            return text;
        flush();
        ::dup2(saved, fd);
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
    void flush()
    {
        std::cout.flush();
        std::cerr.flush();
        std::fflush(stdout);
        std::fflush(stderr);
    }

    int fd;
    std::FILE *file;
    int saved;
    std::string text;
};

// The begin/end form, for a capture that spans a few statements of a test body: begin, run the
// code, then take the text (which also ends the capture).
inline std::unique_ptr<OutputCapture> &pendingCapture(int fd)
{
    static std::unique_ptr<OutputCapture> out, err;
    return fd == 1 ? out : err;
}
inline void captureStdout()
{
    pendingCapture(1).reset(new OutputCapture(1));
}
inline void captureStderr()
{
    pendingCapture(2).reset(new OutputCapture(2));
}
inline std::string takeCaptured(int fd)
{
    std::unique_ptr<OutputCapture> capture = std::move(pendingCapture(fd));
    return capture ? capture->stop() : std::string();
}
inline std::string capturedStdout()
{
    return takeCaptured(1);
}
inline std::string capturedStderr()
{
    return takeCaptured(2);
}

}  // namespace mirvotest

#endif
