// The launcher's and the dialogs' text handling from any bytes: splitting a
// command line, resolving a chosen path, the character search, the screen
// saver's command line and the file-open dialog driven by typed text and
// list clicks; the journal procedures with any code, index and table.
// Nothing may be written outside a buffer (guard bytes around each one).
#include <winsim.h>
#include <winsim/sim_dialogs.h>
#include <winsim/sim_system.h>

#include <string.h>

#include <string>

#include "core/qrhook.h"
#include "desktop.h"
#include "hotkeys/system_actions.h"
#include "core/text.h"
#include "launch/launch.h"
#include "macro/macro.h"

namespace {

const int kGuard = 16;

// A buffer of size bytes with guard bytes behind it.
struct Guarded {
    char bytes[1100 + kGuard];
    int size;
    void init(int n)
    {
        size = n;
        memset(bytes, 0x5A, sizeof bytes);
    }
    void check() const
    {
        for (int i = size; i < size + kGuard; ++i)
            if (bytes[i] != 0x5A)
                __builtin_trap();
    }
};

uint32_t gExistsBits;
int FuzzExists(const char* path)
{
    return (gExistsBits >> (strlen(path) % 32)) & 1;
}

void TextParts(FuzzInput& in)
{
    char line[300];
    in.text(line, sizeof line, 299);

    static Guarded program, param, dest;
    program.init(1 + in.byte() % 80);
    param.init(1 + in.byte() % 80);
    int sep = SplitCommandLine(line, program.bytes, program.size, param.bytes, param.size);
    program.check();
    param.check();
    if (sep >= 0 && line[sep] != ' ' && line[sep] != '\t')
        __builtin_trap();

    gExistsBits = in.u32();
    dest.init(1 + in.byte() * 4);
    if (ResolveCommandLine(line, dest.bytes, dest.size, FuzzExists) == 1 && strlen(dest.bytes) >= (size_t)dest.size)
        __builtin_trap();
    dest.check();

    char c = (char)in.byte();
    int first = FindChar(line, c), last = FindLastChar(line, c);
    int len = (int)strlen(line);
    if ((first >= 0 && (first >= len || line[first] != c)) || (last >= 0 && (last >= len || line[last] != c)) ||
        (first < 0) != (last < 0) || first > last)
        __builtin_trap();

    static Guarded saver;
    saver.init(1 + in.byte() % 100);
    size_t n = strlen(line) < (size_t)saver.size - 1 ? strlen(line) : (size_t)saver.size - 1;
    memcpy(saver.bytes, line, n);
    saver.bytes[n] = 0;
    AppendScreenSaverSwitch(saver.bytes, saver.size);
    saver.check();

    // The launcher itself; the caller's text keeps its terminator.
    UINT_PTR answer = in.byte();
    ws::setShellExecuteAnswer([answer](const std::string&, const std::string&) { return answer; });
    ShellExec(0, line);
    if (strlen(line) > len)
        __builtin_trap();
}

void Journal(FuzzInput& in)
{
    bPlayBackFirst = (int)in.u32();
    for (int steps = in.byte() % 16; steps > 0 && !in.empty(); --steps) {
        switch (in.byte() % 5) {
        case 0:
            iEventCnt = (int)in.u32();  // the host may write anything
            break;
        case 1: {
            EVENTMSG ev = {in.u32(), in.u32(), in.u32(), in.u32(), NULL};
            JournalRecordProc((int)(int8_t)in.byte(), 0, (in.byte() & 1) ? (LPARAM)&ev : 0);
            break;
        }
        case 2: {
            EVENTMSG ev = {};
            JournalPlayBackProc((int)(int8_t)in.byte(), 0, (in.byte() & 1) ? (LPARAM)&ev : 0);
            break;
        }
        case 3:
            ActStartPlayback(in.byte() & 1);
            break;
        default:
            ActToggleRecording();
            break;
        }
    }
    if (ws::hookCount(WH_JOURNALPLAYBACK) > 1)
        __builtin_trap();  // never a playback hook without its handle
}

void Dialog(FuzzInput& in)
{
    ws::addFileOpenTemplate(hInstHost);
    ws::writeFile("C:\\T\\a.Exe", "MZ");
    ws::writeFile("C:\\T\\S\\b.Txt", "x");
    SetCurrentDirectoryA("C:\\T");
    char pattern[40], ext[20];
    in.text(pattern, sizeof pattern, 39);
    in.text(ext, sizeof ext, 19);
    int actions = in.byte() % 8;
    FuzzInput* input = &in;
    ws::setDialogScript([input, actions](HWND dlg) {
        for (int i = 0; i < actions && ws::dialogOpen(dlg); ++i) {
            switch (input->byte() % 4) {
            case 0: {
                char typed[120];
                input->text(typed, sizeof typed, 119);
                ws::typeText(dlg, 100, typed);
                break;
            }
            case 1:
                ws::clickButton(dlg, 1);
                break;
            case 2: {
                std::vector<std::string> items = ws::dialogListItems(dlg, 102);
                if (!items.empty())
                    ws::selectItem(dlg, 102, items[input->byte() % items.size()], input->byte() & 1);
                break;
            }
            default:
                ws::clickButton(dlg, 2);
                break;
            }
        }
        ws::clickButton(dlg, 2);
    });
    static Guarded out;
    out.init(96);
    OFSTRUCT ofs = {};
    DoFileOpenDlg(hInstHost, NULL, pattern, ext, in.u32(), out.bytes, &ofs);
    out.check();
    if (!memchr(ofs.szPathName, 0, sizeof ofs.szPathName))
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzResetDesktop();
    FuzzInput in{data, size, 0};
    switch (in.byte() % 3) {
    case 0:
        TextParts(in);
        break;
    case 1:
        Journal(in);
        break;
    default:
        Dialog(in);
        break;
    }
    return 0;
}
