// winsim: the standard controls the edit-line services talk to (edit fields,
// list boxes with directory listings, drop-down combo boxes) and the host's
// completion dialog.
#include "state.h"

#include <winsim_editline.h>

#include <ctype.h>
#include <string.h>
#include <strings.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace ws {

namespace {

struct EditState {
    int start = 0;
    int end = 0;
    std::string textAtSel;  // the text when the selection was set
    bool passwordCharSet = false;  // EM_SETPASSWORDCHAR was sent
    WPARAM passwordChar = 0;
};

// A list-box item in both widths: the platform's list box keeps UTF-16, and
// an item added in the code page converts without loss here (sim_system.h).
struct ListItem {
    std::string ansi;
    std::u16string wide;
};

struct ControlState {
    std::map<HWND, EditState> edits;
    std::map<HWND, std::vector<ListItem>> lists;
    std::map<HWND, HWND> comboLists;  // combo box -> its "ComboLBox"
};

ControlState& controls()
{
    static ControlState s;
    return s;
}

ResetHook resetControls([] { controls() = ControlState(); });

int copyText(const std::string& s, char* out, int max)
{
    if (!out || max <= 0)
        return 0;
    int n = (int)s.size() < max - 1 ? (int)s.size() : max - 1;
    memcpy(out, s.data(), n);
    out[n] = 0;
    return n;
}

bool isClass(const SimWindow* w, const char* cls)
{
    return strcasecmp(w->cls.c_str(), cls) == 0;
}

// --- Edit fields ------------------------------------------------------------

// What a text message reads of a window (WM_GETTEXT, WM_GETTEXTLENGTH,
// WM_SETTEXT), in the width of the call: UTF-16 units for a W message.
int copyTextW(const std::u16string& s, WCHAR* out, int max)
{
    if (!out || max <= 0)
        return 0;
    int n = (int)s.size() < max - 1 ? (int)s.size() : max - 1;
    memcpy(out, s.data(), (size_t)n * sizeof(WCHAR));
    out[n] = 0;
    return n;
}

LRESULT textMessage(SimWindow* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    bool wide = wideMessage();
    switch (msg) {
    case WM_GETTEXT:
        return wide ? copyTextW(textW(w), (WCHAR*)lParam, (int)wParam)
                    : copyText(w->title, (char*)lParam, (int)wParam);
    case WM_GETTEXTLENGTH:
        return wide ? (LRESULT)textW(w).size() : (LRESULT)w->title.size();
    case WM_SETTEXT:
        if (wide)
            setTextW(w, lParam ? std::u16string((const WCHAR*)lParam) : std::u16string());
        else
            setText(w, lParam ? (const char*)lParam : "");
        return TRUE;
    }
    return 0;
}

// The text a selection belongs to: a Unicode field's own UTF-16 text counts,
// so that a change its code-page form does not show still resets it.
std::string selectionKey(const SimWindow* w)
{
    if (!w->unicode)
        return w->title;
    return std::string((const char*)w->wtitle.data(), w->wtitle.size() * sizeof(WCHAR));
}

// The selection as the field shows it: a text set since the selection was
// made (WM_SETTEXT, SetWindowTextA) has put the caret back at 0.
EditState& editState(const SimWindow* w)
{
    EditState& e = controls().edits[w->handle];
    std::string key = selectionKey(w);
    if (e.textAtSel != key) {
        e.start = e.end = 0;
        e.textAtSel = key;
    }
    return e;
}

// The rich edit controls (RichEdit20A, RichEdit20W, RICHEDIT50W, ...).
bool isRichEdit(const SimWindow* w)
{
    return strncasecmp(w->cls.c_str(), "RichEdit", 8) == 0;
}

LRESULT editProc(SimWindow* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        // An edit control takes characters, arrows and EM_SETSEL; a
        // multi-line one every key (Enter and Tab included).  A rich edit
        // control takes Tab too.
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (isRichEdit(w))
            code |= DLGC_WANTTAB;
        if (w->style & ES_MULTILINE)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case EM_SETPASSWORDCHAR: {
        // An edit control shows its text as the character and takes or drops
        // ES_PASSWORD with it; a rich edit control keeps the character only
        // (its style stays as it was).
        EditState& e = controls().edits[w->handle];
        e.passwordCharSet = true;
        e.passwordChar = wParam;
        if (!isRichEdit(w))
            w->style = wParam ? (w->style | ES_PASSWORD) : (w->style & ~ES_PASSWORD);
        return 0;
    }
    case EM_GETPASSWORDCHAR: {
        const EditState& e = controls().edits[w->handle];
        if (e.passwordCharSet)
            return (LRESULT)e.passwordChar;
        return (w->style & ES_PASSWORD) ? '*' : 0;
    }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return textMessage(w, msg, wParam, lParam);
    case WM_SETTEXT: {
        textMessage(w, msg, wParam, lParam);
        EditState& e = editState(w);
        e.start = e.end = 0;
        return TRUE;
    }
    case EM_SETSEL: {
        // -1 as start drops the selection; a negative or too large position
        // means the end of the text.  A Unicode field counts UTF-16 units.
        EditState& e = editState(w);
        int len = w->unicode ? (int)w->wtitle.size() : (int)w->title.size();
        int start = (int)wParam, end = (int)lParam;
        if (start == -1) {
            e.start = e.end;
            return 0;
        }
        if (start < 0 || start > len)
            start = len;
        if (end < 0 || end > len)
            end = len;
        e.start = start < end ? start : end;
        e.end = start < end ? end : start;
        return 0;
    }
    case EM_GETSEL: {
        EditState& e = editState(w);
        if (wParam)
            *(DWORD*)wParam = (DWORD)e.start;
        if (lParam)
            *(DWORD*)lParam = (DWORD)e.end;
        return MAKELONG(e.start, e.end);
    }
    }
    return 0;
}

// --- List boxes -------------------------------------------------------------

// The order of a sorted list box: letters compared without regard to case,
// and punctuation (the brackets of directory entries, dots) before digits and
// digits before letters, as the platform's string comparison sorts.
int sortClass(unsigned char c)
{
    if (isalpha(c) || c >= 0x80)
        return 2;
    if (isdigit(c))
        return 1;
    return 0;
}

bool sortsBefore(const std::string& a, const std::string& b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        int cx = sortClass(x), cy = sortClass(y);
        if (cx != cy)
            return cx < cy;
        int lx = tolower(x), ly = tolower(y);
        if (lx != ly)
            return lx < ly;
    }
    return a.size() < b.size();
}

int addItem(SimWindow* w, const ListItem& item)
{
    std::vector<ListItem>& items = controls().lists[w->handle];
    if (!(w->style & LBS_SORT)) {
        items.push_back(item);
        return (int)items.size() - 1;
    }
    size_t at = 0;
    while (at < items.size() && !sortsBefore(item.ansi, items[at].ansi))
        ++at;
    items.insert(items.begin() + at, item);
    return (int)at;
}

int addItem(SimWindow* w, const std::string& ansi)
{
    return addItem(w, ListItem{ansi, wideOf(ansi)});
}

// One character of a pattern (not '*') against one of a name, of ps and ss
// bytes.
bool charMatches(const char* p, size_t ps, const char* s, size_t ss)
{
    if (*p == '?')
        return true;
    if (ps != ss)
        return false;
    return ps == 2 ? memcmp(p, s, 2) == 0 : tolower((unsigned char)*p) == tolower((unsigned char)*s);
}

// A file name against a pattern with '*' and '?', without regard to the case
// of single-byte letters; a double-byte character matches only itself (or
// one '?').  Greedy, in one pass: on a mismatch only the last '*' seen takes
// one more character of the name (whatever an earlier '*' could take
// instead, the last one can take as well), so the time is bounded by the
// product of the two lengths whatever the number of '*'.
bool globMatch(const char* p, const char* s)
{
    const char* afterStar = nullptr;  // the pattern after the last '*'
    const char* starEnd = nullptr;  // where the name's part that '*' takes ends
    while (*s) {
        if (*p == '*') {
            afterStar = ++p;
            starEnd = s;
            continue;
        }
        size_t ps = CharNextA(p) - p, ss = CharNextA(s) - s;
        if (*p && charMatches(p, ps, s, ss)) {
            p += ps;
            s += ss;
        } else if (afterStar) {
            starEnd = CharNextA(starEnd);
            p = afterStar;
            s = starEnd;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == 0;
}

}  // namespace

// The platform's rule: a name without a dot also matches as if it ended in
// one, so "*.*" lists every name and "readme.*" finds "README".
bool nameMatches(const std::string& pattern, const std::string& name)
{
    if (globMatch(pattern.c_str(), name.c_str()))
        return true;
    return name.find('.') == std::string::npos && globMatch(pattern.c_str(), (name + ".").c_str());
}

namespace {

// The folder part of a pattern as a folder of the host file system, "" when
// it does not exist.  Relative parts start at the current directory ("C:"
// alone is the current directory when it lies on drive C); the letters of
// each part match whatever their case, as on the platform's file systems.
std::string currentDir()
{
    char buf[MAX_PATH] = "";
    DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    return n > 2 && n < sizeof buf && buf[1] == ':' ? buf : "C:\\";
}

std::string hostFolder(const std::string& folder)
{
    std::string cur = currentDir();
    std::string full;
    if (folder.size() >= 2 && folder[1] == ':') {
        std::string rest = folder.substr(2);
        if (!rest.empty() && rest[0] == '\\')
            full = folder;
        else if (toupper((unsigned char)folder[0]) == toupper((unsigned char)cur[0]))
            full = cur + "\\" + rest;
        else
            full = folder.substr(0, 2) + "\\" + rest;
    } else if (!folder.empty() && folder[0] == '\\') {
        full = cur.substr(0, 2) + folder;
    } else {
        full = cur + "\\" + folder;
    }
    std::string host = hostPath(full.substr(0, 3).c_str(), false);
    std::vector<std::string> parts;
    size_t at = 3;
    while (at < full.size()) {
        size_t end = findChar(full, '\\', at);
        if (end == std::string::npos)
            end = full.size();
        std::string part = full.substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::error_code ec;
    for (const std::string& part : parts) {
        std::string found;
        for (const auto& entry : fs::directory_iterator(host, ec))
            if (strcasecmp(entry.path().filename().c_str(), part.c_str()) == 0)
                found = entry.path().string();
        if (found.empty())
            return "";
        host = found;
    }
    return host;
}

bool isDriveRoot(const std::string& host)
{
    fs::path p = fs::path(host).lexically_normal();
    if (p.filename().empty())
        p = p.parent_path();
    return p.parent_path() == fs::path(desk().root).lexically_normal();
}

// LB_DIR: the names in the pattern's folder that match its last part; with
// DDL_DIRECTORY the folders too, in square brackets, "[..]" included below a
// drive's root; with DDL_EXCLUSIVE only what the other bits ask for.
LRESULT listDirectory(SimWindow* w, UINT attributes, const char* pathSpec)
{
    std::string pattern = pathSpec ? pathSpec : "";
    size_t cut = findLastCharOf(pattern, "\\:");
    std::string folder = cut == std::string::npos ? "" : pattern.substr(0, cut + 1);
    std::string names = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    std::string host = hostFolder(folder);
    std::error_code ec;
    if (host.empty() || !fs::is_directory(host, ec))
        return LB_ERR;
    bool wantDirs = (attributes & DDL_DIRECTORY) != 0;
    bool wantFiles = !(attributes & DDL_EXCLUSIVE);
    int last = LB_ERR;
    if (wantDirs && !isDriveRoot(host) && nameMatches(names, ".."))
        last = addItem(w, "[..]");
    for (const auto& entry : fs::directory_iterator(host, ec)) {
        std::string name = entry.path().filename().string();
        if (!nameMatches(names, name))
            continue;
        if (entry.is_directory(ec)) {
            if (wantDirs)
                last = addItem(w, "[" + name + "]");
        } else if (wantFiles) {
            last = addItem(w, name);
        }
    }
    return last;
}

// Messages with text take and give UTF-16 when they come through a W call.
LRESULT listProc(SimWindow* w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::vector<ListItem>& items = controls().lists[w->handle];
    int index = (int)wParam;
    bool valid = index >= 0 && index < (int)items.size();
    bool wide = wideMessage();
    switch (msg) {
    case LB_ADDSTRING:
        if (wide) {
            std::u16string text = lParam ? (const WCHAR*)lParam : u"";
            return addItem(w, ListItem{ansiOf(text), text});
        }
        return addItem(w, lParam ? (const char*)lParam : "");
    case LB_RESETCONTENT:
        items.clear();
        return 0;
    case LB_GETCOUNT:
        return (LRESULT)items.size();
    case LB_GETTEXTLEN:
        if (!valid)
            return LB_ERR;
        return wide ? (LRESULT)items[index].wide.size() : (LRESULT)items[index].ansi.size();
    case LB_GETTEXT:
        // As on the platform, the buffer is taken to be large enough.
        if (!valid || !lParam)
            return LB_ERR;
        if (wide) {
            const std::u16string& t = items[index].wide;
            memcpy((WCHAR*)lParam, t.c_str(), (t.size() + 1) * sizeof(WCHAR));
            return (LRESULT)t.size();
        }
        memcpy((char*)lParam, items[index].ansi.c_str(), items[index].ansi.size() + 1);
        return (LRESULT)items[index].ansi.size();
    case LB_DIR:
        // The names of the simulated drives are code-page text.
        if (wide)
            return listDirectory(w, (UINT)wParam,
                                 lParam ? ansiOf((const WCHAR*)lParam).c_str() : NULL);
        return listDirectory(w, (UINT)wParam, (const char*)lParam);
    }
    return 0;
}

// --- Combo boxes ------------------------------------------------------------

LRESULT comboProc(SimWindow* w, UINT msg, WPARAM wParam, LPARAM)
{
    auto it = controls().comboLists.find(w->handle);
    SimWindow* list = it == controls().comboLists.end() ? nullptr : findWindow(it->second);
    switch (msg) {
    case CB_SHOWDROPDOWN:
        if (list) {
            if (wParam)
                list->style |= WS_VISIBLE;
            else
                list->style &= ~WS_VISIBLE;
        }
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return list && (list->style & WS_VISIBLE) ? TRUE : FALSE;
    }
    return 0;
}

}  // namespace

LRESULT controlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimWindow* w = findWindow(hwnd);
    if (!w)
        return 0;
    if (isClass(w, "ListBox") || isClass(w, "ComboLBox"))
        return listProc(w, msg, wParam, lParam);
    if (isClass(w, "ComboBox"))
        return comboProc(w, msg, wParam, lParam);
    if (isClass(w, "Static") || isClass(w, "Button") || isClass(w, "#32770"))
        return textMessage(w, msg, wParam, lParam);
    // Every other class here is an edit field of some kind.
    return editProc(w, msg, wParam, lParam);
}

HWND createControl(WindowSpec desc)
{
    HWND h = createWindow(desc);
    setHandler(h, controlProc);
    return h;
}

HWND createEdit(WindowSpec desc)
{
    if (desc.cls.empty())
        desc.cls = "Edit";
    return createControl(desc);
}

Selection editSelection(HWND edit)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    SimWindow* w = findWindow(edit);
    if (!w)
        return Selection{0, 0};
    EditState& e = editState(w);
    return Selection{e.start, e.end};
}

std::string windowText(HWND hwnd)
{
    SimWindow* w = findWindow(hwnd);
    return w ? w->title : "";
}

std::u16string windowTextW(HWND hwnd)
{
    SimWindow* w = findWindow(hwnd);
    return w ? textW(w) : std::u16string();
}

Combo createComboBox(HWND parent, int id)
{
    WindowSpec box;
    box.cls = "ComboBox";
    box.style = WS_CHILD | WS_VISIBLE | CBS_DROPDOWN;
    box.parent = parent;
    box.id = id;
    Combo c;
    c.box = createControl(box);
    WindowSpec edit;
    edit.cls = "Edit";
    edit.style = WS_CHILD | WS_VISIBLE;
    edit.parent = c.box;
    edit.id = 1001;
    c.edit = createControl(edit);
    WindowSpec list;
    list.cls = "ComboLBox";
    list.style = WS_POPUP;  // hidden until dropped down
    c.list = createControl(list);
    controls().comboLists[c.box] = c.list;
    return c;
}

CompletionDialog createCompletionDialog()
{
    WindowSpec dlg;
    dlg.cls = "#32770";
    dlg.title = "File list";
    dlg.style = WS_POPUP | WS_CAPTION;
    dlg.unicode = true;
    CompletionDialog d;
    d.dialog = createWindow(dlg);
    WindowSpec list;
    list.cls = "ListBox";
    list.style = WS_CHILD | WS_VISIBLE | LBS_STANDARD;
    list.parent = d.dialog;
    list.id = 202;
    list.unicode = true;
    d.list = createControl(list);
    WindowSpec pattern;
    pattern.cls = "Static";
    pattern.style = WS_CHILD | WS_VISIBLE;
    pattern.parent = d.dialog;
    pattern.id = 200;
    pattern.unicode = true;
    d.pattern = createControl(pattern);
    return d;
}

std::vector<std::string> listItems(HWND listBox)
{
    std::lock_guard<std::recursive_mutex> lock(deskLock());
    std::vector<std::string> out;
    auto it = controls().lists.find(listBox);
    if (it != controls().lists.end())
        for (const ListItem& item : it->second)
            out.push_back(item.ansi);
    return out;
}

void makeDirectory(const std::string& winPath)
{
    std::error_code ec;
    fs::create_directories(hostPath(winPath.c_str(), false), ec);
}


}  // namespace ws
