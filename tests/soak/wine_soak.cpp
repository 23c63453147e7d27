// Soak under Wine: thousands of random key strokes and focus changes into two
// real programs in other processes with both hooks installed, for a bounded
// time.  Every program must stay alive, the host must keep answering at once,
// and the settings file written when the host ends must read back exactly the
// history and alias lines the shared block held.
//   wine_soak.exe [seconds]   (default 180)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <random>
#include <string>

#include "harness.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what)
{
    if (!ok) {
        ++failures;
        printf("FAIL: %s\n", what.c_str());
        fflush(stdout);
    }
}

// Hot keys that change nothing outside the library's own settings and the
// window under the pointer's position in the z-order: no dialogs, no message
// boxes, nothing that closes, locks, shuts down or runs programs.
const WORD kSafeHotKeys[] = {'B', 'V', 'D', 'E', VK_RIGHT, VK_LEFT, VK_INSERT, '0', '9', VK_F2, VK_F3, VK_F8};
const WORD kEditKeys[] = {VK_RETURN, VK_TAB, VK_UP, VK_DOWN, VK_BACK, VK_LEFT, VK_RIGHT, VK_DELETE, VK_SPACE};

std::string RandomWord(std::mt19937& rng)
{
    std::string w;
    int n = 2 + rng() % 7;
    for (int i = 0; i < n; ++i)
        w += (char)('a' + rng() % 26);
    return w;
}

// Lines as the settings file stores them: CR and LF become spaces.
std::string Saved(const char* text, size_t size)
{
    std::string s(text, strnlen(text, size));
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    int seconds = argc > 1 ? atoi(argv[1]) : 180;
    qr::SharedBlock block;
    qr::Host host;
    qr::Target a, b;
    if (!block.Load() || !host.Start() || !a.Start() || !b.Start()) {
        printf("FAIL: could not start the host and the programs\n");
        return 1;
    }
    std::mt19937 rng(20261207);
    qr::Target* targets[] = {&a, &b};
    DWORD until = GetTickCount() + (DWORD)seconds * 1000;
    long strokes = 0, focusChanges = 0, rounds = 0;
    while ((LONG)(until - GetTickCount()) > 0 && failures == 0) {
        qr::Target& t = *targets[rng() % 2];
        if (t.Focus(1 + rng() % 2))
            ++focusChanges;
        for (int i = 0; i < 20; ++i, ++strokes) {
            switch (rng() % 6) {
            case 0:
            case 1:
                qr::TypeText(RandomWord(rng).c_str());
                break;
            case 2:
                qr::Tap(kEditKeys[rng() % (sizeof kEditKeys / sizeof kEditKeys[0])]);
                break;
            case 3: {  // history and completion keys with Ctrl
                static const WORD ctrlKeys[] = {'E', 'X', 'L', 'O'};
                qr::CtrlTap(ctrlKeys[rng() % 4]);
                break;
            }
            case 4:
                qr::CtrlShiftTap(kSafeHotKeys[rng() % (sizeof kSafeHotKeys / sizeof kSafeHotKeys[0])]);
                break;
            case 5:  // now and then an alias definition or use
                qr::TypeText(rng() % 2 ? ("alias k" + std::to_string(rng() % 40) + " echo " + RandomWord(rng)).c_str()
                                       : ("k" + std::to_string(rng() % 40) + " x").c_str());
                qr::Tap(VK_RETURN);
                break;
            }
        }
        if (++rounds % 10 == 0) {
            Check(a.Window() && IsWindow(a.Window()), "the first program ended");
            Check(b.Window() && IsWindow(b.Window()), "the second program ended");
            Check(host.Process().Running(), "the host ended");
            DWORD t0 = GetTickCount();
            Check(host.Ask(HM_HISTORY_ON) != -1 && GetTickCount() - t0 < 2000, "the host did not answer at once");
        }
    }

    // What the block holds now is what the host saves when it ends.
    const char(*hist)[256] = block.Var<const char[256]>("chHist");
    const char(*alias)[128] = block.Var<const char[128]>("chAlias");
    std::string expectHist[32], expectAlias[32];
    for (int i = 0; i < 32; ++i) {
        expectHist[i] = Saved(hist[i], 256);
        expectAlias[i] = Saved(alias[i], 128);
    }
    a.Close();
    b.Close();
    Check(host.Close(), "the host did not end cleanly");
    std::string ini = qr::SettingsPath();
    char key[16], value[512];
    int lines = 0;
    for (int i = 0; i < 32; ++i) {
        snprintf(key, sizeof key, "%x", i + 1);
        GetPrivateProfileStringA("Quillrun", key, "<missing>", value, sizeof value, ini.c_str());
        Check(expectHist[i] == value, "history key " + std::string(key) + ": expected \"" + expectHist[i] +
                                          "\", read \"" + value + "\"");
        snprintf(key, sizeof key, "Alias-%x", i + 1);
        GetPrivateProfileStringA("Quillrun", key, "<missing>", value, sizeof value, ini.c_str());
        Check(expectAlias[i] == value, "alias key " + std::string(key) + ": expected \"" + expectAlias[i] +
                                           "\", read \"" + value + "\"");
        lines += !expectHist[i].empty() + !expectAlias[i].empty();
    }
    printf("%s: %ld key strokes, %ld focus changes in %d s; %d history and alias lines saved and read back\n",
           failures ? "FAILED" : "PASSED", strokes, focusChanges, seconds, lines);
    return failures ? 1 : 0;
}
