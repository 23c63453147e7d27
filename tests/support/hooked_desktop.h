// A simulated desktop with the host application running: its window of
// class "Quillrun" (answering host messages as the test says), another
// program in front with the keyboard focus, and the library's hooks installed
// the way the host installs them.
#pragma once

#include <gtest/gtest.h>
#include <winsim.h>

#include <map>
#include <string>
#include <vector>

#include "core/qrhook.h"

ws::WindowSpec Desc(const std::string& cls, const std::string& title = "", LONG style = WS_VISIBLE,
                    HWND parent = NULL, RECT rect = RECT{0, 0, 0, 0}, int id = 0);

// Another program's hook, installed before the library's and so called after
// it (newest first): it records what it sees and answers what the test sets.
struct NeighbourHook {
    struct Seen {
        int code;
        WPARAM wParam;
        LPARAM lParam;
    };
    static std::vector<Seen> seen;
    static LRESULT answer;
    // Installs it for one kind of hook, with nothing seen and the answer 0.
    static void Install(int kind);
    static std::vector<int> Codes();  // the codes seen, in order
};

class HookedDesktop : public testing::Test {
protected:
    void SetUp() override;

    // Holds Ctrl and Shift (without key events) and presses a key down.
    ws::KeyResult CtrlShiftDown(UINT vk);
    void HoldCtrlShift(bool down);
    // Back to the block's initial values with the host link and the hooks
    // kept, keys released, the host's messages and the recorder emptied: for
    // tables of cases that run one after another in one test.
    void RestoreDefaults();
    // Host messages of one number that reached the host window.
    std::vector<ws::Message> HostMessages(UINT msg) const;
    // Key messages of one kind (WM_KEYDOWN or WM_KEYUP) the program received.
    int ProgramGot(UINT msg, UINT vk) const;

    HINSTANCE hostInst = (HINSTANCE)(uintptr_t)0x400000;
    HWND host = NULL;  // the host's main window
    HWND app = NULL;   // the program in front, with the focus
    std::map<UINT, LRESULT> hostAnswers;  // host message -> reply
};
