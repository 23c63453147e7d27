// winsim: privileges, ExitWindowsEx, WinExec, ShellExecuteA, system cursors,
// capture, the code page helpers and the current directory.
#include "state.h"

#include <winsim/sim_system.h>
#include <shellapi.h>

#include <ctype.h>
#include <string.h>

#include <filesystem>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace ws {

namespace {

struct SystemState {
    BOOL exitResult = TRUE;
    bool privileges = true;
    std::set<uintptr_t> tokens;  // open token handles
    uintptr_t nextToken = 0x7A00;
    DWORD integrityRid = SECURITY_MANDATORY_MEDIUM_RID;
    bool appContainer = false;
    bool tokenQueriesFail = false;
    std::function<void()> duringLookup;
    UINT winExecResult = 33;
    ShellAnswer shellAnswer;
    std::map<std::pair<HINSTANCE, std::string>, HCURSOR> cursors;
    std::map<HCURSOR, std::string> cursorNames;
    uintptr_t nextCursor = 0x7700;
    HCURSOR normal = NULL;
    HWND capture = NULL;
    UINT codePage = 932;
    std::string curDir;  // "" until a directory is made current
};

SystemState& st()
{
    static SystemState s;
    return s;
}

ResetHook resetSystem([] { st() = SystemState(); });

std::string q(const char* s) { return s ? "\"" + std::string(s) + "\"" : "NULL"; }

}  // namespace

void setExitWindowsResult(BOOL result) { st().exitResult = result; }
void setPrivilegeServices(bool present) { st().privileges = present; }
void setProcessToken(DWORD integrityRid, bool appContainer, bool queriesFail)
{
    st().integrityRid = integrityRid;
    st().appContainer = appContainer;
    st().tokenQueriesFail = queriesFail;
}
int openTokenCount() { return (int)st().tokens.size(); }
void runDuringNextPrivilegeLookup(std::function<void()> fn) { st().duringLookup = std::move(fn); }
void setWinExecResult(UINT result) { st().winExecResult = result; }
void setShellExecuteAnswer(ShellAnswer answer) { st().shellAnswer = std::move(answer); }

HCURSOR addCursor(HINSTANCE inst, const std::string& name)
{
    std::string key = name;
    for (char& c : key)
        c = (char)toupper((unsigned char)c);
    HCURSOR h = (HCURSOR)st().nextCursor++;
    st().cursors[{inst, key}] = h;
    st().cursorNames[h] = name;
    return h;
}

HCURSOR normalPointer() { return st().normal; }

std::string cursorName(HCURSOR cursor)
{
    auto it = st().cursorNames.find(cursor);
    return it == st().cursorNames.end() ? "" : it->second;
}

HWND captureWindow() { return st().capture; }
void setCodePage(UINT codePage) { st().codePage = codePage; }

void forEachCodePage(const std::function<void(UINT codePage)>& fn)
{
    for (UINT codePage : {1252u, 932u}) {
        setCodePage(codePage);
        fn(codePage);
    }
}

// --- Paths -----------------------------------------------------------------

std::string currentDirectory() { return st().curDir.empty() ? "C:\\" : st().curDir; }

// A Windows path made absolute against the current directory, with "." and
// ".." resolved: "C:\A\B" (the root is "C:\").
std::string absoluteWinPath(const std::string& path)
{
    std::string p = path;
    for (size_t at = 0, step; (step = charSize(p, at)) != 0; at += step)
        if (p[at] == '/')
            p[at] = '\\';
    std::string base = currentDirectory();
    std::string full;
    if (p.size() >= 2 && isalpha((unsigned char)p[0]) && p[1] == ':') {
        char drive = (char)toupper((unsigned char)p[0]);
        std::string rest = p.substr(2);
        if (!rest.empty() && rest[0] == '\\')
            full = std::string(1, drive) + ":" + rest;
        else if (toupper((unsigned char)base[0]) == drive)
            full = base + "\\" + rest;
        else
            full = std::string(1, drive) + ":\\" + rest;
    } else if (!p.empty() && p[0] == '\\') {
        full = base.substr(0, 2) + p;
    } else {
        full = base + "\\" + p;
    }
    std::vector<std::string> parts;
    size_t i = 3;
    while (i <= full.size()) {
        size_t j = findChar(full, '\\', i);
        if (j == std::string::npos)
            j = full.size();
        std::string part = full.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out = full.substr(0, 2) + "\\";
    for (size_t k = 0; k < parts.size(); ++k)
        out += (k ? "\\" : "") + parts[k];
    return out;
}

// OpenFile's search: a name with a path is taken as it stands (relative to
// the current directory); a bare name is looked for in the current directory
// and then in the Windows folder.
bool searchFile(const char* name, std::string* winPath, std::string* host)
{
    std::string n = name ? name : "";
    std::error_code ec;
    if (n.empty())
        return false;
    bool bare = n.find_first_of("\\/:") == std::string::npos;
    if (!bare || !st().curDir.empty()) {
        std::string w = absoluteWinPath(n);
        std::string h = hostPath(w.c_str(), false);
        if (fs::is_regular_file(h, ec)) {
            *winPath = w;
            *host = h;
            return true;
        }
        if (!bare)
            return false;
    }
    std::string h = hostPath(n.c_str(), true);
    if (fs::is_regular_file(h, ec)) {
        *winPath = "C:\\WINDOWS\\" + fs::path(h).filename().string();
        *host = h;
        return true;
    }
    return false;
}

// Relative paths resolve against the current directory once one is set.
std::string relativeHostPath(const std::string& winPath)
{
    if (st().curDir.empty())
        return "";
    return hostPath(absoluteWinPath(winPath).c_str(), false);
}

size_t charSize(const std::string& s, size_t at)
{
    if (at >= s.size() || s[at] == 0)
        return 0;
    return IsDBCSLeadByte((BYTE)s[at]) && at + 1 < s.size() && s[at + 1] != 0 ? 2 : 1;
}

size_t findChar(const std::string& s, char c, size_t from)
{
    for (size_t at = from, step; (step = charSize(s, at)) != 0; at += step)
        if (step == 1 && s[at] == c)
            return at;
    return std::string::npos;
}

size_t findLastCharOf(const std::string& s, const char* set)
{
    size_t last = std::string::npos;
    for (size_t at = 0, step; (step = charSize(s, at)) != 0; at += step)
        if (step == 1 && strchr(set, s[at]))
            last = at;
    return last;
}

}  // namespace ws

using namespace ws;

extern "C" {

HANDLE GetCurrentProcess(void) { return (HANDLE)(intptr_t)-1; }

BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle)
{
    record("OpenProcessToken(" + fmtHandle(ProcessHandle) + ", 0x" +
           [&] { char b[16]; snprintf(b, sizeof b, "%X", DesiredAccess); return std::string(b); }() + ")");
    if (!TokenHandle)
        return FALSE;
    if (!st().privileges) {
        *TokenHandle = NULL;
        return FALSE;
    }
    *TokenHandle = (HANDLE)st().nextToken;
    st().tokens.insert(st().nextToken++);
    return TRUE;
}

BOOL LookupPrivilegeValueA(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid)
{
    record("LookupPrivilegeValueA(" + q(lpSystemName) + ", " + q(lpName) + ")");
    if (st().duringLookup) {
        std::function<void()> fn = std::move(st().duringLookup);
        st().duringLookup = nullptr;
        fn();
    }
    if (!st().privileges || !lpLuid || !lpName || strcmp(lpName, SE_SHUTDOWN_NAME) != 0)
        return FALSE;
    lpLuid->LowPart = 19;  // the shut-down privilege's number on NT
    lpLuid->HighPart = 0;
    return TRUE;
}

BOOL AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                           DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength)
{
    std::string s = "AdjustTokenPrivileges(" + fmtHandle(TokenHandle) + ", " +
                    std::to_string(DisableAllPrivileges) + ", ";
    if (NewState)
        s += "{" + std::to_string(NewState->PrivilegeCount) + ", " +
             std::to_string(NewState->Privileges[0].Luid.LowPart) + ", " +
             std::to_string(NewState->Privileges[0].Attributes) + "}";
    else
        s += "NULL";
    s += ", " + std::to_string(BufferLength) + ", " + (PreviousState ? "buffer" : "NULL") + ", " +
         (ReturnLength ? "buffer" : "NULL") + ")";
    record(s);
    return st().privileges && st().tokens.count((uintptr_t)TokenHandle) && NewState;
}

BOOL CloseHandle(HANDLE hObject)
{
    record("CloseHandle(" + fmtHandle(hObject) + ")");
    return st().tokens.erase((uintptr_t)hObject) ? TRUE : FALSE;
}

static thread_local DWORD lastError;
DWORD GetLastError(void) { return lastError; }
void SetLastError(DWORD dwErrCode) { lastError = dwErrCode; }

// The documented layout: a TOKEN_MANDATORY_LABEL whose SID follows it in the
// caller's buffer; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER and
// the size needed.
BOOL GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass, LPVOID TokenInformation,
                         DWORD TokenInformationLength, LPDWORD ReturnLength)
{
    record("GetTokenInformation(" + fmtHandle(TokenHandle) + ", " + std::to_string((int)TokenInformationClass) + ")");
    if (!st().tokens.count((uintptr_t)TokenHandle) || st().tokenQueriesFail || !ReturnLength) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD need;
    if (TokenInformationClass == TokenIntegrityLevel)
        need = sizeof(TOKEN_MANDATORY_LABEL) + sizeof(SID);
    else if (TokenInformationClass == TokenIsAppContainer)
        need = sizeof(DWORD);
    else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *ReturnLength = need;
    if (!TokenInformation || TokenInformationLength < need) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (TokenInformationClass == TokenIsAppContainer) {
        DWORD value = st().appContainer ? 1 : 0;
        memcpy(TokenInformation, &value, sizeof value);
        return TRUE;
    }
    BYTE* out = (BYTE*)TokenInformation;
    SID sid = {1, 1, {{0, 0, 0, 0, 0, 16}}, {st().integrityRid}};
    memcpy(out + sizeof(TOKEN_MANDATORY_LABEL), &sid, sizeof sid);
    TOKEN_MANDATORY_LABEL label = {{out + sizeof(TOKEN_MANDATORY_LABEL), SE_GROUP_INTEGRITY | SE_GROUP_INTEGRITY_ENABLED}};
    memcpy(out, &label, sizeof label);
    return TRUE;
}


BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason)
{
    record("ExitWindowsEx(" + std::to_string(uFlags) + ", " + std::to_string(dwReason) + ")");
    return st().exitResult;
}

UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow)
{
    record("WinExec(" + q(lpCmdLine) + ", " + std::to_string(uCmdShow) + ")");
    return st().winExecResult;
}

HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd)
{
    record("ShellExecuteA(" + fmtHandle(hwnd) + ", " + q(lpOperation) + ", " + q(lpFile) + ", " +
           q(lpParameters) + ", " + q(lpDirectory) + ", " + std::to_string(nShowCmd) + ")");
    UINT_PTR r = 42;
    if (st().shellAnswer)
        r = st().shellAnswer(lpFile ? lpFile : "", lpParameters ? lpParameters : "");
    return (HINSTANCE)r;
}

HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName)
{
    if (!lpCursorName || (uintptr_t)lpCursorName < 0x10000)
        return NULL;
    std::string key = lpCursorName;
    for (char& c : key)
        c = (char)toupper((unsigned char)c);
    auto it = st().cursors.find({hInstance, key});
    return it == st().cursors.end() ? NULL : it->second;
}

BOOL SetSystemCursor(HCURSOR hcur, DWORD id)
{
    std::string name = cursorName(hcur);
    record("SetSystemCursor(" + (name.empty() ? fmtHandle(hcur) : "\"" + name + "\"") + ", " +
           std::to_string(id) + ")");
    if (!hcur || id != OCR_NORMAL)
        return FALSE;
    st().normal = hcur;
    return TRUE;
}

HWND SetCapture(HWND hWnd)
{
    record("SetCapture(" + fmtHandle(hWnd) + ")");
    HWND old = st().capture;
    st().capture = hWnd;
    return old;
}

BOOL ReleaseCapture(void)
{
    record("ReleaseCapture()");
    st().capture = NULL;
    return TRUE;
}

HWND GetCapture(void) { return st().capture; }

UINT GetACP(void) { return st().codePage; }

BOOL IsDBCSLeadByte(BYTE c)
{
    if (st().codePage != 932)
        return FALSE;
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

LPSTR CharNextA(LPCSTR s)
{
    if (!s || !*s)
        return (LPSTR)s;
    if (IsDBCSLeadByte((BYTE)*s) && s[1])
        return (LPSTR)(s + 2);
    return (LPSTR)(s + 1);
}

// The character before current: walks from the start, as the platform must
// for a double-byte code page.
LPSTR CharPrevA(LPCSTR start, LPCSTR current)
{
    if (!start || !current || current <= start)
        return (LPSTR)start;
    LPCSTR p = start;
    for (;;) {
        LPCSTR next = CharNextA(p);
        if (next >= current || next == p)
            return (LPSTR)p;
        p = next;
    }
}

// OEM and ANSI agree in the simulated code page: the text is copied.
BOOL OemToCharA(LPCSTR pSrc, LPSTR pDst)
{
    record("OemToCharA(" + q(pSrc) + ")");
    if (!pSrc || !pDst)
        return FALSE;
    if (pSrc != pDst)
        memmove(pDst, pSrc, strlen(pSrc) + 1);
    return TRUE;
}

BOOL SetCurrentDirectoryA(LPCSTR lpPathName)
{
    if (!lpPathName)
        return FALSE;
    std::string w = absoluteWinPath(lpPathName);
    std::error_code ec;
    if (!fs::is_directory(hostPath(w.c_str(), false), ec))
        return FALSE;
    st().curDir = w;
    return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer)
{
    std::string cur = currentDirectory();
    if (!lpBuffer || nBufferLength <= cur.size())
        return (DWORD)cur.size() + 1;
    memcpy(lpBuffer, cur.c_str(), cur.size() + 1);
    return (DWORD)cur.size();
}

}  // extern "C"
