// The values of the shared state block (core/interface.h), in their declaration
// order (this file is compiled with -fno-toplevel-reorder so that the order
// of definition is the order in the block).  Every one is zero in the image;
// the non-zero initial values are written once, when the first process maps
// the library, and no later process attach resets them.
#include "core/qrhook.h"

#include <string.h>

#define QR_FUNCTION(result, name, params, exported, bytes, binder)
#define QR_VALUE(type, name, dims, exported, binder) type name dims QR_SHARED = {};
#include "core/interface.h"
#undef QR_FUNCTION
#undef QR_VALUE

// The layout the host and the recorded macro rely on, checked where the build
// has the product's width (the i686 DLL and the i386 unit tests).
static_assert(sizeof(int) == 4 && sizeof(POINT) == 8, "ints and points are 32-bit");
static_assert(sizeof(OFSTRUCT) == 136, "the existence-test record is 136 bytes");
#if defined(__i386__)
static_assert(sizeof(void*) == 4 && sizeof(HWND) == 4 && sizeof(HHOOK) == 4 && sizeof(WPARAM) == 4 &&
                  sizeof(LPARAM) == 4 && sizeof(LRESULT) == 4,
              "handles and message parameters are 32-bit");
static_assert(sizeof(EVENTMSG) == 20 && sizeof SysEvent == 20480, "an event record is 20 bytes");
#endif

// 0 while the block is new; 1 once a process has claimed the writing of the
// initial values.
static LONG lBlockCreated QR_SHARED = 0;

static void SetExportedInitialValues(void)
{
    iZure = QR_INITIAL_ZURE;
    memcpy(chCtrlShift, "11111111111111111111111111", 27);
    bFocusMoveClick = 1;
    bJapaneseEnv = 1;
    bCtrlShift = 1;
    bCursorChange = 1;
    lAida = QR_INITIAL_AIDA;
    bIsHokan = 1;
    bIsAlias = 1;
    bIsHistory = 1;
    bAnyEditField = 1;
}

// Only the first process that maps the library writes the initial values;
// the exchange keeps two processes loading it at the same moment from both
// writing (the second would overwrite what the first one's host has set).
// Nothing waits for the writer: a process killed while writing must not stop
// every later process in its attach.
void SetBlockInitialValues(void)
{
    if (InterlockedCompareExchange(&lBlockCreated, 1, 0) != 0)
        return;
    SetExportedInitialValues();
}
