// Helpers of the program launcher and the file dialogs.
#pragma once

#include <windows.h>

// Splits a command line at its first blank or tab after leading blanks and
// tabs: the program into program[programSize], the rest unchanged into
// param[paramSize].  Returns the position of the separator in line (-1 when
// there is none), or -2 when a part does not fit its buffer; the caller's
// text is not touched here.
int SplitCommandLine(const char* line, char* program, int programSize, char* param, int paramSize);
// The message for a shell result from 0 to 21, NULL for any other.
const char* ShellErrorText(UINT_PTR result);

// Resolves a chosen path into a command line (see file_dialogs.cpp).
// Returns 1 with dest filled, 0 when the result does not fit destSize.
typedef int (*FileExistsFn)(const char* path);
int ResolveCommandLine(const char* path, char* dest, int destSize, FileExistsFn exists);

