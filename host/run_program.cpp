#include "run_program.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "launch/launch.h"
#include "options.h"
#include "paths.h"

int PickedFile(const char* recordPath, int picked, char* out, size_t size, IsFileFn isFile)
{
    size_t len = strlen(recordPath);
    if (len == 0 || len >= size)
        return 0;
    if (picked) {
        OemToCharBuffA(recordPath, out, (DWORD)(len + 1));
        if (isFile(out))
            return 1;
        // Wine's existence test leaves the path in the ANSI set.
    }
    memcpy(out, recordPath, len + 1);
    return isFile(out);
}

int WorkingFolderOf(const char* path, char* out, size_t size)
{
    size_t length = FolderLength(path);
    if (length == 0 || length >= size)
        return 0;
    memcpy(out, path, length);
    out[length == 3 && path[1] == ':' ? 3 : length - 1] = 0;  // "C:\" keeps its backslash
    return 1;
}

static int IsFile(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs the file with its own folder as the working folder and reports a
// failure the way the library's launcher does.
static void RunFile(HWND owner, const char* path)
{
    char folder[MAX_PATH];
    int hasFolder = WorkingFolderOf(path, folder, sizeof folder);
    UINT_PTR result = (UINT_PTR)ShellExecuteA(owner, NULL, path, NULL, hasFolder ? folder : NULL, SW_SHOWNORMAL);
    if (result > 32)
        return;
    char text[96];
    const char* message = ShellErrorText(result);
    if (!message) {
        // The launcher stays silent on the shell's own codes; a picked file
        // that does not start is still reported.
        snprintf(text, sizeof text, "The shell cannot start it (error %u).", (unsigned)result);
        message = text;
    }
    MessageBoxA(owner, message, result >= 2 ? path : "Quillrun", MB_OK | MB_ICONWARNING);
}

void RunProgram(QrLib* lib, HINSTANCE inst, HWND owner)
{
    char name[128] = "";
    OFSTRUCT of;
    memset(&of, 0, sizeof of);
    of.cBytes = sizeof of;
    // The hot keys stay off while the dialog is up.  The library clears the
    // flag when the dialog ends; the host clears it too, so that a dialog
    // that could not be shown does not leave the hot keys off.
    *lib->bDlg = 1;
    int result = lib->DoFileOpenDlg(inst, owner, "*.Exe", ".Exe", 0x4010, name, &of);
    *lib->bDlg = 0;
    if (result != 1 || !of.szPathName[0])
        return;
    of.szPathName[sizeof of.szPathName - 1] = 0;
    // The host's own dialog hands back a picked file's name in the output
    // buffer and its path in the record; a text typed with a blank comes
    // back in both unchanged.  The common dialogs leave the buffer alone.
    int kind = (int)lib->GetProfileIMy(QR_SETTINGS_SECTION, QR_KEY_KIND_OF_DIALOG, 0);
    int picked = kind != 1 && kind != 2 && strcmp(name, of.szPathName) != 0;
    char path[MAX_PATH];
    if (PickedFile(of.szPathName, picked, path, sizeof path, IsFile))
        RunFile(owner, path);
    else
        lib->ShellExec(0, of.szPathName);
}
