// winsim: wsprintfA, USER32's own small formatter (no floating point; at most
// 1024 bytes are written, the terminator included).
#pragma once

#include "winsim/types.h"

#ifdef __cplusplus
extern "C" {
#endif

int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...);

#ifdef __cplusplus
}
#endif
