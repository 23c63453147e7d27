// winsim: SHELL32's ShellExecuteA.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd);

#ifdef __cplusplus
}
#endif
