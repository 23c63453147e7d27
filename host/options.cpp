#include "options.h"

#include <stdio.h>
#include <string.h>

const OptionKey kOptionKeys[] = {
    {"History", &HostOptions::history, 1},
    {"PointerJump", &HostOptions::pointerJump, 1},
    {"Alias", &HostOptions::alias, 1},
    {"Hokan", &HostOptions::hokan, 1},
    {"CtrlShift", &HostOptions::ctrlShift, 1},
    {"Heropa", &HostOptions::heropa, 0},
    {"SaveHistory", &HostOptions::saveHistory, 1},
    {"ButtonEditOnly", &HostOptions::buttonEditOnly, 0},
    {"Zure", &HostOptions::zure, 1024},
    {"Aida", &HostOptions::aida, 30000},
    {"CursorChange", &HostOptions::cursorChange, 0},
    {"CursorIndex", &HostOptions::cursorIndex, 0},
};
const int kOptionKeyCount = sizeof kOptionKeys / sizeof kOptionKeys[0];

void DefaultOptions(HostOptions* o)
{
    memset(o, 0, sizeof *o);
    for (int i = 0; i < kOptionKeyCount; ++i)
        o->*kOptionKeys[i].field = kOptionKeys[i].def;
    NormaliseLetterSwitches("", o->ctrlShiftKeys);
}

void NormaliseLetterSwitches(const char* text, char out[28])
{
    size_t len = text ? strlen(text) : 0;
    for (size_t i = 0; i < 26; ++i)
        out[i] = (i < len && text[i] == '0') ? '0' : '1';
    out[26] = 0;
    out[27] = 0;
}

void HistoryKey(int slot, char* out, size_t size)
{
    snprintf(out, size, "%x", (unsigned)(slot + 1));
}

void AliasKey(int slot, char* out, size_t size)
{
    snprintf(out, size, "Alias-%x", (unsigned)(slot + 1));
}

// FNV-1a, 64 bits: a few thousand byte steps every couple of seconds.
static unsigned long long Mix(unsigned long long h, const char* text, size_t size)
{
    // The tables are written by other processes meanwhile: read with a bound.
    size_t len = strnlen(text, size);
    for (size_t i = 0; i < len; ++i)
        h = (h ^ (unsigned char)text[i]) * 0x100000001b3ULL;
    return (h ^ 0x100) * 0x100000001b3ULL;  // a slot's end, unlike any byte
}

unsigned long long TablesFingerprint(const char hist[QR_HIST_SLOTS][QR_HIST_TEXT],
                                     const char alias[QR_HIST_SLOTS][QR_ALIAS_TEXT], int next)
{
    unsigned long long h = 0xcbf29ce484222325ULL;
    for (int i = 0; i < QR_HIST_SLOTS; ++i)
        h = Mix(h, hist[i], QR_HIST_TEXT);
    for (int i = 0; i < QR_HIST_SLOTS; ++i)
        h = Mix(h, alias[i], QR_ALIAS_TEXT);
    char slot[16];
    snprintf(slot, sizeof slot, "%d", next);
    return Mix(h, slot, sizeof slot);
}

int PreviousSlot(int slot)
{
    return slot <= 0 ? QR_HIST_SLOTS - 1 : slot - 1;
}

int NextHistorySlot(const char hist[QR_HIST_SLOTS][QR_HIST_TEXT], int saved)
{
    int last = -1, empty = 0;
    for (int i = 0; i < QR_HIST_SLOTS; ++i) {
        if (hist[i][0])
            last = i;
        else
            ++empty;
    }
    if (saved >= 0 && saved < QR_HIST_SLOTS && (empty == 0 || hist[saved][0] == 0))
        return saved;
    return (last + 1) % QR_HIST_SLOTS;
}

int FormatAliasList(const char alias[QR_HIST_SLOTS][QR_ALIAS_TEXT], char* out, size_t size)
{
    if (size == 0)
        return 0;
    out[0] = 0;
    size_t used = 0;
    int count = 0;
    for (int i = 0; i < QR_HIST_SLOTS; ++i) {
        // An entry is NAME,VALUE within its 128 bytes; the host may have
        // filled it without a terminator, so it is read with a bound.
        const char* entry = alias[i];
        size_t len = strnlen(entry, QR_ALIAS_TEXT);
        if (len == 0)
            continue;
        const char* comma = (const char*)memchr(entry, ',', len);
        size_t nameLen = comma ? (size_t)(comma - entry) : len;
        const char* value = comma ? comma + 1 : "";
        size_t valueLen = comma ? len - nameLen - 1 : 0;
        int n = snprintf(out + used, size - used, "%.*s = %.*s\n", (int)nameLen, entry,
                         (int)valueLen, value);
        if (n < 0 || (size_t)n >= size - used) {
            out[used] = 0;  // no room for the whole line: leave it out
            break;
        }
        used += (size_t)n;
        ++count;
    }
    return count;
}

void DescribeHotKey(WPARAM vk, int count, char* out, size_t size)
{
    char key[16];
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        snprintf(key, sizeof key, "%c", (char)vk);
    else if (vk == VK_F11)
        snprintf(key, sizeof key, "F11");
    else
        snprintf(key, sizeof key, "key %u", (unsigned)(vk & 0xFFFF));
    snprintf(out, size, "Hot keys received: %d, last: Ctrl+Shift+%s", count, key);
}

size_t FolderLength(const char* path)
{
    size_t folder = 0;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '\\')
            folder = (size_t)(p - path) + 1;
    return folder;
}

int LibraryPathBeside(const char* program, char* out, size_t size)
{
    size_t folder = FolderLength(program);
    static const char kLibrary[] = "QRHook.dll";
    if (folder + sizeof kLibrary > size)
        return 0;
    memcpy(out, program, folder);
    memcpy(out + folder, kLibrary, sizeof kLibrary);
    return 1;
}
