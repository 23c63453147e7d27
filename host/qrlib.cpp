#include "qrlib.h"

#include "paths.h"

#include <stddef.h>
#include <stdio.h>
#include <string.h>

struct Binding {
    const char* name;
    size_t offset;  // of the pointer inside QrLib
};

// Each name the host binds, by its exported name.
#define QR_BINDING_HOST(field, exported) {#exported, offsetof(QrLib, field)},
#define QR_BINDING_LIBRARY(field, exported)
static const Binding kBindings[] = {
#define QR_FUNCTION(result, name, params, exported, bytes, binder) QR_BINDING_##binder(name, exported)
#define QR_VALUE(type, name, dims, exported, binder) QR_BINDING_##binder(name, name)
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE
};

// The program's folder is named exactly (a user's folder may hold letters
// the code page cannot write: its ANSI form names no folder at all).
int LoadQrLib(QrLib* lib, WCHAR* error, size_t errorSize)
{
    memset(lib, 0, sizeof *lib);
    WCHAR program[MAX_PATH];
    WCHAR path[MAX_PATH + 16];
    DWORD len = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || !FileBeside(program, QR_LIBRARY_FILE, path, MAX_PATH + 16)) {
        snwprintf(error, errorSize, L"The program's own folder cannot be read.");
        return 0;
    }
    lib->dll = LoadLibraryW(path);
    if (!lib->dll) {
        snwprintf(error, errorSize, L"%ls cannot be loaded (error %lu).", path, (unsigned long)GetLastError());
        return 0;
    }
    for (const Binding& b : kBindings) {
        FARPROC p = GetProcAddress(lib->dll, b.name);
        if (!p) {
            snwprintf(error, errorSize, L"QRHook.dll does not export %hs.", b.name);
            FreeLibrary(lib->dll);
            lib->dll = NULL;
            return 0;
        }
        memcpy((char*)lib + b.offset, &p, sizeof p);
    }
    return 1;
}
