// The modules' descriptors: found whatever a module file is called, checked against the
// effect's catalogue, and value lists of the wrong length or range refused with a reason
// and never read past.
#include "effect_harness.h"

#include <fstream>

#include "output_capture.h"

using namespace fx_test;

namespace {

// One module loaded for a test and its descriptor.
class Described : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(mirvo_load_effect(GetParam(), module_, error)) << error;
        d_ = module_.descriptor;
        ASSERT_NE(d_, nullptr);
        spec_ = find_module_spec(GetParam());
        ASSERT_NE(spec_, nullptr);
    }
    void TearDown() override
    {
        mirvo_unload_effect(module_);
    }
    // The effect's defaults for a 160 x 120 surface, as make takes them (a test font for
    // the scrollers).
    std::vector<mirvo_value> defaults()
    {
        std::vector<std::string> words;
        for (const param_spec &p : spec_->params)
            if (std::string(p.name) == "font")
                words.push_back("font=" + makeFont(16, 32));
        std::string error;
        EXPECT_TRUE(parse_effect_params(*spec_, words, 160, 120, setup_, error)) << error;
        return setup_.value_array();
    }

    mirvo_effect_module module_;
    const mirvo_effect_descriptor *d_ = nullptr;
    const module_spec *spec_ = nullptr;
    effect_setup setup_;
};

TEST_P(Described, DescriptorIsTheCataloguesAndAgreesWithTheFiveEntryPoints)
{
    EXPECT_EQ(d_->abi, MIRVO_EFFECT_ABI);
    EXPECT_STREQ(d_->name, GetParam());
    EXPECT_EQ(d_->filter, module_.is_filter());
    ASSERT_EQ(d_->nparams, int(spec_->params.size()));
    for (int i = 0; i < d_->nparams; ++i) {
        const mirvo_param &p = d_->params[i];
        EXPECT_STREQ(p.name, spec_->params[i].name);
        EXPECT_NE(p.label, nullptr) << p.name;
        // A choice names each of its values; a text has a text or a file control.
        EXPECT_EQ(p.control == MIRVO_CONTROL_CHOICE, p.nchoices > 0 && p.choices) << p.name;
        EXPECT_EQ(p.type == MIRVO_PARAM_TEXT,
                  p.control == MIRVO_CONTROL_TEXT || p.control == MIRVO_CONTROL_FILE)
            << p.name;
    }
}

TEST_P(Described, MakeRefusesAShortOrLongValueListWithTheReason)
{
    std::vector<mirvo_value> values = defaults();
    SurfacePtr s = makeTarget(160, 120);
    const int n = d_->nparams;
    for (int count : {0, 1, n - 1, n + 1}) {
        char why[300] = "";
        values.resize(size_t(n) + 1);  // a long list's extra value is there to be refused
        EXPECT_EQ(d_->make(s.get(), nullptr, nullptr, values.data(), count, why, sizeof why),
                  nullptr)
            << count;
        EXPECT_EQ(std::string(why),
                  "expected " + std::to_string(n) + " parameters, got " + std::to_string(count));
    }
    char why[300] = "";
    mirvo_instance *fx = d_->make(s.get(), nullptr, nullptr, values.data(), n, why, sizeof why);
    ASSERT_NE(fx, nullptr) << why;
    d_->draw(fx);
    d_->free(fx);
}

// make_instance reads a node list: one node for a longer catalogue used to be read past.
TEST_P(Described, MakeInstanceRefusesAShortOrLongNodeList)
{
    defaults();
    MIRVO_NODE *all = setup_.argument_list();
    const int n = d_->nparams;
    SurfacePtr s = makeTarget(160, 120);
    char why[300] = "";
    // The first node alone.
    mirvo_node first = all[0];
    first.next_node = nullptr;
    EXPECT_EQ(module_.make_instance(s.get(), nullptr, nullptr, &first, why, sizeof why), nullptr);
    EXPECT_EQ(std::string(why), "expected " + std::to_string(n) + " parameters, got 1");
    // One node more than the catalogue.
    mirvo_node extra = all[0];
    extra.next_node = nullptr;
    all[n - 1].next_node = &extra;
    EXPECT_EQ(module_.make_instance(s.get(), nullptr, nullptr, all, why, sizeof why), nullptr);
    EXPECT_EQ(std::string(why),
              "expected " + std::to_string(n) + " parameters, got more than " + std::to_string(n));
}

TEST_P(Described, NumbersOutsideTheirRangeAreRefusedByMakeAndSet)
{
    std::vector<mirvo_value> values = defaults();
    SurfacePtr s = makeTarget(160, 120);
    int k = 0;
    while (d_->params[k].type == MIRVO_PARAM_TEXT)
        ++k;
    const mirvo_param &p = d_->params[k];
    values[k].number = p.max + 1;
    char why[300] = "";
    EXPECT_EQ(d_->make(s.get(), nullptr, nullptr, values.data(), d_->nparams, why, sizeof why),
              nullptr);
    const std::string want = std::string(p.name) + ": " + std::to_string(p.max + 1) +
                             " is outside " + std::to_string(p.min) + " to " +
                             std::to_string(p.max);
    EXPECT_EQ(std::string(why), want);
    values[k].number = p.max;
    mirvo_instance *fx =
        d_->make(s.get(), nullptr, nullptr, values.data(), d_->nparams, why, sizeof why);
    ASSERT_NE(fx, nullptr) << why;
    mirvo_value v;
    v.number = p.min - 1;
    EXPECT_EQ(d_->set(fx, k, v, why, sizeof why), 0);
    EXPECT_EQ(d_->set(fx, d_->nparams, v, why, sizeof why), 0);
    d_->free(fx);
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, Described,
                         ::testing::Values("boxflood", "wavetext", "bouncetext"));

// The texts an instance keeps are its own: a host's buffer overwritten and freed after make
// changes nothing it draws.
TEST(DescribedTexts, MakeCopiesTheTextsItKeeps)
{
    Effect fx("wavetext");
    ASSERT_TRUE(fx.loaded());
    const mirvo_effect_descriptor *d = fx.module().descriptor;
    effect_setup setup;
    std::string error;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("wavetext"),
                                    {"HELLO WORLD", makeFont(16, 32)}, 160, 120, setup, error))
        << error;
    SurfacePtr kept = makeTarget(160, 120), given = makeTarget(160, 120);
    std::vector<mirvo_value> values = setup.value_array();
    char why[300] = "";
    mirvo_instance *a =
        d->make(kept.get(), nullptr, nullptr, values.data(), d->nparams, why, sizeof why);
    ASSERT_NE(a, nullptr) << why;
    std::vector<std::string> host(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        if (d->params[i].type == MIRVO_PARAM_TEXT) {
            host[i] = values[i].text;
            values[i].text = host[i].c_str();
        }
    mirvo_instance *b =
        d->make(given.get(), nullptr, nullptr, values.data(), d->nparams, why, sizeof why);
    ASSERT_NE(b, nullptr) << why;
    for (std::string &t : host)
        t.assign(t.size(), '#');
    host.clear();
    for (int frame = 0; frame < 120; ++frame) {
        d->draw(a);
        d->draw(b);
        ASSERT_TRUE(sameSurface(kept.get(), given.get())) << "frame " << frame;
    }
    d->free(a);
    d->free(b);
}

// A module file renamed to any name still loads: the descriptor is found under its fixed
// symbol and the five entry points under the effect's name.
TEST(DescribedFiles, ARenamedModuleLoadsByPathAndIsFoundOnTheModulePath)
{
    mirvo_effect_module original;
    std::string error;
    ASSERT_TRUE(mirvo_load_effect("boxflood", original, error)) << error;
    const std::string file = original.file;
    mirvo_unload_effect(original);
    const std::string dir = mirvo_test::makeTempDir("renamed");
    for (const char *name : {"cc.so", "colorcycle-1.2.so"}) {
        const std::string path = dir + "/" + name;
        {
            std::ifstream in(file, std::ios::binary);
            std::ofstream out(path, std::ios::binary);
            out << in.rdbuf();
        }
        mirvo_effect_module m;
        ASSERT_TRUE(mirvo_load_effect(path, m, error)) << error;
        EXPECT_EQ(m.name, "boxflood");
        ASSERT_NE(m.is_filter, nullptr) << name;
        EXPECT_EQ(m.is_filter(), 1);
        EXPECT_NE(m.init_effect_valist, nullptr) << name;
        mirvo_unload_effect(m);
    }
    std::vector<std::string> problems;
    std::vector<mirvo_effect_module> found = mirvo_find_effects({dir}, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].name, "boxflood");
    EXPECT_EQ(found[0].file, dir + "/cc.so");
    for (mirvo_effect_module &m : found)
        mirvo_unload_effect(m);
}

}  // namespace

namespace {

// An effect written as a class: what it throws is the reason a host is given, and nothing it
// throws leaves the module.
TEST(DescribedClasses, AThrowingClassIsRefusedWithItsMessageAndNoExceptionLeaves)
{
    mirvo_effect_module m;
    std::string error;
    ASSERT_TRUE(mirvo_load_effect(CLASS_MODULE, m, error)) << error;
    const mirvo_effect_descriptor *d = m.descriptor;
    EXPECT_STREQ(d->version, "2.5");
    EXPECT_EQ(d->filter, 1);
    SurfacePtr s = makeTarget(8, 8);
    char why[300] = "";
    mirvo_value fail;
    fail.number = 1;
    EXPECT_EQ(d->make(s.get(), nullptr, nullptr, &fail, 1, why, sizeof why), nullptr);
    EXPECT_STREQ(why, "asked to fail");
    EXPECT_EQ(d->make(nullptr, nullptr, nullptr, &fail, 1, why, sizeof why), nullptr);
    EXPECT_STREQ(why, "no target surface");

    fail.number = 0;
    int restarts = 0;
    mirvo_instance *fx = d->make(
        s.get(), [](void *count) { ++*static_cast<int *>(count); }, &restarts, &fail, 1, why,
        sizeof why);
    ASSERT_NE(fx, nullptr) << why;
    d->draw(fx);
    EXPECT_EQ(pixel(s.get(), 4, 4), rgb(0, 255, 0));
    EXPECT_EQ(restarts, 1);
    d->draw(fx);  // throws inside: the frame is left as it is
    EXPECT_EQ(restarts, 1);
    EXPECT_EQ(d->set(fx, 0, fail, why, sizeof why), 0);
    EXPECT_STREQ(why, "parameter 0 cannot change while the effect runs");
    // The class's frame of any step, its length once finished, a throwing step left alone.
    ASSERT_NE(mirvo_effect_draw_step(d), nullptr);
    EXPECT_EQ(d->draw_step(fx, 1), 0);
    EXPECT_EQ(pixel(s.get(), 4, 4), rgb(0, 101, 0));
    EXPECT_EQ(d->draw_step(fx, 7), 3);
    EXPECT_EQ(d->draw_step(fx, 2), 0);
    EXPECT_EQ(pixel(s.get(), 4, 4), rgb(0, 101, 0));
    d->free(fx);

    // The five entry points: a refused start says nothing and leaves nothing to draw.
    Uint8 one = 1;
    mirvo_node node = {&one, nullptr, nullptr};
    fill(s.get(), 0);
    mirvotest::captureStdout();
    m.init_effect(s.get(), nullptr, &node);
    m.draw_effect();
    m.free_effect();
    EXPECT_EQ(mirvotest::capturedStdout(), "");
    EXPECT_TRUE(allPixels(s.get(), 0));
    mirvo_unload_effect(m);
}

}  // namespace
