// The fixture of the Wine tests: the real host program with the library's
// hooks installed, the target program in front with the focus in its first
// edit field, and this process holding the library too, so that it can read
// and write the shared block like any other process on the desktop.
#pragma once

#include <gtest/gtest.h>

#include "harness.h"
#include "resource.h"

class WineDesktop : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Variables of the shared block.
    int& Int(const char* name);
    char* Text(const char* name);
    // The block keeps its values as long as any process holds the library
    // (this one does for the whole run): each test puts back the initial
    // values of what the tests change.
    void RestoreBlock();
    // Slots of the history ring and the alias table.
    const char* HistSlot(int slot) { return Text("chHist") + 256 * slot; }
    const char* AliasEntry(int slot) { return Text("chAlias") + 128 * slot; }
    // The host's completion list (list box 202 of hDlgFileList): its entries
    // as the library reads them, and their count.
    HWND FileList();
    std::string ListEntry(int i);
    int ListCount();

    // Settings-file lines for the host's start (default: none).
    virtual std::vector<std::string> Settings() { return {}; }
    // Whether SetUp starts the host and the target.
    virtual bool StartHost() { return true; }
    // Runs after the settings file is written, before the host starts.
    virtual void BeforeHostStarts() {}
    // The folder of the target program (the 32-bit one for both widths).
    virtual std::string TargetDir() { return qr::TestDir(); }

    qr::SharedBlock lib;
    qr::Host host;
    qr::Target target;
};
