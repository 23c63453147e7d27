// Journal record and playback.  Not built yet: the procedures only chain on
// and the hot keys do nothing.
#include "core/qrhook.h"

LRESULT CALLBACK JournalRecordProc(int code, WPARAM wParam, LPARAM lParam)
{
    CallNextHookEx(hOldRMacroHook, code, wParam, lParam);
    return 0;
}

LRESULT CALLBACK JournalPlayBackProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(hOldPMacroHook, code, wParam, lParam);
}

void ActToggleRecording(void) {}
void ActStartPlayback(int) {}
