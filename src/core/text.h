// The library's one text toolkit, for text of both widths.
//
// An ANSI window's field, a class name, a path or a settings value is text of
// the system code page (char).  On a double-byte code page (Shift-JIS on
// Japanese systems) a lead byte and the byte after it form one character,
// and that second byte may have the value of a backslash, a bracket or an
// ASCII letter.  A Unicode window's field holds UTF-16 (WCHAR), where a
// surrogate pair is one character.  Every scan for a character, every cut at
// a size and every comparison that ignores case goes through the functions
// here, in the library and in the host, so that no character is ever split
// or read as two.  A character of the code page is what CharNextA steps
// over: two bytes for a lead byte followed by any byte but the terminator,
// else one.
//
// Also here: the exact text's code-page form (how it is tied to the
// code-page tables the host and older readers use), and its form in the
// settings file.  No allocation, no state; the platform is asked which
// bytes lead, and for the conversions.
#pragma once

#include <windows.h>

#include <stddef.h>

// --- Stepping by characters ----------------------------------------------------

// Whether c begins a double-byte character in the system code page.  No
// code page has a lead byte below 0x80, so ASCII text (class names, most
// lines) is stepped without asking the platform for every byte.
int DbcsHighByteLeads(char c);
inline int DbcsIsLeadByte(char c)
{
    return (unsigned char)c >= 0x80 && DbcsHighByteLeads(c);
}

// Units of the character at text: 0 at the terminator, else 1 or 2.
size_t CharSize(const char* text);
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

// Offset just after the last character of text that is one of the ASCII
// characters of set (0 when text holds none of them).
template <class C> size_t AfterLastOf(const C* text, const char* set);
// Offset of the first character of text equal to the ASCII character c, or
// -1 when there is none.
template <class C> int FindChar(const C* text, char c);
// Offset of the last character of text equal to the ASCII character c, or -1.
template <class C> int FindLastChar(const C* text, char c);
// Whether needle occurs in text starting at a character (never at a second
// unit).
template <class C> int Contains(const C* text, const C* needle);
// Offset in text[0..len) where its last n characters begin (0 when it has n
// characters or fewer); text ends at len or at its terminator.
template <class C> size_t LastChars(const C* text, size_t len, int n);

// --- Comparing without regard to the case of ASCII letters ---------------------

// Whether the first n units of a equal those of b (stopping early where both
// end): ASCII letters without regard to case, every other character exactly
// (the second byte of a double-byte character keeps its value even where it
// reads as a letter).
template <class C> int EqualNoCase(const C* a, const C* b, size_t n);
// The same for whole texts.
template <class C> int SameNoCase(const C* a, const C* b)
{
    return EqualNoCase(a, b, (size_t)-1);
}
// Copies src into dst[size] (dst may be src), turning single-byte a..z into
// A..Z; a character of two units is copied unchanged and never split: one
// that does not fit whole is left out.  dst is always terminated.
void CopyUpper(char* dst, const char* src, size_t size);

// --- Copying and appending within a size ---------------------------------------

// Copies at most size - 1 units of src (stopping at its terminator or after
// srcMax units, whichever comes first) and always terminates dst.  A
// character of two units that does not fit whole is left out.
template <class C> void CopyBounded(C* dst, size_t size, const C* src, size_t srcMax);
// Copies src whole into dst[size] (they may overlap); returns 0, with dst
// unchanged, when it does not fit or there is no src.
int CopyIfFits(char* dst, size_t size, const char* src);
// Appends src whole (an ASCII suffix for a UTF-16 text) when the result fits
// in size units; returns 0, with dst unchanged, when it does not, or when dst
// holds no terminator within size.
template <class C> int AppendIfFits(C* dst, size_t size, const char* src);

// --- Reading a window's class name ---------------------------------------------

// The class name of hWnd into buf (size bytes, always terminated, an empty
// name when hWnd is no window): the one place a class name is read.
void ReadClassName(HWND hWnd, char* buf, int size);

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
