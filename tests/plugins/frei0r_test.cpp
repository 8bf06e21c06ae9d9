// The frei0r modules: driven in-process like a host does, and under Debian's ffmpeg and
// MLT's melt, whose frames must equal the player's.
#include "effect_harness.h"
#include "host_runs.h"
#include "png_image.h"

#include "output_capture.h"
#include <dlfcn.h>

#include <algorithm>
#include <frei0r.h>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>

#include <thread>

using mirvo_test::PngImage;
using mirvo_test::readPng;
using namespace fx_test;

using mirvo_test::findProgram;

namespace {

// The entry points of one frei0r module, opened as a host opens it.
struct Frei0r {
    void *handle = nullptr;
    void (*get_plugin_info)(f0r_plugin_info_t *) = nullptr;
    void (*get_param_info)(f0r_param_info_t *, int) = nullptr;
    f0r_instance_t (*construct)(unsigned int, unsigned int) = nullptr;
    void (*destruct)(f0r_instance_t) = nullptr;
    void (*set_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*get_param_value)(f0r_instance_t, f0r_param_t, int) = nullptr;
    void (*update)(f0r_instance_t, double, const uint32_t *, uint32_t *) = nullptr;

    explicit Frei0r(const std::string &name)
    {
        std::string path = std::string(FREI0R_DIR) + "/" + name + ".so";
        const std::string prefix = "f0r_";
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle)
            return;
        bind(get_plugin_info, prefix + "get_plugin_info");
        bind(get_param_info, prefix + "get_param_info");
        bind(construct, prefix + "construct");
        bind(destruct, prefix + "destruct");
        bind(set_param_value, prefix + "set_param_value");
        bind(get_param_value, prefix + "get_param_value");
        bind(update, prefix + "update");
    }
    template <typename Fn> void bind(Fn &fn, const std::string &name)
    {
        fn = reinterpret_cast<Fn>(dlsym(handle, name.c_str()));
        EXPECT_NE(fn, nullptr) << name;
    }
    bool ok() const
    {
        return handle && update;
    }
    void setNumber(f0r_instance_t i, int index, double v)
    {
        set_param_value(i, &v, index);
    }
    void setText(f0r_instance_t i, int index, const std::string &s)
    {
        std::vector<char> copy(s.begin(), s.end());  // the module must copy it
        copy.push_back('\0');
        char *p = copy.data();
        set_param_value(i, &p, index);
        copy.assign(copy.size(), 'x');
    }
};

uint32_t rgbaBytes(Uint8 r, Uint8 g, Uint8 b, Uint8 a)
{
    uint32_t v;
    Uint8 bytes[4] = {r, g, b, a};
    memcpy(&v, bytes, 4);
    return v;
}

// The RGB of a frei0r pixel as the harness's 0xRRGGBB.
Uint32 rgbOf(uint32_t v)
{
    Uint8 b[4];
    memcpy(b, &v, 4);
    return rgb(b[0], b[1], b[2]);
}
Uint8 alphaOf(uint32_t v)
{
    Uint8 b[4];
    memcpy(b, &v, 4);
    return b[3];
}

}  // namespace

namespace {

// The cells of a Markdown table row "| a | b |", trimmed.
std::vector<std::string> cellsOf(const std::string &row)
{
    std::vector<std::string> cells;
    std::istringstream in(row.substr(1));
    for (std::string cell; std::getline(in, cell, '|');) {
        const size_t first = cell.find_first_not_of(' '), last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return cells;
}

// A default as docs/frei0r.md writes it: ten digits, a colour's float seven.
std::string shortest(double v, int digits = 10)
{
    char text[40];
    snprintf(text, sizeof text, "%.*g", digits, v);
    return text;
}

}  // namespace

// docs/frei0r.md lists every parameter of every module as f0r_get_param_info and
// f0r_get_param_value give it: its position, name, type, what 0 to 1 stands for (a part of
// the explanation) and its default.
TEST(Frei0rModules, TheParameterTableOfTheDocsIsTheModules)
{
    std::ifstream doc(std::string(PLAYER_SOURCE_DIR) + "/../docs/frei0r.md");
    ASSERT_TRUE(doc.good());
    const std::map<std::string, int> types{{"bool", F0R_PARAM_BOOL},
                                           {"double", F0R_PARAM_DOUBLE},
                                           {"color", F0R_PARAM_COLOR},
                                           {"string", F0R_PARAM_STRING}};
    std::map<std::string, int> rows;
    for (std::string line; std::getline(doc, line);) {
        const std::vector<std::string> cells =
            line.rfind("| ", 0) == 0 ? cellsOf(line) : std::vector<std::string>{};
        if (cells.size() != 7 || !find_module_spec(cells[0]))
            continue;
        Frei0r m(cells[0]);
        ASSERT_TRUE(m.ok());
        const int index = std::stoi(cells[1]);
        EXPECT_EQ(index, rows[cells[0]]++) << line;
        f0r_param_info_t info{};
        m.get_param_info(&info, index);
        ASSERT_NE(info.name, nullptr) << line;
        EXPECT_EQ(cells[2], info.name) << line;
        ASSERT_EQ(types.count(cells[3]), 1u) << line;
        EXPECT_EQ(types.at(cells[3]), info.type) << line;
        EXPECT_NE(std::string(info.explanation).find(cells[4]), std::string::npos) << line;
        f0r_instance_t inst = m.construct(64, 48);
        ASSERT_NE(inst, nullptr);
        if (info.type == F0R_PARAM_COLOR) {
            f0r_param_color_t c{};
            m.get_param_value(inst, &c, index);
            EXPECT_EQ(cells[5],
                      shortest(c.r, 7) + ", " + shortest(c.g, 7) + ", " + shortest(c.b, 7))
                << line;
        } else if (info.type != F0R_PARAM_STRING) {
            double v = -1;
            m.get_param_value(inst, &v, index);
            EXPECT_EQ(cells[5], shortest(v)) << line;
        }
        m.destruct(inst);
    }
    for (const char *module : {"boxflood", "wavetext", "bouncetext"}) {
        Frei0r m(module);
        ASSERT_TRUE(m.ok());
        f0r_plugin_info_t info{};
        m.get_plugin_info(&info);
        EXPECT_STREQ(info.name, module);
        EXPECT_EQ(info.plugin_type, std::string(module) == "boxflood" ? F0R_PLUGIN_TYPE_FILTER
                                                                      : F0R_PLUGIN_TYPE_SOURCE);
        EXPECT_EQ(info.color_model, F0R_COLOR_MODEL_RGBA8888);
        EXPECT_EQ(rows[module], info.num_params) << module << ": rows in docs/frei0r.md";
    }
}

// Two instances of one module at once, with other instances made and destroyed around
// them, draw what one instance alone draws: no state is shared.
TEST(Frei0rModules, InstancesAreIndependentOfEachOther)
{
    Frei0r m("wavetext");
    ASSERT_TRUE(m.ok());
    const int W = 320, H = 240;
    std::string font = makeFont(16, 32, 16, true);
    auto setUp = [&](f0r_instance_t inst, const char *text, long amplitude) {
        m.setText(inst, 0, text);
        m.setText(inst, 1, font);
        m.setText(inst, 2, TEST_CHARACTERS);
        m.setNumber(inst, 5, host_runs::unitValue("wavetext", "amplitude", amplitude));
    };
    auto alone = [&](const char *text, long amplitude, int frames) {
        f0r_instance_t inst = m.construct(W, H);
        setUp(inst, text, amplitude);
        std::vector<uint32_t> frame((size_t)W * H);
        for (int f = 0; f < frames; ++f)
            m.update(inst, f / 50.0, nullptr, frame.data());
        m.destruct(inst);
        return frame;
    };
    f0r_instance_t a = m.construct(W, H), b = m.construct(W, H);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    setUp(a, "ABCDEFGH", 40);
    setUp(b, "HGFEDCBA", 90);
    std::vector<uint32_t> fa((size_t)W * H), fb((size_t)W * H);
    for (int f = 0; f < 60; ++f) {
        if (f == 20) {  // another instance comes and goes in between
            f0r_instance_t c = m.construct(64, 48);
            ASSERT_NE(c, nullptr);
            std::vector<uint32_t> small(64 * 48);
            m.update(c, 0, nullptr, small.data());
            m.destruct(c);
        }
        m.update(a, f / 50.0, nullptr, fa.data());
        m.update(b, f / 50.0, nullptr, fb.data());
    }
    m.destruct(a);
    m.destruct(b);
    EXPECT_TRUE(fa == alone("ABCDEFGH", 40, 60));
    EXPECT_TRUE(fb == alone("HGFEDCBA", 90, 60));
    EXPECT_FALSE(fa == fb);
}

TEST(Frei0rModules, SourceDrawsWhatTheEffectDrawsOpaque)
{
    const int W = 320, H = 240;
    std::string font = makeFont(16, 32, 16, true);
    // The effect on an SDL surface, through the player's loader.
    Effect fx("wavetext");
    SurfacePtr s = makeTarget(W, H);
    fx.start(s.get(),
             {"text=ABCDEFGH", "font=" + font, std::string("characters=") + TEST_CHARACTERS,
              "amplitude=70", "slice_width=3"});
    Frei0r m("wavetext");
    ASSERT_TRUE(m.ok());
    f0r_instance_t inst = m.construct(W, H);
    ASSERT_NE(inst, nullptr);
    m.setText(inst, 0, "ABCDEFGH");
    m.setText(inst, 1, font);
    m.setText(inst, 2, TEST_CHARACTERS);
    m.setNumber(inst, 5, host_runs::unitValue("wavetext", "amplitude", 70));
    m.setNumber(inst, 6, host_runs::unitValue("wavetext", "slice_width", 3));
    std::vector<uint32_t> frame((size_t)W * H, 0x12345678);
    for (int f = 1; f <= 80; ++f) {
        fx.draw();
        m.update(inst, (f - 1) / 50.0, nullptr, frame.data());
        if (f % 20 != 0)
            continue;
        bool same = true, opaque = true;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                same &= rgbOf(frame[(size_t)y * W + x]) == pixel(s.get(), x, y);
                opaque &= alphaOf(frame[(size_t)y * W + x]) == 255;
            }
        EXPECT_TRUE(same) << "frame " << f;
        EXPECT_TRUE(opaque) << "frame " << f;
    }
    EXPECT_FALSE(allPixels(s.get(), 0));
    m.destruct(inst);
}

TEST(Frei0rModules, SourceLoopsWhenTheTextIsUsedUp)
{
    const int W = 160, H = 120;
    Frei0r m("wavetext");
    ASSERT_TRUE(m.ok());
    f0r_instance_t inst = m.construct(W, H);
    ASSERT_NE(inst, nullptr);
    m.setText(inst, 0, "AB");
    m.setText(inst, 1, makeFont(16, 32, 16, true));
    m.setText(inst, 2, TEST_CHARACTERS);
    std::vector<uint32_t> frame((size_t)W * H);
    std::vector<std::vector<uint32_t>> frames;
    for (int f = 1; f <= 100; ++f) {
        m.update(inst, f / 50.0, nullptr, frame.data());
        frames.push_back(frame);
    }
    // "AB" ends in frame 48, which starts the effect again and draws its first frame: frame
    // 48 + k shows what frame 1 + k showed.
    for (int k = 0; k < 40; ++k)
        ASSERT_TRUE(frames[47 + k] == frames[k]) << "frame " << 48 + k;
    m.destruct(inst);
}

// The box is opaque where it is drawn, as the player shows it, over an input of any alpha
// (transparent, half, opaque); the input shows through elsewhere with its own.
TEST(Frei0rModules, FilterDrawsAnOpaqueBoxOverTheIncomingFrame)
{
    const int W = 64, H = 48;
    Frei0r m("boxflood");
    ASSERT_TRUE(m.ok());
    f0r_instance_t inst = m.construct(W, H);
    ASSERT_NE(inst, nullptr);
    m.setNumber(inst, 0, 0.7);        // on: grow from the centre
    m.setNumber(inst, 1, 3.2 / 255);  // rounded to 3, raised to 4
    f0r_param_color_t colour{0.0f, 1.0f, 128.0f / 255};
    m.set_param_value(inst, &colour, 2);
    double rate = 0;
    m.get_param_value(inst, &rate, 1);
    EXPECT_DOUBLE_EQ(rate, 3.2 / 255);
    std::vector<uint32_t> in((size_t)W * H), out((size_t)W * H);
    const Uint8 alphas[] = {0, 128, 255};
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = rgbaBytes((Uint8)i, (Uint8)(i >> 3), 7, alphas[i % 3]);
    for (int f = 0; f < 3; ++f)
        m.update(inst, f / 50.0, in.data(), out.data());
    // Third step (time 0.04 s) at 64 x 48, rate 4: (24, 18, 16, 12).
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            size_t i = (size_t)y * W + x;
            bool inside = x >= 24 && x < 40 && y >= 18 && y < 30;
            ASSERT_EQ(rgbOf(out[i]), inside ? rgb(0, 255, 128) : rgbOf(in[i])) << x << "," << y;
            ASSERT_EQ(alphaOf(out[i]), inside ? 255 : alphaOf(in[i])) << x << "," << y;
        }
    m.destruct(inst);
}

// A number is rounded to the nearest whole one of its range, halves up: boxflood's rate of
// 0.5 is 128 (127.5 rounded) and draws the player's rate=128; a value outside 0 to 1 is
// brought inside, and the direction's on/off reads 0.5 and above as on.
struct RoundingCase {
    double direction, rate;
    long player_direction, player_rate;
};

class Frei0rRounding : public ::testing::TestWithParam<RoundingCase> { };

TEST_P(Frei0rRounding, BoxfloodDrawsThePlayersRoundedNumbers)
{
    const RoundingCase c = GetParam();
    const int W = 96, H = 64;
    Effect fx("boxflood");
    SurfacePtr s = makeTarget(W, H);
    fx.start(s.get(), {"direction=" + std::to_string(c.player_direction),
                       "rate=" + std::to_string(c.player_rate), "red=10", "green=20", "blue=30"});
    Frei0r m("boxflood");
    ASSERT_TRUE(m.ok());
    f0r_instance_t inst = m.construct(W, H);
    ASSERT_NE(inst, nullptr);
    m.setNumber(inst, 0, c.direction);
    m.setNumber(inst, 1, c.rate);
    f0r_param_color_t colour{10.0f / 255, 20.0f / 255, 30.0f / 255};
    m.set_param_value(inst, &colour, 2);
    std::vector<uint32_t> in((size_t)W * H, rgbaBytes(0, 0, 0, 255)), out((size_t)W * H);
    // The first frame: the player's screen keeps what a shrinking flood drew before.
    fx.draw();
    m.update(inst, 0.0, in.data(), out.data());
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(rgbOf(out[(size_t)y * W + x]), pixel(s.get(), x, y)) << x << "," << y;
    m.destruct(inst);
}

INSTANTIATE_TEST_SUITE_P(Numbers, Frei0rRounding,
                         ::testing::Values(RoundingCase{1.0, 0.5, 1, 128},
                                           RoundingCase{0.5, 6.49 / 255, 1, 6},
                                           RoundingCase{0.49, 6.51 / 255, 0, 7},
                                           RoundingCase{0.0, 2.0, 0, 255},
                                           RoundingCase{1.0, -3.0, 1, 0}),
                         [](const ::testing::TestParamInfo<RoundingCase> &i) {
                             return "direction_" + std::to_string(i.param.player_direction) +
                                    "_rate_" + std::to_string(i.param.player_rate);
                         });

namespace {

// The process's resident memory in kB (Linux), or -1.
long residentKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

}  // namespace

// A host may make sources and never free them (MLT 7.12 keeps every frei0r source): 2,000
// instances made one after another all draw their text, the first again after the other
// 1,999, and each one forgotten costs little memory. (The support library has 255 scrollers;
// before, the 256th instance drew black.)
TEST(Frei0rModules, TwoThousandInstancesNeverFreedAllDraw)
{
    Frei0r m("wavetext");
    ASSERT_TRUE(m.ok());
    const int W = 640, H = 48, COUNT = 2000;
    const std::string font = makeFont(16, 32, 16, true);
    std::vector<f0r_instance_t> made;
    std::vector<uint32_t> frame((size_t)W * H);
    auto drawsText = [&](f0r_instance_t inst) {
        bool drew = false;
        for (int f = 0; f < 40 && !drew; ++f) {  // "AB" enters from the right
            m.update(inst, f / 50.0, nullptr, frame.data());
            drew =
                std::any_of(frame.begin(), frame.end(), [](uint32_t v) { return rgbOf(v) != 0; });
        }
        return drew;
    };
    long before = -1;
    for (int i = 0; i < COUNT; ++i) {
        f0r_instance_t inst = m.construct(W, H);
        ASSERT_NE(inst, nullptr) << "instance " << i;
        m.setText(inst, 0, "AB");
        m.setText(inst, 1, font);
        m.setText(inst, 2, TEST_CHARACTERS);
        m.setNumber(inst, 5, host_runs::unitValue("wavetext", "amplitude", 4));
        ASSERT_TRUE(drawsText(inst)) << "instance " << i;
        made.push_back(inst);
        if (i == 299)
            before = residentKb();
    }
    const long after = residentKb();
    EXPECT_TRUE(drawsText(made.front())) << "the first instance, after the others";
    // A running wavetext at 640 x 48 holds a strip of 640 x 32 pixels and its font (over
    // 100 kB); forgotten, an instance keeps its parameters, well under 8 kB.
    std::fprintf(stderr, "resident memory: %ld kB after 300 instances, %ld kB after %d\n", before,
                 after, COUNT);
#ifndef MIRVO_SANITIZED  // (AddressSanitizer keeps freed memory in quarantine)
    if (before > 0) {
        EXPECT_LT(after - before, (COUNT - 300) * 8L) << "kB for " << COUNT - 300 << " instances";
    }
#endif
    for (f0r_instance_t inst : made)
        m.destruct(inst);
}

// The scale setting: at scale s a frame is the picture of an instance at 1/s of the frame's
// size (rounded up), each pixel s x s, cut at the right and bottom edges. A filter's drawing
// is enlarged, opaque, and its input shows through at full resolution elsewhere.
struct ScaleCase {
    const char *module;
    int scale, width, height;
};

class Frei0rScale : public ::testing::TestWithParam<ScaleCase> { };

TEST_P(Frei0rScale, FramesAreTheSmallerPictureEnlarged)
{
    const ScaleCase c = GetParam();
    Frei0r m(c.module);
    ASSERT_TRUE(m.ok());
    const bool filter = std::string(c.module) == "boxflood";
    const int w = (c.width + c.scale - 1) / c.scale, h = (c.height + c.scale - 1) / c.scale;
    f0r_instance_t big = m.construct(c.width, c.height), small = m.construct(w, h);
    ASSERT_NE(big, nullptr);
    ASSERT_NE(small, nullptr);
    const std::string font = makeFont(16, 32, 16, true);
    for (f0r_instance_t inst : {big, small})
        if (!filter) {
            m.setText(inst, 0, "JUMP");
            m.setText(inst, 1, font);
            m.setText(inst, 2, TEST_CHARACTERS);
        }
    m.setNumber(big, filter ? 3 : 7, (c.scale - 1) / 7.0);
    double got = -1;
    m.get_param_value(big, &got, filter ? 3 : 7);
    EXPECT_DOUBLE_EQ(got, (c.scale - 1) / 7.0);
    std::vector<uint32_t> in((size_t)c.width * c.height),
        small_in((size_t)w * h, rgbaBytes(0, 0, 0, 255));
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = rgbaBytes((Uint8)(i * 7), (Uint8)(i >> 2), 9, (Uint8)(i % 2 ? 0 : 200));
    std::vector<uint32_t> out(in.size()), small_out(small_in.size());
    int drawn = 0;
    for (int f = 1; f <= 30; ++f) {
        m.update(big, f / 50.0, filter ? in.data() : nullptr, out.data());
        m.update(small, f / 50.0, filter ? small_in.data() : nullptr, small_out.data());
        if (f % 5 != 0)
            continue;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const size_t i = (size_t)y * c.width + x;
                const uint32_t v = small_out[(size_t)(y / c.scale) * w + x / c.scale];
                // The box is what boxflood drew over black: not black.
                const bool box = filter && rgbOf(v) != 0;
                drawn += !filter || box;
                const uint32_t want = filter && !box ? in[i] : v;
                ASSERT_EQ(rgbOf(out[i]), rgbOf(want)) << "frame " << f << " at " << x << "," << y;
                ASSERT_EQ(alphaOf(out[i]), alphaOf(want) | (filter && !box ? 0 : 255))
                    << "frame " << f << " at " << x << "," << y;
            }
    }
    EXPECT_GT(drawn, 0);
    m.destruct(big);
    m.destruct(small);
}

INSTANTIATE_TEST_SUITE_P(
    Modules, Frei0rScale,
    ::testing::Values(ScaleCase{"wavetext", 2, 320, 160}, ScaleCase{"bouncetext", 3, 200, 142},
                      ScaleCase{"boxflood", 2, 97, 64}, ScaleCase{"boxflood", 8, 130, 90}),
    [](const ::testing::TestParamInfo<ScaleCase> &i) {
        return std::string(i.param.module) + "_" + std::to_string(i.param.scale);
    });

TEST(Frei0rModules, UnreadableFontGivesBlackFramesNotGarbage)
{
    Frei0r m("bouncetext");
    ASSERT_TRUE(m.ok());
    f0r_instance_t inst = m.construct(32, 32);
    ASSERT_NE(inst, nullptr);
    m.setText(inst, 1, "/nonexistent/font.pcx");
    std::vector<uint32_t> frame(32 * 32, 0xdeadbeef);
    mirvotest::captureStderr();
    m.update(inst, 0, nullptr, frame.data());
    std::string err = mirvotest::capturedStderr();
    EXPECT_NE(err.find("bouncetext: cannot read the font /nonexistent/font.pcx"), std::string::npos)
        << err;
    for (uint32_t v : frame)
        ASSERT_EQ(v, rgbaBytes(0, 0, 0, 255));
    m.destruct(inst);
}

// frei0r 1.2 lets hosts ask for parameter information from several threads at once: every
// answer is the whole explanation (docs/frei0r.md's table checks what it says; a sanitizer
// build of the threads also sees no race on the texts).
TEST(Frei0rModules, ParameterInformationFromManyThreadsAtOnce)
{
    for (const char *module : {"boxflood", "wavetext", "bouncetext"}) {
        Frei0r m(module);
        ASSERT_TRUE(m.ok());
        f0r_plugin_info_t plugin{};
        m.get_plugin_info(&plugin);
        std::vector<std::string> want;
        for (int i = 0; i < plugin.num_params; ++i) {
            f0r_param_info_t info{};
            m.get_param_info(&info, i);
            ASSERT_NE(info.explanation, nullptr);
            want.push_back(info.explanation);
        }
        std::vector<std::thread> askers;
        std::vector<int> wrong(8, 0);
        for (size_t t = 0; t < wrong.size(); ++t)
            askers.emplace_back([&, t] {
                for (int round = 0; round < 200; ++round)
                    for (size_t i = 0; i < want.size(); ++i) {
                        f0r_param_info_t info{};
                        m.get_param_info(&info, int(i));
                        wrong[t] += want[i] != info.explanation;
                    }
            });
        for (std::thread &t : askers)
            t.join();
        for (size_t t = 0; t < wrong.size(); ++t)
            EXPECT_EQ(wrong[t], 0) << module << " thread " << t;
    }
}

namespace {

using host_runs::expectPlayersFrames;
using host_runs::ffmpeg;
using host_runs::numbered;
using host_runs::player;
using host_runs::unit;

}  // namespace

TEST(Frei0rUnderFfmpeg, WavetextSourceFramesEqualThePlayers)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string ff = mirvo_test::makeTempDir("ffwave"), pl = mirvo_test::makeTempDir("plwave");
    mirvo_test::ProgramResult r =
        ffmpeg("frei0r_src=size=640x480:framerate=50:filter_name="
               "wavetext:filter_params=HELLO|||" +
                   unit("wavetext", "character_width", 16) + "|" +
                   unit("wavetext", "character_height", 32) + "|" +
                   unit("wavetext", "amplitude", 80) + "|" + unit("wavetext", "slice_width", 3),
               "", 120, ff);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(
        player({"--exact-text", "wavetext", "HELLO", "amplitude=80", "slice_width=3"}, 120, pl)
            .status,
        0);
    // "HELLO" ends in frame 96 and starts over: the comparison covers the restart too.
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(ff, "f-", 1, pl, 1, 120, 1, "", 640));
}

// ffmpeg 5 hands over its own frames, whose rows are padded to its alignment (64 bytes
// with AVX-512): widths whose rows are not a multiple of it (333, 328), one whose rows are
// (336) and one above 2048 come out as the player draws them.
TEST(Frei0rUnderFfmpeg, WavetextSourceFramesEqualThePlayersAtWidthsWithPaddedRows)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    for (auto size : {std::pair<int, int>{333, 257}, {328, 120}, {336, 256}, {2100, 90}}) {
        const std::string w = std::to_string(size.first), h = std::to_string(size.second);
        std::string ff = mirvo_test::makeTempDir("ffwave"), pl = mirvo_test::makeTempDir("plwave");
        mirvo_test::ProgramResult r =
            ffmpeg("frei0r_src=size=" + w + "x" + h +
                       ":framerate=50:filter_name=wavetext:"
                       "filter_params=HELLO|||" +
                       unit("wavetext", "character_width", 16) + "|" +
                       unit("wavetext", "character_height", 32) + "|" +
                       unit("wavetext", "amplitude", 30) + "|" + unit("wavetext", "slice_width", 1),
                   "", 60, ff);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(player({"--exact-text", "-W", w, "-H", h, "wavetext", "HELLO", "amplitude=30",
                          "slice_width=1"},
                         60, pl)
                      .status,
                  0);
        ASSERT_NO_FATAL_FAILURE(
            expectPlayersFrames(ff, "f-", 20, pl, 20, 41, 4, w + "x" + h, size.first));
    }
}

TEST(Frei0rUnderFfmpeg, BouncetextSourceFramesEqualThePlayers)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string ff = mirvo_test::makeTempDir("ffbounce"), pl = mirvo_test::makeTempDir("plbounce");
    // Height 150 of the 240 - 32 the frame leaves; the width is the frame's.
    ASSERT_EQ(ffmpeg("frei0r_src=size=320x240:framerate=50:filter_name=bouncetext:"
                     "filter_params=JUMP AROUND|||" +
                         unit("bouncetext", "character_width", 16) + "|" +
                         unit("bouncetext", "character_height", 32) + "|1|" +
                         unit(0, 240 - 32, 150),
                     "", 100, ff)
                  .status,
              0);
    ASSERT_EQ(player({"-W", "320", "-H", "240", "bouncetext", "JUMP AROUND", "height=150"}, 100, pl)
                  .status,
              0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(ff, "f-", 10, pl, 10, 91, 10, "", 320));
}

// Over a black input the filter shows what the player's boxflood leaves on a black screen,
// as long as the rectangle grows (each fill covers the ones before); it finishes in frame
// 27 (rate 6 at 320 x 240), after which the player keeps its picture and ffmpeg's input
// is black again.
TEST(Frei0rUnderFfmpeg, BoxfloodFilterOverBlackEqualsThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string ff = mirvo_test::makeTempDir("ffbox"), pl = mirvo_test::makeTempDir("plbox");
    ASSERT_EQ(ffmpeg("color=c=black:size=320x240:rate=50",
                     "format=rgba,frei0r=filter_name=boxflood:filter_params=y|" +
                         unit("boxflood", "rate", 6) + "|0x3399ff",
                     40, ff)
                  .status,
              0);
    ASSERT_EQ(
        player({"-W", "320", "-H", "240", "boxflood", "1", "6", "51", "153", "255"}, 40, pl).status,
        0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(ff, "f-", 1, pl, 1, 26, 1, "", 320));
}

// Over testsrc2 at 333 x 257 (rows padded by ffmpeg) every pixel is the fill colour where
// the player's boxflood has filled and testsrc2's own pixel elsewhere.
TEST(Frei0rUnderFfmpeg, BoxfloodFilterOverPaddedRowsFillsThePlayersRectangle)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string ff = mirvo_test::makeTempDir("ffbox"), plain = mirvo_test::makeTempDir("ffplain"),
                pl = mirvo_test::makeTempDir("plbox");
    // (Converted inside the input graph: lavfi's input would round an odd size down.)
    const std::string input = "testsrc2=size=333x257:rate=50,format=rgba";
    ASSERT_EQ(ffmpeg(input,
                     "frei0r=filter_name=boxflood:filter_params=y|" + unit("boxflood", "rate", 6) +
                         "|0x3399ff",
                     20, ff)
                  .status,
              0);
    ASSERT_EQ(ffmpeg(input, "", 20, plain).status, 0);
    ASSERT_EQ(
        player({"-W", "333", "-H", "257", "boxflood", "1", "6", "51", "153", "255"}, 20, pl).status,
        0);
    const mirvo_test::Rgb fill{51, 153, 255}, black{0, 0, 0};
    for (int k = 2; k <= 20; k += 6) {
        PngImage a = readPng(numbered(ff, "f-", k)), in = readPng(numbered(plain, "f-", k)),
                 b = readPng(numbered(pl, "frame-", k));
        ASSERT_EQ(a.width, 333);
        ASSERT_EQ(b.width, 333);
        int filled = 0;
        for (int y = 0; y < 257; ++y)
            for (int x = 0; x < 333; ++x) {
                bool inside = b.at(x, y) != black;
                filled += inside;
                ASSERT_TRUE(a.at(x, y) == (inside ? fill : in.at(x, y)))
                    << "frame " << k << " at " << x << "," << y;
            }
        EXPECT_GT(filled, 0) << "frame " << k;
    }
}

namespace {

mirvo_test::ProgramResult melt(const std::vector<std::string> &producer,
                               const std::vector<std::string> &filter, int frames, int width,
                               int height, const std::string &dir)
{
    return host_runs::melt(producer, filter, {}, frames, width, height, dir);
}

}  // namespace

// MLT hands over contiguous rows at any size: 640 x 480, and 333 x 257, which is not a
// multiple of 8. It loads SDL 1.2 and SDL 2 itself; the module keeps its own.
TEST(Frei0rUnderMelt, WavetextSourceFramesEqualThePlayers)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("melt").empty())
        GTEST_SKIP() << "melt is not installed";
    for (auto size : {std::pair<int, int>{640, 480}, {333, 257}}) {
        const std::string w = std::to_string(size.first), h = std::to_string(size.second);
        std::string mt = mirvo_test::makeTempDir("mltwave"), pl = mirvo_test::makeTempDir("plwave");
        mirvo_test::ProgramResult r =
            melt({"frei0r.wavetext", "text=HELLO", "amplitude=" + unit("wavetext", "amplitude", 80),
                  "slice_width=" + unit("wavetext", "slice_width", 3)},
                 {}, 110, size.first, size.second, mt);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err.find("cannot read the font"), std::string::npos) << r.err;
        ASSERT_EQ(player({"--exact-text", "-W", w, "-H", h, "wavetext", "HELLO", "amplitude=80",
                          "slice_width=3"},
                         110, pl)
                      .status,
                  0);
        // "HELLO" ends in frame 96 and starts over: the comparison covers the restart too.
        ASSERT_NO_FATAL_FAILURE(
            expectPlayersFrames(mt, "f", 30, pl, 30, 81, 10, w + "x" + h, size.first));
    }
}

TEST(Frei0rUnderMelt, BouncetextWithItsDefaultsEqualsThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("melt").empty())
        GTEST_SKIP() << "melt is not installed";
    std::string mt = mirvo_test::makeTempDir("mltbounce"), pl = mirvo_test::makeTempDir("plbounce");
    ASSERT_EQ(melt({"frei0r.bouncetext"}, {}, 60, 854, 480, mt).status, 0);
    ASSERT_EQ(player({"--exact-text", "-W", "854", "-H", "480", "bouncetext"}, 60, pl).status, 0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(mt, "f", 20, pl, 20, 41, 20, "", 854));
}

// Over a black clip the filter shows what the player's boxflood leaves on a black screen
// while the rectangle grows (each fill covers the ones before).
TEST(Frei0rUnderMelt, BoxfloodFilterOverABlackClipEqualsThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("melt").empty())
        GTEST_SKIP() << "melt is not installed";
    for (auto size : {std::pair<int, int>{640, 480}, {333, 257}}) {
        const std::string w = std::to_string(size.first), h = std::to_string(size.second);
        std::string mt = mirvo_test::makeTempDir("mltbox"), pl = mirvo_test::makeTempDir("plbox");
        ASSERT_EQ(melt({"color:black"},
                       {"frei0r.boxflood", "direction=1", "rate=" + unit("boxflood", "rate", 6),
                        "colour=#3399ff"},
                       30, size.first, size.second, mt)
                      .status,
                  0);
        ASSERT_EQ(
            player({"-W", w, "-H", h, "boxflood", "1", "6", "51", "153", "255"}, 30, pl).status, 0);
        ASSERT_NO_FATAL_FAILURE(
            expectPlayersFrames(mt, "f", 2, pl, 2, 25, 6, w + "x" + h, size.first));
    }
}

// A font in each format the player reads (PNG, PNG with transparency, run-length BMP): the
// frei0r wavetext under ffmpeg draws the player's frames with it (transparency: as classic
// SDL 1.2 blends it).
class Frei0rFontFormats : public ::testing::TestWithParam<const char *> { };

TEST_P(Frei0rFontFormats, WavetextUnderFfmpegEqualsThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    NEED_PROGRAM("ffmpeg");
    const std::string font = std::string(TEST_DATA_DIR) + "/fonts/" + GetParam();
    const SDL_version *sdl = SDL_Linked_Version();
    if (font.find("alpha") != std::string::npos && sdl->patch > 15)
        GTEST_SKIP() << "the player's sdl12-compat blends transparency by SDL 2's rules";
    const std::string ff = mirvo_test::makeTempDir("fffont"),
                      pl = mirvo_test::makeTempDir("plfont");
    const mirvo_test::ProgramResult r =
        ffmpeg("frei0r_src=size=320x200:framerate=50:filter_name=wavetext:filter_params=HELLO|" +
                   font + "||" + unit("wavetext", "character_width", 16) + "|" +
                   unit("wavetext", "character_height", 32) + "|" +
                   unit("wavetext", "amplitude", 60) + "|" + unit("wavetext", "slice_width", 2),
               "", 60, ff);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(player({"--exact-text", "-W", "320", "-H", "200", "wavetext", "HELLO", "font=" + font,
                      "amplitude=60", "slice_width=2"},
                     60, pl)
                  .status,
              0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(ff, "f-", 1, pl, 1, 60, 1, GetParam(), 320));
    // The text is on screen by frame 60: the frames compared are not all black.
    const PngImage last = readPng(numbered(pl, "frame-", 60));
    EXPECT_NE(std::count(last.pixels.begin(), last.pixels.end(), mirvo_test::Rgb{0, 0, 0}),
              (long)last.pixels.size());
}

INSTANTIATE_TEST_SUITE_P(Fonts, Frei0rFontFormats,
                         ::testing::Values("font.png", "font-alpha.png", "font-rle8.bmp"),
                         [](const ::testing::TestParamInfo<const char *> &i) {
                             std::string name = i.param;
                             for (char &c : name)
                                 if (!isalnum((unsigned char)c))
                                     c = '_';
                             return name;
                         });

// A font that is no picture file (an endless device, a FIFO that nobody writes to, a folder)
// is refused at once with one line: the instance draws black, nothing leaves the module, and
// another instance of it draws meanwhile. (Before, a FIFO blocked the first instance inside the
// module's lock, and every other instance waited on it.)
class Frei0rFontNotAFile : public ::testing::TestWithParam<const char *> { };

TEST_P(Frei0rFontNotAFile, RefusedAtOnceWhileAnotherInstanceDraws)
{
    const std::string dir = mirvo_test::makeTempDir("fontfifo");
    std::string font = GetParam();
    if (font == "fifo") {
        font = dir + "/font.pcx";
        ASSERT_EQ(mkfifo(font.c_str(), 0600), 0);
    } else if (font == "folder") {
        font = dir;
    }
    Frei0r m("wavetext");
    ASSERT_TRUE(m.ok());
    const int W = 320, H = 240;
    f0r_instance_t given = m.construct(W, H), other = m.construct(W, H);
    ASSERT_NE(given, nullptr);
    ASSERT_NE(other, nullptr);
    m.setText(given, 1, font);
    m.setText(other, 0, "ABCDEFGH");
    m.setText(other, 1, makeFont(16, 32, 16, true));
    m.setText(other, 2, TEST_CHARACTERS);
    std::vector<uint32_t> frame((size_t)W * H, 0xdeadbeef), drawn((size_t)W * H, 0);
    mirvotest::captureStderr();
    m.update(given, 0, nullptr, frame.data());
    bool other_drew = false;
    for (int f = 1; f <= 80 && !other_drew; ++f) {
        m.update(other, f / 50.0, nullptr, drawn.data());
        for (uint32_t v : drawn)
            other_drew |= rgbOf(v) != 0;
    }
    const std::string err = mirvotest::capturedStderr();
    EXPECT_EQ(err, "wavetext: cannot read the font " + font + ": not a regular file\n");
    for (uint32_t v : frame)
        ASSERT_EQ(v, rgbaBytes(0, 0, 0, 255));
    EXPECT_TRUE(other_drew) << err;
    m.destruct(given);
    m.destruct(other);
}

INSTANTIATE_TEST_SUITE_P(Fonts, Frei0rFontNotAFile,
                         ::testing::Values("/dev/zero", "fifo", "folder"),
                         [](const ::testing::TestParamInfo<const char *> &i) {
                             return std::string(i.param[0] == '/' ? "endless_device" : i.param);
                         });

// The outside effect's frei0r module, made by the SDK's mirvo_add_frei0r_module, draws in
// ffmpeg and in melt what the player draws.
TEST(Frei0rUnderFfmpeg, AnEffectBuiltOutsideTheTreeEqualsThePlayer)
{
    SKIP_UNDER_SANITIZERS();
    if (findProgram("ffmpeg").empty())
        GTEST_SKIP() << "ffmpeg is not installed";
    std::string ff = mirvo_test::makeTempDir("ffoutside"),
                pl = mirvo_test::makeTempDir("ploutside");
    mirvo_test::ProgramResult r = mirvo_test::runProgram(
        {findProgram("ffmpeg"), "-hide_banner", "-loglevel", "error", "-f", "lavfi", "-i",
         "frei0r_src=size=64x48:framerate=25:filter_name=colorcycle:filter_params=" +
             unit(1, 90, 7) + "|" + unit(1, 65535, 240),
         "-frames:v", "30", "-pix_fmt", "rgb24", ff + "/f-%06d.png"},
        PLAYER_SOURCE_DIR, {{"FREI0R_PATH", OUTSIDE_FREI0R_DIR}});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_EQ(
        player({"-W", "64", "-H", "48", "-M", OUTSIDE_MODULE_DIR, "colorcycle", "step=7"}, 30, pl)
            .status,
        0);
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(ff, "f-", 1, pl, 1, 30, 1, "", 64));
    if (findProgram("melt").empty())
        return;
    const std::string mt = mirvo_test::makeTempDir("mltoutside");
    r = host_runs::melt({"frei0r.colorcycle", "step=" + unit(1, 90, 7)}, {}, {}, 30, 64, 48, mt,
                        {{"FREI0R_PATH", OUTSIDE_FREI0R_DIR}});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_NO_FATAL_FAILURE(expectPlayersFrames(mt, "f", 1, pl, 1, 30, 1, "melt", 64));
}
