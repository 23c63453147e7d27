// Edit-field recognition and the input-method probe.
//
// The edit-line services act on the window that last took the keyboard focus
// (hWndNowFocus, kept by the CBT hook) when it is a single-line text field:
// a class of the known list, or (while bAnyEditField is on) an edit control
// under a class name of its own, or a rich edit control, neither of them a
// password field.  On Japanese systems they also ask whether
// an input method is composing: the platform's input-method manager (IMM32)
// for the focus window of the calling thread, and the older input-method
// library "WinNLS32.Dll" where it exists.  Both are found, loaded and
// released again at every call, and nothing about them is remembered.
#include "core/qrhook.h"
#include "core/host_link.h"
#include "core/text.h"
#include "editline/editline.h"

#include <string.h>

#define QR_IME_LIBRARY "WinNLS32.Dll"
#define QR_IME_GETOPEN 5
#define QR_GMEM_IME 0x1002  // GMEM_MOVEABLE | GMEM_NOT_BANKED

// The request block handed to the input-method library: eight 32-bit fields.
struct ImeRequest {
    DWORD fnc;
    DWORD wParam;
    DWORD wCount;
    DWORD dchSource;
    DWORD dchDest;
    DWORD lParam1;
    DWORD lParam2;
    DWORD lParam3;
};

typedef LRESULT(WINAPI* SendImeMessageProc)(HWND, LPARAM);
typedef BOOL(WINAPI* EnableImeProc)(HWND, BOOL);

// The input-method manager, loaded at run time so that the import table
// names only the DLLs every process has.  An input context is a handle.
#define QR_IMM_LIBRARY "imm32.dll"
typedef HANDLE ImmContext;
typedef ImmContext(WINAPI* ImmGetContextProc)(HWND);
typedef BOOL(WINAPI* ImmGetOpenStatusProc)(ImmContext);
typedef BOOL(WINAPI* ImmSetOpenStatusProc)(ImmContext, BOOL);
typedef BOOL(WINAPI* ImmReleaseContextProc)(HWND, ImmContext);

struct ImmLink {
    HMODULE lib;
    ImmGetContextProc getContext;
    ImmGetOpenStatusProc getOpenStatus;
    ImmSetOpenStatusProc setOpenStatus;
    ImmReleaseContextProc releaseContext;
};

// Existence probes of the input-method library, one per caller.
static OFSTRUCT ofImeProbe QR_SHARED = {};
static OFSTRUCT ofImeSwitch QR_SHARED = {};

static const char* const kEditClasses[] = {
    "Edit",           "EDTBX",           "TEdit",           "TRichEdit",
    "TMemo",          "ThunderTextBox",  "ThunderRTTextBox", "ThunderRT5TextBox",
};

// The rich edit controls: 2.0 (riched20.dll) in both widths and 4.1
// (msftedit.dll), which Wine registers as "RichEdit50W".
static const char* const kRichEditClasses[] = {"RichEdit20A", "RichEdit20W", "RICHEDIT50W"};

template <size_t N> static int InList(const char* name, const char* const (&list)[N])
{
    for (const char* known : list)
        if (SameNoCase(name, known))
            return 1;
    return 0;
}

int IsEditClass(const char* className)
{
    return InList(className, kEditClasses);
}

// An edit control under a class name of its own (a superclass of "Edit":
// Windows Forms, Visual Basic 6, Delphi's other edits, MFC and ATL fields).
// Windows names the system class it was built on (RealGetWindowClass:
// "Edit"); Wine 8 names the registered class there, so the control is also
// asked what it takes.  An edit control answers WM_GETDLGCODE with
// DLGC_HASSETSEL (it takes EM_SETSEL); one of many lines, and an editor
// that keeps Enter and Tab for itself whatever its style bits say, adds
// DLGC_WANTALLKEYS.
static int IsEditUnderOtherName(HWND field)
{
    char real[16] = "";
    if (RealGetWindowClassA(field, real, sizeof real) > 0 && SameNoCase(real, "Edit"))
        return 1;
    // The focus record may name a window of another thread, whose program
    // may hang, and the key stroke waits for the answer: the questions to
    // the field go with the host messages' bound (no answer counts as 0).
    LRESULT code = SendToHostWindow(field, WM_GETDLGCODE, 0, 0);
    return (code & DLGC_HASSETSEL) && !(code & DLGC_WANTALLKEYS);
}

// The class name is read once into a buffer of this call's own (another
// process may write the shared record at any moment) and left in record
// for the other parts that read it.
int IsRecognisedField(HWND hwnd, char* record, int limit)
{
    if (hwnd == NULL)
        return 0;
    char name[64];
    ReadClassName(hwnd, name, limit < (int)sizeof name ? limit : (int)sizeof name);
    if (record)
        CopyBounded(record, (size_t)limit, name, sizeof name);
    if (IsEditClass(name))
        return (GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE) == 0;
    if (bAnyEditField == 0)
        return 0;
    // Never a field of many lines, and never a password field: a rich edit
    // control hides its text behind EM_SETPASSWORDCHAR without ES_PASSWORD.
    if (GetWindowLongA(hwnd, GWL_STYLE) & (ES_MULTILINE | ES_PASSWORD))
        return 0;
    if (!InList(name, kRichEditClasses) && !IsEditUnderOtherName(hwnd))
        return 0;
    return SendToHostWindow(hwnd, EM_GETPASSWORDCHAR, 0, 0) == 0;
}

// Casts an entry point found by name to the type it is called with.
template <typename Proc>
static Proc EntryPoint(HMODULE lib, const char* name)
{
    return (Proc)(void (*)(void))GetProcAddress(lib, name);
}

static int LibraryLoaded(HMODULE lib)
{
    return (UINT_PTR)lib > 32;
}

// Loads the input-method manager with the four entry points used here.
// Returns 0, with nothing left loaded, when it cannot be had.
static int LoadImm(ImmLink* imm)
{
    imm->lib = LoadLibraryA(QR_IMM_LIBRARY);
    if (!LibraryLoaded(imm->lib))
        return 0;
    imm->getContext = EntryPoint<ImmGetContextProc>(imm->lib, "ImmGetContext");
    imm->getOpenStatus = EntryPoint<ImmGetOpenStatusProc>(imm->lib, "ImmGetOpenStatus");
    imm->setOpenStatus = EntryPoint<ImmSetOpenStatusProc>(imm->lib, "ImmSetOpenStatus");
    imm->releaseContext = EntryPoint<ImmReleaseContextProc>(imm->lib, "ImmReleaseContext");
    if (imm->getContext && imm->getOpenStatus && imm->setOpenStatus && imm->releaseContext)
        return 1;
    FreeLibrary(imm->lib);
    return 0;
}

// The input context belongs to a thread: only the focus window of the
// calling thread (the program whose key stroke the hook sees) has one that
// can be asked.  Returns 1 when the input method there is open.
static int ImmReportsOpen(void)
{
    ImmLink imm;
    if (!LoadImm(&imm))
        return 0;
    int open = 0;
    HWND focus = GetFocus();
    ImmContext context = focus ? imm.getContext(focus) : NULL;
    if (context) {
        open = imm.getOpenStatus(context) != 0;
        imm.releaseContext(focus, context);
    }
    FreeLibrary(imm.lib);
    return open;
}

// Asks the library whether the input method is open, through the request
// block.  Returns 0 when the block cannot be had (nothing was asked), else 1
// with the block's answer in *answer.
static int AskOpen(SendImeMessageProc send, WPARAM* answer)
{
    *answer = 0;
    HGLOBAL block = GlobalAlloc(QR_GMEM_IME, sizeof(ImeRequest));
    if (!block)
        return 0;
    ImeRequest* request = (ImeRequest*)GlobalLock(block);
    if (!request) {
        GlobalFree(block);
        return 0;
    }
    request->fnc = QR_IME_GETOPEN;
    request->wParam = 0;
    GlobalUnlock(block);
    send(hWndHost, (LPARAM)block);
    request = (ImeRequest*)GlobalLock(block);
    if (request) {
        *answer = request->wParam;
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return 1;
}

WORD WINAPI IMEGetOpen(HWND)
{
    if (bJapaneseEnv == 0)
        return 0;
    if (ImmReportsOpen())
        return 1;
    if (OpenFile(QR_IME_LIBRARY, &ofImeProbe, OF_EXIST) == HFILE_ERROR)
        return 0;
    HMODULE lib = LoadLibraryA(QR_IME_LIBRARY);
    if (!LibraryLoaded(lib))
        return 0;
    WPARAM answer = 0;
    SendImeMessageProc send = EntryPoint<SendImeMessageProc>(lib, "SendIMEMessageExA");
    if (send)
        AskOpen(send, &answer);
    FreeLibrary(lib);
    return LOWORD(answer);
}

static void Warn(const char* text)
{
    MessageBoxA(hWndHost, text, "Quillrun", MB_OK | MB_ICONEXCLAMATION);
}

// "'WinNLS32.Dll' が見つかりません" / "をローディングできません" / "が異常です",
// in Shift-JIS.
static const char kNotFound[] =
    "'WinNLS32.Dll' \x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
static const char kCannotLoad[] =
    "'WinNLS32.Dll' \x82\xf0\x83\x8d\x81\x5b\x83\x66\x83\x42\x83\x93\x83\x4f\x82\xc5\x82\xab"
    "\x82\xdc\x82\xb9\x82\xf1";
static const char kFaulty[] = "'WinNLS32.Dll' \x82\xaa\x88\xd9\x8f\xed\x82\xc5\x82\xb7";

// Switches the input method of the calling thread's focus window on through
// the input-method manager.  Returns 0 when the manager cannot be had; a
// window without an input context has nothing to switch.
static int ImmSwitchOn(void)
{
    ImmLink imm;
    if (!LoadImm(&imm))
        return 0;
    HWND focus = GetFocus();
    ImmContext context = focus ? imm.getContext(focus) : NULL;
    if (context) {
        if (!imm.getOpenStatus(context))
            imm.setOpenStatus(context, TRUE);
        imm.releaseContext(focus, context);
    }
    FreeLibrary(imm.lib);
    return 1;
}

int WINAPI FepEnable(void)
{
    // The input-method manager where the system has one; the older library
    // (and its warnings) only where it has not.
    if (ImmSwitchOn())
        return 0;
    if (OpenFile(QR_IME_LIBRARY, &ofImeSwitch, OF_EXIST) == HFILE_ERROR) {
        Warn(kNotFound);
        return 0;
    }
    HMODULE lib = LoadLibraryA(QR_IME_LIBRARY);
    if (!LibraryLoaded(lib)) {
        Warn(kCannotLoad);
        return 0;
    }
    SendImeMessageProc send = EntryPoint<SendImeMessageProc>(lib, "IME32SendIMEMessageEx");
    EnableImeProc enable = EntryPoint<EnableImeProc>(lib, "WINNLS32EnableIME");
    if (!send || !enable) {
        FreeLibrary(lib);
        Warn(kFaulty);
        return 0;
    }
    // Only ever switched on: an open input method is left as it is, and so
    // is one whose state could not be asked (no request block to be had).
    WPARAM answer = 0;
    if (AskOpen(send, &answer) && answer == 0)
        enable(NULL, TRUE);
    FreeLibrary(lib);
    return 0;
}
