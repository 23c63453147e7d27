// The program launcher: splitting the command line, the shell call and the
// explanation of a failure.
#include "hooked_desktop.h"
#include "launch/launch.h"

#include <winsim/sim_system.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

namespace {

class Launcher : public HookedDesktop {
protected:
    std::string ShellCall(const std::string& file, const std::string& params)
    {
        return "ShellExecuteA(" + ws::fmtHandle(host) + ", NULL, \"" + file + "\", \"" + params +
               "\", NULL, 1)";
    }
    std::string Box(const std::string& text, const std::string& caption)
    {
        return "MessageBoxA(" + ws::fmtHandle(host) + ", \"" + text + "\", \"" + caption + "\", 48)";
    }
};

TEST_F(Launcher, LineIsSplitAtTheFirstBlankOrTab)
{
    struct Case {
        const char* line;
        const char* program;
        const char* params;
        const char* callerAfter;  // the caller's text afterwards
    } cases[] = {
        {"notepad.exe readme.txt", "notepad.exe", "readme.txt", "notepad.exe"},
        {"   calc", "calc", "", "   calc"},
        {"prog\t-a -b", "prog", "-a -b", "prog"},
        {"prog   x", "prog", "  x", "prog"},
        {"\t prog a\tb", "prog", "a\tb", "\t prog"},
        {"", "", "", ""},
        {" \t \t", "", "", " \t \t"},
        {"prog ", "prog", "", "prog"},
        // Shift-JIS names (the second byte of the first is 0x5C).
        {"\x95\x5C\x8E\xA6.exe \x83\x5C.txt", "\x95\x5C\x8E\xA6.exe", "\x83\x5C.txt", "\x95\x5C\x8E\xA6.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("line '") + c.line + "'");
        RestoreDefaults();
        char line[128];
        strcpy(line, c.line);
        ShellExec(0, line);
        EXPECT_EQ(std::vector<std::string>{ShellCall(c.program, c.params)}, ws::callsTo("ShellExecuteA"));
        EXPECT_STREQ(c.callerAfter, line);
        EXPECT_TRUE(ws::callsTo("MessageBoxA").empty());
    }
}

TEST_F(Launcher, MissingProgramIsReportedWithTheCommandAsCaption)
{
    ws::setShellExecuteAnswer([](const std::string& file, const std::string&) -> UINT_PTR {
        return file == "missing" ? 2 : 42;
    });
    char line[] = "missing a.txt";
    ShellExec(0, line);
    EXPECT_EQ(std::vector<std::string>{Box("File Not Found", "missing a.txt")}, ws::callsTo("MessageBoxA"));
}

// Every loader code below 22 is explained in a box, 22 and above stay
// silent; a few of the texts a user meets most, word for word.
TEST_F(Launcher, EachLoaderErrorHasItsMessage)
{
    const std::map<UINT_PTR, const char*> seen = {
        {2, "File Not Found"},
        {3, "Not Found Path"},
        {8, "Not Enough Memory"},
        {11, "Not Windows .Exe / .Exe Image Error"},
        {21, "For Windows 32 Bit Version"},
    };
    for (UINT_PTR code = 0; code < 40; ++code) {
        SCOPED_TRACE("result " + std::to_string(code));
        RestoreDefaults();
        ws::setShellExecuteAnswer([code](const std::string&, const std::string&) { return code; });
        char line[] = "tool.exe -v";
        ShellExec(0, line);
        std::vector<std::string> boxes = ws::callsTo("MessageBoxA");
        if (code >= 22) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(1u, boxes.size());
        const char* text = ShellErrorText(code);
        ASSERT_TRUE(text && *text);
        EXPECT_EQ(Box(text, code < 2 ? "Quillrun" : "tool.exe -v"), boxes[0]);
        auto known = seen.find(code);
        if (known != seen.end())
            EXPECT_STREQ(known->second, text);
    }
}

TEST_F(Launcher, CaptionOfAProgramWithoutParametersEndsInABlank)
{
    ws::setShellExecuteAnswer([](const std::string&, const std::string&) -> UINT_PTR { return 3; });
    char line[] = "C:\\NOPE\\tool.exe";
    ShellExec(0, line);
    EXPECT_EQ(std::vector<std::string>{Box("Not Found Path", "C:\\NOPE\\tool.exe ")}, ws::callsTo("MessageBoxA"));
}

// Parts of at most 63 characters run; a longer part is refused with a beep
// and nothing of the caller's text is changed.
TEST_F(Launcher, PartsLongerThanTheirBuffersAreRefused)
{
    std::string p63(63, 'p'), a63(63, 'a');
    struct Case {
        std::string line;
        bool runs;
    } cases[] = {
        {p63 + " " + a63, true},
        {std::string(64, 'p') + " x", false},
        {"prog " + std::string(64, 'a'), false},
        {std::string(64, 'p'), false},
        {"   " + p63, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.size());
        RestoreDefaults();
        ws::setShellExecuteAnswer([](const std::string&, const std::string&) -> UINT_PTR { return 2; });
        std::vector<char> line(c.line.begin(), c.line.end());
        line.push_back(0);
        ShellExec(0, line.data());
        EXPECT_EQ(c.runs ? 1u : 0u, ws::callsTo("ShellExecuteA").size());
        EXPECT_EQ(c.runs ? 1u : 0u, ws::callsTo("MessageBoxA").size());
        EXPECT_EQ(c.runs ? 0u : 1u, ws::callsTo("MessageBeep").size());
        if (!c.runs)
            EXPECT_EQ(c.line, std::string(line.data()));
    }
    // The longest caption: both parts full.
    RestoreDefaults();
    ws::setShellExecuteAnswer([](const std::string&, const std::string&) -> UINT_PTR { return 2; });
    std::string full = p63 + " " + a63;
    std::vector<char> line(full.begin(), full.end());
    line.push_back(0);
    ShellExec(0, line.data());
    EXPECT_EQ(std::vector<std::string>{Box("File Not Found", full)}, ws::callsTo("MessageBoxA"));
}

TEST_F(Launcher, NullCommandLineDoesNothing)
{
    ShellExec(0, nullptr);
    EXPECT_TRUE(ws::callsTo("ShellExecuteA").empty());
}

}  // namespace
