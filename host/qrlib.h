// The host's binding to QRHook.dll: loaded at run time from the host's own
// folder, every function and variable bound by its exported name.
#pragma once

#include <windows.h>

#include <type_traits>

#include "core/contract.h"

// The library's declarations, for their types alone: nothing here is linked
// into the host, which reaches each name through its binding below.
namespace qrlibrary {
#define QR_FUNCTION(result, name, params, exported, bytes, binder) result WINAPI name params;
#define QR_VALUE(type, name, dims, exported, binder) extern type name dims;
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE
}  // namespace qrlibrary

// One pointer for each name the library's list (core/interface.h) marks as
// bound by the host, typed from the library's own declarations: a signature
// or a table size changed there changes it here, and a host that uses it the
// old way no longer builds.
#define QR_BIND_FUNCTION_HOST(name) decltype(&qrlibrary::name) name;
#define QR_BIND_FUNCTION_LIBRARY(name)
#define QR_BIND_VALUE_HOST(name) std::remove_extent_t<decltype(qrlibrary::name)>* name;
#define QR_BIND_VALUE_LIBRARY(name)
struct QrLib {
    HMODULE dll;
#define QR_FUNCTION(result, name, params, exported, bytes, binder) QR_BIND_FUNCTION_##binder(name)
#define QR_VALUE(type, name, dims, exported, binder) QR_BIND_VALUE_##binder(name)
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE
};

// Loads the library from the folder of the running program and binds every
// name above.  On failure returns 0 and names what is missing in error
// (errorSize units).
int LoadQrLib(QrLib* lib, WCHAR* error, size_t errorSize);
