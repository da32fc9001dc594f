#pragma once
// Reads and writes single values below HKCU\Software\Wow6432Node\Velbrook.
// Every access opens and closes its own key.
#include <windows.h>

#include <cstdint>

#include "common/text.h"

enum class WriteStatus : int {
    Written = 0,
    WriteToNewKeyFailed = 1,
    KeyUnavailable = 2,
    WriteToExistingKeyFailed = 3,
    CloseFailed = 5,
};

class RegistryStore {
public:
    void Open(const wchar_t* subpath);

    std::uint32_t ReadDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t fallback);
    // False when the key or the value is missing or the value is not a DWORD.
    bool TryReadDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t& value);
    WriteStatus WriteDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t value);
    const wchar_t* ReadLogoPath();
    WriteStatus WriteLogoPath(const wchar_t* logoPath);

    wchar_t text[kPathCapacity] = {};
    std::uint32_t access = 0;
    wchar_t path[kPathCapacity] = {};
    HKEY root = nullptr;

private:
    bool KeyPath(const wchar_t* subkey, wchar_t (&keyPath)[kPathCapacity]) const;
    WriteStatus WriteValue(const wchar_t* subkey, const wchar_t* name, DWORD type,
                           const void* data, DWORD size);
};

extern const wchar_t kRegistryBasePath[];
