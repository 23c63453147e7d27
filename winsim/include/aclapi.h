// winsim: the security of named objects (ADVAPI32), for files: their
// mandatory integrity labels.
#pragma once

#include <windows.h>

typedef enum _SE_OBJECT_TYPE { SE_UNKNOWN_OBJECT_TYPE = 0, SE_FILE_OBJECT } SE_OBJECT_TYPE;

#ifdef __cplusplus
extern "C" {
#endif

// Only SE_FILE_OBJECT with LABEL_SECURITY_INFORMATION (anything else answers
// ERROR_INVALID_PARAMETER).  Get: *ppSacl the file's label in a SACL of one
// SYSTEM_MANDATORY_LABEL_ACE, NULL for a file without one; the descriptor
// holding it is freed with LocalFree.  Set: the first mandatory label ACE of
// pSacl becomes the file's label (none, or a NULL SACL: the label goes).
// A missing file answers ERROR_FILE_NOT_FOUND, a missing folder
// ERROR_PATH_NOT_FOUND.
DWORD GetNamedSecurityInfoW(LPCWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                            PSID* ppsidOwner, PSID* ppsidGroup, PACL* ppDacl, PACL* ppSacl,
                            PSECURITY_DESCRIPTOR* ppSecurityDescriptor);
DWORD SetNamedSecurityInfoW(LPWSTR pObjectName, SE_OBJECT_TYPE ObjectType, SECURITY_INFORMATION SecurityInfo,
                            PSID psidOwner, PSID psidGroup, PACL pDacl, PACL pSacl);

#ifdef __cplusplus
}
#endif
