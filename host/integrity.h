// The library's files are kept from programs below medium integrity
// (sandboxed viewers, protected-mode browsers, AppContainer apps): Windows
// would load a medium host's hook library into them too, and every process
// that maps it may read and write the shared block, history and aliases
// included.  Each file gets a mandatory integrity label of medium that no
// process below may pass to read, write or execute it: such a process can
// neither receive the hooks nor load the file itself.  The host checks the
// labels at every start and sets those that are missing (a copy from the
// zip); the installer has the host do the same (QR_LABEL_SWITCH).
#pragma once

#include <windows.h>

// "Quillrun.exe /label": labels the library files beside the program and
// exits, 0 when every one there keeps those programs out.
#define QR_LABEL_SWITCH "/label"
// What the host's state line adds while a library file is not labelled.
#define QR_NOT_KEPT_OUT "Sandboxed programs are not kept out: the library's files cannot be labelled."

// The label: medium, with no reading, writing or executing from below.
#define QR_LABEL_LEVEL SECURITY_MANDATORY_MEDIUM_RID
#define QR_LABEL_POLICY \
    (SYSTEM_MANDATORY_LABEL_NO_WRITE_UP | SYSTEM_MANDATORY_LABEL_NO_READ_UP | SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP)

// Gives each of the files that exists the label, where its own does not
// already keep out every process below medium.  1 when all of them keep
// those processes out now; 0 when one could not be labelled (a drive
// without access control such as FAT32, a folder the user may not change,
// or Wine, which has no integrity levels).
int KeepSandboxesOut(const WCHAR* const files[], int count);
