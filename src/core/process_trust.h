// Whether this process may use the shared block at all.
//
// Windows loads a medium-integrity host's hook library into low-integrity
// and AppContainer processes too (sandboxed viewers, protected-mode
// programs).  The library file's integrity label keeps them from loading it
// where it can be set; where it cannot, such a process must not put a line
// into the history or change an alias that a medium-integrity program then
// receives as typed text, nor read what the user typed elsewhere.  So in a
// process whose token is below medium integrity or is an AppContainer's (or
// whose token cannot be read), the hooks pass every event on and touch
// nothing in the block.
#pragma once

// 1 when this process may read and write the shared block.  Decided at the
// first call (from a hook, never from the process attach, where asking the
// security services is not safe) and kept for the process's life.
int ProcessMayUseBlock(void);
// The decision itself, from the process token.
int TokenMayUseBlock(void);
// Tests: the next ProcessMayUseBlock decides again (a new process).
void ForgetProcessTrust(void);
