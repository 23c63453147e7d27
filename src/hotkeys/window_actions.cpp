// Window actions of the command table and SetWS.  The actions not built yet
// do nothing, so their keys only follow the table's swallow-or-pass rule.
#include "core/qrhook.h"

int WINAPI SetWS(HWND, int, int) { return 0; }

void ActCloseWindowUnderPointer(void) {}
void ActPointerToScreenCentre(void) {}
void ActToggleIconAnimation(void) {}
void ActToggleHostWindow(void) {}
void ActUnderPointerToBottom(void) {}
void ActDisableWindowUnderPointer(void) {}
void ActEnableDisabledWindow(void) {}
void ActUnderPointerTopmost(void) {}
// Tuning of the pointer return.  The lower steps test before they step, so a
// value that is no multiple of the step ends below the floor (4 -> -6).
void ActRaiseZure(void) { iZure += 10; }

void ActLowerZure(void)
{
    if (iZure > 0)
        iZure -= 10;
}

void ActRaiseAida(void) { lAida += 1000; }

void ActLowerAida(void)
{
    if (lAida > 1000)
        lAida -= 1000;
}
void ActToggleStyle(int) {}
void ActSysCommandToAll(WPARAM) {}
void ActArrangeIcons(void) {}
void ActListBoxExtentUnderPointer(void) {}
void ActListViewFullRowUnderPointer(void) {}
void ActResetFontUnderPointer(void) {}
