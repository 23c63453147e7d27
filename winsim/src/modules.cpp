// winsim: run-time loading (LoadLibraryA, GetProcAddress, FreeLibrary) of the
// stand-in libraries tests install, the stand-in input-method library
// "WinNLS32.Dll", the stand-in input-method manager "imm32.dll", and global
// memory (GlobalAlloc and friends).
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
const char kImmFile[] = "IMM32.DLL";
const uintptr_t kImmModule = 0x7D000000;
// Input contexts are handed out as this plus the window's handle.
const uintptr_t kContextBase = 0x6E000000;

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
    InputMethodManager imm;
    bool immInstalled = false;
    int immRefs = 0;
    std::map<HWND, bool> immOpen;      // open status per window
    std::map<HWND, bool> noContext;    // windows without an input context
    int contextsHeld = 0;
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

// The input-method manager: one input context per window, as the platform
// gives each window of a thread the thread's default context.
HANDLE WINAPI ImmGetContext(HWND hwnd)
{
    record("ImmGetContext(" + fmtHandle(hwnd) + ")");
    if (!hwnd || !exists(hwnd) || modules().noContext.count(hwnd))
        return NULL;
    ++modules().contextsHeld;
    return (HANDLE)(kContextBase + (uintptr_t)hwnd);
}

HWND contextWindow(HANDLE context)
{
    return (HWND)((uintptr_t)context - kContextBase);
}

BOOL WINAPI ImmGetOpenStatus(HANDLE context)
{
    record("ImmGetOpenStatus(" + fmtHandle(context) + ")");
    auto it = modules().immOpen.find(contextWindow(context));
    return it != modules().immOpen.end() && it->second;
}

BOOL WINAPI ImmSetOpenStatus(HANDLE context, BOOL open)
{
    record("ImmSetOpenStatus(" + fmtHandle(context) + ", " + std::to_string(open) + ")");
    modules().immOpen[contextWindow(context)] = open != 0;
    return TRUE;
}

BOOL WINAPI ImmReleaseContext(HWND hwnd, HANDLE context)
{
    record("ImmReleaseContext(" + fmtHandle(hwnd) + ", " + fmtHandle(context) + ")");
    if (!context)
        return FALSE;
    --modules().contextsHeld;
    return TRUE;
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
const Export kImmExports[] = {
    {"ImmGetContext", (FARPROC)(void (*)(void))ImmGetContext},
    {"ImmGetOpenStatus", (FARPROC)(void (*)(void))ImmGetOpenStatus},
    {"ImmSetOpenStatus", (FARPROC)(void (*)(void))ImmSetOpenStatus},
    {"ImmReleaseContext", (FARPROC)(void (*)(void))ImmReleaseContext},
};

// An entry point of a loaded stand-in, unless the test took it away.
FARPROC findExport(const Export* exports, size_t count, const std::vector<std::string>& missing,
                   const char* name)
{
    for (const std::string& gone : missing)
        if (gone == name)
            return NULL;
    for (size_t i = 0; i < count; ++i)
        if (strcmp(exports[i].name, name) == 0)
            return exports[i].proc;
    return NULL;
}

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
int loadedModules() { return modules().imeRefs + modules().immRefs; }

void installInputMethodManager(const InputMethodManager& manager)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    modules().imm = manager;
    modules().immInstalled = manager.present;
    std::string folder = windowsDir() + "/SYSTEM";
    std::error_code ec;
    std::string existing = caselessIn(folder, kImmFile);
    if (!existing.empty())
        fs::remove(existing, ec);
    if (manager.present) {
        fs::create_directories(folder, ec);
        writeFile(folder + "/" + kImmFile, "stand-in input-method manager");
    }
}

void setImeOpen(HWND hwnd, bool open) { modules().immOpen[hwnd] = open; }
bool imeOpen(HWND hwnd)
{
    auto it = modules().immOpen.find(hwnd);
    return it != modules().immOpen.end() && it->second;
}
void removeInputContext(HWND hwnd) { modules().noContext[hwnd] = true; }
int inputContextsHeld() { return modules().contextsHeld; }
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
    std::string name = file.empty() ? "" : fs::path(file).filename().string();
    if (strcasecmp(name.c_str(), kImmFile) == 0 && modules().immInstalled) {
        ++modules().immRefs;
        return (HMODULE)kImmModule;
    }
    if (strcasecmp(name.c_str(), kImeFile) != 0)
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
    if (!lpProcName)
        return NULL;
    if ((uintptr_t)hModule == kImmModule && modules().immRefs > 0)
        return findExport(kImmExports, sizeof kImmExports / sizeof kImmExports[0], modules().imm.missing,
                          lpProcName);
    if ((uintptr_t)hModule == kImeModule && modules().imeRefs > 0)
        return findExport(kImeExports, sizeof kImeExports / sizeof kImeExports[0], modules().ime.missing,
                          lpProcName);
    return NULL;
}

BOOL FreeLibrary(HMODULE hLibModule)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    record("FreeLibrary(" + fmtHandle(hLibModule) + ")");
    int* refs = (uintptr_t)hLibModule == kImeModule   ? &modules().imeRefs
                : (uintptr_t)hLibModule == kImmModule ? &modules().immRefs
                                                      : nullptr;
    if (!refs || *refs <= 0)
        return FALSE;
    --*refs;
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
