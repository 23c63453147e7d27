#include "shared_snapshot.h"

#include <stdlib.h>

extern "C" char __start_qrshared[];
extern "C" char __stop_qrshared[];

static char* g_snapshot = nullptr;

// AddressSanitizer poisons the redzones it puts between globals, so the copy
// must not be instrumented; volatile keeps the compiler from turning the loop
// into an (intercepted) memcpy.
__attribute__((no_sanitize("address", "undefined")))
static void CopyBytes(volatile char* dst, const volatile char* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        dst[i] = src[i];
}

void SnapshotSharedBlock()
{
    size_t n = (size_t)(__stop_qrshared - __start_qrshared);
    g_snapshot = static_cast<char*>(malloc(n ? n : 1));
    CopyBytes(g_snapshot, __start_qrshared, n);
}

void RestoreSharedBlock()
{
    CopyBytes(__start_qrshared, g_snapshot, (size_t)(__stop_qrshared - __start_qrshared));
    // The library's globals were changed behind the compiler's back.
    asm volatile("" ::: "memory");
}

const char* SharedBlockBegin() { return __start_qrshared; }
const char* SharedBlockEnd() { return __stop_qrshared; }
