// The library among other keyboard hooks: another utility's global hook, in
// a library of its own and installed before the host's, comes after the
// library's in the chain.  It sees every key the library does not consume,
// and what it answers is what the program gets.
#include "desktop.h"

#include <string.h>

#include <functional>

using qr::Down;
using qr::Up;

namespace {

class HookChain : public WineDesktop {
protected:
    // An export of the neighbour's library as the function type it has.
    template <class F> F Entry(const char* name)
    {
        return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(GetProcAddress(neighbour, name)));
    }

    void SetUp() override
    {
        neighbour = LoadLibraryA((qr::TestDir() + "qr_neighbour.dll").c_str());
        ASSERT_TRUE(neighbour != NULL) << "qr_neighbour.dll not found in " << qr::TestDir();
        reset = Entry<void (*)(LONG)>("NeighbourReset");
        log = Entry<const char* (*)()>("NeighbourLog");
        HOOKPROC proc = Entry<HOOKPROC>("NeighbourKeyHook");
        ASSERT_TRUE(reset && log && proc);
        reset(0);
        hook = SetWindowsHookExA(WH_KEYBOARD, proc, neighbour, 0);
        ASSERT_TRUE(hook != NULL);
        WineDesktop::SetUp();  // the host installs the library's hooks now
    }
    void TearDown() override
    {
        WineDesktop::TearDown();
        if (hook)
            UnhookWindowsHookEx(hook);
        if (neighbour)
            FreeLibrary(neighbour);
    }

    HMODULE neighbour = NULL;
    HHOOK hook = NULL;
    void (*reset)(LONG) = nullptr;
    const char* (*log)() = nullptr;
};

TEST_F(HookChain, NeighbourAfterTheLibrarySeesWhatItDoesNotConsume)
{
    // A line in the history for the Up row.
    target.SetText(1, "dir");
    qr::Tap(VK_RETURN);
    ASSERT_TRUE(qr::WaitFor([&] { return strcmp(Text("chHist"), "dir") == 0; }));

    struct Row {
        const char* name;
        WORD vk;
        std::function<void(WORD)> press;
        LONG neighbourKeeps;
        bool neighbourDown, neighbourUp, targetDown, targetUp;
    } rows[] = {
        {"plain letter", 'K', qr::Tap, 0, true, true, true, true},
        {"swallowed hot key", 'B', qr::CtrlShiftTap, 0, true, true, false, false},
        {"hot key passed on", VK_RIGHT, qr::CtrlShiftTap, 0, true, true, true, false},
        {"Up recalled by history", VK_UP, qr::Tap, 0, false, true, false, true},
        {"letter the neighbour keeps", 'J', qr::Tap, 'J', true, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        target.SetText(1, "");
        target.ClearLog();
        reset(row.neighbourKeeps);
        row.press(row.vk);
        // A marker key that passes everything: once both have it, whatever
        // the row's key was going to reach has arrived.
        qr::Tap('Q');
        ASSERT_TRUE(target.WaitForLog(Up('Q'))) << "target log:" << target.Log();
        ASSERT_TRUE(qr::WaitFor([&] { return strstr(log(), Up('Q').c_str()) != nullptr; }))
            << "neighbour log:" << log();
        std::string seen = log(), got = target.Log();
        EXPECT_EQ(row.neighbourDown, seen.find(Down(row.vk)) != std::string::npos) << "neighbour log:" << seen;
        EXPECT_EQ(row.neighbourUp, seen.find(Up(row.vk)) != std::string::npos) << "neighbour log:" << seen;
        EXPECT_EQ(row.targetDown, got.find(Down(row.vk)) != std::string::npos) << "target log:" << got;
        EXPECT_EQ(row.targetUp, got.find(Up(row.vk)) != std::string::npos) << "target log:" << got;
        if (row.vk == VK_UP) {
            EXPECT_EQ(0u, target.Text(1).find("dir")) << "field: " << target.Text(1);
        }
    }
    EXPECT_EQ(1034, Int("iZure")) << "the swallowed hot key ran once";
}

}  // namespace
