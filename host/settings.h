// The host's settings file: where it lives, and what the host keeps in it
// between runs (its options, and the library's history and aliases).
#pragma once

#include <windows.h>

#include "options.h"
#include "qrlib.h"

// Decides once, at start, where the settings file lives, and hands its full
// path to the library (chIniPath in the code page, wchIniPath exactly), so
// that the host and the library in every program use the one file.
// "Quillrun.Ini" in the Windows folder where that file exists and may be
// written (older systems, existing installations); otherwise in the user's
// own folder (%APPDATA%\Quillrun), made now.  Into it the newer of a
// Windows-folder file and the copy the file virtualisation made of it (an
// older host without a manifest wrote there) is copied once, so that its
// settings, history and aliases are carried over.  Returns 0 when the file
// cannot be placed there: the folder cannot be made, or the copy fails (an
// older file is then read where it is).
int ChooseSettingsFile(QrLib* lib);
// Makes path (exact) the settings file of the host and of the library.
void UseSettingsFile(QrLib* lib, const WCHAR* path);
// The file's exact path.
const WCHAR* SettingsFile(void);
// The file carried over at this start ("" for none), and the folder that
// could not be made ("" when all is well).
const WCHAR* SettingsCarriedFrom(void);
const WCHAR* SettingsFolderNotMade(void);

void LoadOptions(QrLib* lib, HostOptions* opts);
// Each save returns 1 when the file took every value.
int SaveOptions(QrLib* lib, const HostOptions* opts);
// The history and the aliases (with their exact text) into the library's
// tables, and the ring's store slot where it was.
void LoadHistoryAndAliases(QrLib* lib);
int SaveHistoryAndAliases(QrLib* lib);
// Whether the tables or the ring's store slot differ from what was last
// loaded or saved.
int TablesChangedSinceSave(QrLib* lib);
