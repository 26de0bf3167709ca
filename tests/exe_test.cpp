// The shipped Kalv.exe: a 64-bit GUI program that needs only system DLLs and
// carries its icon groups in Czech.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "windows_path.h"

#ifndef KALV_EXE
#error "KALV_EXE must name the Kalv.exe under test"
#endif

namespace {

std::vector<unsigned char> ReadFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    unsigned char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

// File offset of a relative virtual address, or 0 when no section holds it.
size_t OffsetOf(const IMAGE_NT_HEADERS64* nt, DWORD rva)
{
    const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
        if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->Misc.VirtualSize)
            return rva - s->VirtualAddress + s->PointerToRawData;
    return 0;
}

TEST(Executable, GuiProgramForX64ThatImportsOnlySystemDlls)
{
    const std::vector<unsigned char> file = ReadFile(WindowsPath(KALV_EXE));
    ASSERT_GT(file.size(), (size_t)sizeof(IMAGE_DOS_HEADER));
    const auto* dos = (const IMAGE_DOS_HEADER*)file.data();
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT((size_t)dos->e_lfanew + sizeof(IMAGE_NT_HEADERS64), file.size());
    const auto* nt = (const IMAGE_NT_HEADERS64*)(file.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, (DWORD)IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    ASSERT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t at = OffsetOf(nt, dir.VirtualAddress);
    ASSERT_NE(at, 0u);
    std::set<std::string> dlls;
    for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        ASSERT_LE(at + sizeof(IMAGE_IMPORT_DESCRIPTOR), file.size());
        const auto* imp = (const IMAGE_IMPORT_DESCRIPTOR*)(file.data() + at);
        if (imp->Name == 0)
            break;
        const size_t name = OffsetOf(nt, imp->Name);
        ASSERT_NE(name, 0u);
        std::string dll((const char*)file.data() + name);
        std::transform(dll.begin(), dll.end(), dll.begin(), ::toupper);
        dlls.insert(dll);
    }
    EXPECT_EQ(dlls, (std::set<std::string>{"GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "USER32.DLL"}));
    printf("Kalv.exe: %u bytes\n", (unsigned)file.size());
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    auto* names = (std::vector<std::string>*)param;
    names->push_back(IS_INTRESOURCE(name) ? std::to_string((ULONG_PTR)name) : std::string(name));
    return TRUE;
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

TEST(Executable, IconGroupsAAnd101InCzech)
{
    HMODULE exe = LoadLibraryExA(WindowsPath(KALV_EXE).c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, (HMODULE)NULL);
    std::vector<std::string> names;
    EnumResourceNamesA(exe, RT_GROUP_ICON, CollectName, (LONG_PTR)&names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "101"}));

    const WORD czech = MAKELANGID(LANG_CZECH, SUBLANG_DEFAULT);
    const LPCSTR groups[] = {"A", MAKEINTRESOURCEA(101)};
    for (LPCSTR group : groups) {
        HRSRC res = FindResourceExA(exe, RT_GROUP_ICON, group, czech);
        ASSERT_NE(res, (HRSRC)NULL);
        const auto* icons = (const IconGroup*)LockResource(LoadResource(exe, res));
        ASSERT_NE(icons, nullptr);
        ASSERT_EQ(icons->count, 1);
        EXPECT_EQ(icons->entries[0].width, 32);
        EXPECT_EQ(icons->entries[0].height, 32);
        EXPECT_EQ(icons->entries[0].colors, 16);
        EXPECT_EQ(icons->entries[0].bitCount, 4);
        EXPECT_NE(FindResourceExA(exe, RT_ICON, MAKEINTRESOURCEA(icons->entries[0].id), czech), (HRSRC)NULL);
    }
    FreeLibrary(exe);
}

}  // namespace
