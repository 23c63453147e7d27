// winsim: modal dialogs from templates, their controls, the directory
// listing calls of dialogs, and the common open-file dialog.
#include "state.h"

#include <winsim/sim_dialogs.h>
#include <winsim/sim_system.h>

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace ws {

std::string absoluteWinPath(const std::string& path);  // system.cpp

namespace {

struct Template {
    RECT rect;
    std::vector<DialogControl> controls;
};

struct ControlState {
    int limit = 0;  // EM_LIMITTEXT; 0: none
    std::vector<std::string> items;
    int selection = -1;
};

struct RunningDialog {
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR result = 0;
};

struct DialogState {
    std::map<std::pair<HINSTANCE, std::string>, Template> templates;
    std::map<HWND, ControlState> controls;
    std::map<HWND, RunningDialog> dialogs;
    DialogScript script;
    OpenFileAnswer openFileAnswer;
    std::vector<OpenFileCall> openFileCalls;
};

DialogState& ds()
{
    static DialogState s;
    return s;
}

ResetHook resetDialogs([] { ds() = DialogState(); });

std::string upper(std::string s)
{
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

bool isClass(HWND hwnd, const char* cls)
{
    SimWindow* w = findWindow(hwnd);
    return w && strcasecmp(w->cls.c_str(), cls) == 0;
}

int copyOut(const std::string& s, char* out, int max)
{
    if (!out || max <= 0)
        return 0;
    int n = (int)s.size() < max - 1 ? (int)s.size() : max - 1;
    memcpy(out, s.data(), (size_t)n);
    out[n] = 0;
    return n;
}

// The window procedure of the dialog controls.
LRESULT controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SimWindow* w = findWindow(hwnd);
    if (!w)
        return 0;
    ControlState& c = ds().controls[hwnd];
    switch (msg) {
    case WM_SETTEXT: {
        w->title = lParam ? (const char*)lParam : "";
        // An edit field tells its dialog that its text changed.
        if (strcasecmp(w->cls.c_str(), "Edit") == 0 && w->parent)
            SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(w->id, EN_CHANGE), (LPARAM)hwnd);
        return TRUE;
    }
    case WM_GETTEXT:
        return copyOut(w->title, (char*)lParam, (int)wParam);
    case WM_GETTEXTLENGTH:
        return (LRESULT)w->title.size();
    case EM_LIMITTEXT:
        c.limit = (int)wParam;
        return 0;
    case LB_RESETCONTENT:
        c.items.clear();
        c.selection = -1;
        return 0;
    case LB_ADDSTRING: {
        // A sorted list box: case does not count.
        std::string item = lParam ? (const char*)lParam : "";
        auto at = std::upper_bound(c.items.begin(), c.items.end(), item,
                                   [](const std::string& a, const std::string& b) {
                                       return strcasecmp(a.c_str(), b.c_str()) < 0;
                                   });
        return (LRESULT)(c.items.insert(at, item) - c.items.begin());
    }
    case LB_GETCOUNT:
        return (LRESULT)c.items.size();
    case LB_GETTEXT:
        if ((int)wParam < 0 || (int)wParam >= (int)c.items.size() || !lParam)
            return -1;
        memcpy((char*)lParam, c.items[wParam].c_str(), c.items[wParam].size() + 1);
        return (LRESULT)c.items[wParam].size();
    case LB_GETTEXTLEN:
        if ((int)wParam < 0 || (int)wParam >= (int)c.items.size())
            return -1;
        return (LRESULT)c.items[wParam].size();
    case LB_GETCURSEL:
        return c.selection;
    case LB_SETCURSEL:
        c.selection = (int)wParam < (int)c.items.size() ? (int)wParam : -1;
        return c.selection;
    }
    return 0;
}

HWND control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

bool isDirectory(const std::string& winPath)
{
    std::error_code ec;
    return fs::is_directory(hostPath(winPath.c_str(), false), ec);
}

}  // namespace

void addDialogTemplate(HINSTANCE inst, const std::string& name, RECT rect,
                       const std::vector<DialogControl>& controls)
{
    ds().templates[{inst, upper(name)}] = Template{rect, controls};
}

void addFileOpenTemplate(HINSTANCE inst)
{
    addDialogTemplate(inst, "FileOpen", RECT{0, 0, 300, 200},
                      {{100, "Edit", {10, 10, 190, 30}},
                       {101, "Static", {10, 40, 190, 60}},
                       {102, "ListBox", {10, 70, 190, 190}},
                       {1, "Button", {200, 10, 290, 35}},
                       {2, "Button", {200, 45, 290, 70}}});
}

void setDialogScript(DialogScript script) { ds().script = std::move(script); }

bool dialogOpen(HWND dialog)
{
    auto it = ds().dialogs.find(dialog);
    return it != ds().dialogs.end() && !it->second.ended;
}

void typeText(HWND dialog, int id, const std::string& text)
{
    if (!dialogOpen(dialog))
        return;
    HWND edit = control(dialog, id);
    ControlState& c = ds().controls[edit];
    std::string typed = c.limit > 0 && (int)text.size() > c.limit ? text.substr(0, c.limit) : text;
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)typed.c_str());
}

void clickButton(HWND dialog, int id)
{
    HWND button = control(dialog, id);
    if (!dialogOpen(dialog) || !IsWindowEnabled(button))
        return;
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
}

bool selectItem(HWND dialog, int id, const std::string& item, bool doubleClick)
{
    if (!dialogOpen(dialog))
        return false;
    HWND list = control(dialog, id);
    ControlState& c = ds().controls[list];
    auto it = std::find(c.items.begin(), c.items.end(), item);
    if (it == c.items.end())
        return false;
    c.selection = (int)(it - c.items.begin());
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), (LPARAM)list);
    if (doubleClick && dialogOpen(dialog))
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), (LPARAM)list);
    return true;
}

std::vector<std::string> dialogListItems(HWND dialog, int id)
{
    return ds().controls[control(dialog, id)].items;
}

std::string dialogItemText(HWND dialog, int id)
{
    SimWindow* w = findWindow(control(dialog, id));
    return w ? w->title : "";
}

RECT dialogRect(HWND dialog)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(dialog, &r);
    return r;
}

void setOpenFileAnswer(OpenFileAnswer answer) { ds().openFileAnswer = std::move(answer); }
std::vector<OpenFileCall> openFileCalls() { return ds().openFileCalls; }

}  // namespace ws

using namespace ws;

extern "C" {

INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam)
{
    std::string name = lpTemplateName && (uintptr_t)lpTemplateName >= 0x10000 ? lpTemplateName : "";
    record("DialogBoxParamA(" + fmtHandle(hInstance) + ", \"" + name + "\", " + fmtHandle(hWndParent) + ")");
    auto t = ds().templates.find({hInstance, upper(name)});
    if (t == ds().templates.end() || !lpDialogFunc)
        return -1;
    Template tpl = t->second;
    WindowSpec desc;
    desc.cls = "#32770";
    desc.style = (LONG)(WS_POPUP | WS_CAPTION | WS_SYSMENU);  // shown by the procedure
    desc.rect = tpl.rect;
    desc.inst = hInstance;
    HWND dlg = createWindow(desc);
    for (const DialogControl& c : tpl.controls) {
        WindowSpec cs;
        cs.cls = c.cls;
        cs.style = WS_CHILD | WS_VISIBLE;
        cs.parent = dlg;
        cs.rect = RECT{tpl.rect.left + c.rect.left, tpl.rect.top + c.rect.top, tpl.rect.left + c.rect.right,
                       tpl.rect.top + c.rect.bottom};
        cs.inst = hInstance;
        cs.id = c.id;
        HWND h = createWindow(cs);
        setHandler(h, controlProc);
    }
    ds().dialogs[dlg] = RunningDialog{lpDialogFunc, false, 0};
    setHandler(dlg, [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto it = ds().dialogs.find(hwnd);
        return it == ds().dialogs.end() ? 0 : it->second.proc(hwnd, msg, wParam, lParam);
    });
    HWND oldFocus = desk().focus;
    desk().focus = control(dlg, tpl.controls.empty() ? 0 : tpl.controls[0].id);
    SendMessageA(dlg, WM_INITDIALOG, 0, dwInitParam);
    if (ds().script && dialogOpen(dlg))
        ds().script(dlg);
    RunningDialog run = ds().dialogs[dlg];
    if (!run.ended) {
        record("DialogLeftOpen");
        run.result = -1;
    }
    ds().dialogs.erase(dlg);
    DestroyWindow(dlg);
    desk().focus = oldFocus;
    return run.result;
}

BOOL EndDialog(HWND hDlg, INT_PTR nResult)
{
    record("EndDialog(" + fmtHandle(hDlg) + ", " + std::to_string((long long)nResult) + ")");
    auto it = ds().dialogs.find(hDlg);
    if (it == ds().dialogs.end())
        return FALSE;
    it->second.ended = true;
    it->second.result = nResult;
    return TRUE;
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax)
{
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    if (!h) {
        if (lpString && cchMax > 0)
            lpString[0] = 0;
        return 0;
    }
    return (UINT)SendMessageA(h, WM_GETTEXT, (WPARAM)cchMax, (LPARAM)lpString);
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString)
{
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    return h ? (BOOL)SendMessageA(h, WM_SETTEXT, 0, (LPARAM)lpString) : FALSE;
}

LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    HWND h = GetDlgItem(hDlg, nIDDlgItem);
    return h ? SendMessageA(h, Msg, wParam, lParam) : 0;
}

// Splits the path into a folder and a file pattern, makes the folder the
// current directory, cuts the text to the pattern and fills the list box
// (files that match, every folder in brackets with "[..]" below a root, the
// drives as "[-c-]") and the static control (the current directory).
int DlgDirListA(HWND hDlg, LPSTR lpPathSpec, int nIDListBox, int nIDStaticPath, UINT uFileType)
{
    std::string pathSpec = lpPathSpec ? lpPathSpec : "";
    record("DlgDirListA(" + fmtHandle(hDlg) + ", \"" + pathSpec + "\", " + std::to_string(nIDListBox) + ", " +
           std::to_string(nIDStaticPath) + ", 0x" + [&] {
               char b[16];
               snprintf(b, sizeof b, "%X", uFileType);
               return std::string(b);
           }() + ")");
    size_t cut = findLastCharOf(pathSpec, "\\:");
    std::string folder = cut == std::string::npos ? "" : pathSpec.substr(0, cut + 1);
    std::string pattern = cut == std::string::npos ? pathSpec : pathSpec.substr(cut + 1);
    if (!pattern.empty() && !hasWildcard(pattern) && isDirectory(absoluteWinPath(folder + pattern))) {
        folder += pattern;
        pattern.clear();
    }
    if (pattern.empty())
        pattern = "*.*";
    if (!folder.empty()) {
        std::string dir = absoluteWinPath(folder);
        if (!isDirectory(dir) || !SetCurrentDirectoryA(dir.c_str()))
            return FALSE;
    }
    if (lpPathSpec)
        memcpy(lpPathSpec, pattern.c_str(), pattern.size() + 1);  // never longer than the text

    std::string cur = currentDirectory();
    if (HWND list = nIDListBox ? GetDlgItem(hDlg, nIDListBox) : NULL) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        std::error_code ec;
        std::string host = hostPath(cur.c_str(), false);
        if ((uFileType & DDL_DIRECTORY) && cur.size() > 3)
            SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) "[..]");
        for (const auto& entry : fs::directory_iterator(host, ec)) {
            std::string name = entry.path().filename().string();
            if (entry.is_directory(ec)) {
                if (uFileType & DDL_DIRECTORY)
                    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)("[" + name + "]").c_str());
            } else if (!(uFileType & DDL_EXCLUSIVE) && nameMatches(pattern, name)) {
                SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name.c_str());
            }
        }
        if (uFileType & DDL_DRIVES) {
            for (char d = 'A'; d <= 'Z'; ++d)
                if (isDirectory(std::string(1, d) + ":\\"))
                    SendMessageA(list, LB_ADDSTRING, 0,
                                 (LPARAM)("[-" + std::string(1, (char)tolower(d)) + "-]").c_str());
        }
    }
    if (HWND path = nIDStaticPath ? GetDlgItem(hDlg, nIDStaticPath) : NULL)
        SendMessageA(path, WM_SETTEXT, 0, (LPARAM)cur.c_str());
    return TRUE;
}

// The selected entry without its brackets: "name\" for a folder and "c:" for
// a drive (non-zero result), the name for a file; cut to the buffer.
BOOL DlgDirSelectExA(HWND hwndDlg, LPSTR lpString, int chCount, int idListBox)
{
    HWND list = GetDlgItem(hwndDlg, idListBox);
    ControlState& c = ds().controls[list];
    if (!list || c.selection < 0 || c.selection >= (int)c.items.size())
        return FALSE;  // no selection: the buffer is left as it is
    std::string item = c.items[c.selection];
    BOOL isDir = FALSE;
    if (item.size() == 5 && item.compare(0, 2, "[-") == 0 && item.compare(3, 2, "-]") == 0) {
        item = std::string(1, item[2]) + ":";
        isDir = TRUE;
    } else if (item.size() >= 2 && item.front() == '[' && item.back() == ']') {
        item = item.substr(1, item.size() - 2) + "\\";
        isDir = TRUE;
    }
    copyOut(item, lpString, chCount);
    return isDir;
}

BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn)
{
    if (!lpofn)
        return FALSE;
    char flags[16];
    snprintf(flags, sizeof flags, "0x%X", (unsigned)lpofn->Flags);
    record("GetOpenFileNameA(" + std::to_string(lpofn->lStructSize) + ", " + flags + ")");
    OpenFileCall call = {};
    call.record = *lpofn;
    if (const char* f = lpofn->lpstrFilter) {
        while (*f) {
            call.filter += std::string(f) + "|";
            f += strlen(f) + 1;
        }
    }
    call.title = lpofn->lpstrTitle ? lpofn->lpstrTitle : "";
    if ((lpofn->Flags & OFN_ENABLEHOOK) && lpofn->lpfnHook) {
        WindowSpec desc;
        desc.cls = "#32770";
        desc.style = (LONG)(WS_POPUP | WS_CAPTION);
        desc.rect = RECT{0, 0, 400, 300};
        call.hookDialog = createWindow(desc);
        call.hookResult = lpofn->lpfnHook(call.hookDialog, WM_INITDIALOG, 0, (LPARAM)lpofn);
        GetWindowRect(call.hookDialog, &call.hookDialogRect);
    }
    BOOL result = ds().openFileAnswer ? ds().openFileAnswer(lpofn) : FALSE;
    if (call.hookDialog)
        DestroyWindow(call.hookDialog);
    ds().openFileCalls.push_back(call);
    return result;
}

}  // extern "C"
