// winsim: security identifiers, access-control lists and the mandatory
// integrity labels of files (ADVAPI32), kept by path in memory.
#include "state.h"

#include <aclapi.h>
#include <winsim/sim_security.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace ws {

namespace {

struct FileSecurity {
    bool labelled = false;
    FileLabel label = {0, 0};
    DWORD getError = ERROR_SUCCESS;
    DWORD setError = ERROR_SUCCESS;
};

// By the file's host path: two spellings of one file share their entry.
std::map<std::string, FileSecurity>& files()
{
    static std::map<std::string, FileSecurity> table;
    return table;
}
ResetHook resetSecurity([] { files().clear(); });

std::string key(const std::string& winPath) { return hostPath(winPath.c_str(), true); }

const SID_IDENTIFIER_AUTHORITY kLabelAuthority = SECURITY_MANDATORY_LABEL_AUTHORITY;

bool isLabelSid(const SID* sid)
{
    return sid && sid->Revision == SID_REVISION && sid->SubAuthorityCount == 1 &&
           memcmp(&sid->IdentifierAuthority, &kLabelAuthority, sizeof kLabelAuthority) == 0;
}

// The ACEs of an ACL lie one after the other behind its header.
ACE_HEADER* aceAt(PACL acl, DWORD index)
{
    BYTE* at = (BYTE*)acl + sizeof(ACL);
    for (DWORD i = 0; i < index; ++i)
        at += ((ACE_HEADER*)at)->AceSize;
    return (ACE_HEADER*)at;
}

bool validRevision(DWORD revision) { return revision == ACL_REVISION || revision == ACL_REVISION_DS; }

// A missing file, or folder, answers as the platform's file open does.
DWORD fileError(const std::string& host)
{
    if (!fs::exists(fs::path(host).parent_path()))
        return ERROR_PATH_NOT_FOUND;
    return fs::exists(host) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

// A self-relative security descriptor holding only a SACL: its header, then
// the ACL.
struct LabelDescriptor {
    BYTE revision, sbz1;
    WORD control;
    DWORD owner, group, sacl, dacl;  // offsets, 0: none
    ACL acl;
    BYTE aces[32];
};
#define SE_SACL_PRESENT 0x0010
#define SE_SELF_RELATIVE 0x8000

}  // namespace

void setFileLabel(const std::string& path, FileLabel label)
{
    FileSecurity& f = files()[key(path)];
    f.labelled = true;
    f.label = label;
}

bool fileLabel(const std::string& path, FileLabel* out)
{
    auto it = files().find(key(path));
    if (it == files().end() || !it->second.labelled)
        return false;
    *out = it->second.label;
    return true;
}

void setLabelErrors(const std::string& path, DWORD getError, DWORD setError)
{
    FileSecurity& f = files()[key(path)];
    f.getError = getError;
    f.setError = setError;
}

}  // namespace ws

using namespace ws;

BOOL InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD dwAclRevision)
{
    if (!pAcl || nAclLength < sizeof(ACL) || nAclLength > 0xFFFF || !validRevision(dwAclRevision))
        return FALSE;
    memset(pAcl, 0, sizeof(ACL));
    pAcl->AclRevision = (BYTE)dwAclRevision;
    pAcl->AclSize = (WORD)nAclLength;
    return TRUE;
}

BOOL AddMandatoryAce(PACL pAcl, DWORD dwAceRevision, DWORD AceFlags, DWORD MandatoryPolicy, PSID pLabelSid)
{
    const SID* sid = (const SID*)pLabelSid;
    const DWORD inheritFlags = 0x0F;  // object, container, no propagation, inherit only
    if (!pAcl || !validRevision(dwAceRevision) || !validRevision(pAcl->AclRevision) || (AceFlags & ~inheritFlags) ||
        (MandatoryPolicy & ~7u) || !isLabelSid(sid))
        return FALSE;
    BYTE* end = (BYTE*)aceAt(pAcl, pAcl->AceCount);
    DWORD size = (DWORD)offsetof(SYSTEM_MANDATORY_LABEL_ACE, SidStart) + GetLengthSid(pLabelSid);
    if (end + size > (BYTE*)pAcl + pAcl->AclSize)
        return FALSE;  // ERROR_ALLOTTED_SPACE_EXCEEDED
    SYSTEM_MANDATORY_LABEL_ACE* ace = (SYSTEM_MANDATORY_LABEL_ACE*)end;
    ace->Header.AceType = SYSTEM_MANDATORY_LABEL_ACE_TYPE;
    ace->Header.AceFlags = (BYTE)AceFlags;
    ace->Header.AceSize = (WORD)size;
    ace->Mask = MandatoryPolicy;
    memcpy(&ace->SidStart, sid, GetLengthSid(pLabelSid));
    if (dwAceRevision > pAcl->AclRevision)
        pAcl->AclRevision = (BYTE)dwAceRevision;
    pAcl->AceCount++;
    return TRUE;
}

BOOL GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID* pAce)
{
    if (!pAcl || !pAce || dwAceIndex >= pAcl->AceCount)
        return FALSE;
    *pAce = aceAt(pAcl, dwAceIndex);
    return TRUE;
}

DWORD GetLengthSid(PSID pSid)
{
    return (DWORD)offsetof(SID, SubAuthority) + 4u * ((const SID*)pSid)->SubAuthorityCount;
}

DWORD* GetSidSubAuthority(PSID pSid, DWORD nSubAuthority) { return &((SID*)pSid)->SubAuthority[nSubAuthority]; }

BYTE* GetSidSubAuthorityCount(PSID pSid) { return &((SID*)pSid)->SubAuthorityCount; }

HLOCAL LocalFree(HLOCAL hMem)
{
    free(hMem);
    return NULL;
}

DWORD GetNamedSecurityInfoW(LPCWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                            PSID* ppsidOwner, PSID* ppsidGroup, PACL* ppDacl, PACL* ppSacl,
                            PSECURITY_DESCRIPTOR* ppSecurityDescriptor)
{
    if (!pObjectName || ObjectType != SE_FILE_OBJECT || SecurityInfo != LABEL_SECURITY_INFORMATION ||
        ppsidOwner || ppsidGroup || ppDacl || !ppSacl || !ppSecurityDescriptor)
        return ERROR_INVALID_PARAMETER;
    std::string path = ansiOf((const char16_t*)pObjectName);
    std::string host = key(path);
    if (DWORD missing = fileError(host))
        return missing;
    FileSecurity f = files()[host];
    if (f.getError != ERROR_SUCCESS)
        return f.getError;
    LabelDescriptor* sd = (LabelDescriptor*)calloc(1, sizeof(LabelDescriptor));
    sd->revision = 1;
    sd->control = SE_SELF_RELATIVE;
    *ppSacl = NULL;
    if (f.labelled) {
        sd->control |= SE_SACL_PRESENT;
        sd->sacl = (DWORD)offsetof(LabelDescriptor, acl);
        InitializeAcl(&sd->acl, sizeof sd->acl + sizeof sd->aces, ACL_REVISION);
        SID sid = {SID_REVISION, 1, SECURITY_MANDATORY_LABEL_AUTHORITY, {f.label.level}};
        AddMandatoryAce(&sd->acl, ACL_REVISION, 0, f.label.policy, &sid);
        *ppSacl = &sd->acl;
    }
    *ppSecurityDescriptor = sd;
    return ERROR_SUCCESS;
}

DWORD SetNamedSecurityInfoW(LPWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                            PSID psidOwner, PSID psidGroup, PACL pDacl, PACL pSacl)
{
    if (!pObjectName || ObjectType != SE_FILE_OBJECT || SecurityInfo != LABEL_SECURITY_INFORMATION)
        return ERROR_INVALID_PARAMETER;
    std::string path = ansiOf((const char16_t*)pObjectName);
    const SYSTEM_MANDATORY_LABEL_ACE* label = NULL;
    for (DWORD i = 0; pSacl && i < pSacl->AceCount && !label; ++i) {
        ACE_HEADER* ace = aceAt(pSacl, i);
        if (ace->AceType == SYSTEM_MANDATORY_LABEL_ACE_TYPE)
            label = (const SYSTEM_MANDATORY_LABEL_ACE*)ace;
    }
    char line[96];
    if (label)
        snprintf(line, sizeof line, "level 0x%X, policy 0x%X",
                 (unsigned)*GetSidSubAuthority((PSID)&label->SidStart, 0), (unsigned)label->Mask);
    else
        snprintf(line, sizeof line, "no label");
    record("SetNamedSecurityInfoW(" + path + ", " + line + ")");
    std::string host = key(path);
    if (DWORD missing = fileError(host))
        return missing;
    FileSecurity& f = files()[host];
    if (f.setError != ERROR_SUCCESS)
        return f.setError;
    f.labelled = label != NULL;
    if (label)
        f.label = {*GetSidSubAuthority((PSID)&label->SidStart, 0), label->Mask};
    return ERROR_SUCCESS;
}
