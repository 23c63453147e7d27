// winsim's wsprintfA: the conversions the library formats with, and the
// platform's 1024-byte limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

namespace {

TEST(WinsimWsprintf, FormatsAsUser32Does)
{
    char buf[1100];
    struct Case {
        std::string got, expected;
    } cases[] = {
        {(wsprintfA(buf, "hWnd = %04X\n", 0x1Au), buf), "hWnd = 001A\n"},
        {(wsprintfA(buf, "%04X", 0xDEADBEEFu), buf), "DEADBEEF"},
        {(wsprintfA(buf, "%04x|%X", 0xABCu, 0u), buf), "0abc|0"},
        {(wsprintfA(buf, "%d %i %u", -5, 7, 4294967295u), buf), "-5 7 4294967295"},
        {(wsprintfA(buf, "%lu %ld %lX", (DWORD)123, (LONG)-9, (DWORD)0xFFu), buf), "123 -9 FF"},
        {(wsprintfA(buf, "[%5s][%-5s][%.2s]", "ab", "cd", "efgh"), buf), "[   ab][cd   ][ef]"},
        {(wsprintfA(buf, "%s|%c|%%", (const char*)NULL, 'z'), buf), "(null)|z|%"},
        {(wsprintfA(buf, "%hd", 70000), buf), "4464"},
        {(wsprintfA(buf, "100%"), buf), "100%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, c.got);
}

TEST(WinsimWsprintf, WritesAtMost1024BytesAndReturnsTheLength)
{
    std::string big(2000, 'a');
    char buf[1100];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(1023, wsprintfA(buf, "%s", big.c_str()));
    EXPECT_EQ(1023u, strlen(buf));
    EXPECT_EQ('x', buf[1024]);
    EXPECT_EQ(5, wsprintfA(buf, "%d", -1234));
}

}  // namespace
