// The texts for the classic program-loader results of the shell (0 to 21),
// shared by the library's launcher and the host, which runs a picked file
// itself.
#include "launch/launch.h"

static const char* const kShellErrors[22] = {
    "Not Enough System Memory / Broke'n .Exe / Relocate Error",
    "Int 21H - Func 4B00h Error",
    "File Not Found",
    "Not Found Path",
    "Too Many Open File",
    "Task Dynamic Link / Share Error / Network Protect",
    "Other DS Require For Task In Library",
    "MS-DOS Memory Block Error",
    "Not Enough Memory",
    "MS-DOS Memory Block Error",
    "Bad Windows Version",
    "Not Windows .Exe / .Exe Image Error",
    "Other OS Program",
    "For MS-DOS Ver 4.0",
    "Can't Understand File Type",
    "For Real Mode Windows",
    "Multiple DS",
    "Can't Share DLL",
    "For Protect Mode App In Real Mode",
    "Compressed",
    "DLL Error",
    "For Windows 32 Bit Version",
};

const char* ShellErrorText(UINT_PTR result)
{
    return result < 22 ? kShellErrors[result] : NULL;
}
