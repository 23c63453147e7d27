#include "options.h"

#include "resource.h"

#include <limits.h>
#include <string.h>

const HostOption kHostOptions[] = {
    {"History", 1, IDM_HISTORY, NULL, 0, 0, 1},  // answer to HM_HISTORY_ON
    {"PointerJump", 1, IDM_JUMP, NULL, 0, 0, 1},  // answer to HM_POINTER_JUMP
    {"Alias", 1, IDM_ALIAS, &QrLib::bIsAlias, 0, 0, 1},
    {"Hokan", 1, IDM_HOKAN, &QrLib::bIsHokan, 0, 0, 1},
    // Off: the edit-line services serve only the classic list of classes.
    {"AnyEditField", 1, IDM_ANYEDIT, &QrLib::bAnyEditField, 0, 0, 1},
    {"CtrlShift", 1, IDM_CTRLSHIFT, &QrLib::bCtrlShift, 0, 0, 1},
    {"Heropa", 0, IDM_HEROPA, &QrLib::bHeropa, 0, 0, 1},
    {"SaveHistory", 1, IDM_SAVEHISTORY, &QrLib::bIsHistory, 0, 0, 1},
    {"ButtonEditOnly", 0, 0, &QrLib::bButtonEditOnly, 0, 0, 1},
    {"Zure", QR_INITIAL_ZURE, 0, &QrLib::iZure, 1, QR_ZURE_FLOOR, INT_MAX},
    {"Aida", QR_INITIAL_AIDA, 0, &QrLib::lAida, 1, QR_AIDA_FLOOR, INT_MAX},
    // The host's choice: the standard arrow after the keyboard lock.
    {"CursorChange", 0, 0, &QrLib::bCursorChange, 0, 0, 1},
    {"CursorIndex", 0, 0, &QrLib::iSelCursorIndex, 0, 0, QR_CURSOR_NAMES - 1},
};
const int kHostOptionCount = sizeof kHostOptions / sizeof kHostOptions[0];
static_assert(sizeof kHostOptions / sizeof kHostOptions[0] <= QR_HOST_OPTIONS_MAX,
              "HostOptions holds every option");

void DefaultOptions(HostOptions* o)
{
    memset(o, 0, sizeof *o);
    for (int i = 0; i < kHostOptionCount; ++i)
        o->value[i] = kHostOptions[i].def;
    NormaliseLetterSwitches("", o->ctrlShiftKeys);
}

static int RowOfMenu(int menuId)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (menuId != 0 && kHostOptions[i].menuId == menuId)
            return i;
    return -1;
}

int OptionValueValid(int row, int value)
{
    return row >= 0 && row < kHostOptionCount && value >= kHostOptions[row].lo && value <= kHostOptions[row].hi;
}

int OptionOn(const HostOptions* o, int menuId)
{
    int row = RowOfMenu(menuId);
    return row >= 0 && o->value[row] != 0;
}

void ApplyOptions(const HostOptions* o, QrLib* lib)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].libValue)
            *(lib->*kHostOptions[i].libValue) = o->value[i];
    memcpy(lib->chCtrlShift, o->ctrlShiftKeys, QR_LETTER_SWITCHES);
}

int ToggleOption(HostOptions* o, QrLib* lib, int menuId)
{
    int row = RowOfMenu(menuId);
    if (row < 0)
        return 0;
    o->value[row] = o->value[row] ? 0 : 1;
    if (kHostOptions[row].libValue)
        *(lib->*kHostOptions[row].libValue) = o->value[row];
    return 1;
}

void CheckOptionItems(const HostOptions* o, HMENU menu)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].menuId)
            CheckMenuItem(menu, (UINT)kHostOptions[i].menuId,
                          MF_BYCOMMAND | (o->value[i] ? MF_CHECKED : MF_UNCHECKED));
}

void KeepTunedOptions(HostOptions* o, const QrLib* lib)
{
    for (int i = 0; i < kHostOptionCount; ++i)
        if (kHostOptions[i].tunedByHotKeys)
            o->value[i] = *(lib->*kHostOptions[i].libValue);
}

void NormaliseLetterSwitches(const char* text, char out[28])
{
    size_t len = text ? strlen(text) : 0;
    for (size_t i = 0; i < 26; ++i)
        out[i] = (i < len && text[i] == '0') ? '0' : '1';
    out[26] = 0;
    out[27] = 0;
}
