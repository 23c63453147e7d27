// winsim test control for the security calls: the mandatory integrity
// labels of files, kept by path in memory (the files themselves are the
// real ones of writeFile).
#pragma once

#include <windows.h>

#include <string>

namespace ws {

struct FileLabel {
    DWORD level;   // the label SID's RID: SECURITY_MANDATORY_*_RID
    DWORD policy;  // SYSTEM_MANDATORY_LABEL_NO_* bits
};
// The file (a Windows path) carries this label from now on, as if set before.
void setFileLabel(const std::string& path, FileLabel label);
// Its label; false for a file without one.
bool fileLabel(const std::string& path, FileLabel* out);
// From now on GetNamedSecurityInfoW and SetNamedSecurityInfoW answer these
// errors for the file's label (ERROR_SUCCESS: they work).  As Wine answers
// ERROR_ACCESS_DENIED for both, and a drive without access control
// (FAT32) refuses to keep a label.
void setLabelErrors(const std::string& path, DWORD getError, DWORD setError);

}  // namespace ws
