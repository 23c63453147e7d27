// winsim: security identifiers, access-control lists and mandatory
// integrity labels (ADVAPI32), with the LocalFree that releases what the
// security calls allocate.  The named-object calls are in <aclapi.h>.
#pragma once

#include "winsim/types.h"

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_PARAMETER 87L

typedef HANDLE HLOCAL;
typedef void* PSID;
typedef void* PSECURITY_DESCRIPTOR;
typedef DWORD ACCESS_MASK;
typedef DWORD SECURITY_INFORMATION;

typedef struct _SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
} SID_IDENTIFIER_AUTHORITY;

#define SID_REVISION 1
#define ANYSIZE_ARRAY 1
typedef struct _SID {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    DWORD SubAuthority[ANYSIZE_ARRAY];
} SID;

typedef struct _ACL {
    BYTE AclRevision;
    BYTE Sbz1;
    WORD AclSize;
    WORD AceCount;
    WORD Sbz2;
} ACL, *PACL;
#define ACL_REVISION 2
#define ACL_REVISION_DS 4

typedef struct _ACE_HEADER {
    BYTE AceType;
    BYTE AceFlags;
    WORD AceSize;
} ACE_HEADER;
#define INHERIT_ONLY_ACE 0x08

// Mandatory integrity labels: the label's SID is S-1-16-<level>.
#define SYSTEM_MANDATORY_LABEL_ACE_TYPE 0x11
typedef struct _SYSTEM_MANDATORY_LABEL_ACE {
    ACE_HEADER Header;
    ACCESS_MASK Mask;  // the SYSTEM_MANDATORY_LABEL_NO_* policies
    DWORD SidStart;
} SYSTEM_MANDATORY_LABEL_ACE;
#define SYSTEM_MANDATORY_LABEL_NO_WRITE_UP 0x1
#define SYSTEM_MANDATORY_LABEL_NO_READ_UP 0x2
#define SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP 0x4
#define SECURITY_MANDATORY_LABEL_AUTHORITY {{0, 0, 0, 0, 0, 16}}
#define SECURITY_MANDATORY_UNTRUSTED_RID 0x00000000L
#define SECURITY_MANDATORY_LOW_RID 0x00001000L
#define SECURITY_MANDATORY_MEDIUM_RID 0x00002000L
#define SECURITY_MANDATORY_HIGH_RID 0x00003000L
#define SECURITY_MANDATORY_SYSTEM_RID 0x00004000L

#define OWNER_SECURITY_INFORMATION 0x00000001L
#define GROUP_SECURITY_INFORMATION 0x00000002L
#define DACL_SECURITY_INFORMATION 0x00000004L
#define SACL_SECURITY_INFORMATION 0x00000008L
#define LABEL_SECURITY_INFORMATION 0x00000010L

#ifdef __cplusplus
extern "C" {
#endif

BOOL InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD dwAclRevision);
BOOL AddMandatoryAce(PACL pAcl, DWORD dwAceRevision, DWORD AceFlags, DWORD MandatoryPolicy, PSID pLabelSid);
BOOL GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID* pAce);
DWORD GetLengthSid(PSID pSid);
DWORD* GetSidSubAuthority(PSID pSid, DWORD nSubAuthority);
BYTE* GetSidSubAuthorityCount(PSID pSid);
HLOCAL LocalFree(HLOCAL hMem);

#ifdef __cplusplus
}
#endif
