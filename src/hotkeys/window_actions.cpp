// Window actions of the command table and SetWS.  Not built yet: each action
// does nothing, so its key only follows the table's swallow-or-pass rule.
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
void ActRaiseZure(void) {}
void ActLowerZure(void) {}
void ActRaiseAida(void) {}
void ActLowerAida(void) {}
void ActToggleStyle(int) {}
void ActSysCommandToAll(WPARAM) {}
void ActArrangeIcons(void) {}
void ActListBoxExtentUnderPointer(void) {}
void ActListViewFullRowUnderPointer(void) {}
void ActResetFontUnderPointer(void) {}
