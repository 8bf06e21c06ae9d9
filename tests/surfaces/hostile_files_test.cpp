// Hostile files against every picture reader of the project: KORA's BMP and PCX readers and
// the surface layer's IMG_Load (the fonts of the frei0r modules and the page). Each file is
// refused with one line or read within the reader's documented limits, without blocking,
// without undefined behaviour (the sanitizer build runs this too) and without reading an
// endless file to its end.
#include "surface_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "output_capture.h"
#include "run_program.h"

#ifdef WITH_KORA
#include <KORA/KR_Image.h>
#endif

using namespace surface_test;

namespace {

// NOT_TRIED: KORA reads a pipe as it comes (KR_Image.h), waiting for its writer.
enum Outcome { REFUSED, READ, EITHER, NOT_TRIED };

struct HostileCase {
    const char *name;
    // The file: one in tests/data/hostile/, or made by make() in the case's folder.
    std::function<std::string(const std::string &dir)> make;
    Outcome kora_bmp, kora_pcx, layer;
    const char *layer_says;  // part of IMG_Load's line when refused
};

std::string committed(const char *name)
{
    return std::string(TEST_DATA_DIR) + "/hostile/" + name;
}

std::vector<char> pcxHeader(int width, int height)
{
    std::vector<char> h(128, 0);
    h[0] = 10, h[1] = 5, h[2] = 1, h[3] = 8;
    h[8] = char((width - 1) & 0xff), h[9] = char((width - 1) >> 8);
    h[10] = char((height - 1) & 0xff), h[11] = char((height - 1) >> 8);
    h[65] = 1, h[66] = char(width & 0xff), h[67] = char(width >> 8);
    return h;
}

// A 4 x 2 PCX whose rows start with runs of 0 (code byte 0xC0, then 7): no pixels; then
// runs of four 5s and four 9s; its palette gives index i the colour (i, 2i, 3i).
std::string zeroRunsSmall(const std::string &dir)
{
    std::vector<char> f = pcxHeader(4, 2);
    for (int v : {0xc0, 7, 0xc0, 7, 0xc4, 5, 0xc0, 7, 0xc4, 9, 12})
        f.push_back(char(v));
    for (int i = 0; i < 256; ++i)
        for (int k = 1; k <= 3; ++k)
            f.push_back(char(i * k));
    writeBytes(dir + "/zero-runs.pcx", f);
    return dir + "/zero-runs.pcx";
}

// A 64 x 64 PCX of nothing but zero-length runs (a megabyte of them): the work is bounded by
// the file, which ends before the picture is complete.
std::string zeroRunsOnly(const std::string &dir)
{
    std::vector<char> f = pcxHeader(64, 64);
    for (int i = 0; i < 1 << 19; ++i) {
        f.push_back(char(0xc0));
        f.push_back(char(0x2a));
    }
    writeBytes(dir + "/zero-runs-only.pcx", f);
    return dir + "/zero-runs-only.pcx";
}

// A PNG whose data chunk says it is 1 GiB long, in a file of a few bytes.
std::string pngLyingChunk(const std::string &dir)
{
    const unsigned char bytes[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0,    0,    0, 13,
                                   'I',  'H', 'D', 'R', 0,    0,    0,    9,    0,    0,    0, 5,
                                   8,    2,   0,   0,   0,    0x18, 0x31, 0x51, 0x3c, 0x40, 0, 0,
                                   0,    'I', 'D', 'A', 'T',  0x78, 0x9c, 1,    2,    3};
    writeBytes(dir + "/lying-chunk.png", std::vector<char>(bytes, bytes + sizeof bytes));
    return dir + "/lying-chunk.png";
}

// A regular file one byte longer than the largest picture the layer takes (sparse: nothing
// is written but its size).
std::string overLimit(const std::string &dir)
{
    const std::string file = dir + "/over-limit.bmp";
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    Probe p;
    long side = 0, pixels = 0;
    unsigned long long bytes = 0;
    p.limits(&side, &pixels, &bytes);
    EXPECT_EQ(ftruncate(fd, off_t(bytes) + 1), 0);
    close(fd);
    return file;
}

// A FIFO that no program writes to: opening it for reading would wait for ever.
std::string fifo(const std::string &dir)
{
    const std::string file = dir + "/font.fifo.bmp.pcx";
    EXPECT_EQ(mkfifo(file.c_str(), 0600), 0);
    return file;
}

const HostileCase CASES[] = {
    {"bmp_height_int_min", [](const std::string &) { return committed("bmp-height-int-min.bmp"); },
     REFUSED, REFUSED, REFUSED, "picture size out of range"},
    // KORA reads any non-zero compression code of an 8-bit file as RLE8 (KR_Image.h); the
    // layer takes only RLE8 (1) for 8 bits, as the format defines.
    {"bmp8_compression_2", [](const std::string &) { return committed("bmp8-compression-2.bmp"); },
     READ, REFUSED, REFUSED, "unsupported BMP compression"},
    {"bmp32_16383_square_lying",
     [](const std::string &) { return committed("bmp32-16383-square-lying.bmp"); }, REFUSED,
     REFUSED, REFUSED, "picture size out of range"},
    {"pcx_zero_length_run",
     [](const std::string &) { return committed("pcx-zero-length-run.pcx"); }, REFUSED, EITHER,
     REFUSED, "picture size out of range"},
    {"pcx_zero_length_run_1gib",
     [](const std::string &) { return committed("pcx-zero-length-run-1gib.pcx"); }, REFUSED, EITHER,
     REFUSED, "picture size out of range"},
    {"pcx_zero_length_runs_in_limits", zeroRunsSmall, REFUSED, READ, READ, ""},
    {"pcx_only_zero_length_runs", zeroRunsOnly, REFUSED, EITHER, REFUSED, "file truncated"},
    {"png_empty_data_chunk", [](const std::string &) { return committed("png-empty-idat.png"); },
     REFUSED, REFUSED, REFUSED, "empty PNG data chunk"},
    {"png_chunk_claiming_1gib", pngLyingChunk, REFUSED, REFUSED, REFUSED,
     "PNG chunk longer than the file"},
    {"file_over_the_largest_picture", overLimit, REFUSED, REFUSED, REFUSED,
     "file larger than the largest picture allowed"},
    {"endless_device", [](const std::string &) { return std::string("/dev/zero"); }, REFUSED,
     REFUSED, REFUSED, "not a regular file"},
    {"fifo_without_writer", fifo, NOT_TRIED, NOT_TRIED, REFUSED, "not a regular file"},
    {"directory", [](const std::string &dir) { return dir; }, REFUSED, REFUSED, REFUSED,
     "not a regular file"},
};

// What a refusal or a read must look like: at most one line on the error stream, and a
// refusal says something (KORA: its one line, possibly empty; the layer: its message).
void expectOutcome(const char *reader, Outcome want, bool read, const std::string &said)
{
    SCOPED_TRACE(reader);
    if (want != EITHER) {
        EXPECT_EQ(read, want == READ) << said;
    }
    const size_t newline = said.find('\n');
    if (!read) {
        EXPECT_NE(newline, std::string::npos) << "no line";
    }
    EXPECT_TRUE(newline == std::string::npos || newline + 1 == said.size()) << said;
}

#ifdef WITH_KORA
class KoraReader : public KORA::KR_Image {
public:
    KoraReader() : KR_Image(1, 1) { }
    using KR_Image::loadBMP;
    using KR_Image::loadPCX;
};
#endif

class HostileFiles : public ::testing::TestWithParam<HostileCase> { };

TEST_P(HostileFiles, RefusedWithOneLineOrReadWithinTheLimits)
{
    const HostileCase &c = GetParam();
    const std::string dir = mirvo_test::makeTempDir("hostile");
    const std::string file = c.make(dir);

#ifdef WITH_KORA
    for (bool bmp : {true, false}) {
        if ((bmp ? c.kora_bmp : c.kora_pcx) == NOT_TRIED)
            continue;
        KoraReader image;
        mirvotest::OutputCapture capture;
        const bool read = bmp ? image.loadBMP(file) : image.loadPCX(file);
        const std::string said = capture.stop();
        expectOutcome(bmp ? "KORA BMP" : "KORA PCX", bmp ? c.kora_bmp : c.kora_pcx, read, said);
        if (read) {
            EXPECT_LE(image.columns, int(KORA::KR_Image::MAX_SIDE));
            EXPECT_LE(image.rows, int(KORA::KR_Image::MAX_SIDE));
            EXPECT_LE(long(image.columns) * image.rows, long(KORA::KR_Image::MAX_PIXELS));
        }
    }
#endif

    Probe p;
    ASSERT_TRUE(p.ok());
    int w = 0, h = 0, bpp = 0;
    mirvotest::OutputCapture capture;
    void *s = p.load(file.c_str(), &w, &h, &bpp);
    const std::string stderr_text = capture.stop();
    EXPECT_EQ(stderr_text, "") << "the layer writes nothing itself";
    const std::string said = s ? "" : std::string(p.error()) + "\n";
    expectOutcome("IMG_Load", c.layer, s != nullptr, said);
    if (!s) {
        EXPECT_NE(said.find(c.layer_says), std::string::npos) << said;
        return;
    }
    long side = 0, pixels = 0;
    unsigned long long bytes = 0;
    p.limits(&side, &pixels, &bytes);
    EXPECT_LE(w, side);
    EXPECT_LE(h, side);
    EXPECT_LE(long(w) * h, pixels);
    if (std::string(c.name) == "pcx_zero_length_runs_in_limits") {
        // The runs of 0 gave nothing: each row holds its run of four only.
        void *rgb = p.on_black(s);
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(p.pixel(rgb, x, 0) & 0xffffff, 0x050a0fu) << x;
            EXPECT_EQ(p.pixel(rgb, x, 1) & 0xffffff, 0x09121bu) << x;
        }
        p.free_surface(rgb);
    }
    p.free_surface(s);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFiles, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<HostileCase> &i) {
                             return std::string(i.param.name);
                         });

}  // namespace
