#include "settings.h"

#include <stdio.h>
#include <string.h>

#include "core/contract.h"
#include "core/profile.h"
#include "core/ring.h"
#include "core/settings_tables.h"
#include "core/text.h"
#include "paths.h"
#include "tables_print.h"
#include "macro.h"

// The file, by its exact path and the code-page form beside it.
static ProfilePath settingsFile;
static unsigned long long savedTables;  // fingerprint of what the file holds

const WCHAR* SettingsFile(void) { return settingsFile.exact; }

// The library gets both forms: the code-page path for every ANSI reader,
// the exact one for its own reads and writes.
static void HandToLibrary(QrLib* lib)
{
    memset(lib->chIniPath, 0, QR_INI_PATH);
    memcpy(lib->chIniPath, settingsFile.ansi, strlen(settingsFile.ansi));
    memset(lib->wchIniPath, 0, QR_INI_PATH * sizeof(WCHAR));
    memcpy(lib->wchIniPath, settingsFile.exact, TextLength(settingsFile.exact) * sizeof(WCHAR));
}

void UseSettingsFile(QrLib* lib, const WCHAR* path)
{
    ProfilePathOf(&settingsFile, path);
    HandToLibrary(lib);
}

// What was written goes to the disk now, so that a host that is killed
// keeps it.  (The flush's own answer says nothing: Wine answers FALSE.)
static void Flush(void)
{
    ProfileWriteString(&settingsFile, NULL, NULL, NULL);
}

// The user's folder may have been removed while the host ran.
static void MakeFolder(void)
{
    WCHAR folder[MAX_PATH];
    size_t n = FolderLength(settingsFile.exact);
    if (n == 0 || n >= MAX_PATH)
        return;
    memcpy(folder, settingsFile.exact, n * sizeof(WCHAR));
    folder[n - 1] = 0;
    CreateDirectoryW(folder, NULL);
}

void LoadOptions(QrLib* lib, HostOptions* opts)
{
    DefaultOptions(opts);
    // A value no menu or hot key makes (a damaged or hand-edited file) is
    // the option's default: the tables the two widths exchange hold only
    // values in range.
    for (int i = 0; i < kHostOptionCount; ++i) {
        int value = (int)lib->GetProfileIMy(QR_SETTINGS_SECTION, kHostOptions[i].key, kHostOptions[i].def);
        opts->value[i] = OptionValueValid(i, value) ? value : kHostOptions[i].def;
    }
    char keys[64] = "";
    ProfileReadString(&settingsFile, QR_SETTINGS_SECTION, QR_KEY_CTRLSHIFT_KEYS, "", keys, sizeof keys);
    NormaliseLetterSwitches(keys, opts->ctrlShiftKeys);
}

int SaveOptions(QrLib* lib, const HostOptions* opts)
{
    MakeFolder();
    int ok = 1;
    char value[16];
    for (int i = 0; i < kHostOptionCount; ++i) {
        snprintf(value, sizeof value, "%d", opts->value[i]);
        ok &= lib->WriteProfileStriMy(QR_SETTINGS_SECTION, kHostOptions[i].key, value) != 0;
    }
    ok &= lib->WriteProfileStriMy(QR_SETTINGS_SECTION, QR_KEY_CTRLSHIFT_KEYS, opts->ctrlShiftKeys) != 0;
    ok &= MacroSaveSetting();
    Flush();
    return ok;
}

// The block's tables as the host binds them.
static SettingsTables LibraryTables(QrLib* lib)
{
    return {lib->chHist, lib->wchHist, lib->chAlias, lib->wchAlias};
}

// The library saves the history and the aliases but never reads them back:
// the host fills the tables, and puts the ring's store slot where it was.
void LoadHistoryAndAliases(QrLib* lib)
{
    SettingsTables tables = LibraryTables(lib);
    int next = LoadSettingsTables(&settingsFile, &tables);
    *lib->iSetIndex = next;
    *lib->iGetIndex = RingStep(next, -1);
    savedTables = LibraryTablesPrint(lib);
}

int TablesChangedSinceSave(QrLib* lib)
{
    return LibraryTablesPrint(lib) != savedTables;
}

// The history and the aliases (where their services are on, as the
// library's own saves do), then the ring's store slot, flushed to the disk.
static int WriteTables(QrLib* lib)
{
    SettingsTables tables = LibraryTables(lib);
    int next = *lib->iSetIndex;
    MakeFolder();
    SaveSettingsTables(&settingsFile, &tables, *lib->bIsHistory == 1, *lib->bIsAlias == 1);
    int ok = SaveStoreSlot(&settingsFile, next);
    Flush();
    return ok;
}

// A save that failed is tried again at the next look.
int SaveHistoryAndAliases(QrLib* lib)
{
    return SaveTables(lib, &savedTables, WriteTables);
}
