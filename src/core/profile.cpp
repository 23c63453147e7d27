// Profile access by a path that may lie outside the code page (profile.h).
#include "core/profile.h"

#include "core/text.h"

#include <string.h>

// Values in the settings file are at most this long (the exact text's form,
// QR_EXACT_VALUE, is the longest).
#define QR_PROFILE_VALUE 2400

void ProfilePathOf(ProfilePath* path, const WCHAR* exact)
{
    memset(path, 0, sizeof *path);
    CopyBounded(path->exact, MAX_PATH, exact, MAX_PATH);
    int n = WideCharToMultiByte(CP_ACP, 0, path->exact, -1, path->ansi, MAX_PATH, NULL, NULL);
    if (n <= 0)
        path->ansi[0] = 0;
    path->ansi[MAX_PATH - 1] = 0;
}

int ProfileNeedsExactPath(const ProfilePath* path)
{
    if (path->exact[0] == 0)
        return 0;
    WCHAR back[MAX_PATH];
    int n = MultiByteToWideChar(CP_ACP, 0, path->ansi, -1, back, MAX_PATH);
    return n <= 0 || memcmp(back, path->exact, (TextLength(path->exact) + 1) * sizeof(WCHAR)) != 0;
}

// Code-page text as UTF-16 for the W calls; NULL stays NULL.
static const WCHAR* Widen(const char* text, WCHAR* out, int units)
{
    if (!text)
        return NULL;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, out, units);
    out[n > 0 ? n - 1 : 0] = 0;
    return out;
}

UINT ProfileReadInt(const ProfilePath* path, const char* section, const char* key, int def)
{
    if (!ProfileNeedsExactPath(path))
        return GetPrivateProfileIntA(section, key, def, path->ansi);
    WCHAR s[128], k[128];
    return GetPrivateProfileIntW(Widen(section, s, 128), Widen(key, k, 128), def, path->exact);
}

DWORD ProfileReadString(const ProfilePath* path, const char* section, const char* key, const char* def,
                        char* out, DWORD size)
{
    if (size == 0)
        return 0;
    if (!ProfileNeedsExactPath(path))
        return GetPrivateProfileStringA(section, key, def, out, size, path->ansi);
    WCHAR s[128], k[128], d[QR_PROFILE_VALUE], value[QR_PROFILE_VALUE];
    value[0] = 0;
    GetPrivateProfileStringW(Widen(section, s, 128), Widen(key, k, 128), Widen(def, d, QR_PROFILE_VALUE),
                             value, QR_PROFILE_VALUE, path->exact);
    int n = WideCharToMultiByte(CP_ACP, 0, value, -1, out, (int)size, NULL, NULL);
    if (n <= 0) {
        // Too long for out: cut by characters, as the ANSI call cuts.
        char whole[2 * QR_PROFILE_VALUE + 1];
        n = WideCharToMultiByte(CP_ACP, 0, value, -1, whole, (int)sizeof whole, NULL, NULL);
        whole[n > 0 ? n - 1 : 0] = 0;
        CopyBounded(out, size, whole, sizeof whole);
    }
    out[size - 1] = 0;
    return (DWORD)strlen(out);
}

BOOL ProfileWriteString(const ProfilePath* path, const char* section, const char* key, const char* value)
{
    if (!ProfileNeedsExactPath(path))
        return WritePrivateProfileStringA(section, key, value, path->ansi);
    WCHAR s[128], k[128], v[QR_PROFILE_VALUE];
    return WritePrivateProfileStringW(Widen(section, s, 128), Widen(key, k, 128), Widen(value, v, QR_PROFILE_VALUE),
                                      path->exact);
}
