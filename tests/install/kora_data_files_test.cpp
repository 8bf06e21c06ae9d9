// KORA's texture files found from wherever a program runs: "../TEXTURES/" plus the name,
// then $MIRVO_DATA_DIR, then the installed data folder beside the program; kora-demo's
// --version.
#include "internal/KR_DataFile.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

const std::string SOURCE = MIRVO_SOURCE_DIR;

std::string programFolder()
{
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? size_t(n) : 0);
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

TEST(KoraDataFiles, TheRelativePathWinsThenMIRVO_DATA_DIRThenTheInstalledFolder)
{
    unsetenv("MIRVO_DATA_DIR");
    ASSERT_EQ(chdir((SOURCE + "/demo").c_str()), 0);
    std::string looked;
    EXPECT_EQ(KORA::findDataFile("../TEXTURES/terrain.pcx", &looked), "../TEXTURES/terrain.pcx");
    EXPECT_EQ(looked, "../TEXTURES/terrain.pcx");

    ASSERT_EQ(chdir("/"), 0);
    setenv("MIRVO_DATA_DIR", SOURCE.c_str(), 1);
    EXPECT_EQ(KORA::findDataFile("../TEXTURES/terrain.pcx", &looked),
              SOURCE + "/TEXTURES/terrain.pcx");

    // Linked in statically, the library's place and the program's are the same folder.
    EXPECT_EQ(KORA::findDataFile("../TEXTURES/none.bmp", &looked), "");
    EXPECT_EQ(looked, "../TEXTURES/none.bmp, " + SOURCE + "/TEXTURES/none.bmp, " +
                          mirvo_data::withoutDotSteps(programFolder() + KORA_DATA_FROM_BINDIR) +
                          "/TEXTURES/none.bmp");
    unsetenv("MIRVO_DATA_DIR");
}

TEST(KoraDataFiles, KoraDemoPrintsTheProjectVersionWithoutADisplay)
{
    mirvo_test::ProgramResult r = mirvo_test::runProgram({KORA_DEMO, "--version"}, "/");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "kora-demo " MIRVO_VERSION "\n");
    r = mirvo_test::runProgram({KORA_DEMO, "--help"}, "/");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: kora-demo"), std::string::npos) << r.out;
}
