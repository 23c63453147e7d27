// Macros under Wine, which accepts the journal hooks but never calls them
// for another program's input: without "MacroHooks" in the settings file the
// host records with low-level hooks and plays back with SendInput.
#include "desktop.h"

#include <stdio.h>
#include <string.h>

class Macros : public WineDesktop {
protected:
    std::string MacroLine() const { return qr::WindowText(GetDlgItem(host.Window(), IDC_MACRO_LINE)); }
    bool LineIs(const std::string& text)
    {
        return qr::WaitFor([&] { return MacroLine() == text; });
    }
    // Gives control of window top the focus and waits until that has held for
    // a moment: a focus event from the X server can arrive late and move it.
    static bool FocusUntilSettled(HWND top, HWND control)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            bool focused = qr::WaitFor(
                [&] {
                    if (qr::HasFocus(control))
                        return true;
                    SetForegroundWindow(top);
                    return false;
                },
                3000);
            if (focused) {
                qr::Settle(300);
                if (qr::HasFocus(control))
                    return true;
            }
        }
        return false;
    }
    // The recorded records, up to the zero record.
    std::vector<EVENTMSG> Records()
    {
        const EVENTMSG* ev = lib.Var<EVENTMSG>("SysEvent");
        std::vector<EVENTMSG> out;
        for (int i = 0; ev && i < 1023 && ev[i].time; ++i)
            out.push_back(ev[i]);
        return out;
    }
};

// Ctrl+Shift+F6, "hello" typed into the target through the X server (as a
// user types: the low-level hook sees these keys as not injected), the stop
// key.  Ctrl+Shift+F12 in notepad types "hello" there at once; Ctrl+Shift+F9
// types it again with the recorded distances between the keys.
TEST_F(Macros, TypingRecordedInOneProgramPlaysBackInAnother)
{
    EXPECT_TRUE(LineIs("Macro: nothing recorded")) << MacroLine();
    qr::Program notepadProc;
    ASSERT_TRUE(qr::Start("notepad.exe", &notepadProc));
    HWND notepad = qr::WaitForWindow("Notepad", NULL, 20000);
    ASSERT_TRUE(notepad != NULL) << "notepad did not start";
    // Notepad makes its edit field after its window, and takes the focus
    // once it is up; then the target gets it back.
    WaitForInputIdle(notepadProc.pi.hProcess, 10000);
    HWND notepadEdit = NULL;
    ASSERT_TRUE(qr::WaitFor([&] { return (notepadEdit = FindWindowExA(notepad, NULL, "Edit", NULL)) != NULL; }));
    ASSERT_TRUE(FocusUntilSettled(notepad, notepadEdit)) << "notepad did not get the focus";
    ASSERT_TRUE(target.Focus(1));

    // One xdotool for the whole recording: the keys of two xdotools running
    // at once would interleave.  The pause after the hot key gives the host
    // the time to install its hooks.
    target.ClearLog();
    ASSERT_TRUE(qr::XDoTool("search --name \"^QR target$\" windowfocus --sync %1 key ctrl+shift+F6 sleep 1 "
                            "key --delay 200 h e l l o sleep 0.3 key ctrl+shift+F6"))
        << "xdotool cannot be started";
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 1; })) << "recording did not start; log:" << target.Log();
    EXPECT_TRUE(qr::WaitFor([&] { return MacroLine().find("Macro: recording") == 0; })) << MacroLine();
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 0; }, 10000)) << "recording did not stop; log:" << target.Log();
    // The stop key's Ctrl goes up last: then xdotool is done.
    ASSERT_TRUE(qr::WaitFor([&] {
        std::string log = target.Log();
        size_t o = log.find(qr::Up('O')), ctrl = log.rfind(qr::Up(VK_CONTROL));
        return o != std::string::npos && ctrl != std::string::npos && ctrl > o;
    })) << "log:" << target.Log();
    EXPECT_EQ("hello", target.Text(1));
    EXPECT_EQ(0, Int("iEventCnt"));

    std::vector<EVENTMSG> records = Records();
    std::string typed;
    int h = -1, o = -1;
    for (int i = 0; i < (int)records.size(); ++i) {
        UINT vk = records[i].paramL & 0xFF;
        if (records[i].message != WM_KEYDOWN)
            continue;
        EXPECT_NE((UINT)VK_F6, vk) << "the F6 key-downs are not recorded";
        if (vk >= 'A' && vk <= 'Z')
            typed += (char)vk;
        h = (h < 0 && vk == 'H') ? i : h;
        o = vk == 'O' ? i : o;
    }
    ASSERT_EQ("HELLO", typed) << records.size() << " records";
    std::string stored = "Macro: " + std::to_string(records.size()) + " events stored";
    EXPECT_TRUE(LineIs(stored)) << MacroLine();

    ASSERT_TRUE(FocusUntilSettled(notepad, notepadEdit)) << "notepad did not get the focus";
    qr::CtrlShiftTap(VK_F12);
    EXPECT_TRUE(qr::WaitFor([&] { return qr::WindowText(notepadEdit) == "hello"; }, 10000))
        << "notepad: \"" << qr::WindowText(notepadEdit) << "\"";
    // The macro ends with the Ctrl and Shift of the stop key held: the host
    // releases them when it is done.
    EXPECT_TRUE(LineIs(stored)) << MacroLine();
    EXPECT_TRUE(qr::WaitFor([] { return GetAsyncKeyState(VK_CONTROL) >= 0 && GetAsyncKeyState(VK_SHIFT) >= 0; }))
        << "Ctrl or Shift still down after the playback";

    DWORD_PTR r;
    SendMessageTimeoutA(notepadEdit, WM_SETTEXT, 0, (LPARAM) "", SMTO_ABORTIFHUNG, 5000, &r);
    qr::CtrlShiftTap(VK_F9);
    DWORD sent = GetTickCount(), first = 0, last = 0;
    bool sawPlaying = false;
    while (!last && GetTickCount() - sent < 15000) {
        std::string text = qr::WindowText(notepadEdit);
        DWORD now = GetTickCount();
        if (!first && !text.empty())
            first = now;
        if (text == "hello")
            last = now;
        sawPlaying = sawPlaying || MacroLine().find("Macro: playing event") == 0;
        Sleep(1);
    }
    ASSERT_NE(0u, last) << "notepad: \"" << qr::WindowText(notepadEdit) << "\"";
    EXPECT_TRUE(sawPlaying) << "the host window never showed the playback";
    long recorded = (long)(records[o].time - records[h].time), played = (long)(last - first);
    long fromStart = (long)(records[o].time - records[0].time), toLast = (long)(last - sent);
    printf("[ timing ] H to O: recorded %ld ms, played %ld ms, error %+ld ms; "
           "macro start to O: recorded %ld ms, from the hot key %ld ms, error %+ld ms\n",
           recorded, played, played - recorded, fromStart, toLast, toLast - fromStart);
    // Each key is due at its distance from the first; a loaded machine only
    // makes the host's timer late, never early.  The polling here reads the
    // text every few milliseconds.
    EXPECT_GE(played, recorded - 50);
    EXPECT_LE(played, recorded + 500);
    EXPECT_TRUE(LineIs(stored)) << MacroLine();
}

// Options > Macros with low-level hooks is saved at once.  Switched off, the
// hot key installs the library's journal-record hook instead, which Wine
// accepts; Reset to defaults leaves the choice to the system again.
TEST_F(Macros, OptionItemSwitchesToJournalHooksAndIsSavedAtOnce)
{
    EXPECT_EQ("", qr::ReadSetting("MacroHooks"));
    host.Command(IDM_MACROHOOKS);
    EXPECT_TRUE(qr::WaitFor([] { return qr::ReadSetting("MacroHooks") == "0"; }))
        << "MacroHooks: \"" << qr::ReadSetting("MacroHooks") << "\"";
    qr::CtrlShiftTap(VK_F6);
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 1; })) << "recording did not start";
    EXPECT_NE(nullptr, *lib.Var<HHOOK>("hOldRMacroHook")) << "no journal-record hook";
    qr::CtrlShiftTap(VK_F6);
    ASSERT_TRUE(qr::WaitFor([&] { return Int("bMacro") == 0; })) << "recording did not stop";

    host.Command(IDM_MACROHOOKS);
    EXPECT_TRUE(qr::WaitFor([] { return qr::ReadSetting("MacroHooks") == "1"; }));
    host.Command(IDM_DEFAULTS);
    EXPECT_TRUE(qr::WaitFor([] { return qr::ReadSetting("MacroHooks").empty(); }))
        << "MacroHooks: \"" << qr::ReadSetting("MacroHooks") << "\"";
}
