// Paths beside the running program, handled by characters.
#include "paths.h"

#include <string.h>

#include "core/text.h"

template <class C> size_t FolderLength(const C* path)
{
    return AfterLastOf(path, "\\");
}
template size_t FolderLength<char>(const char*);
template size_t FolderLength<WCHAR>(const WCHAR*);

template <class C> int FileBeside(const C* program, const char* name, C* out, size_t size)
{
    size_t folder = FolderLength(program), nameLen = strlen(name);
    if (folder + nameLen + 1 > size)
        return 0;
    memcpy(out, program, folder * sizeof(C));
    for (size_t i = 0; i <= nameLen; ++i)
        out[folder + i] = (C)(unsigned char)name[i];
    return 1;
}
template int FileBeside<char>(const char*, const char*, char*, size_t);
template int FileBeside<WCHAR>(const WCHAR*, const char*, WCHAR*, size_t);

int LibraryPathBeside(const char* program, char* out, size_t size)
{
    return FileBeside(program, QR_LIBRARY_FILE, out, size);
}
