// The host's reading of its settings file, which the user or any program may
// have written: any bytes as the file, read as the host reads it at start
// (its options, then the history and the aliases into the library's
// tables).  What it leaves must be what the library, the host and the
// exchange with the other width take for granted.
#include <stdlib.h>
#include <string.h>

#include <winsim.h>
#include <winsim/sim_system.h>

#include "core/qrhook.h"
#include "desktop.h"
#include "options.h"
#include "settings.h"
#include "shared_snapshot.h"

// Only SaveOptions calls it, and nothing here saves (the real one, in
// host/macro.cpp, needs the host's window and timers).
int MacroSaveSetting(void)
{
    abort();
}

// The host's binding of the library, to the library linked in: what the
// settings code uses (any other member is null, and would stop the run).
static QrLib Library()
{
    QrLib lib;
    memset(&lib, 0, sizeof lib);
    lib.GetProfileIMy = GetProfileIMy;
    lib.WriteProfileStriMy = WriteProfileStriMy;
    lib.chHist = chHist;
    lib.chAlias = chAlias;
    lib.wchHist = wchHist;
    lib.wchAlias = wchAlias;
    lib.chIniPath = chIniPath;
    lib.wchIniPath = wchIniPath;
    lib.iGetIndex = &iGetIndex;
    lib.iSetIndex = &iSetIndex;
    return lib;
}

// Where the file may lie: the Windows folder (no path yet), the user's
// folder, and a user's folder the code page cannot write (the W calls).
static const char16_t* const kPaths[] = {
    u"Quillrun.Ini",
    u"C:\\Users\\user\\AppData\\Roaming\\Quillrun\\Quillrun.Ini",
    u"C:\\Users\\\u4E00\u4E8C\\AppData\\Roaming\\Quillrun\\Quillrun.Ini",
};

template <class C> static bool Terminated(const C* text, size_t units)
{
    for (size_t i = 0; i < units; ++i)
        if (text[i] == 0)
            return true;
    return false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // One simulated desktop for the whole run: each input writes its file
    // anew and reads no other.
    static bool started = false;
    if (!started) {
        ws::reset();
        SnapshotSharedBlock();
        started = true;
    }
    if (size == 0)
        return 0;
    RestoreSharedBlock();
    ws::setCodePage(data[0] & 1 ? 932 : 1252);
    const char16_t* path = kPaths[(data[0] >> 1) % (sizeof kPaths / sizeof kPaths[0])];
    ws::writeFile(std::u16string(path), std::string((const char*)data + 1, size - 1));

    // Whatever the tables held before: every slot must be read anew.
    QrLib lib = Library();
    memset(chHist, 0x7F, sizeof chHist);
    memset(chAlias, 0x7F, sizeof chAlias);
    memset(wchHist, 0x7F, sizeof wchHist);
    memset(wchAlias, 0x7F, sizeof wchAlias);
    iSetIndex = iGetIndex = -12345;

    UseSettingsFile(&lib, path);
    HostOptions opts;
    memset(&opts, 0x7F, sizeof opts);
    LoadOptions(&lib, &opts);
    LoadHistoryAndAliases(&lib);

    for (int i = 0; i < kHostOptionCount; ++i)
        FUZZ_CHECK(OptionValueValid(i, opts.value[i]), "option %s is %d", kHostOptions[i].key, opts.value[i]);
    for (int i = 0; i < 26; ++i)
        FUZZ_CHECK(opts.ctrlShiftKeys[i] == '0' || opts.ctrlShiftKeys[i] == '1', "letter %c switch is 0x%02X",
                   'A' + i, (unsigned char)opts.ctrlShiftKeys[i]);
    FUZZ_CHECK(opts.ctrlShiftKeys[26] == 0, "the switches end");
    for (int slot = 0; slot < QR_RING_SLOTS; ++slot) {
        FUZZ_CHECK(Terminated(chHist[slot], QR_HIST_TEXT), "history slot %d", slot);
        FUZZ_CHECK(Terminated(wchHist[slot], QR_HIST_TEXT), "history slot %d, exact", slot);
        FUZZ_CHECK(Terminated(chAlias[slot], QR_ALIAS_TEXT), "alias slot %d", slot);
        FUZZ_CHECK(Terminated(wchAlias[slot], QR_ALIAS_TEXT), "alias slot %d, exact", slot);
    }
    FUZZ_CHECK(iSetIndex >= 0 && iSetIndex < QR_RING_SLOTS, "store slot %d", iSetIndex);
    FUZZ_CHECK(iGetIndex >= 0 && iGetIndex < QR_RING_SLOTS, "recall slot %d", iGetIndex);
    FUZZ_CHECK(!TablesChangedSinceSave(&lib), "the tables are what was read");
    return 0;
}
