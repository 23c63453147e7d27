#include "settings.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "core/contract.h"
#include "core/profile.h"
#include "core/text.h"
#include "macro.h"

// The file, by its exact path and the code-page form beside it.
static ProfilePath settingsFile;
static WCHAR carriedFrom[MAX_PATH];  // the older file carried over at this start
static WCHAR missingFolder[MAX_PATH];  // the user's folder that could not be made
static unsigned long long savedTables;  // fingerprint of what the file holds

const WCHAR* SettingsFile(void) { return settingsFile.exact; }
const WCHAR* SettingsCarriedFrom(void) { return carriedFrom; }
const WCHAR* SettingsFolderNotMade(void) { return missingFolder; }

// Every path here is handled exactly, with the W calls: a user name or a
// folder may hold letters the code page cannot write, and the ANSI form of
// such a path names no file at all.
static int FileExists(const WCHAR* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static int FolderExists(const WCHAR* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Opening for writing is the one test that holds for every reason a file
// may refuse a write (access rights, a read-only file, a read-only folder).
static int FileWritable(const WCHAR* path)
{
    HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(h);
    return 1;
}

static int JoinPath(WCHAR* out, size_t size, const WCHAR* folder, const WCHAR* name)
{
    int n = snwprintf(out, size, L"%ls\\%ls", folder, name);
    return n > 0 && (size_t)n < size;
}

static int KnownFolder(int csidl, WCHAR* out)
{
    return SUCCEEDED(SHGetFolderPathW(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, out));
}

// The user's own folder for the file: %APPDATA%\Quillrun (the application
// data folder made where it is missing).  0 on a system without one.
static int UserFolder(WCHAR* out, size_t size)
{
    WCHAR appData[MAX_PATH];
    return KnownFolder(CSIDL_APPDATA | CSIDL_FLAG_CREATE, appData) && JoinPath(out, size, appData, L"Quillrun");
}

// Where a host without a manifest (every build before 1.1.0) wrote the
// Windows folder's file for a user who may not write that folder: the file
// virtualisation of 32-bit programs kept it in
// %LOCALAPPDATA%\VirtualStore\<the Windows folder without its drive>.
static int VirtualisedFile(const WCHAR* windowsDir, WCHAR* out, size_t size)
{
    WCHAR local[MAX_PATH];
    if (!windowsDir[0] || !KnownFolder(CSIDL_LOCAL_APPDATA, local))
        return 0;
    const WCHAR* folder = windowsDir[0] && windowsDir[1] == L':' ? windowsDir + 2 : windowsDir;
    int n = snwprintf(out, size, L"%ls\\VirtualStore%ls%ls\\%hs", local, folder[0] == L'\\' ? L"" : L"\\", folder,
                      QR_SETTINGS_FILE);
    return n > 0 && (size_t)n < size;
}

// The newer of two files that may be missing; NULL when both are.
static const WCHAR* Newer(const WCHAR* a, int haveA, const WCHAR* b, int haveB)
{
    if (!haveA || !haveB)
        return haveA ? a : haveB ? b : NULL;
    WIN32_FILE_ATTRIBUTE_DATA da, db;
    if (!GetFileAttributesExW(a, GetFileExInfoStandard, &da) || !GetFileAttributesExW(b, GetFileExInfoStandard, &db))
        return a;
    return CompareFileTime(&db.ftLastWriteTime, &da.ftLastWriteTime) > 0 ? b : a;
}

// The library gets both forms: the code-page path for every ANSI reader,
// the exact one for its own reads and writes.
static void HandToLibrary(QrLib* lib)
{
    memset(lib->chIniPath, 0, QR_INI_PATH);
    memcpy(lib->chIniPath, settingsFile.ansi, strlen(settingsFile.ansi));
    memset(lib->wchIniPath, 0, QR_INI_PATH * sizeof(WCHAR));
    memcpy(lib->wchIniPath, settingsFile.exact, wcslen(settingsFile.exact) * sizeof(WCHAR));
}

int ChooseSettingsFile(QrLib* lib)
{
    WCHAR windowsDir[MAX_PATH], windowsFile[MAX_PATH], folder[MAX_PATH], userFile[MAX_PATH], virtualised[MAX_PATH];
    UINT len = GetWindowsDirectoryW(windowsDir, MAX_PATH);
    int ok = 1;
    if (len == 0 || len >= MAX_PATH || !JoinPath(windowsFile, MAX_PATH, windowsDir, L"" QR_SETTINGS_FILE)) {
        windowsDir[0] = 0;
        wcscpy(windowsFile, L"" QR_SETTINGS_FILE);
    }
    carriedFrom[0] = missingFolder[0] = 0;
    int inWindows = FileExists(windowsFile);
    const WCHAR* chosen = windowsFile;
    if ((inWindows && FileWritable(windowsFile)) || !UserFolder(folder, MAX_PATH) ||
        !JoinPath(userFile, MAX_PATH, folder, L"" QR_SETTINGS_FILE)) {
        chosen = windowsFile;
    } else if (!CreateDirectoryW(folder, NULL) && !FolderExists(folder)) {
        // Nothing can be kept there: said in the state line at once.  An
        // older file is read where it is.
        wcscpy(missingFolder, folder);
        chosen = inWindows ? windowsFile : userFile;
        ok = 0;
    } else {
        chosen = userFile;
        // Carried over once, from the newer of the Windows folder's file and
        // the copy the file virtualisation kept of it: from then on the
        // user's file exists and is used.
        int haveVirtualised = VirtualisedFile(windowsDir, virtualised, MAX_PATH) && FileExists(virtualised);
        const WCHAR* older = Newer(windowsFile, inWindows, virtualised, haveVirtualised);
        if (older && !FileExists(userFile)) {
            if (CopyFileW(older, userFile, TRUE)) {
                wcscpy(carriedFrom, older);
            } else {
                chosen = older;
                ok = 0;
            }
        }
    }
    ProfilePathOf(&settingsFile, chosen);
    HandToLibrary(lib);
    return ok;
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

// The exact text of a slot, from the file's own section: empty when the slot
// has none there (an older file, or a line its code-page text gives whole).
static void LoadExactText(const char* key, WCHAR* exact, size_t units)
{
    char value[QR_EXACT_VALUE];
    ProfileReadString(&settingsFile, QR_EXACT_SECTION, key, "", value, sizeof value);
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
        ProfileReadString(&settingsFile, QR_SETTINGS_SECTION, key, "", lib->chHist[i], QR_HIST_TEXT);
        LoadExactText(key, lib->wchHist[i], QR_HIST_TEXT);
        SlotKeyName(key, sizeof key, QR_ALIAS_KEY_PREFIX, i);
        ProfileReadString(&settingsFile, QR_SETTINGS_SECTION, key, "", lib->chAlias[i], QR_ALIAS_TEXT);
        LoadExactText(key, lib->wchAlias[i], QR_ALIAS_TEXT);
    }
    int saved = (int)ProfileReadInt(&settingsFile, QR_SETTINGS_SECTION, QR_KEY_HISTORY_NEXT, -1);
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
