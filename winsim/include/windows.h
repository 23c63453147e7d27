// winsim: the subset of the Win32 API that QRHook calls, implemented on
// Linux so that the library's own sources compile and run natively under the
// unit tests.  Types keep their Windows widths where the library depends on
// them (LONG and DWORD are 32 bits, handles and LPARAM are pointer-sized).
#pragma once

#include "winsim/types.h"
#include "winsim/user.h"
#include "winsim/kernel.h"
#include "winsim/focus.h"
#include "winsim/menus.h"
#include "winsim/winpos.h"
#include "winsim/wsprintf.h"
#include "winsim/listmsgs.h"
#include "winsim/controls.h"
#include "winsim/modules.h"
#include "winsim/system.h"
#include "winsim/dialogs.h"
#include "winsim/security.h"
