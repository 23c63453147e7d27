// Access to the host's settings file.  The file is named without a folder so
// that the platform's private-profile functions keep it in the Windows folder.
#include "core/qrhook.h"

#define QR_SETTINGS_FILE "Quillrun.Ini"

// The country code is a system setting: it is read from the system's own
// file, and only for the exact (case-sensitive) section and key names.
UINT WINAPI GetProfileIMy(LPCSTR section, LPCSTR key, int def)
{
    if (lstrcmpA(section, "intl") == 0 && lstrcmpA(key, "iCountry") == 0)
        return GetPrivateProfileIntA(section, key, def, "Win.Ini");
    return GetPrivateProfileIntA(section, key, def, QR_SETTINGS_FILE);
}

BOOL WINAPI WriteProfileStriMy(LPCSTR section, LPCSTR key, LPCSTR value)
{
    return WritePrivateProfileStringA(section, key, value, QR_SETTINGS_FILE);
}
