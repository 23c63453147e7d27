// Both widths at once, as on a 64-bit Windows: the 64-bit host from a folder
// laid out as the product's, its 32-bit companion beside it, and a 32-bit
// target program.  This process holds the 64-bit library, so the block it
// reads is the 64-bit one; the 32-bit block is seen only through the 32-bit
// program's fields.
//
// Under Wine 8 only the hooks of the width installed last are called (a
// hook of the other width at the head of the chain ends it there), and the
// companion installs its hooks after the host's: the services are proven in
// the 32-bit program, the 64-bit side through its block, and, with the
// 64-bit hooks put first for a while, in a 64-bit program.
#include "desktop.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "companion.h"
#include "options.h"
#include "pair_tables.h"

namespace {

// The processes of our two programs, of either width.
std::vector<DWORD> OurProcesses()
{
    std::vector<DWORD> pids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry))
        if (_stricmp(entry.szExeFile, "Quillrun.exe") == 0)
            pids.push_back(entry.th32ProcessID);
    CloseHandle(snap);
    return pids;
}

bool IsThirtyTwoBit(DWORD pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    BOOL wow64 = FALSE;
    bool known = process && IsWow64Process(process, &wow64);
    CloseHandle(process);
    return known && wow64;
}

class BothWidths : public WineDesktop {
protected:
    std::string TargetDir() override { return qr::TestDir32(); }
    void BeforeHostStarts() override
    {
        ASSERT_FALSE(qr::TestDir32().empty()) << "QR_TESTS32 names no folder of 32-bit test programs";
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((qr::BinDir() + QR_COMPANION_PROGRAM).c_str()))
            << "no companion in " << qr::BinDir() << " (the i686 build is laid out there)";
    }
    void SetUp() override
    {
        WineDesktop::SetUp();
        if (HasFatalFailure() || !StartHost())
            return;
        ASSERT_TRUE(CompanionServes()) << "the companion did not install its hooks";
        ASSERT_TRUE(FocusFieldAnew());
    }

    // The target may have put the focus into its field before the
    // companion's hooks were in, or a new companion may have a new block:
    // the focus moves to the field again, as the user would move it.
    bool FocusFieldAnew() { return target.Focus(2) && target.Focus(1); }

    static HWND Companion() { return FindWindowExA(HWND_MESSAGE, NULL, QR_COMPANION_CLASS, NULL); }
    static DWORD CompanionPid()
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(Companion(), &pid);
        return pid;
    }
    static bool CompanionServes(DWORD timeoutMs = 10000)
    {
        return qr::WaitFor([] { return qr::WindowText(Companion()) == QR_COMPANION_SERVING; }, timeoutMs);
    }

    // A line stored as the 64-bit library stores one.
    void StoreIn64BitRing(const char* line)
    {
        int slot = Int("iSetIndex");
        strcpy(Text("chHist") + 256 * slot, line);
        Int("iGetIndex") = slot;
        Int("iSetIndex") = (slot + 1) % 32;
    }
    // A line typed into the 32-bit program's field and stored with Enter.
    void StoreIn32BitProgram(const char* line)
    {
        target.SetText(1, line);
        qr::Tap(VK_RETURN);
    }
    // Up in the 32-bit program's empty field: the line it recalls.
    std::string UpIn32BitProgram(bool empty = true)
    {
        if (empty)
            target.SetText(1, "");
        std::string before = target.Text(1);
        qr::Tap(VK_UP);
        qr::WaitFor([&] { return target.Text(1) != before; }, 2000);
        return target.Text(1);
    }
    // Lets one exchange between the widths run (the companion asks every
    // 100 ms): what one block holds now, the other holds after it.
    static void OneExchange() { qr::Settle(500); }
};

TEST_F(BothWidths, TheCompanionIs32BitMessageOnlyAndNeverTakenForTheHost)
{
    DWORD pid = CompanionPid();
    ASSERT_NE(0u, pid);
    EXPECT_TRUE(IsThirtyTwoBit(pid));
    DWORD hostPid = 0;
    GetWindowThreadProcessId(host.Window(), &hostPid);
    EXPECT_FALSE(IsThirtyTwoBit(hostPid));
    EXPECT_EQ(host.Window(), FindWindowA(QR_HOST_CLASS, NULL)) << "the host lookup of both libraries";
    EXPECT_EQ(2u, OurProcesses().size());
}

// Wine calls only the hooks of the width installed last (see README).  The
// 64-bit library's hooks installed once more, from this process, come first
// in the chain: 64-bit programs are served, by the 64-bit library, while the
// companion and its hooks stay, until this object goes.
class Hooks64First {
public:
    explicit Hooks64First(const qr::SharedBlock& lib)
    {
        key_ = SetWindowsHookExA(WH_KEYBOARD, Proc(lib, "_DllKeyHook@12"), lib.Module(), 0);
        cbt_ = SetWindowsHookExA(WH_CBT, Proc(lib, "_CBTHook@12"), lib.Module(), 0);
    }
    ~Hooks64First()
    {
        UnhookWindowsHookEx(key_);
        UnhookWindowsHookEx(cbt_);
    }
    bool In() const { return key_ && cbt_; }

private:
    static HOOKPROC Proc(const qr::SharedBlock& lib, const char* name)
    {
        return reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)(void)>(lib.Function(name)));
    }
    HHOOK key_, cbt_;
};

TEST_F(BothWidths, ALineCrossesBetweenA32BitAndA64BitProgramEachServedByItsOwnWidth)
{
    StoreIn32BitProgram("stored in a 32-bit program");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "stored in a 32-bit program") == 0; }, 2000));

    qr::Target target64;
    ASSERT_TRUE(target64.Start(qr::TestDir()));
    {
        Hooks64First first(lib);
        ASSERT_TRUE(first.In());
        // The first focus change after the installation does not always
        // reach the new hooks under Wine (about one run in three, after an
        // earlier test of the group): the focus moves until they have seen it.
        HWND* nowFocus = lib.Var<HWND>("hWndNowFocus");
        ASSERT_TRUE(qr::WaitFor([&] {
            return target64.Focus(2) && target64.Focus(1) && qr::WaitFor([&] { return *nowFocus == target64.Edit(1); }, 500);
        })) << "the 64-bit library did not see the focus arrive in the 64-bit program";
        target64.SetText(1, "");
        qr::Tap(VK_UP);
        EXPECT_TRUE(qr::WaitFor([&] { return target64.Text(1) == "stored in a 32-bit program"; }, 2000))
            << "Up in the 64-bit program: \"" << target64.Text(1) << "\"";
        target64.SetText(1, "stored in a 64-bit program");
        qr::Tap(VK_RETURN);
        ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(1), "stored in a 64-bit program") == 0; }, 2000));
    }
    target64.Close();
    OneExchange();
    ASSERT_TRUE(FocusFieldAnew());
    EXPECT_EQ("stored in a 64-bit program", UpIn32BitProgram());
}

TEST_F(BothWidths, ALineStoredInEitherWidthComesBackInTheOtherWithinHalfASecond)
{
    DWORD start = GetTickCount();
    StoreIn32BitProgram("dir c:\\from32");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "dir c:\\from32") == 0; }, 2000))
        << "slot 0 of the 64-bit ring: \"" << HistSlot(0) << "\"";
    DWORD took = GetTickCount() - start;
    printf("[ exchange ] Enter in the 32-bit program to the 64-bit ring: %lu ms\n", (unsigned long)took);
    EXPECT_LT(took, 500u) << "from Enter in the 32-bit program to the 64-bit ring";
    EXPECT_EQ(1, Int("iSetIndex"));
    EXPECT_EQ(0, Int("iGetIndex")) << "Up in a 64-bit program shows the new line first";

    StoreIn64BitRing("type c:\\from64");
    OneExchange();
    EXPECT_EQ("type c:\\from64", UpIn32BitProgram());
    EXPECT_EQ("dir c:\\from32", UpIn32BitProgram(false)) << "the ring's order in the 32-bit block";
}

TEST_F(BothWidths, TwoLinesStoredAtOnceInBothWidthsAreBothKeptInOneOrder)
{
    StoreIn32BitProgram("from 32 at once");
    StoreIn64BitRing("from 64 at once");
    ASSERT_TRUE(qr::WaitFor([&] { return Int("iSetIndex") == 2; }, 2000)) << "lines in the 64-bit ring";
    std::string newest = HistSlot(1), older = HistSlot(0);
    EXPECT_EQ(std::string("from 32 at once") + "|from 64 at once",
              std::min(newest, older) + "|" + std::max(newest, older));
    OneExchange();
    EXPECT_EQ(newest, UpIn32BitProgram());
    EXPECT_EQ(older, UpIn32BitProgram(false));
}

TEST_F(BothWidths, AnAliasDefinedInEitherWidthExpandsInThe32BitProgram)
{
    StoreIn32BitProgram("alias gx grep -n");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(AliasEntry(0), "gx,grep -n") == 0; }, 2000))
        << "entry 0 of the 64-bit table: \"" << AliasEntry(0) << "\"";

    strcpy(Text("chAlias") + 128 * 1, "hx,head -5");
    OneExchange();
    StoreIn32BitProgram("hx notes.txt");
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "head -5 notes.txt"; }, 2000)) << target.Text(1);
    StoreIn32BitProgram("gx main x.c");
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "grep -n main x.c"; }, 2000)) << target.Text(1);
}

// --- Records from another program -------------------------------------------------

// The secret the host gave its companion, from the companion's command line
// as any program of the user may read it (through the process parameters:
// Wine 8 has no ProcessCommandLineInformation).
bool CompanionSecret(DWORD pid, unsigned char secret[QR_PAIR_SECRET])
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_BASIC_INFORMATION basic = {};
    RTL_USER_PROCESS_PARAMETERS* params = NULL;
    UNICODE_STRING line = {};
    wchar_t text[2048] = L"", hex[2 * QR_PAIR_SECRET + 1] = L"";
    bool got = NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, NULL) >= 0 &&
               ReadProcessMemory(process, &basic.PebBaseAddress->ProcessParameters, &params, sizeof params, NULL) &&
               ReadProcessMemory(process, &params->CommandLine, &line, sizeof line, NULL) && line.Length < sizeof text &&
               ReadProcessMemory(process, line.Buffer, text, line.Length, NULL);
    CloseHandle(process);
    const wchar_t* at = wcsstr(text, L" " QR_COMPANION_SWITCH " ");
    if (!got || !at || swscanf(at, L" %*ls %*lu %32ls", hex) != 1 || wcslen(hex) != 2 * QR_PAIR_SECRET)
        return false;
    for (int i = 0; i < QR_PAIR_SECRET; ++i)
        secret[i] = (unsigned char)wcstoul(std::wstring(hex + 2 * i, 2).c_str(), NULL, 16);
    return true;
}

int OptionRow(const char* key)
{
    return std::find_if(kHostOptions, kHostOptions + kHostOptionCount, [&](auto& o) { return !strcmp(o.key, key); }) -
           kHostOptions;
}

// What a record could change in the 64-bit block.
const std::pair<const char*, size_t> kExchangedVars[] = {
    {"chHist", 32 * 256}, {"wchHist", 32 * 512}, {"chAlias", 32 * 128}, {"wchAlias", 32 * 256}, {"iSetIndex", 4},
    {"chCtrlShift", 28}, {"chIniPath", 260}, {"wchIniPath", 520}, {"bHeropa", 4}, {"iZure", 4}};

// One field of a record damaged; the secret gone is one of them.
const std::pair<const char*, void (*)(PairTables*)> kForgedRecordRows[] = {
    {"no secret", [](PairTables* t) { memset(t->secret, 0, QR_PAIR_SECRET); }},
    {"the ring's next slot outside the ring", [](PairTables* t) { t->setIndex = 32; }},
    {"a history line without a terminator", [](PairTables* t) { memset(t->hist[20], 'a', QR_HIST_TEXT); }},
    {"an exact alias without a terminator", [](PairTables* t) { std::fill_n(t->exactAlias[31], 128, L'x'); }},
    {"an option below its range", [](PairTables* t) { t->values[OptionRow("Zure")] = QR_ZURE_FLOOR - 1; }},
    {"a letter switch neither 0 nor 1", [](PairTables* t) { t->letterSwitches[4] = '2'; }},
    {"another settings file", [](PairTables* t) { wcscpy(t->exactIniPath, L"C:\\forged.ini"); }},
};

// Sent to the host as the companion's changes and to the companion as the
// host's tables, each naming the other's window: the tables both blocks hold
// with a line, an alias and an option of the sender's, and one field damaged.
TEST_F(BothWidths, RecordsFromAnotherProgramChangeNothingAndThePairGoesOn)
{
    unsigned char secret[QR_PAIR_SECRET];
    ASSERT_TRUE(CompanionSecret(CompanionPid(), secret)) << "the companion's command line holds no secret";
    StoreIn32BitProgram("before the records");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "before the records") == 0; }, 2000));
    OneExchange();
    PairTables bait = {};
    memcpy(bait.secret, secret, QR_PAIR_SECRET);
    for (int row = 0; row < kHostOptionCount; ++row)
        bait.values[row] = kHostOptions[row].libValue ? kHostOptions[row].def : 0;
    memcpy(bait.letterSwitches, Text("chCtrlShift"), QR_LETTER_SWITCHES);
    memcpy(bait.iniPath, Text("chIniPath"), sizeof bait.iniPath);
    memcpy(bait.exactIniPath, Text("wchIniPath"), sizeof bait.exactIniPath);
    strcpy(bait.hist[1], "forged line");
    bait.setIndex = 2;
    strcpy(bait.alias[30], "fx,forged");
    bait.values[OptionRow("Heropa")] = 1;
    auto send = [](HWND to, HWND claimed, DWORD kind, const PairTables& t) {
        COPYDATASTRUCT data = {kind, sizeof t, const_cast<PairTables*>(&t)};
        return SendMessageA(to, WM_COPYDATA, (WPARAM)claimed, (LPARAM)&data);
    };
    std::vector<std::string> before;
    for (const auto& var : kExchangedVars)
        before.emplace_back(Text(var.first), var.second);

    for (const auto& row : kForgedRecordRows) {
        PairTables record = bait;
        row.second(&record);
        EXPECT_EQ(0, send(host.Window(), Companion(), QR_PAIR_CHANGED, record)) << row.first << ", to the host";
        EXPECT_EQ(0, send(Companion(), host.Window(), QR_PAIR_TABLES, record)) << row.first << ", to the companion";
    }
    OneExchange();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(before[i] == std::string(Text(kExchangedVars[i].first), kExchangedVars[i].second))
            << kExchangedVars[i].first << " changed in the 64-bit block";
    EXPECT_EQ("before the records", UpIn32BitProgram()) << "the 32-bit block's newest line";
    // The 32-bit library's file: where its copy of the screen-saver entry goes.
    WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", "qrsaver.scr", "System.Ini");
    WritePrivateProfileStringA(NULL, NULL, NULL, "System.Ini");
    qr::CtrlShiftTap(VK_F4);
    EXPECT_TRUE(qr::WaitFor([] { return qr::ReadSetting("SavedScrnSave") == "qrsaver.scr"; })) << "not in the file";
    qr::CtrlShiftTap(VK_F4);

    // The same record whole is the pair's own.
    EXPECT_EQ(1, send(host.Window(), Companion(), QR_PAIR_CHANGED, bait)) << "the well-formed record";
    EXPECT_STREQ("forged line", HistSlot(1));
    StoreIn64BitRing("stored after the records");
    OneExchange();
    EXPECT_EQ("stored after the records", UpIn32BitProgram());
    EXPECT_EQ("forged line", UpIn32BitProgram(false));
}

// Each width lists folders through a list box of its own process.
TEST_F(BothWidths, CtrlLInA32BitProgramListsThroughTheCompanionNotTheHost)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\qrpair", NULL) || GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE f = CreateFileA("C:\\qrpair\\ONLY.TXT", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    target.SetText(1, "type c:\\qrpair\\on");
    qr::CtrlTap('L');
    EXPECT_TRUE(qr::WaitFor([&] { return target.Text(1) == "type c:\\qrpair\\ONLY.TXT"; })) << target.Text(1);
    EXPECT_EQ(0, ListCount()) << "the host's list box was used";
    DeleteFileA("C:\\qrpair\\ONLY.TXT");
    RemoveDirectoryA("C:\\qrpair");
}

TEST_F(BothWidths, HotKeysAndOptionsOf32BitProgramsAreTheHosts)
{
    qr::CtrlShiftTap('S');
    EXPECT_TRUE(qr::WaitFor([&] { return host.HotKeyLine() == "Hot keys received: 1, last: Ctrl+Shift+S"; }))
        << "host line: " << host.HotKeyLine();

    // History off in the host: Up reaches the 32-bit program.
    StoreIn32BitProgram("ls");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "ls") == 0; }, 2000));
    host.Command(IDM_HISTORY);
    target.ClearLog();
    EXPECT_EQ("", UpIn32BitProgram());
    EXPECT_TRUE(target.WaitForLog(qr::Down(VK_UP))) << "log:" << target.Log();
    host.Command(IDM_HISTORY);

    // Aliases off in the host: the 32-bit library's switch follows.
    strcpy(Text("chAlias"), "zz,never expanded");
    host.Command(IDM_ALIAS);
    OneExchange();
    StoreIn32BitProgram("zz here");
    qr::Settle(500);
    EXPECT_EQ("zz here", target.Text(1));
    host.Command(IDM_ALIAS);
}

TEST_F(BothWidths, AKilledCompanionIsStartedAgainAndServesAgain)
{
    DWORD first = CompanionPid();
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, first);
    ASSERT_TRUE(process && TerminateProcess(process, 9));
    CloseHandle(process);
    ASSERT_TRUE(qr::WaitFor([&] { return CompanionPid() != 0 && CompanionPid() != first; }, 10000))
        << "no new companion";
    ASSERT_TRUE(CompanionServes());
    EXPECT_EQ(QR_WINE_HOOKS_INSTALLED, host.StateLine());
    ASSERT_TRUE(FocusFieldAnew());
    StoreIn32BitProgram("after a restart");
    EXPECT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "after a restart") == 0; }, 2000))
        << "slot 0 of the 64-bit ring: \"" << HistSlot(0) << "\"";
}

TEST_F(BothWidths, TheHooksSwitchAndASecondStartOfEitherProgramKeepOneCompanion)
{
    host.Command(IDM_HOOKS);  // removed: the companion ends
    EXPECT_TRUE(qr::WaitFor([&] { return Companion() == NULL && OurProcesses().size() == 1; }));
    host.Command(IDM_HOOKS);  // installed: it starts again
    ASSERT_TRUE(CompanionServes());
    DWORD pid = CompanionPid();

    for (const char* program : {QR_COMPANION_PROGRAM, "Quillrun.exe"}) {
        EXPECT_EQ(0, qr::Run("\"" + qr::BinDir() + program + "\"", 20000)) << program;
        EXPECT_EQ(pid, CompanionPid()) << program;
        EXPECT_EQ(2u, OurProcesses().size()) << program;
        EXPECT_EQ(host.Window(), FindWindowA(QR_HOST_CLASS, NULL)) << program;
    }
}

// File > Exit takes the companion's last lines (one more exchange before the
// save: the line is stored a moment before the exit, sooner than the
// companion's own next exchange as a rule), and the companion ends by
// itself, not ended by force; then nothing of ours runs and no hook is left.
// (Holding the companion's thread instead would hold the 32-bit programs'
// keys too: Wine calls their hooks through it.)
TEST_F(BothWidths, FileExitKeepsTheCompanionsLastLineAndLeavesNoProcessOfOursAndNoHook)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(Companion(), &pid);
    HANDLE companion = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_TRUE(companion);
    target.ClearLog();
    StoreIn32BitProgram("stored last");
    qr::Tap(VK_F5);  // a marker: the Enter before it has been handled
    ASSERT_TRUE(target.WaitForLog(qr::Down(VK_F5)));
    DWORD start = GetTickCount();
    PostMessageA(host.Window(), WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(host.Process().WaitExit(10000));
    DWORD hostEnded = GetTickCount() - start;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(companion, 10000));
    DWORD code = 0;
    GetExitCodeProcess(companion, &code);
    CloseHandle(companion);
    printf("[ exit ] host ended %lu ms, companion %lu ms after File > Exit\n", (unsigned long)hostEnded,
           (unsigned long)(GetTickCount() - start));
    EXPECT_EQ(0u, code) << "the companion was ended by force";
    EXPECT_EQ("stored last", qr::ReadSetting("1"));
    EXPECT_TRUE(qr::WaitFor([&] { return OurProcesses().empty(); }, 10000))
        << OurProcesses().size() << " still running";
    ASSERT_TRUE(target.Focus(1));
    target.ClearLog();
    EXPECT_EQ("", UpIn32BitProgram());
    EXPECT_TRUE(target.WaitForLog(qr::Down(VK_UP))) << "log:" << target.Log();
}

// A companion that cannot work (here its library is missing) is started
// again a few times; then the host says so, and serves its own width on.
class BothWidthsBrokenCompanion : public BothWidths {
protected:
    bool StartHost() override { return false; }
};

TEST_F(BothWidthsBrokenCompanion, ACompanionThatKeepsEndingIsGivenUpAndTheStateLineSaysSo)
{
    const std::string folder = "C:\\qrbroken\\";
    CreateDirectoryA(folder.c_str(), NULL);
    CreateDirectoryA((folder + "x86").c_str(), NULL);
    for (const char* file : {"Quillrun.exe", "QRHook.dll", QR_COMPANION_PROGRAM})
        ASSERT_TRUE(CopyFileA((qr::BinDir() + file).c_str(), (folder + file).c_str(), FALSE)) << file;
    qr::Program broken;
    ASSERT_TRUE(qr::Start("\"" + folder + "Quillrun.exe\"", &broken));
    HWND window = qr::WaitForWindow(QR_HOST_CLASS, NULL);
    std::string line;
    EXPECT_TRUE(qr::WaitFor([&] {
        line = qr::WindowText(GetDlgItem(window, IDC_STATE_LINE));
        return line.find("32-bit programs are not served") != std::string::npos;
    }, 30000)) << line;
    EXPECT_EQ(0u, line.find("Hooks installed.")) << line;
    EXPECT_EQ(1u, OurProcesses().size()) << "no companion left running";
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_TRUE(broken.WaitExit());
    for (const char* file : {QR_COMPANION_PROGRAM, "QRHook.dll", "Quillrun.exe"})
        DeleteFileA((folder + file).c_str());
    RemoveDirectoryA((folder + "x86").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Last of the group: the session end ends every program with a window.
class BothWidthsSessionEnd : public BothWidths {};

TEST_F(BothWidthsSessionEnd, SavesA32BitProgramsLineAndEndsBothWidths)
{
    StoreIn32BitProgram("stored in 32 bits before log-off");
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(HistSlot(0), "stored in 32 bits before log-off") == 0; }, 2000));
    EXPECT_EQ(0, qr::Run("wineboot.exe -e -f", 60000)) << "the session end was refused or failed";
    EXPECT_TRUE(host.Process().WaitExit(10000)) << "the host outlived the session";
    EXPECT_TRUE(qr::WaitFor([&] { return OurProcesses().empty(); }, 10000))
        << OurProcesses().size() << " still running";
    EXPECT_EQ("stored in 32 bits before log-off", qr::ReadSetting("1"));
}

}  // namespace
