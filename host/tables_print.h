// What the host knows of its last save of the shared tables: a fingerprint
// of them, so that the host saves only when something changed.
#pragma once

#include <windows.h>

#include "core/contract.h"
#include "qrlib.h"

// A cheap fingerprint of what the host saves from the shared tables: the text
// of every history and alias slot, in the code page and exactly (up to its
// terminator, units behind it do not count), and the ring's store slot.
// Equal tables give equal prints; a change of any saved text or of next
// gives another one.
unsigned long long TablesFingerprint(const char hist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                                     const WCHAR exactHist[QR_RING_SLOTS][QR_HIST_TEXT],
                                     const WCHAR exactAlias[QR_RING_SLOTS][QR_ALIAS_TEXT], int next);

// The print of what the host saves from the library's tables.
unsigned long long LibraryTablesPrint(const QrLib* lib);
// Saves the tables with save (1: the file took everything) and then keeps,
// in *saved, their print from before the save: a change made while the save
// runs (a line stored in another program meanwhile) differs from it and is
// saved next time.  A save that failed keeps the old print.
int SaveTables(QrLib* lib, unsigned long long* saved, int (*save)(QrLib* lib));
