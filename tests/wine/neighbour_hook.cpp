// Another keyboard utility's hook, for the hook-chain test: a library of its
// own whose global keyboard hook the test installs before the host installs
// the library's, so that it is called after it.  It logs the key events it
// sees in a shared section (" d42" down, " u42" up, as the target program
// logs them) and keeps one chosen key for itself (answers 1, as a utility
// that takes a key does); every other key it hands on.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#define NEIGHBOUR_SHARED __attribute__((section(".nbshare"), shared))

static char logText[8192] NEIGHBOUR_SHARED = "";
static LONG logLen NEIGHBOUR_SHARED = 0;
static LONG keptKey NEIGHBOUR_SHARED = 0;

static void Append(const char* kind, WPARAM vk)
{
    char item[16];
    int n = snprintf(item, sizeof item, " %s%02X", kind, (unsigned)(vk & 0xFFFF));
    LONG at = logLen;
    if (n <= 0 || at + n >= (LONG)sizeof logText)
        return;  // full: the test clears the log long before this
    memcpy(logText + at, item, (size_t)n + 1);
    logLen = at + n;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK NeighbourKeyHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        Append((lParam & 0x80000000) ? "u" : "d", wParam);
        if ((LONG)wParam == keptKey)
            return 1;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

extern "C" __declspec(dllexport) void NeighbourReset(LONG keep)
{
    keptKey = keep;
    logLen = 0;
    logText[0] = 0;
}

extern "C" __declspec(dllexport) const char* NeighbourLog(void)
{
    return logText;
}
