// winsim: conversions between the simulated system code page and UTF-16
// (MultiByteToWideChar, WideCharToMultiByte), for Unicode windows and the
// library's exact text.  See sim_system.h for what each code page knows.
#include "state.h"

#include <string.h>

namespace ws {

namespace {

// 1252's bytes 0x80 to 0x9F; the five it leaves undefined map to the C1
// controls of the same value, as the platform's table does.
const char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Double-byte characters of 932 outside the kana rows that tests use.
struct Pair {
    unsigned short sjis;
    char16_t unicode;
};
const Pair k932Extra[] = {
    {0x8140, 0x3000},  // ideographic space
    {0x8145, 0x30FB},  // katakana middle dot
    {0x815B, 0x30FC},  // prolonged sound mark
    {0x955C, 0x8868},  // hyo (second byte 0x5C)
    {0x8EA6, 0x793A},  // ji
    {0x93FA, 0x65E5},  // nichi
    {0x967B, 0x672C},  // hon
    {0x8CEA, 0x8A9E},  // go
};

const unsigned kPlane15 = 0xF0000;

bool isLead932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool isTrail932(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Rows 4 (hiragana) and 5 (katakana) of JIS X 0208 follow their code points
// in order; the Shift-JIS form of row 4 is lead 0x82 with trails from 0x9F,
// of row 5 lead 0x83 with trails 0x40 to 0x7E and then from 0x80.
unsigned kanaOf(unsigned sjis)
{
    unsigned lead = sjis >> 8, trail = sjis & 0xFF;
    if (lead == 0x82 && trail >= 0x9F && trail <= 0xF1)
        return 0x3041 + (trail - 0x9F);
    if (lead == 0x83 && trail >= 0x40 && trail <= 0x96 && trail != 0x7F)
        return 0x30A1 + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
    return 0;
}

unsigned sjisOfKana(unsigned cp)
{
    if (cp >= 0x3041 && cp <= 0x3093)
        return 0x8200 | (0x9F + (cp - 0x3041));
    if (cp >= 0x30A1 && cp <= 0x30F6) {
        unsigned cell = cp - 0x30A1;  // 0 to 85
        return 0x8300 | (cell < 63 ? 0x40 + cell : 0x80 + (cell - 63));
    }
    return 0;
}

void putCodePoint(std::u16string& out, unsigned cp)
{
    if (cp < 0x10000) {
        out += (char16_t)cp;
        return;
    }
    cp -= 0x10000;
    out += (char16_t)(0xD800 + (cp >> 10));
    out += (char16_t)(0xDC00 + (cp & 0x3FF));
}

std::u16string wide932(const std::string& s)
{
    std::u16string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (c < 0x80) {
            out += (char16_t)c;
        } else if (c >= 0xA1 && c <= 0xDF) {
            out += (char16_t)(0xFF61 + (c - 0xA1));
        } else if (isLead932(c) && i + 1 < s.size() && isTrail932((unsigned char)s[i + 1])) {
            unsigned sjis = (c << 8) | (unsigned char)s[++i];
            unsigned cp = kanaOf(sjis);
            for (const Pair& p : k932Extra)
                if (p.sjis == sjis)
                    cp = p.unicode;
            putCodePoint(out, cp ? cp : kPlane15 + sjis);
        } else {
            putCodePoint(out, kPlane15 + c);  // a byte that is no character
        }
    }
    return out;
}

// Appends the code page's bytes of one code point; false when it has none.
bool put932(std::string& out, unsigned cp)
{
    unsigned bytes = 0;
    if (cp < 0x80)
        bytes = cp;
    else if (cp >= 0xFF61 && cp <= 0xFF9F)
        bytes = 0xA1 + (cp - 0xFF61);
    else if (cp >= kPlane15 && cp <= kPlane15 + 0xFFFF)
        bytes = cp - kPlane15;
    else if ((bytes = sjisOfKana(cp)) == 0)
        for (const Pair& p : k932Extra)
            if (p.unicode == cp)
                bytes = p.sjis;
    if (bytes == 0 && cp != 0)
        return false;
    if (bytes > 0xFF)
        out += (char)(bytes >> 8);
    out += (char)(bytes & 0xFF);
    return true;
}

bool put1252(std::string& out, unsigned cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        out += (char)cp;
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (k1252High[i] == cp) {
            out += (char)(0x80 + i);
            return true;
        }
    return false;
}

}  // namespace

std::u16string wideOf(const std::string& s)
{
    if (GetACP() == 932)
        return wide932(s);
    std::u16string out;
    for (unsigned char c : s)
        out += (c >= 0x80 && c < 0xA0) ? k1252High[c - 0x80] : (char16_t)c;
    return out;
}

std::string ansiOf(const std::u16string& s, bool* usedDefault)
{
    std::string out;
    bool is932 = GetACP() == 932;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (!(is932 ? put932(out, cp) : put1252(out, cp))) {
            out += '?';
            if (usedDefault)
                *usedDefault = true;
        }
    }
    return out;
}

}  // namespace ws

using namespace ws;

extern "C" {

int MultiByteToWideChar(UINT, DWORD, LPCSTR in, int inLen, LPWSTR out, int outSize)
{
    if (!in)
        return 0;
    std::string text = inLen < 0 ? std::string(in, strlen(in) + 1) : std::string(in, (size_t)inLen);
    std::u16string wide = wideOf(text);
    if (outSize == 0)
        return (int)wide.size();
    if ((int)wide.size() > outSize || !out)
        return 0;
    memcpy(out, wide.data(), wide.size() * sizeof(WCHAR));
    return (int)wide.size();
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR in, int inLen, LPSTR out, int outSize, LPCSTR,
                        LPBOOL usedDefault)
{
    if (!in)
        return 0;
    size_t len = 0;
    if (inLen < 0) {
        while (in[len])
            ++len;
        ++len;
    } else {
        len = (size_t)inLen;
    }
    bool used = false;
    std::string text = ansiOf(std::u16string(in, len), &used);
    if (usedDefault)
        *usedDefault = used ? TRUE : FALSE;
    if (outSize == 0)
        return (int)text.size();
    if ((int)text.size() > outSize || !out)
        return 0;
    memcpy(out, text.data(), text.size());
    return (int)text.size();
}

}  // extern "C"
