// A hooked desktop whose program has a single-line edit field with the
// keyboard focus (and hWndNowFocus pointing at it, as the CBT hook leaves
// it), for the history, alias and completion services.
#pragma once

#include <winsim/sim_system.h>
#include <winsim_editline.h>

#include <string>

#include "hooked_desktop.h"
#include "shared_snapshot.h"

class EditFieldDesktop : public HookedDesktop {
protected:
    void SetUp() override
    {
        HookedDesktop::SetUp();
        hostAnswers[HM_HISTORY_ON] = 1;  // the host's history option is on
        field = NewField("Edit", 0);
    }

    // A field in the program window that takes the focus.
    HWND NewField(const std::string& cls, LONG style)
    {
        HWND f = ws::createEdit(Desc(cls, "", WS_CHILD | WS_VISIBLE | style, app));
        FocusOn(f);
        return f;
    }

    // A field of a Unicode window (its text UTF-16), taking the focus.
    HWND NewUnicodeField()
    {
        ws::WindowSpec d = Desc("Edit", "", WS_CHILD | WS_VISIBLE, app);
        d.unicode = true;
        HWND f = ws::createEdit(d);
        FocusOn(f);
        return f;
    }

    void FocusOn(HWND f)
    {
        field = f;
        hWndNowFocus = f;
        ws::setFocus(f);
    }

    void Type(const std::string& text) { SetWindowTextA(field, text.c_str()); }
    std::string Text() const { return ws::windowText(field); }
    void TypeW(const std::u16string& text) { SetWindowTextW(field, text.c_str()); }
    std::u16string TextW() const { return ws::windowTextW(field); }

    // A key pressed and released; the result is that of the press.
    ws::KeyResult Press(UINT vk)
    {
        ws::KeyResult r = ws::keyDown(vk);
        ws::keyUp(vk);
        return r;
    }
    ws::KeyResult CtrlPress(UINT vk)
    {
        ws::setKeyState(VK_CONTROL, true);
        ws::KeyResult r = Press(vk);
        ws::setKeyState(VK_CONTROL, false);
        return r;
    }
    // Types the line and enters it with Enter.
    void Enter(const std::string& text)
    {
        Type(text);
        Press(VK_RETURN);
    }

    // Key-downs (or key-ups) of one key that reached the field.
    int FieldGot(UINT vk, UINT msg = WM_KEYDOWN) const
    {
        int n = 0;
        for (const ws::Message& m : ws::messages(field))
            if (m.msg == msg && m.wParam == vk)
                ++n;
        return n;
    }

    HWND field = NULL;
};

// What an ANSI reader gets of UTF-16 text: the system code page's form.
inline std::string CodePageOf(const std::u16string& text)
{
    char out[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out, sizeof out, NULL, NULL);
    return out;
}

// Whether the bytes of text appear anywhere in the shared block.  Not
// instrumented: the sanitizer's red zones lie between the block's variables.
__attribute__((no_sanitize("address", "undefined"))) inline bool SharedBlockHolds(const std::string& text)
{
    const volatile char* b = SharedBlockBegin();
    const volatile char* e = SharedBlockEnd();
    for (const volatile char* p = b; p + text.size() <= e; ++p) {
        size_t i = 0;
        while (i < text.size() && p[i] == text[i])
            ++i;
        if (i == text.size())
            return true;
    }
    return false;
}
