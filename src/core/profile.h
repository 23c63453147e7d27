// The settings file, read and written by a path that may lie outside the
// system code page (a user name or a folder the code page cannot write).
// The platform's ANSI profile calls take the code-page form of the path,
// which then names no file; their W calls take the exact path but carry
// every value through UTF-16, which changes the bytes of a few code-page
// characters on the way back.  So the ANSI calls are used wherever the
// code-page path names the file exactly (every existing installation: the
// file reads and writes as it always did), and the W calls only where it
// does not.  For the library and the host alike.
#pragma once

#include <windows.h>

#include <stddef.h>

// A settings file's path in both forms: ansi always names the file (a name
// alone: the Windows folder); exact may be empty (ansi names it exactly).
struct ProfilePath {
    char ansi[MAX_PATH];
    WCHAR exact[MAX_PATH];
};

// The path from its exact form: the code-page form beside it.
void ProfilePathOf(ProfilePath* path, const WCHAR* exact);
// Whether the profile calls need the exact path (its code-page form names
// another file, or none).
int ProfileNeedsExactPath(const ProfilePath* path);

UINT ProfileReadInt(const ProfilePath* path, const char* section, const char* key, int def);
// Code-page text into out[size], always terminated; returns its length.
DWORD ProfileReadString(const ProfilePath* path, const char* section, const char* key, const char* def,
                        char* out, DWORD size);
// value NULL removes the key; section NULL flushes the file to the disk.
BOOL ProfileWriteString(const ProfilePath* path, const char* section, const char* key, const char* value);
