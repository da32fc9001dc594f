#pragma once
// Counting a process's handles and private memory where Wine's own answers are 0.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <vector>

// GetProcessHandleCount answers 0 for another process under Wine; the system's
// list of every open handle, with the process owning each, counts them there.
inline constexpr ULONG kSystemExtendedHandleInformation = 64;
inline constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

struct SystemHandleEntry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex, objectTypeIndex;
    ULONG attributes, reserved;
};

struct SystemHandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    SystemHandleEntry entries[1];
};

// -1 when the list cannot be had.
inline long long CountHandlesInSystemList(DWORD processId)
{
    std::vector<unsigned char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(
            static_cast<SYSTEM_INFORMATION_CLASS>(kSystemExtendedHandleInformation), buffer.data(),
            static_cast<ULONG>(buffer.size()), &needed);
        if (status == kStatusInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
        const std::size_t room = (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
        const std::size_t count = std::min<std::size_t>(list->count, room);
        return std::count_if(list->entries, list->entries + count,
                             [processId](const SystemHandleEntry& e) { return e.processId == processId; });
    }
    return -1;
}

// PrivateUsage answers 0 for another process under Wine; the committed private
// regions of its address space count the same kind of memory. What Wine's own
// Unix-side libraries (Mesa) take lies outside that space and is not seen.
inline long long SumCommittedPrivateRegions(HANDLE process)
{
    long long total = 0;
    const unsigned char* address = nullptr;
    MEMORY_BASIC_INFORMATION region = {};
    while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += static_cast<long long>(region.RegionSize);
        }
        const auto* next = reinterpret_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return total;
}

