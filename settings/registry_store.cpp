#include "settings/registry_store.h"

#include "common/text.h"
#include "settings/value_mapping.h"

const wchar_t kRegistryBasePath[] = L"Software\\Wow6432Node\\Velbrook";

namespace {
const wchar_t kLogoPathValue[] = L"LogoPath";
}

void RegistryStore::Open(const wchar_t* subpath)
{
    bool fits = CopyText(path, kPathCapacity, kRegistryBasePath);
    if (subpath && *subpath) {
        fits = fits && AppendText(path, kPathCapacity, L"\\");
        fits = fits && AppendText(path, kPathCapacity, subpath);
    }
    // Never a shorter, different key: see KeyPath.
    if (!fits) {
        path[0] = L'\0';
        root = nullptr;
        access = 0;
        return;
    }
    root = HKEY_CURRENT_USER;
    access = KEY_WOW64_64KEY;
}

// A key path that does not fit is refused rather than cut, so that no value is
// ever read from or written to a shorter, different key.
bool RegistryStore::KeyPath(const wchar_t* subkey, wchar_t (&keyPath)[kPathCapacity]) const
{
    bool fits = CopyText(keyPath, kPathCapacity, path);
    if (subkey && *subkey) {
        fits = fits && AppendText(keyPath, kPathCapacity, L"\\");
        fits = fits && AppendText(keyPath, kPathCapacity, subkey);
    }
    return fits;
}

std::uint32_t RegistryStore::ReadDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t fallback)
{
    std::uint32_t value = 0;
    return TryReadDword(subkey, name, value) ? value : fallback;
}

bool RegistryStore::TryReadDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t& value)
{
    wchar_t keyPath[kPathCapacity];
    if (!root || !KeyPath(subkey, keyPath))
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, access | MAXIMUM_ALLOWED, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

WriteStatus RegistryStore::WriteValue(const wchar_t* subkey, const wchar_t* name, DWORD type,
                                      const void* data, DWORD size)
{
    wchar_t keyPath[kPathCapacity];
    if (!root || !KeyPath(subkey, keyPath))
        return WriteStatus::KeyUnavailable;
    HKEY key = nullptr;
    bool created = false;
    if (RegOpenKeyExW(root, keyPath, 0, access | KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        if (RegCreateKeyExW(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, access | KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return WriteStatus::KeyUnavailable;
        created = true;
    }
    const LONG written = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    const LONG closed = RegCloseKey(key);
    if (written != ERROR_SUCCESS)
        return created ? WriteStatus::WriteToNewKeyFailed : WriteStatus::WriteToExistingKeyFailed;
    return closed == ERROR_SUCCESS ? WriteStatus::Written : WriteStatus::CloseFailed;
}

WriteStatus RegistryStore::WriteDword(const wchar_t* subkey, const wchar_t* name, std::uint32_t value)
{
    const DWORD data = value;
    return WriteValue(subkey, name, REG_DWORD, &data, sizeof data);
}

const wchar_t* RegistryStore::ReadLogoPath()
{
    text[0] = L'\0';
    wchar_t keyPath[kPathCapacity];
    if (!root || !KeyPath(kImageSubkey, keyPath))
        return text;
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath, 0, access | MAXIMUM_ALLOWED, &key) != ERROR_SUCCESS)
        return text;
    DWORD type = 0;
    DWORD size = sizeof text;
    const LONG status = RegQueryValueExW(key, kLogoPathValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);

    const DWORD count = size / sizeof(wchar_t);
    // The stored text must fit with its terminator; data without one that fills
    // the whole buffer does not.
    const bool fits = status == ERROR_SUCCESS && type == REG_SZ &&
                      (count < kPathCapacity || (count == kPathCapacity && text[count - 1] == L'\0'));
    if (!fits) {
        text[0] = L'\0';
        return text;
    }
    text[count < kPathCapacity ? count : kPathCapacity - 1] = L'\0';
    return text;
}

WriteStatus RegistryStore::WriteLogoPath(const wchar_t* logoPath)
{
    wchar_t value[kPathCapacity];
    CopyText(value, kPathCapacity, logoPath);
    DWORD length = 0;
    while (value[length])
        ++length;
    return WriteValue(kImageSubkey, kLogoPathValue, REG_SZ, value,
                      static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
}
