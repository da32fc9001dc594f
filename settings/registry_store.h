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

// Keys below the base path.
inline constexpr wchar_t kProgramKeyPrefix[] = L"ScreenSaver\\"; // followed by the class name
inline constexpr wchar_t kCommonKeySubkey[] = L"Common";           // holds OpenGL_MaxTextureSize
// Subkeys of the program key.
inline constexpr wchar_t kDialogSubkey[] = L"Common";
inline constexpr wchar_t kStatusSubkey[] = L"Status";
inline constexpr wchar_t kImageSubkey[] = L"Image";
inline constexpr wchar_t kColorsSubkey[] = L"Colors";
inline constexpr wchar_t kNoSubkey[] = L"";

class RegistryStore {
public:
    // A subpath that does not fit below the base path is refused: the store then
    // stays without a root and reads and writes nothing.
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
