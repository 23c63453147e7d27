// winsim: the per-test folder, private-profile files, OpenFile, module names
// and the string functions of KERNEL32.
#include "state.h"

#include <winsim/sim_system.h>

#include <ctype.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace ws {

void resetInput();

static std::vector<void (*)()>& resetHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}

ResetHook::ResetHook(void (*fn)()) { resetHooks().push_back(fn); }

void runResetHooks()
{
    for (void (*fn)() : resetHooks())
        fn();
}

// The per-test folder is made once per process and emptied at every reset;
// emptying an already empty folder costs one directory listing, which keeps
// reset cheap for the fuzz targets that call it for every input.
static void emptyRoot(const std::string& root)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        if (entry.path().filename() == "WINDOWS" && fs::is_empty(entry.path(), ec))
            continue;
        fs::remove_all(entry.path(), ec);
    }
    fs::create_directories(root + "/WINDOWS", ec);
}

static void removeRootAtExit()
{
    std::error_code ec;
    if (!desk().root.empty() && desk().root != "/tmp")
        fs::remove_all(desk().root, ec);
}

void reset()
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    Desktop& d = desk();
    std::string root = d.root;
    d = Desktop();
    resetInput();
    runResetHooks();
    if (root.empty()) {
        char tmpl[] = "/tmp/winsim-XXXXXX";
        root = mkdtemp(tmpl) ? tmpl : "/tmp";
        atexit(removeRootAtExit);
    }
    d.root = root;
    emptyRoot(root);
}

std::string windowsDir() { return desk().root + "/WINDOWS"; }

// In the Windows folder a file name matches whatever the case of its letters,
// as on the platform's file systems.
static std::string inFolderCaseless(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0)
            return entry.path().string();
    return folder + "/" + name;
}

// "C:\dir\name" -> <root>/C/dir/name; a bare name -> the Windows folder (for
// profile files) or the current directory; other relative paths stay relative.
std::string hostPath(const char* winPath, bool inWindowsDir)
{
    std::string p = winPath ? winPath : "";
    for (size_t at = 0, step; (step = charSize(p, at)) != 0; at += step)
        if (p[at] == '\\')
            p[at] = '/';
    if (p.size() >= 2 && isalpha((unsigned char)p[0]) && p[1] == ':') {
        std::string rest = p.substr(2);
        if (rest.empty() || rest[0] != '/')
            rest = "/" + rest;
        return desk().root + "/" + (char)toupper((unsigned char)p[0]) + rest;
    }
    if (!p.empty() && p[0] == '/')
        return p;
    if (inWindowsDir && p.find('/') == std::string::npos)
        return inFolderCaseless(windowsDir(), p);
    std::string fromCurrent = relativeHostPath(winPath ? winPath : "");
    return fromCurrent.empty() ? p : fromCurrent;
}

static bool keptProfile(const std::string& host, std::string* text);
static void forgetProfile(const std::string& host);
static bool diskText(const std::string& host, std::string* text);

std::string readFile(const std::string& path)
{
    std::string host = hostPath(path.c_str(), true), text;
    if (!keptProfile(host, &text))
        diskText(host, &text);
    return text;
}

static void writeHostFile(const std::string& host, const std::string& text)
{
    forgetProfile(host);
    fs::create_directories(fs::path(host).parent_path());
    std::ofstream out(host, std::ios::binary);
    out << text;
}

void writeFile(const std::string& path, const std::string& text)
{
    writeHostFile(hostPath(path.c_str(), true), text);
}

void setModuleFileName(HINSTANCE inst, const std::string& name)
{
    desk().moduleNames[inst] = name;
}

// --- Profiles --------------------------------------------------------------

static std::function<bool(const std::string&, const std::string&)> gDuringWrite;
static std::function<void()> gDuringWriteFn;
static ResetHook gDuringWriteReset([] {
    gDuringWrite = nullptr;
    gDuringWriteFn = nullptr;
});

void runDuringProfileWrite(std::function<bool(const std::string&, const std::string&)> when,
                           std::function<void()> fn)
{
    gDuringWrite = std::move(when);
    gDuringWriteFn = std::move(fn);
}

// A file's text as lines, without their ends ("\r\n" or "\n").
static std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

static std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

static bool diskText(const std::string& host, std::string* text)
{
    std::ifstream in(host, std::ios::binary);
    if (!in)
        return false;
    std::stringstream ss;
    ss << in.rdbuf();
    *text = ss.str();
    return true;
}

// The fuzz targets reach the saves with nearly every input, and the save of
// the tables writes a few hundred values, each of which rewrites the whole
// file: there (WINSIM_PROFILES_IN_MEMORY) a profile file is read from the
// disk once, where a test put one, and from then on its lines are kept in
// memory, writes included, until the next reset.  The profile calls answer
// as with the file on the disk, and readFile reads what they wrote; the
// other file calls do not see it, and writeFile replaces it.
#ifdef WINSIM_PROFILES_IN_MEMORY
static std::map<std::string, std::vector<std::string>> gProfiles;
static ResetHook gProfilesReset([] { gProfiles.clear(); });
#endif

static bool keptProfile(const std::string& host, std::string* text)
{
#ifdef WINSIM_PROFILES_IN_MEMORY
    auto kept = gProfiles.find(host);
    if (kept != gProfiles.end()) {
        *text = joinLines(kept->second);
        return true;
    }
#endif
    return false;
}

static void forgetProfile(const std::string& host)
{
#ifdef WINSIM_PROFILES_IN_MEMORY
    gProfiles.erase(host);
#endif
}

// The lines of a profile file: the kept ones, or the disk's in *read.
static const std::vector<std::string>& profileLines(const std::string& host, std::vector<std::string>* read)
{
#ifdef WINSIM_PROFILES_IN_MEMORY
    auto kept = gProfiles.find(host);
    if (kept != gProfiles.end())
        return kept->second;
#endif
    std::string text;
    std::error_code ec;
    read->clear();
    if (!fs::is_regular_file(host, ec) || !diskText(host, &text))
        return *read;
#ifdef WINSIM_PROFILES_IN_MEMORY
    return gProfiles[host] = splitLines(text);
#else
    return *read = splitLines(text);
#endif
}

static bool storeProfile(const std::string& host, std::vector<std::string> lines)
{
#ifdef WINSIM_PROFILES_IN_MEMORY
    auto kept = gProfiles.find(host);
    if (kept == gProfiles.end()) {
        // Refused where the disk would refuse the file: no folder for it.
        std::error_code ec;
        fs::create_directories(fs::path(host).parent_path(), ec);
        if (!fs::is_directory(fs::path(host).parent_path(), ec) || fs::is_directory(host, ec))
            return false;
        kept = gProfiles.emplace(host, std::vector<std::string>()).first;
    }
    // Kept as the file would read back: a value's line break starts a line.
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos) {
            lines = splitLines(joinLines(lines));
            break;
        }
    }
    kept->second = std::move(lines);
    return true;
#else
    std::error_code ec;
    fs::create_directories(fs::path(host).parent_path(), ec);
    std::ofstream f(host, std::ios::binary | std::ios::trunc);
    return f && (f << joinLines(lines));
#endif
}

static std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return "";
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

static bool isSection(const std::string& line, std::string* name)
{
    std::string t = trim(line);
    if (t.size() < 2 || t[0] != '[')
        return false;
    size_t close = t.find(']');
    if (close == std::string::npos)
        return false;
    *name = trim(t.substr(1, close - 1));
    return true;
}

static bool splitKey(const std::string& line, std::string* key, std::string* value)
{
    size_t eq = line.find('=');
    if (eq == std::string::npos)
        return false;
    *key = trim(line.substr(0, eq));
    *value = trim(line.substr(eq + 1));
    return true;
}

// Looks a key up; false when the file, the section or the key is missing.
static bool lookup(const std::string& host, const char* section, const char* key, std::string* out)
{
    std::string current, k, v;
    bool inSection = false;
    std::vector<std::string> read;
    for (const std::string& line : profileLines(host, &read)) {
        if (isSection(line, &current)) {
            inSection = strcasecmp(current.c_str(), section) == 0;
            continue;
        }
        if (inSection && splitKey(line, &k, &v) && strcasecmp(k.c_str(), key) == 0) {
            // A value in matching quotes loses them.
            if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
                v = v.substr(1, v.size() - 2);
            *out = v;
            return true;
        }
    }
    return false;
}

// UTF-16 as UTF-8 (a lone surrogate as U+FFFD).
static std::string utf8Of(const std::u16string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        else if (cp >= 0xD800 && cp < 0xE000)
            cp = 0xFFFD;
        if (cp < 0x80) {
            out += (char)cp;
        } else if (cp < 0x800) {
            out += (char)(0xC0 | (cp >> 6));
            out += (char)(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += (char)(0xE0 | (cp >> 12));
            out += (char)(0x80 | ((cp >> 6) & 0x3F));
            out += (char)(0x80 | (cp & 0x3F));
        } else {
            out += (char)(0xF0 | (cp >> 18));
            out += (char)(0x80 | ((cp >> 12) & 0x3F));
            out += (char)(0x80 | ((cp >> 6) & 0x3F));
            out += (char)(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// The host file a W path names: the same file as its code-page form where
// the code page writes it whole; otherwise a file of its own (named in
// UTF-8), which no code-page path reaches.
static std::string hostPathW(LPCWSTR path)
{
    std::u16string p = path ? (const char16_t*)path : u"";
    bool lost = false;
    std::string cp = ansiOf(p, &lost);
    if (lost) {
        for (char16_t& c : p)
            if (c == u'\\')
                c = u'/';
        cp = utf8Of(p);
    }
    return hostPath(cp.c_str(), true);
}

void writeFile(const std::u16string& path, const std::string& text)
{
    writeHostFile(hostPathW(path.c_str()), text);
}

static std::string ansiArg(LPCWSTR text)
{
    return ansiOf(text ? std::u16string((const char16_t*)text) : std::u16string());
}

}  // namespace ws

using namespace ws;

extern "C" {

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    if (!lpAppName || !lpKeyName)
        return (UINT)nDefault;
    return GetPrivateProfileIntA(ansiArg(lpAppName).c_str(), ansiArg(lpKeyName).c_str(), nDefault,
                                 hostPathW(lpFileName).c_str());
}

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    std::string v(2 * nSize + 2, '\0');
    std::string def = ansiArg(lpDefault);
    if (lpAppName && lpKeyName)
        GetPrivateProfileStringA(ansiArg(lpAppName).c_str(), ansiArg(lpKeyName).c_str(), def.c_str(), &v[0],
                                 (DWORD)v.size(), hostPathW(lpFileName).c_str());
    else
        v = def;
    std::u16string w = wideOf(v.c_str());
    size_t n = w.size() < nSize - 1 ? w.size() : nSize - 1;
    memcpy(lpReturnedString, w.data(), n * sizeof(WCHAR));
    lpReturnedString[n] = 0;
    return (DWORD)n;
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (!lpAppName || !lpFileName)
        return FALSE;
    std::string key = ansiArg(lpKeyName), value = ansiArg(lpString);
    return WritePrivateProfileStringA(ansiArg(lpAppName).c_str(), lpKeyName ? key.c_str() : nullptr,
                                      lpString ? value.c_str() : nullptr, hostPathW(lpFileName).c_str());
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    std::string v;
    if (!lpAppName || !lpKeyName || !lookup(hostPath(lpFileName, true), lpAppName, lpKeyName, &v) || v.empty())
        return (UINT)nDefault;
    // Leading decimal digits, with an optional sign; text without digits is 0.
    return (UINT)strtol(v.c_str(), nullptr, 10);
}

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                               LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName)
{
    if (!lpReturnedString || nSize == 0)
        return 0;
    std::string v;
    if (!lpAppName || !lpKeyName || !lookup(hostPath(lpFileName, true), lpAppName, lpKeyName, &v))
        v = lpDefault ? lpDefault : "";
    size_t n = v.size() < nSize - 1 ? v.size() : nSize - 1;
    memcpy(lpReturnedString, v.data(), n);
    lpReturnedString[n] = 0;
    return (DWORD)n;
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                LPCSTR lpFileName)
{
    if (!lpAppName || !lpFileName)
        return FALSE;
    if (gDuringWrite && gDuringWrite(lpAppName, lpKeyName ? lpKeyName : "")) {
        std::function<void()> fn = std::move(gDuringWriteFn);
        gDuringWrite = nullptr;
        gDuringWriteFn = nullptr;
        fn();
    }
    std::string host = hostPath(lpFileName, true);
    std::vector<std::string> read;
    const std::vector<std::string>& lines = profileLines(host, &read);
    std::vector<std::string> out;
    out.reserve(lines.size() + 2);
    std::string current, k, v;
    bool inSection = false, sectionSeen = false, done = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (isSection(line, &current)) {
            if (inSection && !done && lpKeyName && lpString) {
                out.push_back(std::string(lpKeyName) + "=" + lpString);
                done = true;
            }
            inSection = strcasecmp(current.c_str(), lpAppName) == 0;
            if (inSection) {
                sectionSeen = true;
                if (!lpKeyName)
                    continue;  // the whole section is deleted
            }
            out.push_back(line);
            continue;
        }
        if (inSection) {
            if (!lpKeyName)
                continue;
            if (splitKey(line, &k, &v) && strcasecmp(k.c_str(), lpKeyName) == 0) {
                if (lpString && !done)
                    out.push_back(std::string(lpKeyName) + "=" + lpString);
                done = true;
                continue;
            }
        }
        out.push_back(line);
    }
    if (inSection && !done && lpKeyName && lpString) {
        out.push_back(std::string(lpKeyName) + "=" + lpString);
        done = true;
    }
    if (!sectionSeen && lpKeyName && lpString) {
        out.push_back(std::string("[") + lpAppName + "]");
        out.push_back(std::string(lpKeyName) + "=" + lpString);
    }
    if (!storeProfile(host, std::move(out)))
        return FALSE;
    record(std::string("WritePrivateProfileStringA(\"") + lpAppName + "\", \"" +
           (lpKeyName ? lpKeyName : "(null)") + "\", \"" + (lpString ? lpString : "(null)") +
           "\", \"" + lpFileName + "\")");
    return TRUE;
}

BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES)
{
    std::error_code ec;
    return lpPathName && fs::create_directory(hostPathW(lpPathName), ec);
}

HFILE OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle)
{
    record(std::string("OpenFile(\"") + (lpFileName ? lpFileName : "") + "\", " +
           std::to_string(uStyle) + ")");
    if (!lpFileName || !lpReOpenBuff)
        return HFILE_ERROR;
    memset(lpReOpenBuff, 0, sizeof *lpReOpenBuff);
    lpReOpenBuff->cBytes = sizeof *lpReOpenBuff;
    // The record receives the full path of the file found (see searchFile).
    std::string found, host;
    if (!searchFile(lpFileName, &found, &host)) {
        lpReOpenBuff->nErrCode = 2;  // file not found
        return HFILE_ERROR;
    }
    size_t n = found.size();
    if (n > sizeof lpReOpenBuff->szPathName - 1)
        n = sizeof lpReOpenBuff->szPathName - 1;
    memcpy(lpReOpenBuff->szPathName, found.data(), n);
    lpReOpenBuff->szPathName[n] = 0;
    return 1;
}

// Copies at most nSize characters and terminates within nSize (the name is cut
// when it does not fit, as Windows XP and later do).
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    if (!lpFilename || nSize == 0)
        return 0;
    auto it = desk().moduleNames.find(hModule);
    std::string name = it == desk().moduleNames.end() ? "" : it->second;
    if (name.size() >= nSize) {
        memcpy(lpFilename, name.data(), nSize - 1);
        lpFilename[nSize - 1] = 0;
        return nSize;
    }
    memcpy(lpFilename, name.c_str(), name.size() + 1);
    return (DWORD)name.size();
}

int lstrcmpA(LPCSTR a, LPCSTR b) { return strcmp(a ? a : "", b ? b : ""); }
int lstrcmpiA(LPCSTR a, LPCSTR b) { return strcasecmp(a ? a : "", b ? b : ""); }
int lstrlenA(LPCSTR s) { return s ? (int)strlen(s) : 0; }

LONG InterlockedCompareExchange(LONG volatile* dst, LONG exchange, LONG comparand)
{
    return __sync_val_compare_and_swap(dst, comparand, exchange);
}

}  // extern "C"
