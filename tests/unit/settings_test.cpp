// The settings functions: the host's file, and the one system setting that is
// routed to the system's own file.
#include <gtest/gtest.h>
#include <winsim.h>

#include "core/qrhook.h"

#include <filesystem>

namespace {

class Settings : public testing::Test {
protected:
    void SetUp() override
    {
        ws::writeFile("Quillrun.Ini",
                      "[Quillrun]\r\nKindOfDialogBox=2\r\nExecDialogCheck=1\r\n"
                      "[intl]\r\niCountry=44\r\n[Intl]\r\n");
        ws::writeFile("Win.Ini", "[intl]\r\niCountry=81\r\n");
    }
};

TEST_F(Settings, RoutesOnlyTheExactCountryKeyToTheSystemFile)
{
    struct Case {
        const char* section;
        const char* key;
        int def;
        UINT expected;
    } cases[] = {
        {"intl", "iCountry", 1, 81},        // from Win.Ini, though Quillrun.Ini has one
        {"Intl", "iCountry", 1, 44},        // another case: the host's file
        {"intl", "icountry", 1, 44},
        {"INTL", "ICOUNTRY", 1, 44},
        {"Quillrun", "KindOfDialogBox", 0, 2},
        {"Quillrun", "ExecDialogCheck", 0, 1},
        {"Quillrun", "Missing", 7, 7},
        {"Nowhere", "KindOfDialogBox", 3, 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, GetProfileIMy(c.section, c.key, c.def))
            << "[" << c.section << "] " << c.key;
}

TEST_F(Settings, MissingFilesGiveTheDefault)
{
    ws::reset();
    EXPECT_EQ(5u, GetProfileIMy("intl", "iCountry", 5));
    EXPECT_EQ(9u, GetProfileIMy("Quillrun", "KindOfDialogBox", 9));
}

TEST_F(Settings, WritesIntoTheHostsFileInTheWindowsFolder)
{
    EXPECT_TRUE(WriteProfileStriMy("Quillrun", "1b", "dir /w"));
    EXPECT_TRUE(WriteProfileStriMy("Quillrun", "KindOfDialogBox", "1"));
    EXPECT_EQ(1u, GetProfileIMy("Quillrun", "KindOfDialogBox", 0));
    char value[64];
    GetPrivateProfileStringA("Quillrun", "1b", "", value, sizeof value, "Quillrun.Ini");
    EXPECT_STREQ("dir /w", value);
    // The system file is never written.
    EXPECT_EQ("[intl]\r\niCountry=81\r\n", ws::readFile("Win.Ini"));
}

TEST_F(Settings, AFailedWriteIsReportedAsFailed)
{
    ws::reset();
    std::filesystem::create_directories(ws::windowsDir() + "/Quillrun.Ini");  // not a file
    EXPECT_FALSE(WriteProfileStriMy("Quillrun", "1", "dir"));
}

}  // namespace
