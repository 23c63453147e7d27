// The inspector's report from any class name bytes, handles, styles and
// buffer sizes: the text stays inside its buffer, is terminated, and its
// length is what the builder says; then the whole inspector on a window whose
// class name is taken from the input.
#include <winsim.h>

#include <string.h>

#include <string>

#include "core/qrhook.h"
#include "desktop.h"
#include "hotkeys/style_report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzResetDesktop();
    FuzzInput in{data, size, 0};
    char cls[300];
    in.text(cls, sizeof cls, 299);
    UINT hWnd = in.u32(), hParent = in.u32();
    LONG exStyle = (LONG)in.u32(), style = (LONG)in.u32();
    size_t reportSize = in.byte() * 5;  // 0 to 1275
    size_t lineSize = in.byte() % 40;

    // Guard bytes after each buffer catch a write past its end even where the
    // sanitizer's red zone would not (both live in one array).
    static char block[1300 + 64];
    memset(block, 0x5A, sizeof block);
    char* report = block;
    char* line = block + 1300;
    size_t len = BuildStyleReport(report, reportSize, line, lineSize, (in.byte() & 1) ? cls : NULL,
                                  hWnd, hParent, exStyle, style);
    for (size_t i = reportSize; i < 1300; ++i)
        if (block[i] != 0x5A)
            __builtin_trap();
    for (size_t i = 1300 + lineSize; i < sizeof block; ++i)
        if (block[i] != 0x5A)
            __builtin_trap();
    if (reportSize == 0) {
        if (len != 0)
            __builtin_trap();
    } else if (len >= reportSize || strlen(report) != len) {
        __builtin_trap();
    }

    // The hot key over a window of that class, and the host's own call.
    ws::WindowSpec desc;
    desc.cls = cls;
    desc.style = WS_VISIBLE | (style & ~WS_VISIBLE);
    desc.exStyle = exStyle;
    desc.rect = RECT{2000, 2000, 2100, 2100};
    HWND w = ws::createWindow(desc);
    ws::setCursorPos(2050, 2050);
    ws::setKeyState(VK_CONTROL, true);
    ws::setKeyState(VK_SHIFT, true);
    ws::keyDown(VK_OEM_5);
    ws::keyUp(VK_OEM_5);
    PrtWindowStyle(cls, w);
    ResetMyHook(0, 0);
    return 0;
}
