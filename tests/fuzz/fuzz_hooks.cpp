// Random sequences of key events, focus changes, activations, destructions,
// field texts and host writes into the exported variables, through the
// keyboard and CBT hooks as the platform delivers them.
#include <winsim.h>

#include "core/qrhook.h"
#include "desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzResetDesktop();
    FuzzInput in{data, size, 0};
    char text[600];
    for (int steps = 0; steps < 400 && !in.empty(); ++steps) {
        switch (in.byte() % 10) {
        case 0:
        case 1: {  // a key down, with the modifiers chosen by the input
            uint8_t mods = in.byte();
            ws::setKeyState(VK_CONTROL, mods & 1);
            ws::setKeyState(VK_SHIFT, mods & 2);
            ws::setKeyState(VK_MENU, mods & 4);
            ws::keyDown(in.byte(), (mods & 8) ? HC_NOREMOVE : HC_ACTION);
            break;
        }
        case 2:
            ws::keyUp(in.byte());
            break;
        case 3:  // the focus moves, with its CBT notifications
            ws::changeFocus(FuzzWindow(in.byte()));
            break;
        case 4:
            ws::activate(FuzzWindow(in.byte()));
            break;
        case 5: {  // a window is destroyed, or only announced as destroyed
            HWND h = FuzzWindow(in.byte());
            if (in.byte() & 1)
                DestroyWindow(h);
            else
                ws::runCbtHooks(HCBT_DESTROYWND, (WPARAM)h, 0);
            break;
        }
        case 6:  // a field's text: any bytes, any length
            in.text(text, sizeof text, 600);
            SetWindowTextA(FuzzWindow(in.byte()), text);
            break;
        case 7:
            FuzzWriteExportedVariable(in);
            break;
        case 8:
            ws::setCursorPos((int)in.u32() % 2000 - 500, (int)in.u32() % 2000 - 500);
            break;
        case 9:
            ws::advanceTick(in.u32());
            break;
        }
    }
    ResetMyHook(0, 0);
    return 0;
}
