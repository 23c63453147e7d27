// Character steps over text of the system code page; see dbcs.h.
#include "core/dbcs.h"
#include "core/text.h"

#include <windows.h>

int DbcsHighByteLeads(char c)
{
    return IsDBCSLeadByte((BYTE)c) ? 1 : 0;
}

size_t DbcsCharSize(const char* text)
{
    if (text[0] == 0)
        return 0;
    return DbcsIsLeadByte(text[0]) && text[1] != 0 ? 2 : 1;
}

// The scans and the comparison are the code-page instances of the text
// functions of both widths (text.h).
size_t DbcsAfterLastOf(const char* text, const char* set)
{
    return AfterLastOf(text, set);
}

int DbcsFind(const char* text, char c)
{
    return FindChar(text, c);
}

int DbcsContains(const char* text, const char* needle)
{
    for (size_t at = 0, step;; at += step) {
        size_t i = 0;
        while (needle[i] && text[at + i] == needle[i])
            ++i;
        if (needle[i] == 0)
            return 1;
        if ((step = DbcsCharSize(text + at)) == 0)
            return 0;
    }
}

size_t DbcsLastChars(const char* text, size_t len, int n)
{
    return LastChars(text, len, n);
}

static char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

void DbcsCopyUpper(char* dst, const char* src, size_t size)
{
    if (size == 0)
        return;
    size_t at = 0;
    for (size_t step; (step = DbcsCharSize(src + at)) != 0 && at + step < size; at += step) {
        if (step == 1) {
            dst[at] = UpperAscii(src[at]);
        } else {
            dst[at] = src[at];
            dst[at + 1] = src[at + 1];
        }
    }
    dst[at] = 0;
}

int DbcsEqualNoCase(const char* a, const char* b, size_t n)
{
    return EqualNoCase(a, b, n);
}
