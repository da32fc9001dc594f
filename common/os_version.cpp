#include "common/os_version.h"

#include <windows.h>

namespace {
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
}

bool IsNtPlatform()
{
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (!ntdll)
        return false;
    // GetProcAddress gives a generic function pointer; the cast names its real type.
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    bool nt = false;
    if (rtlGetVersion) {
        OSVERSIONINFOEXW version = {};
        version.dwOSVersionInfoSize = sizeof version; // 284 bytes
        nt = rtlGetVersion(&version) == 0 && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }
    FreeLibrary(ntdll);
    return nt;
}
