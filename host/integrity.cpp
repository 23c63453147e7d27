#include "integrity.h"

#include <aclapi.h>

// Whether a file's SACL (GetNamedSecurityInfoW with
// LABEL_SECURITY_INFORMATION: its label alone, or NULL for none) keeps out
// every process below medium.  A label above medium keeps them out as well;
// one that only its folder's children inherit does not apply to the file.
static int LabelKeepsOut(PACL sacl)
{
    for (DWORD i = 0; sacl && i < sacl->AceCount; ++i) {
        SYSTEM_MANDATORY_LABEL_ACE* ace;
        if (!GetAce(sacl, i, (LPVOID*)&ace) || ace->Header.AceType != SYSTEM_MANDATORY_LABEL_ACE_TYPE ||
            (ace->Header.AceFlags & INHERIT_ONLY_ACE))
            continue;
        PSID sid = &ace->SidStart;
        DWORD level = *GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1);
        return level >= QR_LABEL_LEVEL && (ace->Mask & QR_LABEL_POLICY) == QR_LABEL_POLICY;
    }
    return 0;
}

// The label is built with AddMandatoryAce rather than read from the SDDL
// string "S:(ML;;NWNRNX;;;ME)": the level and the policies are the named
// values LabelKeepsOut checks, and no string parser stands between them.
static int SetLabel(const WCHAR* path)
{
    DWORD room[16];  // the ACL and its one ACE (28 bytes), DWORD-aligned
    PACL sacl = (PACL)room;
    SID medium = {SID_REVISION, 1, SECURITY_MANDATORY_LABEL_AUTHORITY, {QR_LABEL_LEVEL}};
    if (!InitializeAcl(sacl, sizeof room, ACL_REVISION) ||
        !AddMandatoryAce(sacl, ACL_REVISION, 0, QR_LABEL_POLICY, &medium))
        return 0;
    // By name, not by handle: Wine answers success for a handle and drops
    // the label, where by name it says it cannot (ERROR_ACCESS_DENIED).
    return SetNamedSecurityInfoW((LPWSTR)path, SE_FILE_OBJECT, LABEL_SECURITY_INFORMATION, NULL, NULL, NULL,
                                 sacl) == ERROR_SUCCESS;
}

// 1 when the file keeps those processes out now, or does not exist.
static int KeepOutOfFile(const WCHAR* path)
{
    PACL sacl = NULL;
    PSECURITY_DESCRIPTOR sd = NULL;
    DWORD read = GetNamedSecurityInfoW(path, SE_FILE_OBJECT, LABEL_SECURITY_INFORMATION, NULL, NULL, NULL, &sacl, &sd);
    if (read == ERROR_FILE_NOT_FOUND || read == ERROR_PATH_NOT_FOUND)
        return 1;
    int kept = read == ERROR_SUCCESS && LabelKeepsOut(sacl);
    if (sd)
        LocalFree(sd);
    // A label that cannot be read is set all the same: the set says whether
    // the file can carry one.
    return kept || SetLabel(path);
}

int KeepSandboxesOut(const WCHAR* const files[], int count)
{
    int all = 1;
    for (int i = 0; i < count; ++i)
        all &= KeepOutOfFile(files[i]);
    return all;
}
