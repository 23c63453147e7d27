// The host's File > Run on its own: the picked program is found and runs in
// its own folder (real processes, under Wine).
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "options.h"
#include "run_program.h"

// File > Run: the host's own dialog writes a picked file's path in the OEM
// character set; the host converts it, and keeps the text as it came where
// only that names a file (Wine's existence test leaves it in ANSI).  The
// file runs in its own folder, a drive's root keeping its backslash.
TEST(HostRunProgram, APickedFileIsFoundAndRunsInItsOwnFolder)
{
    static std::vector<std::string> existing;
    IsFileFn isFile = [](const char* path) {
        for (const std::string& e : existing)
            if (e == path)
                return 1;
        return 0;
    };
    char oem[] = "C:\\caf\x82\\a.exe";  // e-acute in the OEM set of an English desktop
    char ansi[sizeof oem];
    OemToCharBuffA(oem, ansi, sizeof oem);
    struct Row {
        const char* name;
        std::vector<std::string> files;
        int picked;
        int found;
        std::string path;
    } rows[] = {
        {"picked, converted", {ansi}, 1, 1, ansi},
        {"picked, only the text as it came", {oem}, 1, 1, oem},
        {"typed: never converted", {ansi, oem}, 0, 1, oem},
        {"no such file: a command line", {}, 1, 0, ""},
    };
    for (const Row& r : rows) {
        existing = r.files;
        char out[MAX_PATH] = "";
        EXPECT_EQ(r.found, PickedFile(oem, r.picked, out, sizeof out, isFile)) << r.name;
        if (r.found) {
            EXPECT_EQ(r.path, out) << r.name;
        }
    }

    struct Folder {
        const char* path;
        const char* folder;  // nullptr: none
    } folders[] = {
        {"C:\\app.exe", "C:\\"},
        {"C:\\Program Files\\Tool\\app.exe", "C:\\Program Files\\Tool"},
        {"\\\\server\\share\\app.exe", "\\\\server\\share"},
        {"app.exe", nullptr},
    };
    for (const Folder& f : folders) {
        char out[MAX_PATH] = "";
        EXPECT_EQ(f.folder != nullptr, WorkingFolderOf(f.path, out, sizeof out) != 0) << f.path;
        if (f.folder) {
            EXPECT_STREQ(f.folder, out) << f.path;
        }
    }
}
