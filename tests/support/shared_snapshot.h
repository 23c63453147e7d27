// Snapshot and restore of the library's shared block (the "qrshared" ELF
// section), so that each test starts from the block's initial values.
#pragma once

#include <stddef.h>

void SnapshotSharedBlock();
void RestoreSharedBlock();
// The block's bounds, for tests that check where a variable lives.
const char* SharedBlockBegin();
const char* SharedBlockEnd();
