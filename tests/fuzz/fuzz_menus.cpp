// The system-menu relabelling over menus of any texts, some of them near the
// Japanese labels, and over windows that have no menu or no longer exist.
#include <string.h>

#include <winsim.h>

#include "core/qrhook.h"
#include "desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size, 0};
    FuzzResetDesktop();
    HWND w = FuzzWindow(in.byte());
    static const UINT commands[] = {61728, 61456, 61440, 61472, 61488, 61536, 61744, 0, 1};
    // Label prefixes: restore, move, close and task list in Shift-JIS.
    static const char* const labels[] = {"\x8C\xB3\x82\xCC", "\x88\xDA\x93\xAE", "\x95\xC2\x82\xB6\x82\xE9",
                                         "\x83\x41\x83\x76\x83\x8A"};
    std::vector<ws::MenuItem> items;
    while (!in.empty() && items.size() < 12) {
        char text[80];
        uint8_t how = in.byte();
        size_t at = 0;
        if (how & 1) {  // start from a label and let the input go on from there
            const char* label = labels[(how >> 1) % 4];
            at = strlen(label);
            memcpy(text, label, at);
        }
        in.text(text + at, sizeof text - at, 79 - at);
        items.push_back(ws::MenuItem{commands[in.byte() % 9], text});
    }
    ws::setSystemMenu(w, items);
    ChangeDefMenu(w);
    ChangeDefMenu(FuzzWindow(in.byte()));
    bHeropa = 1;
    ws::activate(FuzzWindow(in.byte()));
    return 0;
}
