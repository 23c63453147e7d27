// Texts the host shows: the aliases' list (from its window menu) and the line of
// the last hot key the library forwarded.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "core/contract.h"

// Writes "name = value" lines of the defined aliases into out (at most size
// units, always terminated); returns the number of aliases listed.  For the
// code-page table (char) or the exact one (WCHAR).
template <class C>
int FormatAliasList(const C alias[QR_RING_SLOTS][QR_ALIAS_TEXT], C* out, size_t size);
// The alias table as the user wrote it: each entry's exact text while it is
// tied to its code-page entry, else the code-page entry's own text.
void ExactAliasTable(const char alias[QR_RING_SLOTS][QR_ALIAS_TEXT],
                     const WCHAR exact[QR_RING_SLOTS][QR_ALIAS_TEXT], WCHAR out[QR_RING_SLOTS][QR_ALIAS_TEXT]);

// Text of the host's status line for a hot key the library forwarded.
void DescribeHotKey(WPARAM vk, int count, char* out, size_t size);
