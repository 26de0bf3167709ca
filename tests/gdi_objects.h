// Counting the process's live GDI objects, for leak tests.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <stdint.h>

// Live GDI objects of this process. Wine answers GetGuiResources with 0 and
// ERROR_CALL_NOT_IMPLEMENTED; there the process's own GDI handle table, which
// the PEB points at as on Windows, is counted instead: entries with a type.
struct GdiEntry {
    UINT64 object;
    UINT32 owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiEntry) == 24, "one handle table entry");

inline int64_t GdiObjects()
{
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported)
        return reported;
    typedef LONG(WINAPI * QueryProcess)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const QueryProcess query = (QueryProcess)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"),
                                                                   "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION info = {};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, NULL))
        return -1;
    const PEB* peb = info.PebBaseAddress;
    const GdiEntry* table = *(GdiEntry* const*)((const char*)peb + 0xF8);
    if (!table)
        return -1;
    int64_t n = 0;
    for (int i = 0; i < 0x10000; ++i)
        n += table[i].type != 0;
    return n;
}

