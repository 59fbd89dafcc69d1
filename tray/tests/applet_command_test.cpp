#include "applet_command.h"

#include <gtest/gtest.h>

namespace {

TEST(AppletCommandTest, QuotesBothPathsAndNamesTheLauncherSeparately) {
    const auto command = BuildAppletCommand("C:\\Windows\\system32", "C:\\Windows\\system32");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->applicationName, "C:\\Windows\\system32\\rundll32.exe");
    EXPECT_EQ(command->commandLine,
              "\"C:\\Windows\\system32\\rundll32.exe\" shell32.dll,Control_RunDLL "
              "\"C:\\Windows\\system32\\Tevra.cpl\"");
}

TEST(AppletCommandTest, FolderWithBlanksStaysOneProgramPath) {
    // Unquoted, "C:\Program Files\..." would start C:\Program.exe if such a file existed.
    const auto command =
        BuildAppletCommand("C:\\Program Files\\Win\\system32", "C:\\Program Files\\Win\\system32");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->applicationName, "C:\\Program Files\\Win\\system32\\rundll32.exe");
    EXPECT_EQ(command->commandLine,
              "\"C:\\Program Files\\Win\\system32\\rundll32.exe\" shell32.dll,Control_RunDLL "
              "\"C:\\Program Files\\Win\\system32\\Tevra.cpl\"");
}

TEST(AppletCommandTest, LauncherFromSysnativeOpensTheAppletInTheSystemFolder) {
    // The 64-bit launcher sees the real system folder under its own name; Sysnative exists only
    // for 32-bit programs, so the applet's path must not use it.
    const auto command = BuildAppletCommand("C:\\Windows\\Sysnative", "C:\\Windows\\system32");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->applicationName, "C:\\Windows\\Sysnative\\rundll32.exe");
    EXPECT_EQ(command->commandLine,
              "\"C:\\Windows\\Sysnative\\rundll32.exe\" shell32.dll,Control_RunDLL "
              "\"C:\\Windows\\system32\\Tevra.cpl\"");
}

TEST(AppletCommandTest, RootFolderGetsNoSecondSeparator) {
    const auto command = BuildAppletCommand("D:\\", "D:\\");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->commandLine,
              "\"D:\\rundll32.exe\" shell32.dll,Control_RunDLL \"D:\\Tevra.cpl\"");
}

TEST(AppletCommandTest, RefusesFoldersNoWindowsPathCanBe) {
    const char* const bad[] = {"", "C:\\Win\"dows", "C:\\Win\ndows", "C:\\Win\tdows"};
    for (const char* folder : bad) {
        EXPECT_FALSE(BuildAppletCommand(folder, "C:\\Windows\\system32")) << folder;
        EXPECT_FALSE(BuildAppletCommand("C:\\Windows\\system32", folder)) << folder;
    }
}

struct PlacementCase {
    const char* name;
    bool bWow64;
    bool bSysnativeFound;
    const char* folder;
    bool bRedirectionOff;
};

class LauncherFolderTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(LauncherFolderTest, PicksTheFolderOfTheNativeLauncher) {
    const PlacementCase& c = GetParam();
    LauncherFacts facts;
    facts.systemDirectory = "C:\\WINDOWS\\system32";
    facts.windowsDirectory = "C:\\WINDOWS";
    facts.bWow64 = c.bWow64;
    facts.bSysnativeFound = c.bSysnativeFound;
    const LauncherPlacement placement = ChooseLauncherFolder(facts);
    EXPECT_EQ(placement.folder, c.folder);
    EXPECT_EQ(placement.bRedirectionOff, c.bRedirectionOff);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LauncherFolderTest,
    testing::Values(
        // A program of the system's own word size: no redirection, the system folder.
        PlacementCase{"Native", false, false, "C:\\WINDOWS\\system32", false},
        PlacementCase{"NativeIgnoresSysnative", false, true, "C:\\WINDOWS\\system32", false},
        // 32-bit on 64-bit Windows: the alias where it exists, else redirection off.
        PlacementCase{"Wow64Sysnative", true, true, "C:\\WINDOWS\\Sysnative", false},
        PlacementCase{"Wow64WithoutSysnative", true, false, "C:\\WINDOWS\\system32", true}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return info.param.name; });

}  // namespace
