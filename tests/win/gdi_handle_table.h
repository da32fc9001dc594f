// The 64-bit GDI handle table a process's PEB points to (GdiSharedHandleTable).
// GetGuiResources is a stub under Wine that answers 0; there this table is the
// process's own, and its entries with a type are its live GDI objects.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

constexpr std::size_t kPebGdiHandleTableOffset = 0xF8;
constexpr std::size_t kGdiHandleTableEntries = 65536;

struct GdiHandleEntry {
    std::uint64_t object;
    std::uint16_t processId, count, unique;
    std::uint8_t type, flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "one entry of the 64-bit GDI handle table");

// GetGuiResources answers 0 under Wine (a stub there); the process's GDI handle
// table, which the PEB points to on Windows and Wine alike, counts the same.
inline DWORD GdiObjectCount()
{
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return counted;
    const auto* peb = reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiHandleTableOffset);
    MEMORY_BASIC_INFORMATION region = {};
    if (!table || !VirtualQuery(table, &region, sizeof region))
        return 0;
    const std::size_t available = (reinterpret_cast<const unsigned char*>(region.BaseAddress) +
                                   region.RegionSize - reinterpret_cast<const unsigned char*>(table)) /
                                  sizeof(GdiHandleEntry);
    DWORD used = 0;
    for (std::size_t i = 0; i < std::min(available, kGdiHandleTableEntries); ++i)
        used += table[i].type != 0 ? 1 : 0;
    return used;
}
