// The text paths of history, aliases and completion, on tables and lines of
// any bytes: the host may fill the tables with anything, even without
// terminators, and a field may hold any text.
#include <string.h>
#include <winsim/sim_system.h>

#include "core/qrhook.h"
#include "desktop.h"
#include "editline/editline.h"

static char gRing[QR_RING_SLOTS][QR_HIST_TEXT];
static char gAliases[QR_RING_SLOTS][QR_ALIAS_TEXT];

// Fills a table region with input bytes, NULs included or not.
static void FillRaw(FuzzInput& in, char* table, size_t size)
{
    size_t at = in.u32() % size, n = in.byte() * 4u;
    for (size_t i = 0; i < n && at + i < size && !in.empty(); ++i)
        table[at + i] = (char)in.byte();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in{data, size, 0};
    ws::setCodePage(932);
    memset(gRing, 0, sizeof gRing);
    memset(gAliases, 0, sizeof gAliases);
    int setIndex = (int)in.u32(), getIndex = (int)in.u32(), lastKey = (int)in.u32();
    char line[QR_LINE_TEXT], name[QR_ALIAS_NAME], out[QR_LINE_TEXT], text[600];
    for (int steps = 0; steps < 200 && !in.empty(); ++steps) {
        switch (in.byte() % 10) {
        case 0:
            FillRaw(in, &gRing[0][0], sizeof gRing);
            break;
        case 1:
            FillRaw(in, &gAliases[0][0], sizeof gAliases);
            break;
        case 2:
            in.text(text, sizeof text, 600);
            HistRingStore(gRing, &setIndex, &getIndex, text);
            break;
        case 3:
            HistRingOlder(gRing, &getIndex, &lastKey, in.byte());
            break;
        case 4:
            HistRingNewer(gRing, &getIndex, &lastKey, in.byte());
            break;
        case 5:  // an index written by the host
            (in.byte() & 1 ? setIndex : getIndex) = (int)in.u32();
            break;
        case 6:
            in.text(line, sizeof line, 255);
            AliasRunLine(gAliases, line, name, out, sizeof out, in.byte() & 1);
            break;
        case 7: {
            in.text(line, sizeof line, 255);
            char word[QR_LINE_TEXT];
            CopyBounded(word, sizeof word, line + LastWordStart(line), sizeof word);
            const char* wildcard = CompletionWildcard(word);
            if (wildcard)
                AppendIfFits(line, sizeof line, wildcard);
            in.text(text, sizeof text, 300);
            if (text[0] == '[')
                StripDirectoryBrackets(text);
            ReplaceLastName(line, sizeof line, text);
            break;
        }
        case 8: {
            char key[16], value[QR_HIST_TEXT];
            SlotKeyName(key, sizeof key, in.byte() & 1 ? "Alias-" : "", (int)in.u32());
            ProfileSafeCopy(value, sizeof value, gRing[in.byte() % QR_RING_SLOTS], QR_HIST_TEXT);
            break;
        }
        case 9:  // the system's code page: single-byte or Shift-JIS
            ws::setCodePage(in.byte() & 1 ? 932 : 1252);
            break;
        }
    }
    return 0;
}
