// Where the host's settings file lives: decided once, at start, from the
// folders of the system and the user and the files an older host left.
#include "settings.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>

#include "core/contract.h"

static WCHAR carriedFrom[MAX_PATH];  // the older file carried over at this start
static WCHAR missingFolder[MAX_PATH];  // the user's folder that could not be made

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
    UseSettingsFile(lib, chosen);
    return ok;
}
