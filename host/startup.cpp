// Options > Start with Windows: the host's value among the programs that
// start with Windows.
#include "startup.h"

static const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const char kRunValue[] = "Quillrun";

int StartupIsOn(void)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    LONG r = RegQueryValueExA(key, kRunValue, NULL, &type, NULL, NULL);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ);
}

int SetStartup(int on)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return 0;
    LONG r;
    if (on) {
        // Quoted (the program's folder may hold blanks) and exact (it may
        // hold letters the code page cannot write).
        WCHAR value[MAX_PATH + 3];
        DWORD len = GetModuleFileNameW(NULL, value + 1, MAX_PATH);
        if (len == 0 || len >= MAX_PATH) {
            RegCloseKey(key);
            return 0;
        }
        value[0] = L'"';
        value[len + 1] = L'"';
        value[len + 2] = 0;
        WCHAR name[sizeof kRunValue];
        for (size_t i = 0; i < sizeof kRunValue; ++i)
            name[i] = (WCHAR)kRunValue[i];  // ASCII
        r = RegSetValueExW(key, name, 0, REG_SZ, (const BYTE*)value, (len + 3) * sizeof(WCHAR));
    } else {
        r = RegDeleteValueA(key, kRunValue);
        if (r == ERROR_FILE_NOT_FOUND)
            r = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}
