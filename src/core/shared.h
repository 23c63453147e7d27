// The shared state block.
//
// Every mutable global of the library is defined with QR_SHARED, so that one
// block of memory holds all of them and every process that maps the library
// sees the same values.  The one exception is each process's own answer to
// whether it may use the block at all (core/process_trust.cpp): another
// process must never set it.  Every definition is zero in the image (each carries
// an explicit zero initialiser); the block's other initial values are written
// once, when the first process maps the library (SetBlockInitialValues), and
// only for values of the list (core/interface.h): a room's own values are
// chosen so that zero is where they start.
//
// On Windows the block is the DLL's section ".shared", marked shared.  It is
// declared as uninitialised data ("b"), so the DLL file stores none of its
// bytes and the loader gives the section zero-filled pages: the block costs
// no file size.  The assembler would turn a section flagged shared ("s") into
// initialised data stored in the file, so the shared flag is set on the
// linked DLL instead (objcopy, in the build).  The compiler names the section
// again, with its own flags, for every variable; the assembler keeps the
// first declaration.  A non-zero initialiser is refused by the assembler
// ("attempt to store non-zero value"), which keeps the rule above.
//
// On Linux (winsim builds) the block is one named ELF section, which the unit
// tests snapshot at start-up and restore before each test.
#pragma once

#if defined(_WIN32)
// (Back to .text after the declaration, the section every file starts in.)
__asm__(".section .shared,\"b\"\n\t.text");
#define QR_SHARED __attribute__((section(".shared")))
#else
#define QR_SHARED __attribute__((section("qrshared"), used))
#endif

// C linkage for everything the host binds by name.
#ifdef __cplusplus
#define QR_EXTERN_C extern "C"
#else
#define QR_EXTERN_C extern
#endif

// The block's initial values (core/shared_block.cpp): written once, by the
// first process that maps the library.  They are values of the list
// (core/interface.h) only: a room's own values start at zero.
void SetBlockInitialValues(void);
