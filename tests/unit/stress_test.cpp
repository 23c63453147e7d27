// Stress: while other threads keep writing random values into the exported
// variables and the ring indexes (the host may write anything at any time),
// key and focus sequences run through both hooks.  Nothing may crash, and in
// the sanitizer build nothing may be read or written outside a buffer.  When
// the writers stop and the host puts sane values back, the services work.
#include "hooked_desktop.h"

#include <winsim_editline.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

namespace {

struct Target {
    void* address;
    size_t size;
};

#define TARGET(v) Target{(void*)&(v), sizeof(v)}

class Stress : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        hostAnswers[HM_HISTORY_ON] = 1;
        hostAnswers[HM_POINTER_JUMP] = 1;
        ws::makeDirectory("C:\\work");
        ws::writeFile("C:\\work\\alpha.txt", "");
        ws::writeFile("C:\\work\\beta.txt", "");
        completion = ws::createCompletionDialog();
        hDlgFileList = completion.dialog;
        dialog = ws::createWindow(Desc("#32770", "Run", WS_VISIBLE | WS_POPUP | WS_CAPTION, NULL,
                                       RECT{100, 100, 500, 300}));
        ws::WindowSpec e = Desc("Edit", "", WS_VISIBLE | WS_CHILD, dialog, RECT{120, 120, 480, 140}, 100);
        edit = ws::createEdit(e);
        button = ws::createWindow(Desc("Button", "OK", WS_VISIBLE | WS_CHILD, dialog,
                                       RECT{120, 250, 200, 280}, 1));
    }

    // One round of user input: typing, entering, recalling, completing, hot
    // keys, focus moving between the controls and the program.
    void UserRound(std::mt19937& rng)
    {
        static const UINT keys[] = {'D', 'I', 'R', VK_SPACE, 'C', VK_RETURN, VK_UP, VK_DOWN, VK_TAB,
                                    'E', 'X', 'L', 'O', VK_BACK, VK_OEM_5, 'B', 'V', '7', '8', VK_F2};
        HWND targets[] = {edit, button, app, dialog, NULL};
        ws::changeFocus(targets[rng() % 5]);
        for (int i = 0; i < 12; ++i) {
            UINT vk = keys[rng() % (sizeof keys / sizeof keys[0])];
            bool ctrl = rng() % 3 == 0, shift = rng() % 4 == 0;
            ws::setKeyState(VK_CONTROL, ctrl);
            ws::setKeyState(VK_SHIFT, shift);
            ws::keyDown(vk);
            ws::keyUp(vk);
        }
        ws::setKeyState(VK_CONTROL, false);
        ws::setKeyState(VK_SHIFT, false);
    }

    ws::CompletionDialog completion{};
    HWND dialog = NULL, edit = NULL, button = NULL;
};

TEST_F(Stress, HostWritesAnythingWhileKeysAndFocusChangesRun)
{
    const Target targets[] = {
        TARGET(iGetIndex), TARGET(iSetIndex), TARGET(chHist), TARGET(chAlias), TARGET(chCtrlShift),
        TARGET(chClassName), TARGET(bFocusMoveClick), TARGET(iZure), TARGET(lAida),
        TARGET(bIsHokan), TARGET(bIsAlias), TARGET(bIsHistory), TARGET(bButtonEditOnly),
        TARGET(bHeropa), TARGET(iEventCnt), TARGET(lInterval), TARGET(ptAfterMove),
        TARGET(ptBeforeMove), TARGET(bJapaneseEnv),
    };
    std::atomic<bool> stop{false};
    auto writer = [&](unsigned seed) {
        std::mt19937 rng(seed);
        while (!stop.load(std::memory_order_relaxed)) {
            const Target& t = targets[rng() % (sizeof targets / sizeof targets[0])];
            // Whole values, with a bias towards the edges of the ring and
            // beyond; text gets runs of non-NUL bytes (no terminator at all).
            if (t.size == sizeof(int)) {
                static const int edges[] = {-1, 0, 31, 32, 33, 1000, INT32_MIN, INT32_MAX};
                int v = rng() % 2 ? edges[rng() % 8] : (int)rng();
                *static_cast<volatile int*>(t.address) = v;
            } else {
                size_t at = rng() % t.size, n = 1 + rng() % 300;
                for (size_t i = 0; i < n && at + i < t.size; ++i)
                    static_cast<volatile char*>(t.address)[at + i] = (char)(1 + rng() % 255);
            }
        }
    };
    std::thread w1(writer, 1u), w2(writer, 2u);
    std::mt19937 rng(3);
    // At least 200 rounds, and rounds for at least a second and a half: on a
    // loaded machine the run takes longer, it never does less.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int rounds = 0;
    for (; rounds < 200 || std::chrono::steady_clock::now() < until; ++rounds)
        UserRound(rng);
    stop = true;
    w1.join();
    w2.join();

    // The host restores its settings: history works again end to end.
    memset(chHist, 0, sizeof chHist);
    memset(chAlias, 0, sizeof chAlias);
    iGetIndex = iSetIndex = 0;
    bIsHistory = bIsAlias = bIsHokan = 1;
    bJapaneseEnv = 1;
    memcpy(chCtrlShift, "11111111111111111111111111", 27);
    // Ctrl+Shift+7 and Space may have disabled or closed the controls: a new
    // field in a new dialog.
    HWND again = ws::createWindow(Desc("#32770", "Again", WS_VISIBLE | WS_POPUP, NULL, RECT{0, 0, 90, 90}));
    edit = ws::createEdit(Desc("Edit", "", WS_VISIBLE | WS_CHILD, again, RECT{10, 10, 80, 30}, 100));
    ws::changeFocus(edit);
    auto enter = [&](const char* line) {
        SetWindowTextA(edit, line);
        ws::keyDown(VK_RETURN);
        ws::keyUp(VK_RETURN);
    };
    // The rounds leave the direction of their last recall behind, and no
    // host can reset it: after a newer recall, Up steps back once more.  Two
    // lines make the first Up recall one of them whichever direction was
    // left, and from then on the direction is known.
    enter("echo one");
    enter("echo two");
    ws::KeyResult first = ws::keyDown(VK_UP);
    ws::keyUp(VK_UP);
    EXPECT_EQ(1, first.hookResult) << "field: " << ws::windowText(edit);
    enter("echo stressed");
    SetWindowTextA(edit, "");
    ws::keyDown(VK_UP);
    EXPECT_EQ("echo stressed", ws::windowText(edit));
    EXPECT_EQ(1, ws::hookCount(WH_KEYBOARD));
    EXPECT_EQ(1, ws::hookCount(WH_CBT));
}

}  // namespace
