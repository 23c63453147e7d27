#include "macro.h"

#include <string.h>

#include "macro_engine.h"
#include "options.h"

#define QR_KEY_MACRO_HOOKS "MacroHooks"
// Timers of the host window.
#define MACRO_STEP_TIMER 0x5101
#define MACRO_LINE_TIMER 0x5102

static const QrLib* lib;
static HWND hWndHost;
static int lineId;
// From the settings file: 0 or 1, or -1 (the key is absent) for the
// system's choice.
static int setting = -1;
static int systemChoice = -1;
static char shownLine[96];
static void (*lineChanged)(void);

// GetVersionEx reports at most the version the program's manifest names;
// RtlGetVersion reports the real one.
static DWORD WindowsBuild(HMODULE ntdll)
{
    typedef LONG(WINAPI * RtlGetVersionFn)(OSVERSIONINFOW*);
    FARPROC p = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : NULL;
    if (!p)
        return 0;
    OSVERSIONINFOW info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    RtlGetVersionFn getVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)(void)>(p));
    return getVersion(&info) == 0 ? info.dwBuildNumber : 0;
}

// Journal hooks are gone from Windows 11 on; Wine accepts them but never
// calls a record hook for another program's input.
static int SystemChoice(void)
{
    if (systemChoice < 0) {
        HMODULE ntdll = GetModuleHandleA("ntdll.dll");
        int onWine = ntdll && GetProcAddress(ntdll, "wine_get_version");
        systemChoice = SystemPrefersLowLevelHooks(WindowsBuild(ntdll), onWine);
    }
    return systemChoice;
}

int MacroUsesLowLevel(void)
{
    return setting == 0 || setting == 1 ? setting : SystemChoice();
}

void MacroToggleSetting(void) { setting = MacroUsesLowLevel() ? 0 : 1; }
void MacroDefaultSetting(void) { setting = -1; }

int MacroSaveSetting(void)
{
    // The system's choice is kept as an absent key, so that it follows the
    // system the file is used on.
    const char* value = setting == 0 ? "0" : setting == 1 ? "1" : NULL;
    return lib->WriteProfileStriMy(QR_SETTINGS_SECTION, QR_KEY_MACRO_HOOKS, value) != 0;
}

void MacroStateText(char* out, size_t size)
{
    int recording = *lib->bMacro == 1;
    int playing = MacroEnginePlaying() || *lib->hOldPMacroHook != NULL;
    FormatMacroState(recording, playing, *lib->iEventCnt, StoredRecords(lib->SysEvent), out, size);
}

static void ShowMacroLine(void)
{
    char line[sizeof shownLine];
    MacroStateText(line, sizeof line);
    if (strcmp(line, shownLine) != 0) {
        strcpy(shownLine, line);
        SetDlgItemTextA(hWndHost, lineId, line);
        if (lineChanged)
            lineChanged();
    }
}

// The journal path changes the state in other programs: the line is read
// from the shared block a few times a second.
static void CALLBACK LineTimer(HWND, UINT, UINT_PTR, DWORD) { ShowMacroLine(); }

static void CALLBACK StepTimer(HWND hWnd, UINT, UINT_PTR id, DWORD)
{
    KillTimer(hWnd, id);
    int next = MacroEnginePlayStep();
    // Due times count from the start of the playback, so a timer that fires
    // late delays one event, not the rest of the macro.
    if (next >= 0)
        SetTimer(hWnd, id, (UINT)next, StepTimer);
    ShowMacroLine();
}

static void WakePlayer(void) { SetTimer(hWndHost, MACRO_STEP_TIMER, 0, StepTimer); }

void MacroInit(HWND hWnd, int id, const QrLib* l, void (*onChange)(void))
{
    lib = l;
    lineChanged = onChange;
    hWndHost = hWnd;
    lineId = id;
    setting = (int)lib->GetProfileIMy(QR_SETTINGS_SECTION, QR_KEY_MACRO_HOOKS, -1);
    MacroTable table = {lib->SysEvent, lib->iEventCnt, lib->bMacro};
    MacroEngineStart(table, GetModuleHandleA(NULL), WakePlayer);
    ShowMacroLine();
    SetTimer(hWnd, MACRO_LINE_TIMER, 250, LineTimer);
}

void MacroEnd(void)
{
    KillTimer(hWndHost, MACRO_LINE_TIMER);
    KillTimer(hWndHost, MACRO_STEP_TIMER);
    MacroEngineEnd();
}

LRESULT MacroHostMessage(WPARAM vk, LPARAM journalRefused)
{
    LRESULT taken = MacroEngineRequest(vk, journalRefused, MacroUsesLowLevel());
    ShowMacroLine();
    return taken;
}
