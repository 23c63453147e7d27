// The labels of the library files, as the host sets them at its start and
// for the installer (Quillrun.exe /label): both widths' QRHook.dll get
// medium with no reading, writing or executing from below, only where their
// own label does not keep sandboxed programs out already.
#include <gtest/gtest.h>
#include <winsim.h>
#include <winsim/sim_security.h>

#include "integrity.h"

#include <string>
#include <vector>

namespace {

struct File {
    bool exists, labelled;
    ws::FileLabel label;
    DWORD getError, setError;
};
const File kNone = {true, false, {0, 0}, 0, 0};
const File kAbsent = {false, false, {0, 0}, 0, 0};
const File kMedium = {true, true, {0x2000, 7}, 0, 0};
const File kRefused = {true, false, {0, 0}, 0, ERROR_NOT_SUPPORTED};
const File kWine = {true, false, {0, 0}, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED};

const char* const kPaths[] = {"C:\\Tools\\QRHook.dll", "C:\\Tools\\x86\\QRHook.dll"};
const std::string kSetOwn = "SetNamedSecurityInfoW(C:\\Tools\\QRHook.dll, level 0x2000, policy 0x7)";
const std::string kSetX86 = "SetNamedSecurityInfoW(C:\\Tools\\x86\\QRHook.dll, level 0x2000, policy 0x7)";

TEST(LibraryLabel, EachFileIsLabelledWhereItsLabelDoesNotKeepLowerLevelsOut)
{
    const struct {
        const char* scenario;
        File own, x86;
        std::vector<std::string> sets;
        int keptOut;
    } rows[] = {
        {"neither labelled (a copy from the zip)", kNone, kNone, {kSetOwn, kSetX86}, 1},
        {"both labelled already", kMedium, kMedium, {}, 1},
        {"labelled high", {true, true, {0x3000, 7}, 0, 0}, kMedium, {}, 1},
        {"labelled low", {true, true, {0x1000, 7}, 0, 0}, kMedium, {kSetOwn}, 1},
        {"no write-up alone", kMedium, {true, true, {0x2000, 1}, 0, 0}, {kSetX86}, 1},
        {"no 32-bit file (a 32-bit Windows)", kNone, kAbsent, {kSetOwn}, 1},
        {"a drive without access control", kRefused, kNone, {kSetOwn, kSetX86}, 0},
        {"labels neither read nor set (Wine)", kWine, kWine, {kSetOwn, kSetX86}, 0},
    };
    for (const auto& r : rows) {
        ws::reset();
        const File* files[] = {&r.own, &r.x86};
        std::vector<WCHAR> wide[2];
        for (int i = 0; i < 2; ++i) {
            if (files[i]->exists)
                ws::writeFile(kPaths[i], "MZ");
            if (files[i]->labelled)
                ws::setFileLabel(kPaths[i], files[i]->label);
            ws::setLabelErrors(kPaths[i], files[i]->getError, files[i]->setError);
            wide[i].assign(kPaths[i], kPaths[i] + strlen(kPaths[i]) + 1);
        }
        const WCHAR* paths[] = {wide[0].data(), wide[1].data()};
        EXPECT_EQ(r.keptOut, KeepSandboxesOut(paths, 2)) << r.scenario;
        EXPECT_EQ(r.sets, ws::callsTo("SetNamedSecurityInfoW")) << r.scenario;
        // The next start reads back what this one set, and sets nothing.
        ws::clearCalls();
        if (r.keptOut) {
            EXPECT_EQ(1, KeepSandboxesOut(paths, 2)) << r.scenario << ", next start";
            EXPECT_EQ(std::vector<std::string>{}, ws::callsTo("SetNamedSecurityInfoW")) << r.scenario << ", next start";
        }
    }
}

}  // namespace
