// The text paths of history, aliases and completion, on tables and lines of
// any bytes: the host may fill the tables with anything, even without
// terminators, and a field may hold any text.
#include <string.h>
#include <winsim/sim_system.h>

#include "core/qrhook.h"
#include "desktop.h"
#include "core/settings_tables.h"
#include "editline/editline.h"
#include "core/text.h"

static char gRing[QR_RING_SLOTS][QR_HIST_TEXT];
static char gAliases[QR_RING_SLOTS][QR_ALIAS_TEXT];
static WCHAR gExactAliases[QR_RING_SLOTS][QR_ALIAS_TEXT];

// UTF-16 text of any units (lone surrogates included), terminated.
static void WideText(FuzzInput& in, WCHAR* out, size_t size)
{
    size_t n = 0, want = in.byte() % size;
    while (n < want && n + 1 < size && !in.empty())
        out[n++] = (WCHAR)(in.byte() | (in.byte() & 1 ? 0xD800 : in.byte() << 8));
    out[n] = 0;
}

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
    memset(gExactAliases, 0, sizeof gExactAliases);
    int setIndex = (int)in.u32(), getIndex = (int)in.u32(), lastKey = (int)in.u32();
    char line[QR_LINE_TEXT], name[QR_ALIAS_NAME], out[QR_LINE_TEXT], text[600];
    for (int steps = 0; steps < 200 && !in.empty(); ++steps) {
        switch (in.byte() % 12) {
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
        case 10: {  // a Unicode window's line against the exact table
            WCHAR wline[QR_LINE_TEXT], wname[QR_ALIAS_NAME], wout[QR_LINE_TEXT];
            WideText(in, wline, QR_LINE_TEXT);
            AliasRunLine(gExactAliases, wline, wname, wout, QR_LINE_TEXT, in.byte() & 1);
            break;
        }
        case 11: {  // exact text through the settings file and back, unchanged
            WCHAR exact[QR_HIST_TEXT], back[QR_HIST_TEXT];
            char value[QR_EXACT_VALUE], form[QR_HIST_TEXT];
            WideText(in, exact, QR_HIST_TEXT);
            ExactToValue(value, sizeof value, exact, QR_HIST_TEXT);
            if (!ExactFromValue(back, QR_HIST_TEXT, value) || memcmp(back, exact, sizeof(WCHAR) * (TextLength(exact) + 1)))
                __builtin_trap();
            CodePageForm(form, sizeof form, exact, QR_HIST_TEXT);
            ExactTied(exact, QR_HIST_TEXT, form, sizeof form);
            in.text(text, sizeof text, 600);
            ExactFromValue(back, QR_HIST_TEXT, text);
            break;
        }
        }
    }
    return 0;
}
