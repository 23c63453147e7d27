// The Ctrl+Shift command table: 54 keys, each with its action and whether the
// focused program is kept from seeing the key.
#include "core/qrhook.h"
#include "hotkeys/hotkeys.h"

static void SendHotKeyToHost(WPARAM vk)
{
    SendHostMessage(HM_HOTKEY, vk, 0);
}

// Ctrl+Shift+Backspace: 0 -> 1 with a beep; any other value -> 0 silently.
static void CmdToggleFocusMoveClick(WPARAM)
{
    if (bFocusMoveClick == 0) {
        bFocusMoveClick = 1;
        MessageBeep(0xFFFFFFFF);
    } else {
        bFocusMoveClick = 0;
    }
}

static void CmdMeFocusOff(WPARAM)
{
    bMeFocus = 0;
    Mem();
}

static void CmdRunFlagsOff(WPARAM)
{
    bRun2 = bRun3 = bRun4 = bRun5 = bRun6 = 0;
}

// Ctrl+Shift+A and F11 bring the host to the front before telling it.  F11's
// code 0x7A goes to the host unchanged.
static void CmdHostToFront(WPARAM vk)
{
    SetForegroundWindow(hWndHost);
    SendHotKeyToHost(vk);
}

static void CmdInputMethodOn(WPARAM)
{
    if (bJapaneseEnv == 1)
        FepEnable();
}

static void CmdHostP(WPARAM) { SendHostMessage(HM_HOST_P, 0, 0); }
static void CmdReset(WPARAM) { MySetReset(); }
static void CmdHelp(WPARAM) { HelpOnHotKey(); }
static void CmdStyleReport(WPARAM)
{
    bMeFocus = 0;
    StyleBitPrint();
}

static void CmdClose(WPARAM) { ActCloseWindowUnderPointer(); }
static void CmdScreenCentre(WPARAM) { ActPointerToScreenCentre(); }
static void CmdIconAnimation(WPARAM) { ActToggleIconAnimation(); }
static void CmdHostWindow(WPARAM) { ActToggleHostWindow(); }
static void CmdBottom(WPARAM) { ActUnderPointerToBottom(); }
static void CmdDisable(WPARAM) { ActDisableWindowUnderPointer(); }
static void CmdEnable(WPARAM) { ActEnableDisabledWindow(); }
static void CmdTopmost(WPARAM) { ActUnderPointerTopmost(); }
static void CmdRaiseZure(WPARAM) { ActRaiseZure(); }
static void CmdLowerZure(WPARAM) { ActLowerZure(); }
static void CmdRaiseAida(WPARAM) { ActRaiseAida(); }
static void CmdLowerAida(WPARAM) { ActLowerAida(); }
static void CmdBorder(WPARAM) { ActToggleStyle(1); }
static void CmdCaption(WPARAM) { ActToggleStyle(2); }
static void CmdDlgFrame(WPARAM) { ActToggleStyle(3); }
static void CmdMaxBox(WPARAM) { ActToggleStyle(4); }
static void CmdMinBox(WPARAM) { ActToggleStyle(5); }
static void CmdSysMenu(WPARAM) { ActToggleStyle(6); }
static void CmdThickFrame(WPARAM) { ActToggleStyle(7); }
static void CmdCloseAll(WPARAM) { ActSysCommandToAll(SC_CLOSE); }
static void CmdRestoreAll(WPARAM) { ActSysCommandToAll(SC_RESTORE); }
static void CmdMaximizeAll(WPARAM) { ActSysCommandToAll(SC_MAXIMIZE); }
static void CmdMinimizeAll(WPARAM) { ActSysCommandToAll(SC_MINIMIZE); }
static void CmdArrange(WPARAM) { ActArrangeIcons(); }
static void CmdListBoxExtent(WPARAM) { ActListBoxExtentUnderPointer(); }
static void CmdListViewRow(WPARAM) { ActListViewFullRowUnderPointer(); }
static void CmdFontReset(WPARAM) { ActResetFontUnderPointer(); }
static void CmdShutDown(WPARAM) { ActShutDown(); }
static void CmdLogOff(WPARAM) { ActLogOff(); }
static void CmdRestart(WPARAM) { ActRestart(); }
static void CmdScreenSaverToggle(WPARAM) { ActToggleScreenSaver(); }
static void CmdScreenSaverStart(WPARAM) { ActStartScreenSaver(); }
static void CmdKeyboardLock(WPARAM) { ActToggleKeyboardLock(); }
static void CmdRecord(WPARAM) { ActToggleRecording(); }
static void CmdPlayTimed(WPARAM) { ActStartPlayback(0); }
static void CmdPlayAtOnce(WPARAM) { ActStartPlayback(1); }

static const HotKeyCommand kCommands[] = {
    {0x08, CmdToggleFocusMoveClick, 1},  // Backspace
    {0x0D, CmdMeFocusOff, 1},            // Enter
    {0x20, CmdClose, 1},                 // Space
    {0x25, CmdScreenCentre, 0},          // Left
    {0x27, CmdRunFlagsOff, 0},           // Right
    {0x2D, CmdIconAnimation, 1},         // Insert
    {0x2E, CmdHostWindow, 1},            // Delete
    {'0', CmdBottom, 0},
    {'1', SendHotKeyToHost, 1},
    {'2', SendHotKeyToHost, 1},
    {'3', SendHotKeyToHost, 1},
    {'4', SendHotKeyToHost, 1},
    {'5', SendHotKeyToHost, 1},
    {'6', SendHotKeyToHost, 1},
    {'7', CmdDisable, 0},
    {'8', CmdEnable, 0},
    {'9', CmdTopmost, 0},
    {'A', CmdHostToFront, 1},
    {'B', CmdRaiseZure, 1},
    {'C', CmdBorder, 1},
    {'D', CmdLowerAida, 1},
    {'E', CmdRaiseAida, 1},
    {'F', CmdCaption, 1},
    {'G', CmdDlgFrame, 1},
    {'H', CmdMaxBox, 1},
    {'I', CmdCloseAll, 1},
    {'J', CmdRestoreAll, 1},
    {'K', CmdArrange, 1},
    {'L', CmdMinBox, 1},
    {'M', CmdInputMethodOn, 1},
    {'N', CmdMaximizeAll, 1},
    {'O', CmdSysMenu, 1},
    {'P', CmdHostP, 1},
    {'Q', CmdShutDown, 1},
    {'R', CmdLogOff, 1},
    {'S', SendHotKeyToHost, 1},
    {'T', CmdThickFrame, 1},
    {'U', CmdMinimizeAll, 1},
    {'V', CmdLowerZure, 1},
    {'W', CmdKeyboardLock, 1},
    {'X', SendHotKeyToHost, 1},
    {'Y', CmdRestart, 1},
    {'Z', CmdReset, 1},
    {VK_F1, CmdHelp, 0},
    {VK_F2, CmdListBoxExtent, 0},
    {VK_F3, CmdListViewRow, 0},
    {VK_F4, CmdScreenSaverToggle, 0},
    {VK_F6, CmdRecord, 0},
    {VK_F7, CmdScreenSaverStart, 1},
    {VK_F8, CmdFontReset, 0},
    {VK_F9, CmdPlayTimed, 0},
    {VK_F11, CmdHostToFront, 1},
    {VK_F12, CmdPlayAtOnce, 0},
    {VK_OEM_5, CmdStyleReport, 1},       // key 220
};

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
