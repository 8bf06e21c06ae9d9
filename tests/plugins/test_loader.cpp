// The player's libltdl loader: modules by name, entry points by their plain names.
#include "effect_harness.h"

TEST(EffectLoader, FindsEachModuleByNameAndBindsAllFiveEntryPoints)
{
    for (const char *name : {"boxflood", "wavetext", "bouncetext"}) {
        mirvo_effect_module m;
        std::string error;
        ASSERT_TRUE(mirvo_load_effect(name, m, error)) << error;
        EXPECT_EQ(m.name, name);
        EXPECT_NE(m.init_effect, nullptr);
        EXPECT_NE(m.init_effect_valist, nullptr);
        EXPECT_NE(m.draw_effect, nullptr);
        EXPECT_NE(m.free_effect, nullptr);
        ASSERT_NE(m.is_filter, nullptr);
        EXPECT_EQ(m.is_filter(), std::string(name) == "boxflood" ? 1 : 0);
        mirvo_unload_effect(m);
        EXPECT_EQ(m.handle, nullptr);
    }
}

TEST(EffectLoader, UnknownModuleIsAOneLineError)
{
    mirvo_effect_module m;
    std::string error;
    EXPECT_FALSE(mirvo_load_effect("nosuchfx", m, error));
    EXPECT_EQ(m.handle, nullptr);
    EXPECT_NE(error.find("no effect module \"nosuchfx\""), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(EffectLoader, MissingEntryPointIsNamed)
{
    mirvo_effect_module m;
    std::string error;
    // The fake module named boxflood is found first in the extra folder.
    EXPECT_FALSE(mirvo_load_effect("boxflood", m, error, {FAKE_MODULE_DIR}));
    EXPECT_EQ(m.handle, nullptr);
    EXPECT_EQ(error, "effect module \"boxflood\" has no entry point init_effect_valist "
                     "(boxflood_LTX_init_effect_valist)");
}

TEST(EffectLoader, ModulePathFromTheEnvironmentIsSearchedBeforeTheBuiltInFolders)
{
    setenv("MIRVO_MODULE_PATH", "/nonexistent:" FAKE_MODULE_DIR, 1);
    std::vector<std::string> dirs = mirvo_module_search_path({"/first"});
    ASSERT_GE(dirs.size(), 3u);
    EXPECT_EQ(dirs[0], "/first");
    EXPECT_EQ(dirs[1], "/nonexistent");
    EXPECT_EQ(dirs[2], FAKE_MODULE_DIR);
    mirvo_effect_module m;
    std::string error;
    EXPECT_FALSE(mirvo_load_effect("boxflood", m, error));
    unsetenv("MIRVO_MODULE_PATH");
    EXPECT_TRUE(mirvo_load_effect("boxflood", m, error)) << error;
    mirvo_unload_effect(m);
}

TEST(EffectParams, ArgumentListChainsOneNodePerParameterInOrder)
{
    effect_setup setup;
    std::string error;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("wavetext"),
                                    {"HELLO", "amplitude=300", "slice_width=0"}, 640, 480, setup,
                                    error))
        << error;
    MIRVO_NODE *node = setup.argument_list();
    EXPECT_STREQ(*(char *const *)MIRVO_LIST_get_data_next(&node), "HELLO");
    EXPECT_STREQ(*(char *const *)MIRVO_LIST_get_data_next(&node), MIRVO_FONT1);
    EXPECT_STREQ(*(char *const *)MIRVO_LIST_get_data_next(&node), MIRVO_FONT1_CHARACTERS);
    EXPECT_EQ(*(const Uint8 *)MIRVO_LIST_get_data_next(&node), 16);
    EXPECT_EQ(*(const Uint8 *)MIRVO_LIST_get_data_next(&node), 32);
    EXPECT_EQ(*(const Uint16 *)MIRVO_LIST_get_data_next(&node), 300);
    EXPECT_EQ(*(const Uint8 *)MIRVO_LIST_get_data_next(&node), 0);
    EXPECT_EQ(node, nullptr);
}

TEST(EffectParams, BouncetextAreaDefaultsFollowTheSurface)
{
    effect_setup setup;
    std::string error;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("bouncetext"), {"character_height=40"},
                                    800, 600, setup, error));
    EXPECT_EQ(setup.values[5].u16, 800);
    EXPECT_EQ(setup.values[6].u16, 560);
}

TEST(EffectParams, BadWordsAreNamedWithWhatWasExpected)
{
    struct Case { const char *module; std::vector<std::string> words; const char *error; } cases[] = {
        {"boxflood", {"rate=256"}, "boxflood: rate: expected a whole number from 0 to 255, got \"256\""},
        {"boxflood", {"1", "x"}, "boxflood: rate: expected a whole number from 0 to 255, got \"x\""},
        {"wavetext", {"amplitude=-1"},
         "wavetext: amplitude: expected a whole number from 0 to 65535, got \"-1\""},
        {"wavetext", {"character_width=0"},
         "wavetext: character_width: expected a whole number from 1 to 255, got \"0\""},
        {"boxflood", {"1", "2", "3", "4", "5", "6"},
         "boxflood: too many parameters: expected at most 5 (direction rate red green blue), "
         "got \"6\" as parameter 6"},
        {"boxflood", {"speed=3"},
         "boxflood: no parameter named \"speed\" (expected one of: direction rate red green blue)"},
        {"boxflood", {"4", "direction=1"}, "boxflood: direction given twice"},
    };
    for (const Case &c : cases) {
        effect_setup setup;
        std::string error;
        EXPECT_FALSE(parse_effect_params(*find_module_spec(c.module), c.words, 640, 480, setup, error));
        EXPECT_EQ(error, c.error);
    }
}
