#include "harness.h"

#include "resource.h"

#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace qr {

static std::string ModuleDir()
{
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof path);
    std::string p(path, len < sizeof path ? len : 0);
    size_t slash = p.find_last_of('\\');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

std::string TestDir() { return ModuleDir(); }

// The test programs live in <build>\tests\wine, the product in <build>\bin;
// QR_BIN overrides.
// A folder named by an environment variable, with backslashes and a
// trailing one; "" when the variable is not set.
static std::string FolderFromEnvironment(const char* name)
{
    char env[MAX_PATH];
    DWORD len = GetEnvironmentVariableA(name, env, sizeof env);
    if (len == 0 || len >= sizeof env)
        return "";
    std::string dir(env);
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    if (dir.back() != '\\')
        dir += '\\';
    return dir;
}

std::string BinDir()
{
    std::string dir = FolderFromEnvironment("QR_BIN");
    return dir.empty() ? ModuleDir() + "..\\..\\bin\\" : dir;
}

std::string TestDir32() { return FolderFromEnvironment("QR_TESTS32"); }

// BinDir exactly: QR_BIN may name a folder outside the code page.
static std::wstring BinDirW()
{
    wchar_t env[MAX_PATH];
    DWORD len = GetEnvironmentVariableW(L"QR_BIN", env, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) {
        MultiByteToWideChar(CP_ACP, 0, BinDir().c_str(), -1, env, MAX_PATH);
        return env;
    }
    std::wstring dir(env);
    for (wchar_t& c : dir)
        c = c == L'/' ? L'\\' : c;
    if (dir.back() != L'\\')
        dir += L'\\';
    return dir;
}

static void Pump()
{
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (cond())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
}

void Settle(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        Pump();
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
}

// --- Processes -----------------------------------------------------------------

bool Program::Running() const
{
    return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::WaitExit(DWORD timeoutMs)
{
    if (!pi.hProcess)
        return true;
    bool ended = WaitFor([&] { return !Running(); }, timeoutMs);
    if (!ended)
        Kill();
    return ended;
}

void Program::Kill()
{
    if (Running()) {
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    }
}

void Program::Detach()
{
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
    pi = PROCESS_INFORMATION();
}

Program::~Program()
{
    Kill();
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    if (pi.hThread)
        CloseHandle(pi.hThread);
}

bool Start(const std::wstring& commandLine, Program* out)
{
    STARTUPINFOW si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    std::vector<wchar_t> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back(0);
    return CreateProcessW(NULL, cmd.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &out->pi) != 0;
}

bool Start(const std::string& commandLine, Program* out)
{
    std::vector<wchar_t> wide(commandLine.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, commandLine.c_str(), -1, wide.data(), (int)wide.size());
    return Start(std::wstring(wide.data()), out);
}

int Run(const std::string& commandLine, DWORD timeoutMs)
{
    Program p;
    if (!Start(commandLine, &p))
        return -1;
    if (!p.WaitExit(timeoutMs))
        return -1;
    DWORD code = (DWORD)-1;
    GetExitCodeProcess(p.pi.hProcess, &code);
    return (int)code;
}

// The whole of a file, "" when it cannot be read.
static std::string ReadFileText(const std::string& winPath)
{
    HANDLE f = CreateFileA(winPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char buf[4096];
    DWORD n;
    while (ReadFile(f, buf, sizeof buf, &n, NULL) && n)
        text.append(buf, n);
    CloseHandle(f);
    return text;
}

// Wine shows the Unix root as drive Z:, /proc included.
static std::string ReadProcFile(const std::string& pid, const char* name)
{
    return ReadFileText("Z:\\proc\\" + pid + "\\" + name);
}

int UnixPid(const char* exeName)
{
    char prefix[MAX_PATH];
    DWORD len = GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    if (len == 0 || len >= sizeof prefix)
        return 0;
    std::string ours = std::string("WINEPREFIX=") + prefix;
    ours.push_back('\0');
    int found = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA("Z:\\proc\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (fd.cFileName[0] < '1' || fd.cFileName[0] > '9')
            continue;
        std::string cmd = ReadProcFile(fd.cFileName, "cmdline");
        size_t at = cmd.find(exeName);
        if (at == std::string::npos || at == 0 || (cmd[at - 1] != '\\' && cmd[at - 1] != '/'))
            continue;
        // Each variable of the environment ends in a NUL: the whole entry.
        std::string env = std::string(1, '\0') + ReadProcFile(fd.cFileName, "environ");
        if (env.find(std::string(1, '\0') + ours) != std::string::npos)
            found = atoi(fd.cFileName);
    } while (!found && FindNextFileA(h, &fd));
    FindClose(h);
    return found;
}

char UnixState(int pid)
{
    // "pid (name) S ...": the state follows the name's closing parenthesis.
    std::string stat = ReadProcFile(std::to_string(pid), "stat");
    size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() ? stat[close + 2] : 0;
}

bool UnixSignal(int pid, const char* signal)
{
    Program p;
    return Start(std::string("/bin/kill -") + signal + " " + std::to_string(pid), &p);
}

// --- Windows -------------------------------------------------------------------

HWND WaitForWindow(const char* cls, const char* title, DWORD timeoutMs)
{
    HWND found = NULL;
    WaitFor([&] { return (found = FindWindowA(cls, title)) != NULL; }, timeoutMs);
    return found;
}

std::wstring Wide(const std::string& text)
{
    std::vector<wchar_t> out(text.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), (int)out.size());
    return out.data();
}

static std::string Narrow(UINT page, const std::wstring& text)
{
    std::vector<char> out(4 * text.size() + 1);
    WideCharToMultiByte(page, 0, text.c_str(), -1, out.data(), (int)out.size(), NULL, NULL);
    return out.data();
}

std::string Ansi(const std::wstring& text) { return Narrow(CP_ACP, text); }
std::string Utf8(const std::wstring& text) { return Narrow(CP_UTF8, text); }

std::string WindowText(HWND hWnd)
{
    char text[16384];
    DWORD_PTR len = 0;
    text[0] = 0;
    if (!SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                             &len))
        return "";
    text[sizeof text - 1] = 0;
    return text;
}

bool BringToFront(HWND hWnd, DWORD timeoutMs)
{
    return WaitFor(
        [&] {
            if (GetForegroundWindow() == hWnd)
                return true;
            SetForegroundWindow(hWnd);
            return false;
        },
        timeoutMs);
}

bool HasFocus(HWND control)
{
    GUITHREADINFO gi;
    memset(&gi, 0, sizeof gi);
    gi.cbSize = sizeof gi;
    return GetGUIThreadInfo(GetWindowThreadProcessId(control, NULL), &gi) &&
           gi.hwndFocus == control && GetForegroundWindow() == GetAncestor(control, GA_ROOT);
}

bool FocusDialogControl(HWND dialog, HWND control, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        BringToFront(dialog, 1000);
        DWORD_PTR r;
        SendMessageTimeoutA(dialog, WM_NEXTDLGCTL, (WPARAM)control, TRUE, SMTO_ABORTIFHUNG, 2000, &r);
        if (WaitFor([&] { return HasFocus(control); }, 1000)) {
            Settle(300);
            if (HasFocus(control))
                return true;
        }
    }
    return false;
}

// --- Keys ----------------------------------------------------------------------

static void SendKey(WORD vk, bool up)
{
    INPUT in;
    memset(&in, 0, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = (WORD)MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void KeyDown(WORD vk) { SendKey(vk, false); }
void KeyUp(WORD vk) { SendKey(vk, true); }

void Tap(WORD vk)
{
    KeyDown(vk);
    KeyUp(vk);
}

void CtrlShiftTap(WORD vk)
{
    KeyDown(VK_CONTROL);
    KeyDown(VK_SHIFT);
    Tap(vk);
    KeyUp(VK_SHIFT);
    KeyUp(VK_CONTROL);
}

void CtrlTap(WORD vk)
{
    KeyDown(VK_CONTROL);
    Tap(vk);
    KeyUp(VK_CONTROL);
}

void TypeText(const char* text)
{
    for (const char* p = text; *p; ++p) {
        SHORT v = VkKeyScanA(*p);
        if (v == -1)
            continue;
        bool shift = (v & 0x100) != 0;
        if (shift)
            KeyDown(VK_SHIFT);
        Tap((WORD)(v & 0xFF));
        if (shift)
            KeyUp(VK_SHIFT);
    }
}

bool XDoTool(const std::string& args)
{
    // Wine runs a Unix program without a process handle to wait on: the
    // caller waits for the keys' effect instead.
    Program p;
    return Start("/usr/bin/xdotool " + args, &p);
}

bool XKeysTo(const char* title, const std::string& keys)
{
    return XDoTool(std::string("search --name \"^") + title + "$\" windowfocus --sync %1 key --delay 30 " + keys);
}

// --- Message boxes -------------------------------------------------------------

MessageBoxWatcher::MessageBoxWatcher()
{
    InitializeCriticalSection(&lock_);
    thread_ = CreateThread(NULL, 0, Thread, this, 0, NULL);
}

MessageBoxWatcher::~MessageBoxWatcher()
{
    InterlockedExchange(&stop_, 1);
    if (thread_) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    DeleteCriticalSection(&lock_);
}

std::vector<std::string> MessageBoxWatcher::Texts()
{
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = texts_;
    LeaveCriticalSection(&lock_);
    return copy;
}

bool MessageBoxWatcher::WaitForBox(const std::string& needle, DWORD timeoutMs)
{
    return WaitFor(
        [&] {
            for (const std::string& t : Texts())
                if (t.find(needle) != std::string::npos)
                    return true;
            return false;
        },
        timeoutMs);
}

struct BoxSearch {
    DWORD self;
    HWND found;
};

static BOOL CALLBACK FindBox(HWND hWnd, LPARAM lParam)
{
    BoxSearch* s = (BoxSearch*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    char cls[32];
    if (pid != s->self && IsWindowVisible(hWnd) && GetClassNameA(hWnd, cls, sizeof cls) &&
        strcmp(cls, "#32770") == 0 && GetDlgItem(hWnd, 0xFFFF)) {
        s->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI MessageBoxWatcher::Thread(void* self)
{
    MessageBoxWatcher* w = (MessageBoxWatcher*)self;
    while (!w->stop_) {
        BoxSearch s = {GetCurrentProcessId(), NULL};
        EnumWindows(FindBox, (LPARAM)&s);
        if (s.found) {
            std::string text = WindowText(s.found) + ": " + WindowText(GetDlgItem(s.found, 0xFFFF));
            EnterCriticalSection(&w->lock_);
            w->texts_.push_back(text);
            LeaveCriticalSection(&w->lock_);
            // The box's own answer (OK, or Cancel when it has one).
            PostMessageA(s.found, WM_COMMAND, GetDlgItem(s.found, IDOK) ? IDOK : IDCANCEL, 0);
            WaitFor([&] { return !IsWindow(s.found) || !IsWindowVisible(s.found); }, 3000);
        }
        Sleep(50);
    }
    return 0;
}

// --- Shared block --------------------------------------------------------------

bool SharedBlock::Load()
{
    if (!dll_)
        dll_ = LoadLibraryW((BinDirW() + L"QRHook.dll").c_str());
    return dll_ != NULL;
}

// --- Settings ------------------------------------------------------------------

std::string SettingsPath()
{
    char dir[MAX_PATH];
    UINT len = GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir, len < sizeof dir ? len : 0) + "\\Quillrun.Ini";
}

std::string UserSettingsPath()
{
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Quillrun\\Quillrun.Ini";
}

// Whether a file can be created in a folder, or an existing file opened for
// writing.
static bool Writable(const std::string& winPath)
{
    DWORD attributes = GetFileAttributesA(winPath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::string probe = winPath + "\\qr-probe.tmp";
        HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(h);
        DeleteFileA(probe.c_str());
        return true;
    }
    HANDLE h = CreateFileA(winPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
    return true;
}

bool SetImmutable(const std::string& winPath, bool immutable)
{
    // Wine's own export names the Unix file behind a Windows path.
    typedef char*(CDECL * UnixNameProc)(LPCWSTR);
    UnixNameProc unixName = (UnixNameProc)(void (*)(void))GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                          "wine_get_unix_file_name");
    wchar_t wide[MAX_PATH];
    if (!unixName || GetFileAttributesA(winPath.c_str()) == INVALID_FILE_ATTRIBUTES ||
        !MultiByteToWideChar(CP_ACP, 0, winPath.c_str(), -1, wide, MAX_PATH))
        return false;
    char* path = unixName(wide);
    if (!path)
        return false;
    // Wine gives no handle for a Unix program it starts, so chattr's end is
    // seen through a marker file its shell writes.  Probing before it ends
    // can leave the probe file in a folder that turned immutable meanwhile.
    static int calls;
    char marker[64];
    snprintf(marker, sizeof marker, "/tmp/qr-chattr-%lu-%d", GetCurrentProcessId(), ++calls);
    std::string winMarker = std::string("Z:") + marker;
    for (char& c : winMarker)
        c = c == '/' ? '\\' : c;
    Program p;
    bool started = Start(std::string("/bin/sh -c \"/usr/bin/chattr ") + (immutable ? "+i '" : "-i '") + path +
                             "'; echo $? >" + marker + "\"",
                         &p);
    HeapFree(GetProcessHeap(), 0, path);
    std::string status;
    bool ended = started && WaitFor([&] {
        status = ReadFileText(winMarker);
        return !status.empty();
    });
    DeleteFileA(winMarker.c_str());
    return ended && status[0] == '0' && Writable(winPath) != immutable;
}

bool WriteSettings(const std::vector<std::string>& lines)
{
    // Profile functions cache files; flush before replacing the file.
    WritePrivateProfileStringA(NULL, NULL, NULL, "Quillrun.Ini");
    FILE* f = fopen(SettingsPath().c_str(), "wb");
    if (!f)
        return false;
    for (const std::string& l : lines)
        fprintf(f, "%s\r\n", l.c_str());
    fclose(f);
    return true;
}

std::string ReadSetting(const char* key)
{
    char value[512] = "";
    GetPrivateProfileStringA("Quillrun", key, "", value, sizeof value, "Quillrun.Ini");
    return value;
}

// --- Host ----------------------------------------------------------------------

bool Host::Start(const std::wstring& program)
{
    bool started = program.empty() ? qr::Start("\"" + BinDir() + "Quillrun.exe\"", &proc_)
                                   : qr::Start(L"\"" + program + L"\"", &proc_);
    if (!started)
        return false;
    hWnd_ = WaitForWindow("Quillrun", NULL);
    if (!hWnd_)
        return false;
    // The line may go on (a carried-over file, say).
    if (!WaitFor([&] { return StateLine().rfind("Hooks installed.", 0) == 0; }))
        return false;
    // The host shows its window, and takes the front, just after the line
    // says the hooks are in: its start is over only then.  A program brought
    // to the front before would lose it again, and keys typed for it would
    // go to the host.
    WaitFor([&] { return IsWindowVisible(hWnd_) && GetForegroundWindow() == hWnd_; }, 3000);
    Settle(300);
    return true;
}

bool Host::Close()
{
    // Closing the window only hides the host behind its icon: File > Exit.
    if (hWnd_)
        PostMessageA(hWnd_, WM_COMMAND, IDM_EXIT, 0);
    bool ended = proc_.WaitExit();
    hWnd_ = NULL;
    return ended;
}

std::string Host::StateLine() const { return WindowText(GetDlgItem(hWnd_, 301)); }
std::string Host::HotKeyLine() const { return WindowText(GetDlgItem(hWnd_, 300)); }

void Host::Command(int id) const
{
    DWORD_PTR r;
    SendMessageTimeoutA(hWnd_, WM_COMMAND, (WPARAM)id, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

LRESULT Host::Ask(UINT msg, WPARAM wParam, LPARAM lParam) const
{
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(hWnd_, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &r))
        return -1;
    return (LRESULT)r;
}

// --- Target --------------------------------------------------------------------

bool Target::Start(const std::string& folder)
{
    if (!qr::Start("\"" + folder + "qr_target.exe\"", &proc_))
        return false;
    // Another target (of the other width) may run already: this one's window.
    WaitFor([&] {
        for (hWnd_ = FindWindowA("QRTarget", NULL); hWnd_; hWnd_ = FindWindowExA(NULL, hWnd_, "QRTarget", NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hWnd_, &pid);
            if (pid == proc_.pi.dwProcessId)
                return true;
        }
        return false;
    }, 10000);
    return hWnd_ != NULL;
}

// The target keeps nothing worth a graceful end, and ending a Wine process
// through its window takes seconds.
void Target::Close()
{
    proc_.Kill();
    hWnd_ = NULL;
}

// A window shown a moment before (a host just started) may still take the
// foreground back when the X server's focus event for it arrives, after the
// target was brought to the front: keys typed then go to that window.  So
// the target must still hold the foreground a moment later.
bool Target::Focus(int id)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        if (!BringToFront(hWnd_, 2000))
            continue;
        DWORD_PTR r = 0;
        if (WaitFor([&] {
                return SendMessageTimeoutA(hWnd_, WM_APP + 1, (WPARAM)id, 0, SMTO_ABORTIFHUNG, 2000, &r) &&
                       r == 1 && GetForegroundWindow() == hWnd_;
            }, 2000)) {
            Settle(300);
            if (GetForegroundWindow() == hWnd_)
                return true;
        }
    }
    return false;
}

std::string Target::Log() const { return WindowText(GetDlgItem(hWnd_, 4)); }

void Target::ClearLog() const
{
    DWORD_PTR r;
    SendMessageTimeoutA(hWnd_, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
}

bool Target::WaitForLog(const std::string& item, DWORD timeoutMs) const
{
    return WaitFor([&] { return Log().find(item) != std::string::npos; }, timeoutMs);
}

void Target::SetText(int id, const char* text) const
{
    DWORD_PTR r;
    SendMessageTimeoutA(Edit(id), WM_SETTEXT, 0, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &r);
}

std::wstring Target::TextW(int id) const
{
    wchar_t text[1024];
    DWORD_PTR len = 0;
    text[0] = 0;
    if (!SendMessageTimeoutW(Edit(id), WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &len))
        return L"";
    text[1023] = 0;
    return text;
}

void Target::SetTextW(int id, const std::wstring& text) const
{
    DWORD_PTR r;
    SendMessageTimeoutW(Edit(id), WM_SETTEXT, 0, (LPARAM)text.c_str(), SMTO_ABORTIFHUNG, 5000, &r);
}

bool Target::SetImeOpen(bool open) const
{
    DWORD_PTR r = 0;
    return SendMessageTimeoutA(hWnd_, WM_APP + 2, open, 0, SMTO_ABORTIFHUNG, 5000, &r) && (LONG_PTR)r > 0;
}

int Target::ImeOpen() const
{
    DWORD_PTR r = (DWORD_PTR)-1;
    if (!SendMessageTimeoutA(hWnd_, WM_APP + 3, 0, 0, SMTO_ABORTIFHUNG, 5000, &r))
        return -1;
    return (int)(LONG_PTR)r;
}

std::string Target::SystemMenuItem(UINT command) const
{
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(hWnd_, WM_APP + 4, command, 0, SMTO_ABORTIFHUNG, 5000, &r) || (LONG_PTR)r < 0)
        return "";
    return WindowText(GetDlgItem(hWnd_, 5));
}

std::string Down(WORD vk)
{
    char s[8];
    snprintf(s, sizeof s, " d%02X", vk);
    return s;
}

std::string Up(WORD vk)
{
    char s[8];
    snprintf(s, sizeof s, " u%02X", vk);
    return s;
}

}  // namespace qr
