// A process below medium integrity, or an AppContainer's, or one whose token
// cannot be read: the hooks pass every event on and the shared block stays
// as it was, byte for byte.  Medium and high processes are served.
#include "edit_field.h"

#include "core/process_trust.h"

#include <string.h>

#include <vector>

namespace {

// The whole block.  Not instrumented: the sanitizer's red zones lie between
// the block's variables.
__attribute__((no_sanitize("address", "undefined"))) std::vector<char> BlockBytes()
{
    std::vector<char> bytes(SharedBlockEnd() - SharedBlockBegin());
    const volatile char* p = SharedBlockBegin();
    for (char& b : bytes)
        b = *p++;
    return bytes;
}

class ProcessTrust : public EditFieldDesktop {};

TEST_F(ProcessTrust, ASandboxedProcessLeavesTheBlockAsItWasAndItsKeysReachTheProgram)
{
    struct Case {
        const char* name;
        DWORD integrity;
        bool appContainer;
        bool queriesFail;
        bool served;
    } cases[] = {
        {"low integrity", SECURITY_MANDATORY_LOW_RID, false, false, false},
        {"AppContainer", SECURITY_MANDATORY_MEDIUM_RID, true, false, false},
        {"token not readable", SECURITY_MANDATORY_HIGH_RID, false, true, false},
        {"medium integrity", SECURITY_MANDATORY_MEDIUM_RID, false, false, true},
        {"high integrity (every process under Wine)", SECURITY_MANDATORY_HIGH_RID, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RestoreDefaults();
        strcpy(chHist[0], "typed in a trusted program");
        iSetIndex = 1;
        ws::setProcessToken(c.integrity, c.appContainer, c.queriesFail);
        ForgetProcessTrust();  // a new process
        std::vector<char> before = BlockBytes();

        field = ws::createEdit(Desc("Edit", "", WS_CHILD | WS_VISIBLE, app));
        SetFocus(field);  // through the CBT hook
        Enter("planted line");
        ws::KeyResult up = Press(VK_UP);
        ws::KeyResult hotKey = CtrlShiftDown(VK_INSERT);
        HoldCtrlShift(false);

        EXPECT_EQ(c.served, BlockBytes() != before);
        EXPECT_EQ(c.served, strcmp(chHist[1], "planted line") == 0) << chHist[1];
        EXPECT_EQ(c.served ? 1 : 0, up.hookResult);
        EXPECT_EQ(c.served ? 0 : 1, FieldGot(VK_UP));
        EXPECT_EQ(c.served ? 1 : 0, hotKey.hookResult);
        EXPECT_EQ(1, FieldGot(VK_RETURN));
    }
}

}  // namespace
