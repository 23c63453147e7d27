// winsim: KERNEL32 run-time loading and global memory.
#pragma once

#include "winsim/types.h"

typedef INT_PTR (*FARPROC)(void);

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_NOT_BANKED 0x1000
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)

#ifdef __cplusplus
extern "C" {
#endif

// Modules: only the stand-in libraries that tests install can be loaded (see
// winsim_editline.h); the file must also be where the platform looks for it.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);

HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes);
LPVOID GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);

#ifdef __cplusplus
}
#endif
