// Character steps over text of the system code page; see dbcs.h.
#include "core/dbcs.h"

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

static int InSet(char c, const char* set)
{
    for (; *set; ++set)
        if (*set == c)
            return 1;
    return 0;
}

size_t DbcsAfterLastOf(const char* text, const char* set)
{
    size_t after = 0;
    for (size_t at = 0, step; (step = DbcsCharSize(text + at)) != 0; at += step)
        if (step == 1 && InSet(text[at], set))
            after = at + 1;
    return after;
}

int DbcsFind(const char* text, char c)
{
    for (size_t at = 0, step; (step = DbcsCharSize(text + at)) != 0; at += step)
        if (step == 1 && text[at] == c)
            return (int)at;
    return -1;
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
    size_t count = 0;
    for (size_t at = 0, step; at < len && (step = DbcsCharSize(text + at)) != 0; at += step)
        ++count;
    if (n < 0 || count <= (size_t)n)
        return 0;
    size_t at = 0;
    for (size_t skip = count - (size_t)n; skip > 0; --skip)
        at += DbcsCharSize(text + at);
    return at;
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
    size_t at = 0;
    while (at < n) {
        if (a[at] == 0)
            return b[at] == 0;
        size_t step = DbcsCharSize(a + at);
        if (step == 1) {
            if (UpperAscii(a[at]) != UpperAscii(b[at]))
                return 0;
        } else {
            // Both bytes exactly; the second only while it lies within n.
            if (a[at] != b[at] || (at + 1 < n && a[at + 1] != b[at + 1]))
                return 0;
        }
        at += step;
    }
    return 1;
}
