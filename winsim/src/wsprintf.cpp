// winsim: wsprintfA.  Conversions c, d, i, u, x, X, s and %% with the flags
// '-', '0' and '#', a width, a precision and the size prefixes l, h and I64;
// LONG and DWORD are 32 bits, so 'l' reads an int as on Windows.  A NULL
// string prints "(null)".  At most 1024 bytes are written.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <windows.h>

namespace {

const int kMax = 1024;

struct Out {
    char* buf;
    int len;
    void put(const char* s, size_t n)
    {
        for (size_t i = 0; i < n && len < kMax - 1; ++i)
            buf[len++] = s[i];
    }
};

}  // namespace

extern "C" int wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...)
{
    if (!lpOut)
        return 0;
    Out out{lpOut, 0};
    va_list ap;
    va_start(ap, lpFmt);
    const char* f = lpFmt ? lpFmt : "";
    while (*f) {
        if (*f != '%') {
            out.put(f++, 1);
            continue;
        }
        const char* start = f++;
        char fmt[32] = "%";
        size_t sl = 1;
        while (*f == '-' || *f == '0' || *f == '#') {
            if (sl < 8)
                fmt[sl++] = *f;
            ++f;
        }
        int width = 0, precision = -1;
        while (*f >= '0' && *f <= '9')
            width = width < 10000 ? width * 10 + (*f++ - '0') : (f++, width);
        if (*f == '.') {
            ++f;
            precision = 0;
            while (*f >= '0' && *f <= '9')
                precision = precision < 10000 ? precision * 10 + (*f++ - '0') : (f++, precision);
        }
        int size = 0;  // 0 int, 1 long (32 bits), 2 short, 3 64 bits
        if (*f == 'l') { size = 1; ++f; }
        else if (*f == 'h') { size = 2; ++f; }
        else if (f[0] == 'I' && f[1] == '6' && f[2] == '4') { size = 3; f += 3; }
        sl += snprintf(fmt + sl, sizeof fmt - sl, "%d", width);
        if (precision >= 0)
            sl += snprintf(fmt + sl, sizeof fmt - sl, ".%d", precision);
        char piece[kMax + 32];
        int n = -1;
        switch (*f) {
        case 'd': case 'i': {
            long long v = size == 3 ? va_arg(ap, long long) : (long long)va_arg(ap, int);
            if (size == 2) v = (short)v;
            snprintf(fmt + sl, sizeof fmt - sl, "lld");
            n = snprintf(piece, sizeof piece, fmt, v);
            break;
        }
        case 'u': case 'x': case 'X': {
            unsigned long long v = size == 3 ? va_arg(ap, unsigned long long)
                                             : (unsigned long long)va_arg(ap, unsigned int);
            if (size == 2) v = (unsigned short)v;
            snprintf(fmt + sl, sizeof fmt - sl, "ll%c", *f);
            n = snprintf(piece, sizeof piece, fmt, v);
            break;
        }
        case 'c': case 'C': {
            int c = va_arg(ap, int);
            snprintf(fmt + sl, sizeof fmt - sl, "c");
            n = snprintf(piece, sizeof piece, fmt, (char)c);
            break;
        }
        case 's': case 'S': {
            const char* s = va_arg(ap, const char*);
            snprintf(fmt + sl, sizeof fmt - sl, "s");
            n = snprintf(piece, sizeof piece, fmt, s ? s : "(null)");
            break;
        }
        case '%':
            out.put("%", 1);
            ++f;
            continue;
        default:
            // Not a conversion wsprintf knows: the text is copied as it stands.
            if (!*f) {
                out.put(start, strlen(start));
                continue;
            }
            out.put(start, (size_t)(f + 1 - start));
            ++f;
            continue;
        }
        ++f;
        if (n > 0)
            out.put(piece, (size_t)n < sizeof piece ? (size_t)n : sizeof piece - 1);
    }
    va_end(ap);
    lpOut[out.len] = 0;
    return out.len;
}
