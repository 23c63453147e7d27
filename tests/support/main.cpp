// Test entry point: every test starts on an empty simulated desktop with the
// shared block as it was when the library was loaded.
#include <gtest/gtest.h>
#include <winsim.h>

#include "core/process_trust.h"
#include "shared_snapshot.h"

namespace {

class FreshDesktop : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        ws::reset();
        RestoreSharedBlock();
        // Each test is a new process: it decides anew whether it may use
        // the block.
        ForgetProcessTrust();
    }
};

}  // namespace

int main(int argc, char** argv)
{
    SnapshotSharedBlock();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshDesktop);
    return RUN_ALL_TESTS();
}
