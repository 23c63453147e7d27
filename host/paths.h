// Paths beside the running program: the library, the companion, the
// folder of a file.  For the code page (char) or exactly (WCHAR).
#pragma once

#include <windows.h>

#include <stddef.h>

// Units of path up to and including its last backslash (0 when it has
// none), sought by characters (of the system code page for char).
template <class C> size_t FolderLength(const C* path);

// The file name (ASCII, may hold a folder: "x86\\Quillrun.exe") beside the
// program (a full file name): the part after its last backslash replaced.
// 0 when the result does not fit in size units.
template <class C> int FileBeside(const C* program, const char* name, C* out, size_t size);
#define QR_LIBRARY_FILE "QRHook.dll"

// The library's path beside the program: program (a full file name) with
// the part after its last backslash replaced by "QRHook.dll".  The
// backslash is sought by characters of the system code page, so that a
// Japanese program name whose second byte is 0x5C keeps its folder.  0 when
// the result does not fit in size bytes.
int LibraryPathBeside(const char* program, char* out, size_t size);
