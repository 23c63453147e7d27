#include "settings.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "core/contract.h"
#include "core/text.h"
#include "macro.h"

static char settingsFile[MAX_PATH];
static unsigned long long savedTables;  // fingerprint of what the file holds

const char* SettingsFile(void) { return settingsFile; }

static int FileExists(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opening for writing is the one test that holds for every reason a file
// may refuse a write (access rights, a read-only file, a read-only folder).
static int FileWritable(const char* path)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}

static int JoinPath(char* out, size_t size, const char* folder, const char* name)
{
    int n = snprintf(out, size, "%s\\%s", folder, name);
    return n > 0 && (size_t)n < size;
}

// The user's own folder for the file: %APPDATA%\Quillrun.  0 on a system
// without one.
static int UserFolder(char* out, size_t size)
{
    char appData[MAX_PATH];
    if (FAILED(SHGetFolderPathA(NULL, CSIDL_APPDATA, NULL, SHGFP_TYPE_CURRENT, appData)))
        return 0;
    return JoinPath(out, size, appData, "Quillrun");
}

static void HandToLibrary(QrLib* lib)
{
    memset(lib->chIniPath, 0, QR_INI_PATH);
    memcpy(lib->chIniPath, settingsFile, strlen(settingsFile));
}

int ChooseSettingsFile(QrLib* lib)
{
    char windowsDir[MAX_PATH], windowsFile[MAX_PATH], folder[MAX_PATH], userFile[MAX_PATH];
    UINT len = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    int ok = 1;
    if (len == 0 || len >= sizeof windowsDir || !JoinPath(windowsFile, sizeof windowsFile, windowsDir, QR_SETTINGS_FILE))
        snprintf(windowsFile, sizeof windowsFile, "%s", QR_SETTINGS_FILE);
    int inWindows = FileExists(windowsFile);
    if ((inWindows && FileWritable(windowsFile)) || !UserFolder(folder, sizeof folder) ||
        !JoinPath(userFile, sizeof userFile, folder, QR_SETTINGS_FILE)) {
        snprintf(settingsFile, sizeof settingsFile, "%s", windowsFile);
    } else {
        snprintf(settingsFile, sizeof settingsFile, "%s", userFile);
        CreateDirectoryA(folder, NULL);
        // Carried over once: from then on the user's file exists and is used.
        if (inWindows && !FileExists(userFile) && !CopyFileA(windowsFile, userFile, TRUE)) {
            snprintf(settingsFile, sizeof settingsFile, "%s", windowsFile);
            ok = 0;
        }
    }
    HandToLibrary(lib);
    return ok;
}

// What was written goes to the disk now, so that a host that is killed
// keeps it.  (The flush's own answer says nothing: Wine answers FALSE.)
static void Flush(void)
{
    WritePrivateProfileStringA(NULL, NULL, NULL, settingsFile);
}

// The user's folder may have been removed while the host ran.
static void MakeFolder(void)
{
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%.*s", (int)FolderLength(settingsFile), settingsFile);
    if (folder[0])
        CreateDirectoryA(folder, NULL);
}

void LoadOptions(QrLib* lib, HostOptions* opts)
{
    DefaultOptions(opts);
    for (int i = 0; i < kHostOptionCount; ++i)
        opts->value[i] = (int)lib->GetProfileIMy(QR_SETTINGS_SECTION, kHostOptions[i].key, kHostOptions[i].def);
    char keys[64] = "";
    GetPrivateProfileStringA(QR_SETTINGS_SECTION, QR_KEY_CTRLSHIFT_KEYS, "", keys, sizeof keys,
                             settingsFile);
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

// The exact text of a slot, from the file's own section: empty when the slot
// has none there (an older file, or a line its code-page text gives whole).
static void LoadExactText(const char* key, WCHAR* exact, size_t units)
{
    char value[QR_EXACT_VALUE];
    GetPrivateProfileStringA(QR_EXACT_SECTION, key, "", value, sizeof value, settingsFile);
    memset(exact, 0, units * sizeof(WCHAR));
    ExactFromValue(exact, units, value);
}

// The library saves the history and the aliases but never reads them back:
// the host fills the tables, and puts the ring's store slot where it was.
void LoadHistoryAndAliases(QrLib* lib)
{
    char key[16];
    for (int i = 0; i < QR_RING_SLOTS; ++i) {
        SlotKeyName(key, sizeof key, "", i);
        GetPrivateProfileStringA(QR_SETTINGS_SECTION, key, "", lib->chHist[i], QR_HIST_TEXT,
                                 settingsFile);
        LoadExactText(key, lib->wchHist[i], QR_HIST_TEXT);
        SlotKeyName(key, sizeof key, QR_ALIAS_KEY_PREFIX, i);
        GetPrivateProfileStringA(QR_SETTINGS_SECTION, key, "", lib->chAlias[i], QR_ALIAS_TEXT,
                                 settingsFile);
        LoadExactText(key, lib->wchAlias[i], QR_ALIAS_TEXT);
    }
    int saved = GetPrivateProfileIntA(QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, -1, settingsFile);
    int next = NextHistorySlot(lib->chHist, saved);
    *lib->iSetIndex = next;
    *lib->iGetIndex = PreviousSlot(next);
    savedTables = LibraryTablesPrint(lib);
}

int TablesChangedSinceSave(QrLib* lib)
{
    return LibraryTablesPrint(lib) != savedTables;
}

// The ring's store slot, the history and the aliases, flushed to the disk.
// The library's save says nothing of its writes: the store slot, written
// after it into the same file, tells whether the file took them.
static int WriteTables(QrLib* lib)
{
    char next[16];
    snprintf(next, sizeof next, "%d", *lib->iSetIndex);
    MakeFolder();
    lib->HistryAndAliasSave();
    int ok = lib->WriteProfileStriMy(QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, next) != 0;
    Flush();
    return ok;
}

// A save that failed is tried again at the next look.
int SaveHistoryAndAliases(QrLib* lib)
{
    return SaveTables(lib, &savedTables, WriteTables);
}
