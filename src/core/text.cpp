// The text toolkit; see text.h.
#include "core/text.h"

#include <string.h>

int DbcsHighByteLeads(char c)
{
    return IsDBCSLeadByte((BYTE)c) ? 1 : 0;
}

size_t CharSize(const char* text)
{
    if (text[0] == 0)
        return 0;
    return DbcsIsLeadByte(text[0]) && text[1] != 0 ? 2 : 1;
}

size_t CharSize(const WCHAR* text)
{
    if (text[0] == 0)
        return 0;
    return LeadsPair(text[0]) && text[1] >= 0xDC00 && text[1] < 0xE000 ? 2 : 1;
}

template <class C> void CopyBounded(C* dst, size_t size, const C* src, size_t srcMax)
{
    if (size == 0)
        return;
    size_t n = 0;
    while (n + 1 < size && n < srcMax && src[n]) {
        // A two-unit character is copied whole or not at all, and its second
        // unit is read only within srcMax.
        size_t step = 1;
        if (LeadsPair(src[n])) {
            if (n + 1 >= srcMax)
                break;
            if (src[n + 1] != 0)
                step = 2;
        }
        if (n + step >= size)
            break;
        dst[n] = src[n];
        if (step == 2)
            dst[n + 1] = src[n + 1];
        n += step;
    }
    dst[n] = 0;
}

template <class C> static int InSet(C c, const char* set)
{
    for (; *set; ++set)
        if ((C)(unsigned char)*set == c)
            return 1;
    return 0;
}

template <class C> size_t AfterLastOf(const C* text, const char* set)
{
    size_t after = 0;
    for (size_t at = 0, step; (step = CharSize(text + at)) != 0; at += step)
        if (step == 1 && InSet(text[at], set))
            after = at + 1;
    return after;
}

template <class C> int FindChar(const C* text, char c)
{
    for (size_t at = 0, step; (step = CharSize(text + at)) != 0; at += step)
        if (step == 1 && text[at] == (C)(unsigned char)c)
            return (int)at;
    return -1;
}

template <class C> int FindLastChar(const C* text, char c)
{
    int last = -1;
    for (size_t at = 0, step; (step = CharSize(text + at)) != 0; at += step)
        if (step == 1 && text[at] == (C)(unsigned char)c)
            last = (int)at;
    return last;
}

template <class C> int Contains(const C* text, const C* needle)
{
    for (size_t at = 0, step;; at += step) {
        size_t i = 0;
        while (needle[i] && text[at + i] == needle[i])
            ++i;
        if (needle[i] == 0)
            return 1;
        if ((step = CharSize(text + at)) == 0)
            return 0;
    }
}

template <class C> size_t LastChars(const C* text, size_t len, int n)
{
    size_t count = 0;
    for (size_t at = 0, step; at < len && (step = CharSize(text + at)) != 0; at += step)
        ++count;
    if (n < 0 || count <= (size_t)n)
        return 0;
    size_t at = 0;
    for (size_t skip = count - (size_t)n; skip > 0; --skip)
        at += CharSize(text + at);
    return at;
}

template <class C> static C UpperAscii(C c)
{
    return (c >= 'a' && c <= 'z') ? (C)(c - 'a' + 'A') : c;
}

template <class C> int EqualNoCase(const C* a, const C* b, size_t n)
{
    size_t at = 0;
    while (at < n) {
        if (a[at] == 0)
            return b[at] == 0;
        size_t step = CharSize(a + at);
        if (step == 1) {
            if (UpperAscii(a[at]) != UpperAscii(b[at]))
                return 0;
        } else {
            // Both units exactly; the second only while it lies within n.
            if (a[at] != b[at] || (at + 1 < n && a[at + 1] != b[at + 1]))
                return 0;
        }
        at += step;
    }
    return 1;
}

void CopyUpper(char* dst, const char* src, size_t size)
{
    if (size == 0)
        return;
    size_t at = 0;
    for (size_t step; (step = CharSize(src + at)) != 0 && at + step < size; at += step) {
        dst[at] = step == 1 ? UpperAscii(src[at]) : src[at];
        if (step == 2)
            dst[at + 1] = src[at + 1];
    }
    dst[at] = 0;
}

int CopyIfFits(char* dst, size_t size, const char* src)
{
    if (size == 0 || !src)
        return 0;
    size_t len = 0;
    while (src[len])
        if (++len >= size)
            return 0;
    memmove(dst, src, len + 1);
    return 1;
}

template <class C> int AppendIfFits(C* dst, size_t size, const char* src)
{
    size_t len = 0, add = strlen(src);
    while (len < size && dst[len])
        ++len;
    if (len + add + 1 > size)
        return 0;
    for (size_t i = 0; i <= add; ++i)
        dst[len + i] = (C)(unsigned char)src[i];
    return 1;
}

void ReadClassName(HWND hWnd, char* buf, int size)
{
    if (size <= 0)
        return;
    buf[0] = 0;
    GetClassNameA(hWnd, buf, size);
    // Older systems leave a name cut at the limit without its terminator.
    buf[size - 1] = 0;
}

#define QR_BOTH_WIDTHS(C)                                                       \
    template void CopyBounded<C>(C*, size_t, const C*, size_t);                 \
    template size_t AfterLastOf<C>(const C*, const char*);                      \
    template int FindChar<C>(const C*, char);                                   \
    template int FindLastChar<C>(const C*, char);                               \
    template int Contains<C>(const C*, const C*);                               \
    template size_t LastChars<C>(const C*, size_t, int);                        \
    template int EqualNoCase<C>(const C*, const C*, size_t);                    \
    template int AppendIfFits<C>(C*, size_t, const char*);
QR_BOTH_WIDTHS(char)
QR_BOTH_WIDTHS(WCHAR)

// --- The exact text and its code-page form -------------------------------------

template <class C> static size_t BoundedLength(const C* text, size_t max)
{
    size_t n = 0;
    while (n < max && text[n])
        ++n;
    return n;
}

void CodePageForm(char* dst, size_t size, const WCHAR* src, size_t srcMax)
{
    // Three bytes a unit is the most any code page takes (UTF-8 as the
    // system's code page).
    char bytes[3 * QR_EXACT_UNITS + 1];
    size_t n = BoundedLength(src, srcMax < QR_EXACT_UNITS ? srcMax : QR_EXACT_UNITS);
    int len = n ? WideCharToMultiByte(CP_ACP, 0, src, (int)n, bytes, (int)sizeof bytes - 1, NULL, NULL)
                : 0;
    bytes[len > 0 ? len : 0] = 0;
    CopyBounded(dst, size, bytes, sizeof bytes);
}

void ExactForm(WCHAR* dst, size_t size, const char* src, size_t srcMax)
{
    WCHAR units[2 * QR_EXACT_UNITS + 2];
    size_t n = BoundedLength(src, srcMax < QR_EXACT_UNITS ? srcMax : QR_EXACT_UNITS);
    int len = n ? MultiByteToWideChar(CP_ACP, 0, src, (int)n, units, (int)(sizeof units / sizeof units[0]) - 1)
                : 0;
    units[len > 0 ? len : 0] = 0;
    CopyBounded(dst, size, units, sizeof units / sizeof units[0]);
}

int ExactTied(const WCHAR* exact, size_t exactMax, const char* ansi, size_t ansiMax)
{
    if (exactMax == 0 || exact[0] == 0 || ansiMax == 0)
        return 0;
    char form[QR_EXACT_UNITS];
    size_t size = ansiMax < sizeof form ? ansiMax : sizeof form;
    CodePageForm(form, size, exact, exactMax);
    // The slot may have been filled to its last byte without a terminator:
    // then it is no form of ours, which always ends within the slot.
    for (size_t i = 0; i < size; ++i) {
        if (form[i] != ansi[i])
            return 0;
        if (form[i] == 0)
            return 1;
    }
    return 0;
}

// --- The exact text in the settings file -----------------------------------

static int PlainInValue(unsigned char b)
{
    return b > 0x20 && b < 0x7F && b != '%' && b != '"' && b != '\'';
}

// The code point at src (a lone surrogate stands for itself, so that any
// field text makes the trip), and the units it takes.
static unsigned CodePointAt(const WCHAR* src, size_t left, size_t* units)
{
    unsigned c = src[0];
    *units = 1;
    if (c >= 0xD800 && c < 0xDC00 && left > 1 && src[1] >= 0xDC00 && src[1] < 0xE000) {
        *units = 2;
        return 0x10000 + ((c - 0xD800) << 10) + (src[1] - 0xDC00);
    }
    return c;
}

static size_t Utf8Of(unsigned cp, unsigned char out[4])
{
    if (cp < 0x80) {
        out[0] = (unsigned char)cp;
        return 1;
    }
    if (cp < 0x800) {
        out[0] = (unsigned char)(0xC0 | (cp >> 6));
        out[1] = (unsigned char)(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = (unsigned char)(0xE0 | (cp >> 12));
        out[1] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
        out[2] = (unsigned char)(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = (unsigned char)(0xF0 | (cp >> 18));
    out[1] = (unsigned char)(0x80 | ((cp >> 12) & 0x3F));
    out[2] = (unsigned char)(0x80 | ((cp >> 6) & 0x3F));
    out[3] = (unsigned char)(0x80 | (cp & 0x3F));
    return 4;
}

void ExactToValue(char* dst, size_t size, const WCHAR* src, size_t srcMax)
{
    static const char kHex[] = "0123456789ABCDEF";
    if (size == 0)
        return;
    size_t out = 0, n = BoundedLength(src, srcMax);
    for (size_t at = 0, units; at < n; at += units) {
        unsigned char bytes[4];
        size_t count = Utf8Of(CodePointAt(src + at, n - at, &units), bytes);
        size_t need = 0;
        for (size_t i = 0; i < count; ++i)
            need += PlainInValue(bytes[i]) ? 1 : 3;
        if (out + need + 1 > size)
            break;  // a character goes whole or not at all
        for (size_t i = 0; i < count; ++i) {
            if (PlainInValue(bytes[i])) {
                dst[out++] = (char)bytes[i];
            } else {
                dst[out++] = '%';
                dst[out++] = kHex[bytes[i] >> 4];
                dst[out++] = kHex[bytes[i] & 15];
            }
        }
    }
    dst[out] = 0;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The next byte of a value; -1 at its end, -2 where it is no such form.
static int NextValueByte(const char** p)
{
    const char* s = *p;
    if (*s == 0)
        return -1;
    if ((unsigned char)*s >= 0x80)
        return -2;  // code-page text, not this form
    if (*s != '%') {
        *p = s + 1;
        return (unsigned char)*s;
    }
    int hi = HexDigit(s[1]), lo = hi < 0 ? -1 : HexDigit(s[2]);
    if (lo < 0)
        return -2;
    *p = s + 3;
    return hi * 16 + lo;
}

// One code point of UTF-8 from the value; -1 at its end, -2 when malformed.
static long NextCodePoint(const char** p)
{
    int b = NextValueByte(p);
    if (b < 0)
        return b;
    if (b < 0x80)
        return b;
    int more = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (more < 0 || b >= 0xF5)
        return -2;
    long cp = b & (0x3F >> more);
    for (int i = 0; i < more; ++i) {
        int c = NextValueByte(p);
        if (c < 0x80 || c > 0xBF)
            return -2;
        cp = (cp << 6) | (c & 0x3F);
    }
    static const long kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[more] || cp > 0x10FFFF)
        return -2;  // an overlong form or beyond Unicode
    return cp;
}

int ExactFromValue(WCHAR* dst, size_t size, const char* value)
{
    if (size == 0)
        return 0;
    size_t out = 0;
    const char* p = value;
    for (long cp; (cp = NextCodePoint(&p)) != -1;) {
        if (cp < 0) {
            dst[0] = 0;
            return 0;
        }
        size_t units = cp >= 0x10000 ? 2 : 1;
        if (out + units + 1 > size)
            break;
        if (units == 1) {
            dst[out++] = (WCHAR)cp;
        } else {
            dst[out++] = (WCHAR)(0xD800 + ((cp - 0x10000) >> 10));
            dst[out++] = (WCHAR)(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    dst[out] = 0;
    return 1;
}
