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

TEST(EffectLoader, AModuleWithoutADescriptorIsRefusedWithTheReason)
{
    mirvo_effect_module m;
    std::string error;
    EXPECT_FALSE(mirvo_load_effect(FAKE_MODULE_DIR "/boxflood.so", m, error));
    EXPECT_EQ(m.handle, nullptr);
    EXPECT_EQ(error, "effect module \"" FAKE_MODULE_DIR
                     "/boxflood.so\" cannot be loaded: \"" FAKE_MODULE_DIR
                     "/boxflood.so\" is not an effect module: it has no mirvo_effect_describe");
}

TEST(EffectLoader, ModulePathFromTheEnvironmentIsSearchedBeforeTheBuiltInFolders)
{
    setenv("MIRVO_MODULE_PATH", "/nonexistent:" FAILING_MODULE_DIR, 1);
    std::vector<std::string> dirs = mirvo_module_search_path({"/first"});
    ASSERT_GE(dirs.size(), 3u);
    EXPECT_EQ(dirs[0], "/first");
    EXPECT_EQ(dirs[1], "/nonexistent");
    EXPECT_EQ(dirs[2], FAILING_MODULE_DIR);
    mirvo_effect_module m;
    std::string error;
    ASSERT_TRUE(mirvo_load_effect("wavetext", m, error)) << error;
    EXPECT_EQ(m.file, FAILING_MODULE_DIR "/wavetext.so");
    mirvo_unload_effect(m);
    unsetenv("MIRVO_MODULE_PATH");
    ASSERT_TRUE(mirvo_load_effect("wavetext", m, error)) << error;
    EXPECT_EQ(m.file.find(FAILING_MODULE_DIR), std::string::npos) << m.file;
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
    ASSERT_TRUE(parse_effect_params(*find_module_spec("bouncetext"), {"character_height=40"}, 800,
                                    600, setup, error));
    EXPECT_EQ(setup.values[5].u16, 800);
    EXPECT_EQ(setup.values[6].u16, 560);
}

TEST(EffectParams, BadWordsAreNamedWithWhatWasExpected)
{
    struct Case {
        const char *module;
        std::vector<std::string> words;
        const char *error;
    } cases[] = {
        {"boxflood",
         {"rate=256"},
         "boxflood: rate: expected a whole number from 0 to 255, got \"256\""},
        {"boxflood",
         {"1", "x"},
         "boxflood: rate: expected a whole number from 0 to 255, got \"x\""},
        {"wavetext",
         {"amplitude=-1"},
         "wavetext: amplitude: expected a whole number from 0 to 65535, got \"-1\""},
        {"wavetext",
         {"character_width=0"},
         "wavetext: character_width: expected a whole number from 1 to 255, got \"0\""},
        {"boxflood",
         {"1", "2", "3", "4", "5", "6"},
         "boxflood: too many parameters: expected at most 5 (direction rate red green blue), "
         "got \"6\" as parameter 6"},
        {"boxflood", {"4", "direction=1"}, "boxflood: direction given twice"},
        // Decimal digits only.
        {"boxflood",
         {"1", "0x10"},
         "boxflood: rate: expected a whole number from 0 to 255, got \"0x10\""},
        {"boxflood",
         {"1", "+5"},
         "boxflood: rate: expected a whole number from 0 to 255, got \"+5\""},
        {"boxflood",
         {"1", " 5"},
         "boxflood: rate: expected a whole number from 0 to 255, got \" 5\""},
        // A word with '=' whose name is no parameter is positional.
        {"boxflood",
         {"speed=3"},
         "boxflood: direction: expected a whole number from 0 to 255, got \"speed=3\""},
    };
    for (const Case &c : cases) {
        effect_setup setup;
        std::string error;
        EXPECT_FALSE(
            parse_effect_params(*find_module_spec(c.module), c.words, 640, 480, setup, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(EffectParams, NumbersAreReadInDecimalAndOnlyKnownNamesMakeNamedValues)
{
    effect_setup setup;
    std::string error;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("boxflood"), {"1", "010", "08"}, 640, 480,
                                    setup, error))
        << error;
    EXPECT_EQ(setup.values[1].u8, 10);
    EXPECT_EQ(setup.values[2].u8, 8);
    ASSERT_TRUE(parse_effect_params(*find_module_spec("wavetext"), {"E=MC2", "amplitude=7"}, 640,
                                    480, setup, error))
        << error;
    EXPECT_EQ(setup.values[0].text, "E=MC2");
    EXPECT_EQ(setup.values[5].u16, 7);
    ASSERT_TRUE(
        parse_effect_params(*find_module_spec("wavetext"), {"text=A=B"}, 640, 480, setup, error))
        << error;
    EXPECT_EQ(setup.values[0].text, "A=B");
    ASSERT_TRUE(parse_effect_params(*find_module_spec("wavetext"), {"=C"}, 640, 480, setup, error))
        << error;
    EXPECT_EQ(setup.values[0].text, "=C");
}

TEST(EffectLoader, AModuleFileThatCannotBeLoadedIsNamedWithTheLoadersReason)
{
    std::string dir = mirvo_test::makeTempDir("fxcorrupt");
    FILE *f = fopen((dir + "/corruptfx.so").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("not a shared object\n", f);
    fclose(f);
    mirvo_effect_module m;
    std::string error;
    EXPECT_FALSE(mirvo_load_effect("corruptfx", m, error, {dir}));
    EXPECT_EQ(m.handle, nullptr);
    const std::string head =
        "effect module \"corruptfx\" cannot be loaded: " + dir + "/corruptfx.so: ";
    EXPECT_EQ(error.rfind(head, 0), 0u) << error;
    EXPECT_GT(error.size(), head.size());
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(EffectParams, PaddingLetsTheLastCharacterLeaveTheSurface)
{
    effect_setup w, b;
    std::string error;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("wavetext"), {"AB"}, 640, 480, w, error));
    // 640 + 32 pixels at 2 a frame, one space every 16 frames.
    EXPECT_EQ(leave_screen_padding(w, 640), 22u);
    pad_text(w, 3);
    EXPECT_EQ(w.values[0].text, "AB   ");
    ASSERT_TRUE(parse_effect_params(*find_module_spec("bouncetext"), {"AB", "width=320"}, 640, 480,
                                    b, error));
    // 320 + 16 pixels at 3 a frame, one letter every 11 frames.
    EXPECT_EQ(leave_screen_padding(b, 640), 11u);
    effect_setup box;
    ASSERT_TRUE(parse_effect_params(*find_module_spec("boxflood"), {}, 640, 480, box, error));
    EXPECT_EQ(leave_screen_padding(box, 640), 0u);
}

// The parameter table in docs/effects.md is the catalogues' (mirvo-play --list-markdown prints it).
TEST(EffectCatalogue, TheDocumentedTableAgreesWithTheCatalogues)
{
    FILE *f = fopen(PLAYER_SOURCE_DIR "/../docs/effects.md", "rb");
    ASSERT_NE(f, nullptr);
    std::string readme;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        readme.append(buf, n);
    fclose(f);
    const std::string table = catalogue_markdown();
    EXPECT_NE(readme.find(table), std::string::npos)
        << "docs/effects.md's parameter table differs from the catalogues; it should read:\n"
        << table;
    // Every effect and each of its parameters has its row.
    for (const module_spec &m : known_modules())
        for (size_t i = 0; i < m.params.size(); ++i)
            EXPECT_NE(table.find("| `" + std::string(m.module) + "` | " + std::to_string(i + 1) +
                                 " | `" + m.params[i].name + "` |"),
                      std::string::npos);
}
