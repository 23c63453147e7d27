// Program launch: runs a command line through the shell and explains a
// failure of the classic program loader in a message box.
#include "core/qrhook.h"

#include <shellapi.h>
#include <string.h>

#include "core/text.h"
#include "launch/launch.h"

static int IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

int SplitCommandLine(const char* line, char* program, int programSize, char* param, int paramSize)
{
    int sep = -1;
    for (size_t i = 0, step; (step = CharSize(line + i)) != 0; i += step)
        if (step == 1 && IsBlankOrTab(line[i])) {
            sep = (int)i;
            break;
        }
    int programLen = sep >= 0 ? sep : (int)strlen(line);
    const char* rest = sep >= 0 ? line + sep + 1 : "";
    int paramLen = (int)strlen(rest);
    if (programLen >= programSize || paramLen >= paramSize)
        return -2;
    memset(program, 0, (size_t)programSize);
    memset(param, 0, (size_t)paramSize);
    memcpy(program, line, (size_t)programLen);
    memcpy(param, rest, (size_t)paramLen);
    return sep;
}

void WINAPI ShellExec(int, LPSTR commandLine)
{
    if (!commandLine)
        return;
    char* line = commandLine;
    while (IsBlankOrTab(*line))
        ++line;
    // The two parts are this call's own: their lengths size the caption
    // below, and any process may write the shared block meanwhile.
    char program[64], param[64];
    int sep = SplitCommandLine(line, program, sizeof program, param, sizeof param);
    if (sep == -2) {
        // A part longer than its buffer: refused rather than run cut short.
        MessageBeep(0);
        return;
    }
    if (sep >= 0)
        line[sep] = 0;

    UINT_PTR result = (UINT_PTR)ShellExecuteA(hWndHost, NULL, program, param, NULL, SW_SHOWNORMAL);
    const char* text = ShellErrorText(result);
    if (!text)
        return;
    char caption[128];
    const char* title = "Quillrun";
    if (result >= 2) {
        // Both parts are at most 63 characters: the caption always fits.
        size_t programLen = strlen(program), paramLen = strlen(param);
        memcpy(caption, program, programLen);
        caption[programLen] = ' ';
        memcpy(caption + programLen + 1, param, paramLen + 1);
        title = caption;
    }
    MessageBoxA(hWndHost, text, title, MB_OK | MB_ICONWARNING);
}
