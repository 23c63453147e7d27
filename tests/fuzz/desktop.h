// A small desktop for the fuzz targets: the host window, a dialog with the
// usual controls, an edit field, a combo box and a list box, with the hooks
// installed; and a reader that takes values from the fuzzer's bytes.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <windows.h>

struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t pos;

    bool empty() const { return pos >= size; }
    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= (uint32_t)byte() << (8 * i);
        return v;
    }
    // Up to max bytes of text (any bytes but NUL) into buf, NUL-terminated.
    void text(char* buf, size_t bufSize, size_t max);
};

// Windows of the fuzz desktop, indexed by a byte.
HWND FuzzWindow(uint8_t index);
// Back to a fresh desktop and the block's initial values.
void FuzzResetDesktop();
// Writes a value taken from the input into one exported variable (the host may
// write anything into them at any time).
void FuzzWriteExportedVariable(FuzzInput& in);

// Ends the run as a finding, saying what did not hold, when cond is false.
#define FUZZ_CHECK(cond, ...)                       \
    do {                                            \
        if (!(cond)) {                              \
            fprintf(stderr, "not so: " #cond ": "); \
            fprintf(stderr, __VA_ARGS__);           \
            fprintf(stderr, "\n");                  \
            abort();                                \
        }                                           \
    } while (0)
