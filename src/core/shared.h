// The shared state block.
//
// Every mutable global of the library is defined with QR_SHARED, so that one
// block of memory holds all of them and every process that maps the library
// sees the same values.  On Windows the block is a data section marked shared
// in the PE image; GCC only puts a variable there when it has an explicit
// initialiser, so every definition carries one, even when it is zero.  On
// Linux (winsim builds) the block is one named ELF section, which the unit
// tests snapshot at start-up and restore before each test.
#pragma once

#if defined(_WIN32)
#define QR_SHARED __attribute__((section(".shared"), shared))
#else
#define QR_SHARED __attribute__((section("qrshared"), used))
#endif

// C linkage for everything the host binds by name.
#ifdef __cplusplus
#define QR_EXTERN_C extern "C"
#else
#define QR_EXTERN_C extern
#endif
