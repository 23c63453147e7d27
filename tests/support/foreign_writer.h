// Another process writing the shared block between any two instructions of
// this one.  While body runs, the processor traps after every instruction
// (its single-step flag) and writer runs there, so a window of a few
// instructions between a write and a read of a shared value is hit every
// time, not once in a thousand runs of a loaded machine.  x86 only (also
// under qemu-user, which keeps the flag); elsewhere it reports false and
// runs nothing.  writer must not allocate: it runs inside a signal handler.
#pragma once

#include <functional>

bool RunWithWriterBetweenInstructions(const std::function<void()>& body, const std::function<void()>& writer);
