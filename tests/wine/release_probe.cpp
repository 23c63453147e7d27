// What release_test.sh asks Windows about the release, one question a run:
//   release_probe version X.Y.Z FILE...  each file's version resource holds
//                                        X.Y.Z (fixed and string versions)
//                                        and names the product; exit 0 when
//                                        every file does
//   release_probe shared                 the shared block of the QRHook.dll
//                                        in QR_BIN, as the running host
//                                        filled it: "iZure N" and one
//                                        "history: line" per stored line
//   release_probe wait-host SECONDS      exit 0 once a host window is there
//   release_probe wait-companion SECONDS exit 0 once the host's 32-bit
//                                        companion has installed its hooks
//   release_probe host-in FOLDER         exit 0 when a running host's program
//                                        file lies in FOLDER; else the hosts'
//                                        files are printed
//   release_probe start-with-windows     Options > Start with Windows in the
//                                        running host (it writes or removes
//                                        its Run value)
//   release_probe run COMMAND-LINE       runs a command line (as Windows
//                                        would run a registry value) to its
//                                        end; exit code its exit code
// GetFileVersionInfo reads a file of either width, so the 32-bit files are
// checked from this 64-bit program.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "companion.h"
#include "harness.h"
#include "resource.h"

static std::string VersionString(const std::vector<char>& data, const char* block, const char* name)
{
    char path[96];
    snprintf(path, sizeof path, "\\StringFileInfo\\%s\\%s", block, name);
    char* value = NULL;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), path, (void**)&value, &len) || !value)
        return "";
    return std::string(value, len && value[len - 1] == 0 ? len - 1 : len);
}

static std::string FixedText(DWORD high, DWORD low)
{
    char text[64];
    snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(high), LOWORD(high), HIWORD(low), LOWORD(low));
    return text;
}

// Every field that differs is printed; true when none does.
static bool CheckVersion(const char* file, const std::string& expected)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    std::vector<char> data(size ? size : 1);
    if (!size || !GetFileVersionInfoA(file, 0, size, data.data())) {
        printf("FAIL %s: no version resource (error %lu)\n", file, GetLastError());
        return false;
    }
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", (void**)&fixed, &len) || len < sizeof *fixed)
        fixed = NULL;
    // The string table named by the first translation, as Explorer finds it.
    WORD* pair = NULL;
    char block[16] = "none";
    if (VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", (void**)&pair, &len) && len >= 4)
        snprintf(block, sizeof block, "%04X%04X", pair[0], pair[1]);

    struct Row {
        const char* field;
        std::string actual;
        std::string expected;
    };
    const Row rows[] = {
        {"fixed file version", fixed ? FixedText(fixed->dwFileVersionMS, fixed->dwFileVersionLS) : "",
         expected + ".0"},
        {"fixed product version", fixed ? FixedText(fixed->dwProductVersionMS, fixed->dwProductVersionLS) : "",
         expected + ".0"},
        {"FileVersion", VersionString(data, block, "FileVersion"), expected},
        {"ProductVersion", VersionString(data, block, "ProductVersion"), expected},
        {"ProductName", VersionString(data, block, "ProductName"), "Quillrun"},
    };
    bool ok = true;
    for (const Row& row : rows) {
        if (row.actual != row.expected) {
            printf("FAIL %s: %s is \"%s\", not \"%s\"\n", file, row.field, row.actual.c_str(),
                   row.expected.c_str());
            ok = false;
        }
    }
    std::string description = VersionString(data, block, "FileDescription");
    if (description.empty()) {
        printf("FAIL %s: no FileDescription\n", file);
        ok = false;
    }
    if (ok)
        printf("ok   %s: %s, \"%s\"\n", file, expected.c_str(), description.c_str());
    return ok;
}

static int Shared()
{
    qr::SharedBlock lib;
    if (!lib.Load()) {
        printf("QRHook.dll cannot be loaded from %s\n", qr::BinDir().c_str());
        return 1;
    }
    printf("iZure %d\n", *lib.Var<int>("iZure"));
    typedef char Line[QR_HIST_TEXT];
    const Line* hist = lib.Var<Line>("chHist");
    for (int i = 0; i < QR_RING_SLOTS; i++)
        if (hist[i][0])
            printf("history: %.*s\n", QR_HIST_TEXT, hist[i]);
    return 0;
}

// Compared as the installer compares them: folders without regard to case.
static int HostIn(const wchar_t* folder)
{
    std::string seen;
    for (HWND w = NULL; (w = FindWindowExA(NULL, w, QR_HOST_CLASS, NULL)) != NULL;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        wchar_t path[1024];
        DWORD len = ARRAYSIZE(path);
        if (!process || !QueryFullProcessImageNameW(process, 0, path, &len))
            wcscpy(path, L"(unknown)");
        if (process)
            CloseHandle(process);
        wchar_t* name = wcsrchr(path, L'\\');
        if (name) {
            *name = 0;
            if (lstrcmpiW(path, folder) == 0)
                return 0;
            *name = L'\\';
        }
        char text[3 * ARRAYSIZE(path)];
        WideCharToMultiByte(CP_UTF8, 0, path, -1, text, sizeof text, NULL, NULL);
        seen += std::string(" ") + text;
    }
    printf("        no host in that folder; running:%s\n", seen.empty() ? " none" : seen.c_str());
    return 1;
}

int main(int argc, char** argv)
{
    if (argc >= 4 && strcmp(argv[1], "version") == 0) {
        bool ok = true;
        for (int i = 3; i < argc; i++)
            ok = CheckVersion(argv[i], argv[2]) && ok;
        return ok ? 0 : 1;
    }
    if (argc == 2 && strcmp(argv[1], "shared") == 0)
        return Shared();
    if (argc == 3 && strcmp(argv[1], "wait-host") == 0)
        return qr::WaitForWindow(QR_HOST_CLASS, NULL, (DWORD)atoi(argv[2]) * 1000) ? 0 : 1;
    if (argc == 3 && strcmp(argv[1], "wait-companion") == 0)
        return qr::WaitFor([] {
            HWND companion = FindWindowExA(HWND_MESSAGE, NULL, QR_COMPANION_CLASS, NULL);
            return companion && qr::WindowText(companion) == QR_COMPANION_SERVING;
        }, (DWORD)atoi(argv[2]) * 1000) ? 0 : 1;
    if (argc == 3 && strcmp(argv[1], "run") == 0)
        return qr::Run(argv[2], 120000);
    if (argc == 3 && strcmp(argv[1], "host-in") == 0) {
        // The folder as given, whatever the code page (the zip's has a letter outside ASCII).
        int n = 0;
        wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &n);
        return args && n == 3 ? HostIn(args[2]) : 2;
    }
    if (argc == 2 && strcmp(argv[1], "start-with-windows") == 0) {
        DWORD_PTR answer = 0;
        HWND host = FindWindowA(QR_HOST_CLASS, NULL);
        return host && SendMessageTimeoutA(host, WM_COMMAND, IDM_STARTUP, 0, SMTO_ABORTIFHUNG, 10000, &answer)
                   ? 0 : 1;
    }
    fprintf(stderr, "usage: release_probe version X.Y.Z FILE... | shared | wait-host SECONDS | "
                    "wait-companion SECONDS | run COMMAND-LINE | host-in FOLDER | start-with-windows\n");
    return 2;
}
