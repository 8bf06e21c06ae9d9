// mirvo-web-frames - runs the page's player natively (the same sources as the browser
// build, over the same surface layer) and writes its frames as PNG files, named as the
// support library's MIRVO_CAPTURE names them, for comparison with the native programs.
//
//   mirvo-web-frames [--frames N] [--exact-text] [-W WIDTH] [-H HEIGHT] DIR WORDS...
//
// WORDS are "rasterwave" or an effect sequence as mirvo-play takes it. Run it from a
// folder beside GFX/, where "../GFX/font.pcx" resolves.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "picture_writer.h"
#include "web_player.h"

namespace {

int usage()
{
    fputs(
        "Usage: mirvo-web-frames [--frames N] [--exact-text] [-W WIDTH] [-H HEIGHT] DIR WORDS...\n",
        stderr);
    return 2;
}

bool number(const char *s, long &out)
{
    char *end = nullptr;
    out = strtol(s, &end, 10);
    return *s && !*end && out >= 0;
}

}  // namespace

int main(int argc, char **argv)
{
    mirvo_web::play_options options;
    long frames = 200;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i) {
        const std::string a = argv[i];
        long n = 0;
        if (a == "--exact-text") {
            options.exact_text = true;
        } else if ((a == "--frames" || a == "-W" || a == "-H") && i + 1 < argc &&
                   number(argv[i + 1], n)) {
            ++i;
            if (a == "--frames")
                frames = n;
            else if (a == "-W")
                options.width = int(n);
            else
                options.height = int(n);
        } else {
            return usage();
        }
    }
    if (i + 2 > argc)
        return usage();
    const std::string dir = argv[i++];
    const std::vector<std::string> words(argv + i, argv + argc);
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) {
        fprintf(stderr, "mirvo-web-frames: cannot make %s: %s\n", dir.c_str(), strerror(errno));
        return 1;
    }
    std::string error;
    if (!mirvo_web::play(words, options, error)) {
        fprintf(stderr, "mirvo-web-frames: %s\n", error.c_str());
        return 1;
    }
    std::vector<picture::Rgb> pixels;
    for (long f = 1; f <= frames; ++f) {
        mirvo_web::frame();
        const int w = mirvo_web::width(), h = mirvo_web::height();
        const uint8_t *rgba = mirvo_web::rgba();
        pixels.resize(size_t(w) * size_t(h));
        for (size_t p = 0; p < pixels.size(); ++p)
            pixels[p] = {rgba[4 * p], rgba[4 * p + 1], rgba[4 * p + 2]};
        char name[32];
        snprintf(name, sizeof name, "/frame-%06ld.png", f);
        if (!picture::writePng(dir + name, w, h, pixels.data(), 1)) {
            fprintf(stderr, "mirvo-web-frames: cannot write %s%s\n", dir.c_str(), name);
            mirvo_web::end();
            return 1;
        }
    }
    mirvo_web::end();
    return 0;
}
