// Data files and modules found from wherever a program runs: the relative path as given,
// then $MIRVO_DATA_DIR, then the installed data folder beside libMIRVO, then beside the
// program; the player's modules beside the program; the programs' --version.
#include "data_file.h"
#include "run_program.h"

#include <gtest/gtest.h>
#include <mirvo.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

using mirvo_test::makeTempDir;
using mirvo_test::ProgramResult;
using mirvo_test::runProgram;

namespace {

const std::string SOURCE = MIRVO_SOURCE_DIR;
const std::string FONT = SOURCE + "/GFX/font.pcx";

void copyFile(const std::string &from, const std::string &to)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary);
    out << in.rdbuf();
    ASSERT_TRUE(in.good() && out.good()) << from << " -> " << to;
}

std::string folderOf(const std::string &file)
{
    return file.substr(0, file.rfind('/'));
}

int lines(const std::string &s)
{
    return (int)std::count(s.begin(), s.end(), '\n');
}

std::string programPath()
{
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return std::string(exe, n > 0 ? size_t(n) : 0);
}

// Each test starts without the variables that would let the programs find things.
class DataFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("MIRVO_DATA_DIR");
        unsetenv("MIRVO_MODULE_PATH");
        dir_ = makeTempDir("mirvo-data");
    }
    void TearDown() override
    {
        unsetenv("MIRVO_DATA_DIR");
        std::string command = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string dir_;
};

}  // namespace

// ---- the lookup in libMIRVO ------------------------------------------------------------

TEST_F(DataFiles, ThePathAsGivenComesFirstAndIsReturnedUnchanged)
{
    setenv("MIRVO_DATA_DIR", dir_.c_str(), 1);  // a data folder must not shadow the path
    const char *looked = nullptr;
    const char *found = MIRVO_find_data(FONT.c_str(), &looked);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(std::string(found), FONT);
    EXPECT_EQ(std::string(looked), FONT);
}

TEST_F(DataFiles, AMissingRelativePathIsLookedForUnderMIRVO_DATA_DIRWithoutItsLeadingDots)
{
    mkdir((dir_ + "/GFX").c_str(), 0755);
    copyFile(FONT, dir_ + "/GFX/font.pcx");
    setenv("MIRVO_DATA_DIR", dir_.c_str(), 1);
    ASSERT_EQ(chdir("/"), 0);  // "../GFX/font.pcx" is "/GFX/font.pcx" there: not readable
    const char *looked = nullptr;
    const char *found = MIRVO_find_data("../../GFX/font.pcx", &looked);
    ASSERT_NE(found, nullptr) << looked;
    EXPECT_EQ(std::string(found), dir_ + "/GFX/font.pcx");
    EXPECT_EQ(std::string(looked), "../../GFX/font.pcx, " + dir_ + "/GFX/font.pcx");
}

TEST_F(DataFiles, AFileFoundNowhereNamesEveryPlaceLookedInOrder)
{
    setenv("MIRVO_DATA_DIR", dir_.c_str(), 1);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    const char *looked = nullptr;
    EXPECT_EQ(MIRVO_find_data("../GFX/none.pcx", &looked), nullptr);
    // The installed folder beside the library, then beside the program; where both name
    // one place (lib/ and bin/ side by side), it is tried once.
    const std::string besideLibrary =
        mirvo_data::withoutDotSteps(folderOf(MIRVO_LIBRARY) + "/" + MIRVO_DATA_FROM_LIBDIR);
    const std::string besideProgram =
        mirvo_data::withoutDotSteps(folderOf(programPath()) + "/" + MIRVO_DATA_FROM_BINDIR);
    std::string expected =
        "../GFX/none.pcx, " + dir_ + "/GFX/none.pcx, " + besideLibrary + "/GFX/none.pcx";
    if (besideProgram != besideLibrary)
        expected += ", " + besideProgram + "/GFX/none.pcx";
    EXPECT_EQ(std::string(looked), expected);

    // An absolute path is only ever looked for where it points.
    EXPECT_EQ(MIRVO_find_data("/nonexistent/GFX/font.pcx", &looked), nullptr);
    EXPECT_EQ(std::string(looked), "/nonexistent/GFX/font.pcx");
    EXPECT_EQ(MIRVO_find_data(nullptr, &looked), nullptr);
}

TEST_F(DataFiles, TheInstalledDataFolderIsFoundFromWhereTheLibraryWasLoaded)
{
    // A copy of libMIRVO in an installed layout of its own, with the font only there, and
    // rasterwave made to load that copy.
    const std::string lib = dir_ + "/prefix/lib", data = lib + "/" + MIRVO_DATA_FROM_LIBDIR;
    const std::string run = dir_ + "/run";
    ASSERT_EQ(std::system(("mkdir -p '" + lib + "' '" + data + "/GFX' '" + run + "'").c_str()), 0);
    copyFile(MIRVO_LIBRARY, lib + "/libMIRVO.so.0");
    copyFile(FONT, data + "/GFX/font.pcx");
    ProgramResult r =
        runProgram({RASTERWAVE_PROGRAM}, run,
                   {{"MIRVO_FRAMES", "3"}, {"MIRVO_NOWAIT", "1"}, {"LD_LIBRARY_PATH", lib}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    // Without the font there, the one line names that place too.
    ASSERT_EQ(unlink((data + "/GFX/font.pcx").c_str()), 0);
    r = runProgram({RASTERWAVE_PROGRAM}, run, {{"MIRVO_FRAMES", "3"}, {"LD_LIBRARY_PATH", lib}});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(mirvo_data::withoutDotSteps(lib + "/" + MIRVO_DATA_FROM_LIBDIR) +
                         "/GFX/font.pcx"),
              std::string::npos)
        << r.err;
}

TEST_F(DataFiles, ScrollersFindTheirFontThroughTheLookup)
{
    mkdir((dir_ + "/GFX").c_str(), 0755);
    copyFile(FONT, dir_ + "/GFX/font.pcx");
    ASSERT_EQ(chdir(dir_.c_str()), 0);  // no ../GFX here
    EXPECT_EQ(MIRVO_add_scroller("A", MIRVO_FONT1, MIRVO_FONT1_CHARACTERS, 16, 32), 255);
    setenv("MIRVO_DATA_DIR", dir_.c_str(), 1);
    Uint8 id = MIRVO_add_scroller("A", MIRVO_FONT1, MIRVO_FONT1_CHARACTERS, 16, 32);
    ASSERT_NE(id, 255);
    EXPECT_EQ(MIRVO_get_character_width(id), 16);
    MIRVO_free_scroller(id);
}

// ---- the finder itself (linked into this program: the library's place is the program's) ---

TEST_F(DataFiles, TheFinderTriesThePathThenMIRVO_DATA_DIRThenBesideTheProgram)
{
    setenv("MIRVO_DATA_DIR", dir_.c_str(), 1);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    std::string looked;
    EXPECT_EQ(mirvo_data::findDataFile("./../GFX/none.pcx", &looked), "");
    const std::string beside =
        mirvo_data::withoutDotSteps(folderOf(programPath()) + "/" + MIRVO_DATA_FROM_BINDIR);
    EXPECT_EQ(looked, "./../GFX/none.pcx, " + dir_ + "/GFX/none.pcx, " + beside + "/GFX/none.pcx");

    // The first place that has the file wins, and later places are not tried.
    mkdir((dir_ + "/GFX").c_str(), 0755);
    copyFile(FONT, dir_ + "/GFX/none.pcx");
    EXPECT_EQ(mirvo_data::findDataFile("../GFX/none.pcx", &looked), dir_ + "/GFX/none.pcx");
    EXPECT_EQ(looked, "../GFX/none.pcx, " + dir_ + "/GFX/none.pcx");
}

TEST_F(DataFiles, APlaceAlreadyTriedIsNotTriedAgain)
{
    // MIRVO_DATA_DIR naming the installed folder beside the program: listed once.
    const std::string beside =
        mirvo_data::withoutDotSteps(folderOf(programPath()) + "/" + MIRVO_DATA_FROM_BINDIR);
    setenv("MIRVO_DATA_DIR", beside.c_str(), 1);
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    std::string looked;
    EXPECT_EQ(mirvo_data::findDataFile("../GFX/none.pcx", &looked), "");
    EXPECT_EQ(looked, "../GFX/none.pcx, " + beside + "/GFX/none.pcx");
}

TEST(DataFileFolders, DotStepsAreTakenOutOfAbsolutePathsOnly)
{
    EXPECT_EQ(mirvo_data::withoutDotSteps("/usr/lib/x86_64-linux-gnu/../../share/mirvo"),
              "/usr/share/mirvo");
    EXPECT_EQ(mirvo_data::withoutDotSteps("/opt/m/bin/./../share//mirvo/"), "/opt/m/share/mirvo");
    EXPECT_EQ(mirvo_data::withoutDotSteps("/../a"), "/a");
    EXPECT_EQ(mirvo_data::withoutDotSteps("/a/.."), "/");
    EXPECT_EQ(mirvo_data::withoutDotSteps("../share/mirvo"), "../share/mirvo");
}

// ---- the programs, run from a folder with no data next to it ---------------------------

TEST_F(DataFiles, RasterwaveRunsFromAnywhereWithMIRVO_DATA_DIR)
{
    ProgramResult r =
        runProgram({RASTERWAVE_PROGRAM}, dir_,
                   {{"MIRVO_FRAMES", "3"}, {"MIRVO_NOWAIT", "1"}, {"MIRVO_DATA_DIR", SOURCE}});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
}

TEST_F(DataFiles, RasterwaveWithoutItsFontSaysWhereItLookedInOneLine)
{
    ProgramResult r = runProgram({RASTERWAVE_PROGRAM}, dir_,
                                 {{"MIRVO_FRAMES", "3"}, {"MIRVO_DATA_DIR", dir_ + "/empty"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("../GFX/font.pcx, " + dir_ + "/empty/GFX/font.pcx, "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("/share/mirvo/GFX/font.pcx"), std::string::npos) << r.err;
}

TEST_F(DataFiles, ThePlayerFindsItsModulesBesideItselfAndTheFontThroughMIRVO_DATA_DIR)
{
    // No -M and no MIRVO_MODULE_PATH: the modules come from the folder beside the program.
    ProgramResult r =
        runProgram({MIRVO_PLAY, "--headless", "wavetext"}, dir_,
                   {{"MIRVO_FRAMES", "3"}, {"MIRVO_NOWAIT", "1"}, {"MIRVO_DATA_DIR", SOURCE}});
    EXPECT_EQ(r.status, 0) << r.err;

    r = runProgram({MIRVO_PLAY, "--headless", "wavetext"}, dir_, {{"MIRVO_FRAMES", "3"}});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("looked in ../GFX/font.pcx, "), std::string::npos) << r.err;
}

TEST(ProgramVersions, EveryEffectProgramPrintsTheProjectVersion)
{
    for (const char *program : {RASTERWAVE_PROGRAM, MIRVO_PLAY}) {
        ProgramResult r = runProgram({program, "--version"}, "/");
        std::string name = std::string(program).substr(std::string(program).rfind('/') + 1);
        EXPECT_EQ(r.status, 0) << program;
        EXPECT_EQ(r.out, name + " " MIRVO_VERSION "\n");
    }
    ProgramResult r = runProgram({RASTERWAVE_PROGRAM, "--help"}, "/");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: rasterwave", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("MIRVO_DATA_DIR"), std::string::npos);
}
