// winsim: run-time loading (LoadLibraryA, GetProcAddress, FreeLibrary) of the
// stand-in libraries tests install, the stand-in input-method library
// "WinNLS32.Dll", and global memory (GlobalAlloc and friends).
#include "state.h"

#include <winsim_editline.h>

#include <string.h>
#include <strings.h>

#include <filesystem>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace ws {

namespace {

const char kImeFile[] = "WINNLS32.DLL";
const uintptr_t kImeModule = 0x7E000000;

struct GlobalBlock {
    std::unique_ptr<char[]> data;
    size_t size;
    UINT flags;
    int locks;
};

struct ModuleState {
    InputMethodLibrary ime;
    bool imeInstalled = false;
    DWORD imeOpen = 0;
    int imeRefs = 0;
    std::map<uintptr_t, GlobalBlock> blocks;  // handle -> block
    uintptr_t nextBlock = 0x5000;
    bool allocFails = false;
};

ModuleState& modules()
{
    static ModuleState s;
    return s;
}

ResetHook resetModules([] { modules() = ModuleState(); });

std::string caselessIn(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (strcasecmp(entry.path().filename().c_str(), name.c_str()) == 0)
            return entry.path().string();
    return "";
}

GlobalBlock* findBlock(HGLOBAL h)
{
    auto it = modules().blocks.find((uintptr_t)h);
    return it == modules().blocks.end() ? nullptr : &it->second;
}

// The stand-in's answer to a request block: IME_GETOPEN (fnc 5) gets the
// open state in wParam; other requests are left alone.
LRESULT imeRequest(const char* entry, HWND hwnd, LPARAM handle)
{
    record(std::string(entry) + "(" + fmtHandle(hwnd) + ", " + fmtHandle((void*)handle) + ")");
    DWORD* block = (DWORD*)GlobalLock((HGLOBAL)handle);
    if (!block)
        return FALSE;
    if (block[0] == 5)
        block[1] = modules().imeOpen;
    GlobalUnlock((HGLOBAL)handle);
    return TRUE;
}

LRESULT WINAPI SendIMEMessageExA(HWND hwnd, LPARAM handle)
{
    return imeRequest("SendIMEMessageExA", hwnd, handle);
}

LRESULT WINAPI IME32SendIMEMessageEx(HWND hwnd, LPARAM handle)
{
    return imeRequest("IME32SendIMEMessageEx", hwnd, handle);
}

BOOL WINAPI WINNLS32EnableIME(HWND hwnd, BOOL enable)
{
    record("WINNLS32EnableIME(" + fmtHandle(hwnd) + ", " + std::to_string(enable) + ")");
    BOOL was = modules().imeOpen != 0;
    modules().imeOpen = enable ? 1 : 0;
    return was;
}

struct Export {
    const char* name;
    FARPROC proc;
};
const Export kImeExports[] = {
    {"SendIMEMessageExA", (FARPROC)(void (*)(void))SendIMEMessageExA},
    {"IME32SendIMEMessageEx", (FARPROC)(void (*)(void))IME32SendIMEMessageEx},
    {"WINNLS32EnableIME", (FARPROC)(void (*)(void))WINNLS32EnableIME},
};

}  // namespace

// Where the platform looks for a file given by bare name: the Windows folder,
// then its system folder.  "" when it is in neither.
static std::string librarySearch(const char* name)
{
    if (!name || !*name || strpbrk(name, "\\/:"))
        return "";
    std::string found = caselessIn(windowsDir(), name);
    if (found.empty())
        found = caselessIn(windowsDir() + "/SYSTEM", name);
    return found;
}

void installInputMethod(const InputMethodLibrary& library)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    modules().ime = library;
    modules().imeInstalled = true;
    std::error_code ec;
    std::string folder = windowsDir();
    std::string existing = caselessIn(folder, kImeFile);
    if (!existing.empty())
        fs::remove(existing, ec);
    if (library.present)
        writeFile(folder + "/" + kImeFile, "stand-in input-method library");
}

void setInputMethodOpen(DWORD value) { modules().imeOpen = value; }
DWORD inputMethodOpen() { return modules().imeOpen; }
int loadedModules() { return modules().imeRefs; }
void setGlobalAllocFails(bool fails) { modules().allocFails = fails; }

int globalBlocksInUse() { return (int)modules().blocks.size(); }

}  // namespace ws

using namespace ws;

extern "C" {

HMODULE LoadLibraryA(LPCSTR lpLibFileName)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record(std::string("LoadLibraryA(\"") + (lpLibFileName ? lpLibFileName : "") + "\")");
    std::string file = librarySearch(lpLibFileName);
    if (file.empty() || strcasecmp(fs::path(file).filename().c_str(), kImeFile) != 0)
        return NULL;
    if (!modules().imeInstalled || !modules().ime.loadable)
        return NULL;
    ++modules().imeRefs;
    return (HMODULE)kImeModule;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record(std::string("GetProcAddress(") + fmtHandle(hModule) + ", \"" +
           (lpProcName ? lpProcName : "") + "\")");
    if ((uintptr_t)hModule != kImeModule || modules().imeRefs <= 0 || !lpProcName)
        return NULL;
    for (const std::string& gone : modules().ime.missing)
        if (gone == lpProcName)
            return NULL;
    for (const Export& e : kImeExports)
        if (strcmp(e.name, lpProcName) == 0)
            return e.proc;
    return NULL;
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("FreeLibrary(" + fmtHandle(hLibModule) + ")");
    if ((uintptr_t)hLibModule != kImeModule || modules().imeRefs <= 0)
        return FALSE;
    --modules().imeRefs;
    return TRUE;
}

// Movable blocks are handles, fixed ones their own address.  Memory not asked
// to be zeroed holds a fill pattern, so code that relies on zeros shows up.
HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    char buf[64];
    snprintf(buf, sizeof buf, "GlobalAlloc(0x%X, %zu)", uFlags, dwBytes);
    record(buf);
    if (modules().allocFails)
        return NULL;
    GlobalBlock b;
    b.size = dwBytes;
    b.flags = uFlags;
    b.locks = 0;
    b.data.reset(new char[dwBytes ? dwBytes : 1]);
    memset(b.data.get(), (uFlags & GMEM_ZEROINIT) ? 0 : 0xCD, dwBytes ? dwBytes : 1);
    uintptr_t handle;
    if (uFlags & GMEM_MOVEABLE) {
        handle = modules().nextBlock;
        modules().nextBlock += 8;
    } else {
        handle = (uintptr_t)b.data.get();
    }
    modules().blocks[handle] = std::move(b);
    return (HGLOBAL)handle;
}

LPVOID GlobalLock(HGLOBAL hMem)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    GlobalBlock* b = findBlock(hMem);
    if (!b)
        return NULL;
    if (b->flags & GMEM_MOVEABLE)
        ++b->locks;
    return b->data.get();
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    GlobalBlock* b = findBlock(hMem);
    if (!b || b->locks == 0)
        return FALSE;
    return --b->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("GlobalFree(" + fmtHandle(hMem) + ")");
    auto it = modules().blocks.find((uintptr_t)hMem);
    if (it == modules().blocks.end())
        return hMem;
    modules().blocks.erase(it);
    return NULL;
}

}  // extern "C"
