// The one decision of the library that must not be shared: whether this
// process may use the shared block (core/process_trust.h).
#include "core/process_trust.h"

#include <windows.h>

// The single exception to the rule that every mutable global lives in the
// shared block: one process's answer, which another process must neither see
// nor set (a low-integrity process would otherwise declare every process kept
// out, or itself trusted).  Private data of each process: 0 not decided yet,
// else kMayUse or kKeptOut.  Two threads deciding at once write the same answer.
static volatile LONG processTrust;
enum { kMayUse = 1, kKeptOut = 2 };

// The integrity level is the last sub-authority of the token's label SID.
static int IntegrityAtLeastMedium(HANDLE token)
{
    // The label and the SID it points to, which follows it in the buffer.
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    } info;
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenIntegrityLevel, &info, sizeof info, &size))
        return 0;
    PSID sid = info.label.Label.Sid;
    BYTE count = *GetSidSubAuthorityCount(sid);
    return count > 0 && *GetSidSubAuthority(sid, count - 1) >= SECURITY_MANDATORY_MEDIUM_RID;
}

// A system that does not know the query (before Windows 8) has no
// AppContainers; and an AppContainer's token is always of low integrity
// besides, so a failed query leaves the decision to the level.
static int InAppContainer(HANDLE token)
{
    DWORD isAppContainer = 0, size = 0;
    return GetTokenInformation(token, TokenIsAppContainer, &isAppContainer, sizeof isAppContainer, &size) &&
           isAppContainer != 0;
}

int TokenMayUseBlock(void)
{
    HANDLE token = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 0;
    int mayUse = IntegrityAtLeastMedium(token) && !InAppContainer(token);
    CloseHandle(token);
    return mayUse;
}

int ProcessMayUseBlock(void)
{
    LONG known = processTrust;
    if (known == 0) {
        known = TokenMayUseBlock() ? kMayUse : kKeptOut;
        processTrust = known;
    }
    return known == kMayUse;
}

void ForgetProcessTrust(void) { processTrust = 0; }
