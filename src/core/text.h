// Text of both widths.  An ANSI window's field holds text of the system
// code page (char, stepped by characters as core/dbcs.h explains); a
// Unicode window's field holds UTF-16 (WCHAR), which the edit-line services
// keep exactly.  The overloads and templates here let one text function
// serve both widths: a character is one unit, or two for a double-byte
// character or a surrogate pair, and no scan or cut ever splits one.
//
// Also here: the exact text's code-page form (how it is tied to the
// code-page tables the host and older readers use), and its form in the
// settings file.  No allocation, no state; the conversions ask the platform.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "core/dbcs.h"

// Units of the character at text: 0 at the terminator, else 1 or 2.
inline size_t CharSize(const char* text) { return DbcsCharSize(text); }
size_t CharSize(const WCHAR* text);
// Whether unit c begins a character of two units.
inline int LeadsPair(char c) { return DbcsIsLeadByte(c); }
inline int LeadsPair(WCHAR c) { return c >= 0xD800 && c < 0xDC00; }

template <class C> size_t TextLength(const C* text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return n;
}

// Copies at most size - 1 units of src (stopping at its terminator or after
// srcMax units, whichever comes first) and always terminates dst.  A
// character of two units that does not fit whole is left out.
template <class C> void CopyBounded(C* dst, size_t size, const C* src, size_t srcMax);

// Offset just after the last character of text that is one of the ASCII
// characters of set (0 when text holds none of them).
template <class C> size_t AfterLastOf(const C* text, const char* set);
// Offset of the first character of text equal to the ASCII character c, or
// -1 when there is none.
template <class C> int FindChar(const C* text, char c);
// Offset in text[0..len) where its last n characters begin (0 when it has n
// characters or fewer); text ends at len or at its terminator.
template <class C> size_t LastChars(const C* text, size_t len, int n);
// Whether the first n units of a equal those of b (stopping early where both
// end): ASCII letters without regard to case, every other character exactly.
template <class C> int EqualNoCase(const C* a, const C* b, size_t n);

// --- The exact text and its code-page form -------------------------------------

// Units of exact text the services handle at most in one field or slot.
#define QR_EXACT_UNITS 256

// The code page's form of exact text (what an ANSI reader of the field
// would get), cut by characters to size - 1 bytes.  srcMax at most
// QR_EXACT_UNITS.
void CodePageForm(char* dst, size_t size, const WCHAR* src, size_t srcMax);
// Code-page text as UTF-16, cut by characters to size - 1 units.
void ExactForm(WCHAR* dst, size_t size, const char* src, size_t srcMax);
// Whether exact is the exact text behind the code-page slot ansi: it is not
// empty, and its code-page form, cut to the slot's size, is the slot.  A
// slot written since by code-page text alone is no longer tied to it.
int ExactTied(const WCHAR* exact, size_t exactMax, const char* ansi, size_t ansiMax);

// --- The exact text in the settings file -----------------------------------

// Exact text in the settings file: UTF-8, with every byte outside the
// printable ASCII characters, and the blank, '%', '"' and '\'', written as
// '%' and two upper-case hexadecimal digits.  The value is plain ASCII that
// every profile reader of every code page gives back unchanged.  The form
// of QR_EXACT_UNITS - 1 units fits in QR_EXACT_VALUE bytes.
#define QR_EXACT_VALUE 2304
// Writes the value of src[0..srcMax) into dst[size], cut by characters.
void ExactToValue(char* dst, size_t size, const WCHAR* src, size_t srcMax);
// Reads a value back into dst[size] (cut by characters).  Returns 0, with
// dst empty, for a value that is not such a form.
int ExactFromValue(WCHAR* dst, size_t size, const char* value);
