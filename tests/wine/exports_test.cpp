// The export table as a real process sees it: every name the host binds
// resolves with GetProcAddress, and every exported variable lies in a section
// that the loader maps shared.
#include <gtest/gtest.h>

#include <string.h>

#include "harness.h"

struct ExportName {
    const char* name;
    bool variable;
};
static const ExportName kExports[] = {
#include "export_names.inc"
};

static const IMAGE_SECTION_HEADER* SectionOf(HMODULE dll, const void* address)
{
    const BYTE* base = (const BYTE*)dll;
    const IMAGE_NT_HEADERS* nt =
        (const IMAGE_NT_HEADERS*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
    size_t rva = (const BYTE*)address - base;
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
        if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->Misc.VirtualSize)
            return s;
    return NULL;
}

TEST(ExportTable, EveryExportResolvesByNameFromARealProcess)
{
    qr::SharedBlock lib;
    ASSERT_TRUE(lib.Load()) << qr::BinDir() << "QRHook.dll";
    for (const ExportName& e : kExports) {
        FARPROC p = lib.Function(e.name);
        EXPECT_NE(nullptr, p) << e.name << " does not resolve";
        if (!p)
            continue;
        const IMAGE_SECTION_HEADER* s = SectionOf(lib.Module(), (const void*)p);
        ASSERT_NE(nullptr, s) << e.name << " lies outside the image";
        bool shared = (s->Characteristics & IMAGE_SCN_MEM_SHARED) != 0;
        bool code = (s->Characteristics & IMAGE_SCN_MEM_EXECUTE) != 0;
        if (e.variable) {
            EXPECT_TRUE(shared) << e.name << " is in section " << (const char*)s->Name
                                << ", which is not shared";
        } else {
            EXPECT_TRUE(code) << e.name << " is not in a code section";
        }
    }
    // The host binds decorated names exactly: the plain names do not exist.
    EXPECT_EQ(nullptr, lib.Function("SetMyHook"));
    EXPECT_EQ(nullptr, lib.Function("DllKeyHook"));
}
