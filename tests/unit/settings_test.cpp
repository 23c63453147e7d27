// The settings functions: the host's file, and the one system setting that is
// routed to the system's own file.
#include <gtest/gtest.h>
#include <winsim.h>

#include "core/qrhook.h"
#include "edit_field.h"

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

// The host hands its choice of file to every program through the block; a
// path without a terminator in its 260 bytes counts as none.  Where the code
// page cannot write the path (a user name of other letters), its code-page
// form names no file: the exact path beside it does.
TEST_F(Settings, EveryProgramUsesTheFileTheHostChose)
{
    const std::u16string kExact = u"C:\\Users\\\u0141ukasz \u7530\u4E2D\\Quillrun\\Quillrun.Ini";
    ws::writeFile("C:\\Users\\me\\Quillrun\\Quillrun.Ini", "[Quillrun]\r\nKindOfDialogBox=7\r\n");
    WritePrivateProfileStringW(u"Quillrun", u"KindOfDialogBox", u"5", kExact.c_str());
    struct Case {
        std::string path;
        UINT read;
        const char* written;  // the file that takes the write
        std::u16string exact = u"";
    } cases[] = {
        {"", 2, "Quillrun.Ini"},
        {"C:\\Users\\me\\Quillrun\\Quillrun.Ini", 7, "C:\\Users\\me\\Quillrun\\Quillrun.Ini"},
        {std::string(260, 'x'), 2, "Quillrun.Ini"},
        {CodePageOf(kExact), 5, nullptr, kExact},
    };
    for (const Case& c : cases) {
        memcpy(chIniPath, c.path.data(), c.path.size() < 260 ? c.path.size() + 1 : 260);
        memcpy(wchIniPath, c.exact.c_str(), (c.exact.size() + 1) * sizeof(WCHAR));
        EXPECT_EQ(c.read, GetProfileIMy("Quillrun", "KindOfDialogBox", 0)) << c.path.substr(0, 40);
        EXPECT_TRUE(WriteProfileStriMy("Quillrun", "1", "written"));
        if (c.written) {
            EXPECT_NE(std::string::npos, ws::readFile(c.written).find("1=written")) << c.path.substr(0, 40);
        } else {
            WCHAR value[16] = {};
            GetPrivateProfileStringW(u"Quillrun", u"1", u"", value, 16, c.exact.c_str());
            EXPECT_EQ(u"written", std::u16string(value)) << c.path;
            EXPECT_EQ("", ws::readFile(c.path)) << "the code-page form names another file";
        }
        WriteProfileStriMy("Quillrun", "1", NULL);
    }
    memset(chIniPath, 0, sizeof chIniPath);
    memset(wchIniPath, 0, sizeof wchIniPath);
}

TEST_F(Settings, AFailedWriteIsReportedAsFailed)
{
    ws::reset();
    std::filesystem::create_directories(ws::windowsDir() + "/Quillrun.Ini");  // not a file
    EXPECT_FALSE(WriteProfileStriMy("Quillrun", "1", "dir"));
}

}  // namespace
