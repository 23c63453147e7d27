// Text in the system code page, stepped by characters.  On a double-byte
// code page (Shift-JIS on Japanese systems) a lead byte and the byte after it
// form one character, and that second byte may have the value of a
// backslash, a bracket or an ASCII letter.  Every scan for a character and
// every cut at a byte count goes through these helpers, so that no
// double-byte character is split or read as two.  A character is what
// CharNextA steps over: two bytes for a lead byte followed by any byte but
// the terminator, else one.  They work on the buffers handed to them and ask
// the platform only IsDBCSLeadByte; no allocation, no state.
#pragma once

#include <stddef.h>

// Whether c begins a double-byte character in the system code page.  No
// code page has a lead byte below 0x80, so ASCII text (class names, most
// lines) is stepped without asking the platform for every byte.
int DbcsHighByteLeads(char c);
static inline int DbcsIsLeadByte(char c)
{
    return (unsigned char)c >= 0x80 && DbcsHighByteLeads(c);
}

// Bytes of the character at text: 0 at the terminator, else 1 or 2.
size_t DbcsCharSize(const char* text);

// Offset just after the last character of text that is one of the
// single-byte characters of set (0 when text holds none of them).
size_t DbcsAfterLastOf(const char* text, const char* set);

// Offset of the first character of text equal to the single-byte character
// c, or -1 when there is none.
int DbcsFind(const char* text, char c);

// Whether needle occurs in text starting at a character (never at a second
// byte).
int DbcsContains(const char* text, const char* needle);

// Offset in text[0..len) where its last n characters begin (0 when it has n
// characters or fewer); text ends at len or at its terminator.
size_t DbcsLastChars(const char* text, size_t len, int n);

// Copies src into dst[size] (dst may be src), turning single-byte a..z into
// A..Z; double-byte characters are copied unchanged and never split: one
// that does not fit whole is left out.  dst is always terminated.
void DbcsCopyUpper(char* dst, const char* src, size_t size);

// Whether the first n bytes of a equal those of b (stopping early where both
// end), single-byte ASCII letters compared without regard to case and
// double-byte characters byte for byte.
int DbcsEqualNoCase(const char* a, const char* b, size_t n);
