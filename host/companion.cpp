// The 32-bit companion of the 64-bit host: starting, watching and ending it
// (in the host), its own life (in the companion), and the exchange of the
// shared tables between the two.
#include "companion.h"

#include <ntsecapi.h>  // RtlGenRandom: SystemFunction036 of ADVAPI32

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "main_window.h"
#include "options.h"
#include "paths.h"
#include "pair_tables.h"
#include "settings.h"

// The companion asks this often; a line stored in one width is in the other
// well within half a second.
#define COMPANION_TICK_MS 100
// Neither side waits longer for the other: a hung side costs the other a
// moment, never its keyboard (the libraries never wait for this exchange).
#define EXCHANGE_LIMIT_MS 2000

// --- Both sides ------------------------------------------------------------------

// This companion start's secret, and the file the host chose: the host sets
// both when it starts the companion, the companion takes them from its
// command line.  The file is never taken from a record, not even the first:
// a forged one would send the 32-bit library's saves anywhere, and only the
// command line is written by the host alone.
static unsigned char secret[QR_PAIR_SECRET];
static ProfilePath pairFile;

// --- The tables of one block ---------------------------------------------------

// Read as the other side will check them: whatever another program wrote
// into this block cannot stop the exchange.
static void ReadPairTables(const QrLib* lib, PairTables* t)
{
    memset(t, 0, sizeof *t);
    memcpy(t->secret, secret, sizeof t->secret);
    t->setIndex = *lib->iSetIndex;
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].libValue)
            t->values[i] = *(lib->*kHostOptions[i].libValue);
    t->values[QR_PAIR_VALUE_JAPANESE] = *lib->bJapaneseEnv;
    t->values[QR_PAIR_VALUE_KBLOCK] = *lib->bKBLock;
    memcpy(t->letterSwitches, lib->chCtrlShift, QR_LETTER_SWITCHES);
    memcpy(t->hist, lib->chHist, sizeof t->hist);
    memcpy(t->exactHist, lib->wchHist, sizeof t->exactHist);
    memcpy(t->alias, lib->chAlias, sizeof t->alias);
    memcpy(t->exactAlias, lib->wchAlias, sizeof t->exactAlias);
    MakePairTablesValid(t, &pairFile);
}

// A ring that gained lines shows its newest one first, as after a line
// stored in this width.
static void WritePairTables(QrLib* lib, const PairTables* t)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].libValue)
            *(lib->*kHostOptions[i].libValue) = t->values[i];
    *lib->bJapaneseEnv = t->values[QR_PAIR_VALUE_JAPANESE];
    *lib->bKBLock = t->values[QR_PAIR_VALUE_KBLOCK];
    memcpy(lib->chCtrlShift, t->letterSwitches, QR_LETTER_SWITCHES);
    memcpy(lib->chIniPath, pairFile.ansi, QR_INI_PATH);
    memcpy(lib->wchIniPath, pairFile.exact, sizeof pairFile.exact);
    memcpy(lib->chHist, t->hist, sizeof t->hist);
    memcpy(lib->wchHist, t->exactHist, sizeof t->exactHist);
    memcpy(lib->chAlias, t->alias, sizeof t->alias);
    memcpy(lib->wchAlias, t->exactAlias, sizeof t->exactAlias);
    if (*lib->iSetIndex != t->setIndex) {
        *lib->iSetIndex = t->setIndex;
        *lib->iGetIndex = PairNewestSlot(t);
    }
}

// Tables, or for a poll the secret alone.
static int SendRecord(HWND to, HWND from, DWORD kind, const PairTables* t)
{
    COPYDATASTRUCT data = {kind, t ? (DWORD)sizeof *t : QR_PAIR_SECRET, t ? (void*)t : (void*)secret};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(to, WM_COPYDATA, (WPARAM)from, (LPARAM)&data, SMTO_ABORTIFHUNG,
                               EXCHANGE_LIMIT_MS, &answer) &&
           answer;
}

// A record is copied into one of ours once, and checked whole there before
// anything in it is used.
static int TakeRecord(const COPYDATASTRUCT* data, PairTables* into)
{
    if (!data->lpData || data->cbData > sizeof *into)
        return 0;
    memcpy(into, data->lpData, data->cbData);
    return PairRecordValid(data->dwData, into, data->cbData, secret, &pairFile);
}

// --- In the host -------------------------------------------------------------

static PROCESS_INFORMATION companion;
static HWND companionWnd;  // its window, as its exchanges name it
static int restarts;
static PairTables sent;  // the tables the companion last took from the host
static int sentValid;
static PairTables hostTables;
static PairTables received;

// The companion beside the host, named exactly (the folder may hold letters
// the code page cannot write), and its folder.
static int CompanionPath(WCHAR* path, WCHAR* folder)
{
    WCHAR program[MAX_PATH];
    DWORD len = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || !FileBeside(program, QR_COMPANION_PROGRAM, path, MAX_PATH))
        return 0;
    size_t n = FolderLength(path);
    memcpy(folder, path, n * sizeof(WCHAR));
    folder[n ? n - 1 : 0] = 0;
    return 1;
}

void CompanionStart(HWND host)
{
    if (companion.hProcess)
        return;
    WCHAR path[MAX_PATH], folder[MAX_PATH];
    if (!CompanionPath(path, folder) || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
        return;
    // A secret the companion's predecessor knew is of no use to anyone now.
    // Without one no record could be trusted: the companion does not start.
    char secretText[2 * QR_PAIR_SECRET + 1];
    if (!RtlGenRandom(secret, sizeof secret)) {
        restarts = QR_COMPANION_RESTARTS + 1;
        return;
    }
    for (int i = 0; i < QR_PAIR_SECRET; ++i)
        snprintf(secretText + 2 * i, 3, "%02x", secret[i]);
    ProfilePathOf(&pairFile, SettingsFile());
    WCHAR commandLine[2 * MAX_PATH + 96];
    snwprintf(commandLine, sizeof commandLine / sizeof commandLine[0], L"\"%ls\" %hs %lu %hs %ls", path,
              QR_COMPANION_SWITCH, (unsigned long)(ULONG_PTR)host, secretText, pairFile.exact);
    commandLine[sizeof commandLine / sizeof commandLine[0] - 1] = 0;
    STARTUPINFOW si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    // A new companion has a block the host has not filled yet.
    sentValid = 0;
    companionWnd = NULL;
    if (!CreateProcessW(path, commandLine, NULL, NULL, FALSE, 0, NULL, folder, &si, &companion)) {
        // A companion that cannot start is no better than one that keeps
        // ending: the state line says so.
        memset(&companion, 0, sizeof companion);
        restarts = QR_COMPANION_RESTARTS + 1;
    }
}

static void Forget(void)
{
    CloseHandle(companion.hThread);
    CloseHandle(companion.hProcess);
    memset(&companion, 0, sizeof companion);
    companionWnd = NULL;
    sentValid = 0;
}

void CompanionCollect(void)
{
    DWORD_PTR answer = 0;
    if (companion.hProcess && companionWnd)
        SendMessageTimeoutA(companionWnd, QR_COMPANION_EXCHANGE_NOW, 0, 0, SMTO_ABORTIFHUNG, EXCHANGE_LIMIT_MS,
                            &answer);
}

// Waits up to ms for the companion to end, answering what is sent to the
// host meanwhile: an exchange the companion started must not wait out its
// time limit against a host that reads nothing.
static int CompanionEnded(DWORD ms)
{
    DWORD until = GetTickCount() + ms;
    for (;;) {
        DWORD left = until - GetTickCount();
        if ((int)left < 0)
            left = 0;
        DWORD r = MsgWaitForMultipleObjects(1, &companion.hProcess, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0)
            return 1;
        if (r != WAIT_OBJECT_0 + 1)
            return 0;
        MSG m;
        PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CompanionStop(void)
{
    if (!companion.hProcess)
        return;
    // Its message loop ends on WM_QUIT and it removes its hooks.  A companion
    // still starting has no message queue yet: the message is posted again
    // until it is taken, and a companion that never ends is ended.
    for (int waited = 0; waited < 3000; waited += 100) {
        PostThreadMessageA(companion.dwThreadId, WM_QUIT, 0, 0);
        if (CompanionEnded(100))
            break;
    }
    if (WaitForSingleObject(companion.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(companion.hProcess, 1);
    Forget();
    restarts = 0;
}

int CompanionWatch(HWND host)
{
    if (!companion.hProcess || WaitForSingleObject(companion.hProcess, 0) != WAIT_OBJECT_0)
        return 0;
    Forget();
    if (++restarts <= QR_COMPANION_RESTARTS)
        CompanionStart(host);
    return 1;
}

const char* CompanionTrouble(void)
{
    if (restarts <= QR_COMPANION_RESTARTS)
        return "";
    return " 32-bit programs are not served: the 32-bit companion (" QR_COMPANION_PROGRAM
           ") does not start or keeps ending.";
}

static int FromCompanion(HWND from)
{
    DWORD pid = 0;
    return companion.hProcess && GetWindowThreadProcessId(from, &pid) && pid == companion.dwProcessId;
}

LRESULT CompanionCopyData(QrLib* lib, HWND host, HWND from, const COPYDATASTRUCT* data)
{
    // The window in wParam is the sender's own claim, and any program can
    // name the companion's: the secret is what proves the companion.
    if (!FromCompanion(from) || (data->dwData != QR_PAIR_POLL && data->dwData != QR_PAIR_CHANGED) ||
        !TakeRecord(data, &received))
        return 0;
    companionWnd = from;
    // Changes against tables the companion never had would undo the host's:
    // before the first hand-over the host's tables simply win.
    if (data->dwData == QR_PAIR_CHANGED && sentValid) {
        ReadPairTables(lib, &hostTables);
        MergePairChanges(&hostTables, &sent, &received);
        WritePairTables(lib, &hostTables);
    }
    ReadPairTables(lib, &hostTables);
    if (sentValid && memcmp(&hostTables, &sent, sizeof sent) == 0)
        return 1;
    if (SendRecord(from, host, QR_PAIR_TABLES, &hostTables)) {
        sent = hostTables;
        sentValid = 1;
    }
    return 1;
}

// --- In the companion --------------------------------------------------------

static QrLib lib;
static HWND hostWnd;
static HWND self;
static PairTables mirror;  // the host's tables as last taken
static int haveMirror;
static PairTables asked;  // what the companion's changes were counted from
static PairTables mine;
static PairTables next;

// The command line after the program's name, quoted or not.
static const WCHAR* AfterProgram(const WCHAR* line)
{
    if (*line == L'"') {
        const WCHAR* end = wcschr(line + 1, L'"');
        return end ? end + 1 : L"";
    }
    while (*line && *line != L' ' && *line != L'\t')
        ++line;
    return line;
}

static int HexDigit(WCHAR c)
{
    return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
}

// "/companion <host window> <secret> <settings file>", as CompanionStart
// writes it; the file is the rest of the line.
int CompanionArgsOf(const WCHAR* commandLine, CompanionArgs* args)
{
    const WCHAR* p = AfterProgram(commandLine);
    while (*p == L' ')
        ++p;
    for (const char* s = QR_COMPANION_SWITCH; *s; ++s, ++p)
        if (*p != (WCHAR)*s)
            return 0;
    if (*p++ != L' ')
        return 0;
    WCHAR* end;
    unsigned long host = wcstoul(p, &end, 10);
    if (end == p || host == 0 || *end != L' ')
        return 0;
    p = end + 1;
    for (int i = 0; i < QR_PAIR_SECRET; ++i) {
        int high = HexDigit(*p++);
        int low = high < 0 ? -1 : HexDigit(*p++);
        if (low < 0)
            return 0;
        args->secret[i] = (unsigned char)(high * 16 + low);
    }
    size_t len = *p == L' ' ? wcslen(++p) : 0;
    if (len == 0 || len >= MAX_PATH)
        return 0;
    memcpy(args->settingsFile, p, (len + 1) * sizeof(WCHAR));
    args->host = (HWND)(ULONG_PTR)host;
    return 1;
}

// One exchange: the companion's changes since the host's last tables go to
// the host, whose answer (inside this call) brings its tables back.
static void Exchange(void)
{
    ReadPairTables(&lib, &mine);
    int changed = haveMirror && memcmp(&mine, &mirror, sizeof mine) != 0;
    asked = changed ? mine : mirror;
    SendRecord(hostWnd, self, changed ? QR_PAIR_CHANGED : QR_PAIR_POLL, changed ? &mine : NULL);
}

// The host's tables, plus what programs of this width changed while the
// exchange ran: those go to the host at the next tick.
static LRESULT TakeHostTables(const COPYDATASTRUCT* data)
{
    if (data->dwData != QR_PAIR_TABLES || !TakeRecord(data, &next))
        return 0;
    mirror = next;
    if (haveMirror) {
        ReadPairTables(&lib, &mine);
        MergePairChanges(&next, &asked, &mine);
    }
    WritePairTables(&lib, &next);
    haveMirror = 1;
    return 1;
}

static LRESULT CALLBACK CompanionProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case QR_COMPANION_EXCHANGE_NOW:
        // The host saves next: the host's answer comes within this call.
        Exchange();
        return 1;
    case WM_COPYDATA:
        return (HWND)wParam == hostWnd ? TakeHostTables((const COPYDATASTRUCT*)lParam) : 0;
    case WM_TIMER:
        // A host that is gone takes its companion with it.
        if (!IsWindow(hostWnd))
            PostQuitMessage(0);
        else
            Exchange();
        return 0;
    }
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

int CompanionMain(HINSTANCE inst, const CompanionArgs* args)
{
    HWND host = args->host;
    memcpy(secret, args->secret, sizeof secret);
    ProfilePathOf(&pairFile, args->settingsFile);
    WCHAR error[MAX_PATH + 128];
    if (!IsWindow(host) || !LoadQrLib(&lib, error, sizeof error / sizeof error[0]))
        return 1;
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = CompanionProc;
    wc.hInstance = inst;
    wc.lpszClassName = QR_COMPANION_CLASS;
    RegisterClassA(&wc);
    self = CreateWindowExA(0, QR_COMPANION_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, inst, NULL);
    hostWnd = host;
    if (!self)
        return 1;
    // The host window is this width's host too: its messages, boxes and
    // hot keys.  The completion list is the companion's own: the host's
    // list box cannot answer a 32-bit program's listing.
    lib.SethWndhInstance(host, inst);
    HWND list = CreateCompletionDialog(inst, NULL);
    *lib.hDlgFileList = list;
    *lib.hPreCursor = CopyCursor(LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
    // The host's tables before any hook: no program of this width sees the
    // empty tables of a new block.
    Exchange();
    int status = 0;
    if (haveMirror) {
        lib.SetMyHook(0, 0);
        lib.SetMyCBTHook(0, 0);
        SetWindowTextA(self, QR_COMPANION_SERVING);
        SetTimer(self, 1, COMPANION_TICK_MS, NULL);
        MSG m;
        while (GetMessageA(&m, NULL, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        lib.ResetMyHook(0, 0);
    } else {
        status = 2;  // the host did not answer
    }
    *lib.hDlgFileList = NULL;
    lib.SethWndhInstance(NULL, NULL);
    if (list)
        DestroyWindow(list);
    DestroyWindow(self);
    FreeLibrary(lib.dll);
    return status;
}
