// Access to the host's settings file.  The host decides once where the file
// lives (the Windows folder where the file is there and may be written, else
// a folder of the user's own) and puts its full path into chIniPath, so that
// the host and the library in every program use the one file.  Until it
// does, the name alone makes the platform's private-profile functions keep
// the file in the Windows folder.
#include "core/contract.h"
#include "core/qrhook.h"
#include "core/text.h"
#include "core/host_link.h"

// The host may fill the path to its last byte without a terminator: it is
// read with a bound, and a path that does not fit counts as none.
void SettingsFile(char* out, size_t size)
{
    size_t len = 0;
    while (len < sizeof chIniPath && chIniPath[len])
        ++len;
    if (len == 0 || len == sizeof chIniPath)
        CopyBounded(out, size, QR_SETTINGS_FILE, sizeof QR_SETTINGS_FILE);
    else
        CopyBounded(out, size, chIniPath, len);
}

// The country code is a system setting: it is read from the system's own
// file, and only for the exact (case-sensitive) section and key names.
UINT WINAPI GetProfileIMy(LPCSTR section, LPCSTR key, int def)
{
    if (lstrcmpA(section, "intl") == 0 && lstrcmpA(key, "iCountry") == 0)
        return GetPrivateProfileIntA(section, key, def, "Win.Ini");
    char file[sizeof chIniPath];
    SettingsFile(file, sizeof file);
    return GetPrivateProfileIntA(section, key, def, file);
}

BOOL WINAPI WriteProfileStriMy(LPCSTR section, LPCSTR key, LPCSTR value)
{
    char file[sizeof chIniPath];
    SettingsFile(file, sizeof file);
    return WritePrivateProfileStringA(section, key, value, file);
}
