// On a 64-bit Windows the 64-bit host serves 32-bit programs through a
// companion: the 32-bit Quillrun.exe in the folder "x86" beside it, started
// with "/companion <host window> <secret> <settings file>" (the secret: see
// pair_tables.h).  A hook library reaches only processes of its own width,
// so the companion installs the 32-bit library's hooks; the host stays the
// one window the user and both libraries talk to.  The
// companion's window is message-only and of a class of its own, so a
// library looking for the host by class never finds it.  The two widths'
// shared tables are kept equal by an exchange (pair_tables.h).
#pragma once

#include <windows.h>

#include "pair_tables.h"
#include "qrlib.h"

#define QR_COMPANION_CLASS "QuillrunCompanion"
// The companion window's title once its hooks are in (empty before).
#define QR_COMPANION_SERVING "Quillrun 32-bit companion: hooks installed"
#define QR_COMPANION_SWITCH "/companion"
#define QR_COMPANION_PROGRAM "x86\\Quillrun.exe"
// A companion that keeps ending is started again this many times.
#define QR_COMPANION_RESTARTS 3
// Sent by the host to the companion's window: exchange now.
#define QR_COMPANION_EXCHANGE_NOW (WM_APP + 40)

// --- In the host -------------------------------------------------------------

// Starts the companion, after the host's own hooks.  Nothing happens when
// there is no companion beside the host (a 32-bit host, or a 64-bit build
// alone): the host then serves its own width.
void CompanionStart(HWND host);
// Ends it (it removes its hooks), at the host's exit, at the session end and
// when the host's hooks are removed.
void CompanionStop(void);
// Takes what the companion's programs stored since the last exchange into
// the host's tables now (one more exchange, bounded), before a save.
void CompanionCollect(void);
// From the host's timer: a companion that ended by itself is started again,
// up to QR_COMPANION_RESTARTS times.  1 when its state changed.
int CompanionWatch(HWND host);
// What the host's state line says of the companion: "" while all is well.
const char* CompanionTrouble(void);
// WM_COPYDATA from the companion: takes its changes into the host's tables
// and gives it the host's ones.
LRESULT CompanionCopyData(QrLib* lib, HWND host, HWND from, const COPYDATASTRUCT* data);

// --- In the companion --------------------------------------------------------

// What the host gives its companion on the command line.
struct CompanionArgs {
    HWND host;
    unsigned char secret[QR_PAIR_SECRET];
    WCHAR settingsFile[MAX_PATH];  // exactly
};
// A companion's whole command line (GetCommandLineW: the program first)
// read into args; 0 for any other command line, one without the secret too.
int CompanionArgsOf(const WCHAR* commandLine, CompanionArgs* args);
// The companion's whole life: the host's tables first, then the hooks, then
// the exchange every tick until the host or the companion's end.
int CompanionMain(HINSTANCE inst, const CompanionArgs* args);
