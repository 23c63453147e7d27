// The Ctrl+Shift command table: 54 keys, each with its action and whether the
// focused program is kept from seeing the key.
#include "core/host_link.h"
#include "core/qrhook.h"
#include "hotkeys/hotkeys.h"
#include "hotkeys/system_actions.h"
#include "hotkeys/window_actions.h"
#include "macro/macro.h"

static void SendHotKeyToHost(WPARAM vk)
{
    SendHostMessage(HM_HOTKEY, vk, 0);
}

// Ctrl+Shift+Backspace: 0 -> 1 with a beep; any other value -> 0 silently.
static void CmdToggleFocusMoveClick(void)
{
    if (bFocusMoveClick == 0) {
        bFocusMoveClick = 1;
        MessageBeep(0xFFFFFFFF);
    } else {
        bFocusMoveClick = 0;
    }
}

static void CmdMeFocusOff(void)
{
    bMeFocus = 0;
    Mem();
}

static void CmdRunFlagsOff(void)
{
    bRun2 = bRun3 = bRun4 = bRun5 = bRun6 = 0;
}

// Ctrl+Shift+A and F11 bring the host to the front before telling it.
static void CmdHostToFront(WPARAM vk)
{
    SetForegroundWindow(hWndHost);
    SendHotKeyToHost(vk);
}

static void CmdInputMethodOn(void)
{
    if (bJapaneseEnv == 1)
        FepEnable();
}

static void CmdHostP(void) { SendHostMessage(HM_HOST_P, 0, 0); }
static void CmdReset(void) { MySetReset(); }
static void CmdStyleReport(void)
{
    bMeFocus = 0;
    StyleBitPrint();
}

// A row runs an action without an argument, or one with the row's argument.
static constexpr HotKeyCommand Do(UINT vk, void (*run)(void), int swallow)
{
    return HotKeyCommand{vk, run, NULL, 0, swallow};
}
static constexpr HotKeyCommand With(UINT vk, void (*run)(WPARAM), WPARAM arg, int swallow)
{
    return HotKeyCommand{vk, NULL, run, arg, swallow};
}

static const HotKeyCommand kCommands[] = {
    Do(0x08, CmdToggleFocusMoveClick, 1),  // Backspace
    Do(0x0D, CmdMeFocusOff, 1),            // Enter
    Do(0x20, ActCloseWindowUnderPointer, 1),  // Space
    Do(0x25, ActPointerToScreenCentre, 0),    // Left
    Do(0x27, CmdRunFlagsOff, 0),           // Right
    Do(0x2D, ActToggleIconAnimation, 1),   // Insert
    Do(0x2E, ActToggleHostWindow, 1),      // Delete
    Do('0', ActUnderPointerToBottom, 0),
    With('1', SendHotKeyToHost, '1', 1),
    With('2', SendHotKeyToHost, '2', 1),
    With('3', SendHotKeyToHost, '3', 1),
    With('4', SendHotKeyToHost, '4', 1),
    With('5', SendHotKeyToHost, '5', 1),
    With('6', SendHotKeyToHost, '6', 1),
    Do('7', ActDisableWindowUnderPointer, 0),
    Do('8', ActEnableDisabledWindow, 0),
    Do('9', ActUnderPointerTopmost, 0),
    With('A', CmdHostToFront, 'A', 1),
    Do('B', ActRaiseZure, 1),
    With('C', ActToggleStyle, 1, 1),  // border
    Do('D', ActLowerAida, 1),
    Do('E', ActRaiseAida, 1),
    With('F', ActToggleStyle, 2, 1),  // caption
    With('G', ActToggleStyle, 3, 1),  // dialog frame
    With('H', ActToggleStyle, 4, 1),  // maximize box
    With('I', ActSysCommandToAll, SC_CLOSE, 1),
    With('J', ActSysCommandToAll, SC_RESTORE, 1),
    Do('K', ActArrangeIcons, 1),
    With('L', ActToggleStyle, 5, 1),  // minimize box
    Do('M', CmdInputMethodOn, 1),
    With('N', ActSysCommandToAll, SC_MAXIMIZE, 1),
    With('O', ActToggleStyle, 6, 1),  // system menu
    Do('P', CmdHostP, 1),
    Do('Q', ActShutDown, 1),
    Do('R', ActLogOff, 1),
    With('S', SendHotKeyToHost, 'S', 1),
    With('T', ActToggleStyle, 7, 1),  // thick frame
    With('U', ActSysCommandToAll, SC_MINIMIZE, 1),
    Do('V', ActLowerZure, 1),
    Do('W', ActToggleKeyboardLock, 1),
    With('X', SendHotKeyToHost, 'X', 1),
    Do('Y', ActRestart, 1),
    Do('Z', CmdReset, 1),
    Do(VK_F1, HelpOnHotKey, 0),
    Do(VK_F2, ActListBoxExtentUnderPointer, 0),
    Do(VK_F3, ActListViewFullRowUnderPointer, 0),
    Do(VK_F4, ActToggleScreenSaver, 0),
    Do(VK_F6, ActToggleRecording, 0),
    Do(VK_F7, ActStartScreenSaver, 1),
    Do(VK_F8, ActResetFontUnderPointer, 0),
    With(VK_F9, ActStartPlayback, 0, 0),
    With(VK_F11, CmdHostToFront, VK_F11, 1),  // 0x7A goes to the host unchanged
    With(VK_F12, ActStartPlayback, 1, 0),
    Do(VK_OEM_5, CmdStyleReport, 1),       // key 220
};

void RunHotKeyCommand(const HotKeyCommand* command)
{
    if (command->run)
        command->run();
    else
        command->runWith(command->arg);
}

const HotKeyCommand* FindHotKeyCommand(WPARAM vk)
{
    for (const HotKeyCommand& command : kCommands)
        if (command.vk == vk)
            return &command;
    return NULL;
}

int HotKeyCommandCount(void)
{
    return (int)(sizeof kCommands / sizeof kCommands[0]);
}

const HotKeyCommand* HotKeyCommandAt(int index)
{
    return index >= 0 && index < HotKeyCommandCount() ? &kCommands[index] : NULL;
}
