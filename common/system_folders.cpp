#include "common/system_folders.h"

namespace {
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
}

HMODULE LoadFromSystemFolder(const char* name)
{
    wchar_t path[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 1)
        return nullptr;
    path[length++] = L'\\';
    for (; *name; ++name) {
        // DLL names are ASCII; anything else is no system DLL of ours.
        if (length >= MAX_PATH - 1 || static_cast<unsigned char>(*name) > 0x7F)
            return nullptr;
        path[length++] = static_cast<wchar_t>(*name);
    }
    path[length] = L'\0';
    return LoadLibraryW(path);
}

void LoadOnlyFromSystemFolders()
{
    // Windows 8 brought SetDefaultDllDirectories, and an update to Windows 7;
    // without it, SetDllDirectoryW(L"") still takes the current directory out
    // of the search.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefaultDllDirectories = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))) : nullptr;
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryW(L"");

    // Wine quirk: Wine's common controls bind the theme DLL on their own, in a
    // way that ignores the narrowed search (seen taking a planted uxtheme.dll
    // from the program's folder). A DLL already loaded is found by its name,
    // whoever asks first, so the system's copy goes in now. Windows loads it
    // into every themed program anyway.
    LoadFromSystemFolder("uxtheme.dll");

    // CreateProcessW without an application name searches the program's own
    // folder, the current directory, the system folders and PATH; with this
    // variable set it leaves out the current directory. Children inherit it.
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
}
