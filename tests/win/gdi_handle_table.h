// The 64-bit GDI handle table a process's PEB points to (GdiSharedHandleTable).
// GetGuiResources is a stub under Wine that answers 0; there this table is the
// process's own, and its entries with a type are its live GDI objects.
#pragma once

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
