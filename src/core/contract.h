// What the library and the host must agree on, defined once for both sides.
#pragma once

// The settings file: its name (in the Windows folder, or in the user's own
// folder the host chooses) and the section the library writes.
#define QR_SETTINGS_FILE "Quillrun.Ini"
#define QR_SETTINGS_SECTION "Quillrun"
// The exact (UTF-16) text of history lines and aliases whose code-page form
// loses characters, in a section of its own under the same keys as the
// code-page text ("1" to "20", "Alias-1" to "Alias-20"), in the form of
// core/text.h (ExactToValue).  Readers that know only the code-page keys
// keep working.
#define QR_EXACT_SECTION "Quillrun-UTF8"
