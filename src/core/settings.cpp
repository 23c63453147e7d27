// Access to the host's settings file.  The host decides once where the file
// lives (the Windows folder where the file is there and may be written, else
// a folder of the user's own) and puts its full path into chIniPath, in the
// code page for every ANSI reader, and into wchIniPath exactly, so that the
// host and the library in every program use the one file also where the
// code page cannot write its path (core/profile.h).  Until it does, the name
// alone makes the platform's private-profile functions keep the file in the
// Windows folder.
#include "core/contract.h"
#include "core/qrhook.h"
#include "core/profile.h"
#include "core/text.h"
#include "core/host_link.h"

#include <string.h>

// The host may fill a path to its last unit without a terminator: it is
// read with a bound, once, and a path that does not fit counts as none.
void SettingsFilePath(ProfilePath* path)
{
    memset(path, 0, sizeof *path);
    size_t len = 0;
    while (len < sizeof chIniPath && chIniPath[len])
        ++len;
    if (len == 0 || len == sizeof chIniPath || len >= sizeof path->ansi) {
        memcpy(path->ansi, QR_SETTINGS_FILE, sizeof QR_SETTINGS_FILE);
        return;
    }
    memcpy(path->ansi, chIniPath, len);
    size_t units = 0;
    while (units < QR_INI_PATH && wchIniPath[units])
        ++units;
    if (units < QR_INI_PATH && units < MAX_PATH)
        memcpy(path->exact, wchIniPath, units * sizeof(WCHAR));
}

// The country code is a system setting: it is read from the system's own
// file, and only for the exact (case-sensitive) section and key names.
UINT WINAPI GetProfileIMy(LPCSTR section, LPCSTR key, int def)
{
    if (lstrcmpA(section, "intl") == 0 && lstrcmpA(key, "iCountry") == 0)
        return GetPrivateProfileIntA(section, key, def, "Win.Ini");
    ProfilePath path;
    SettingsFilePath(&path);
    return ProfileReadInt(&path, section, key, def);
}

BOOL WINAPI WriteProfileStriMy(LPCSTR section, LPCSTR key, LPCSTR value)
{
    ProfilePath path;
    SettingsFilePath(&path);
    return ProfileWriteString(&path, section, key, value);
}
