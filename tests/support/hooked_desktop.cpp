#include "hooked_desktop.h"
#include "shared_snapshot.h"

ws::WindowSpec Desc(const std::string& cls, const std::string& title, LONG style, HWND parent,
                    RECT rect, int id)
{
    ws::WindowSpec s;
    s.cls = cls;
    s.title = title;
    s.style = style;
    s.parent = parent;
    s.rect = rect;
    s.id = id;
    return s;
}

std::vector<NeighbourHook::Seen> NeighbourHook::seen;
LRESULT NeighbourHook::answer = 0;

static LRESULT NeighbourProc(int code, WPARAM wParam, LPARAM lParam)
{
    NeighbourHook::seen.push_back(NeighbourHook::Seen{code, wParam, lParam});
    return NeighbourHook::answer;
}

void NeighbourHook::Install(int kind)
{
    seen.clear();
    answer = 0;
    SetWindowsHookExA(kind, NeighbourProc, NULL, 0);
}

std::vector<int> NeighbourHook::Codes()
{
    std::vector<int> codes;
    for (const Seen& s : seen)
        codes.push_back(s.code);
    return codes;
}

void HookedDesktop::SetUp()
{
    ws::WindowSpec hostSpec = Desc("Quillrun", "Quillrun", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL,
                                   RECT{10, 10, 210, 110});
    hostSpec.inst = hostInst;
    host = ws::createWindow(hostSpec);
    ws::setModuleFileName(hostInst, "C:\\QR\\Quillrun.EXE");
    ws::setHandler(host, [this](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
        auto it = hostAnswers.find(msg);
        return it == hostAnswers.end() ? 0 : it->second;
    });
    app = ws::createWindow(Desc("Notepad", "Untitled", WS_VISIBLE | WS_OVERLAPPEDWINDOW, NULL,
                                RECT{300, 300, 700, 600}));
    ws::setFocus(app);
    ws::setForeground(app);

    SethWndhInstance(host, hostInst);
    SetMyHook(0, 0);
    SetMyCBTHook(0, 0);
    ws::clearCalls();
}

void HookedDesktop::HoldCtrlShift(bool down)
{
    ws::setKeyState(VK_CONTROL, down);
    ws::setKeyState(VK_SHIFT, down);
}

ws::KeyResult HookedDesktop::CtrlShiftDown(UINT vk)
{
    HoldCtrlShift(true);
    return ws::keyDown(vk);
}

std::vector<ws::Message> HookedDesktop::HostMessages(UINT msg) const
{
    std::vector<ws::Message> out;
    for (const ws::Message& m : ws::messages(host))
        if (m.msg == msg)
            out.push_back(m);
    return out;
}

int HookedDesktop::ProgramGot(UINT msg, UINT vk) const
{
    int n = 0;
    for (const ws::Message& m : ws::messages(app))
        if (m.msg == msg && m.wParam == vk)
            ++n;
    return n;
}

void HookedDesktop::RestoreDefaults()
{
    HHOOK keyHook = hKeyHook, cbtHook = hOldCBTHook;
    RestoreSharedBlock();
    SethWndhInstance(host, hostInst);
    hKeyHook = keyHook;
    hOldCBTHook = cbtHook;
    for (int vk = 0; vk < 256; ++vk)
        ws::setKeyState(vk, false);
    ws::clearMessages(host);
    ws::clearMessages(app);
    ws::clearCalls();
}
