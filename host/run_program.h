// File > Run: the program picked in the library's file dialog is run by the
// host itself, so that folders with blanks and names outside ASCII work; a
// typed command line still goes through the library's launcher, which splits
// it into program and parameters.
#pragma once

#include <windows.h>

#include "qrlib.h"

void RunProgram(QrLib* lib, HINSTANCE inst, HWND owner);

// The file File > Run should start itself, in the ANSI character set, from
// the dialog's record path: picked says it came from the host's own dialog's
// existence test, which writes it in the OEM character set.  Returns 0 when
// the text names no existing file (a command line: the launcher's business).
typedef int (*IsFileFn)(const char* path);
int PickedFile(const char* recordPath, int picked, char* out, size_t size, IsFileFn isFile);

// The folder a picked file runs in: its own, without the closing backslash
// except for a drive's root ("C:\").  0 when the path names no folder or the
// folder does not fit in size bytes.
int WorkingFolderOf(const char* path, char* out, size_t size);
