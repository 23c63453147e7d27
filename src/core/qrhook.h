// QRHook: the library's exported functions and variables, the interface the
// host binds by name, and the values of the shared block.
// What one room of the library calls in another is declared in that room's
// own header.
#pragma once

#include <windows.h>

#include "core/contract.h"
#include "core/shared.h"

// Every exported function and every value of the shared block, declared from
// the one list (core/interface.h).
#define QR_FUNCTION(result, name, params, exported, bytes, binder) QR_EXTERN_C result WINAPI name params;
#define QR_VALUE(type, name, dims, exported, binder) QR_EXTERN_C type name dims;
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE
