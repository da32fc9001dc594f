// The DLLs the saver loads at their first call come from the system folder,
// however the search order stands.
#include <windows.h>

#include <delayimp.h>

#include <gtest/gtest.h>

#include <string>

#include "common/delayed_dlls.h"
#include "common/system_folders.h"

namespace {

// Every suite draws with OpenGL as the saver does: bound before the first call.
const bool openGlBound = (LoadOnlyFromSystemFolders(), BindOpenGlNow(), true);

std::wstring ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

std::wstring SystemPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

} // namespace

TEST(SystemFolders, EveryDelayedDllIsTakenFromTheSystemFolder)
{
    for (const char* name : {"version.dll", "uxtheme.dll", "opengl32.dll", "glu32.dll"}) {
        DelayLoadInfo info = {};
        info.cb = sizeof info;
        info.szDll = name;
        ASSERT_NE(__pfnDliNotifyHook2, nullptr);
        HMODULE module = reinterpret_cast<HMODULE>(__pfnDliNotifyHook2(dliNotePreLoadLibrary, &info));
        ASSERT_NE(module, nullptr) << name;
        const std::wstring wide(name, name + std::char_traits<char>::length(name));
        EXPECT_EQ(CompareStringOrdinal(ModulePath(module).c_str(), -1, SystemPath(wide.c_str()).c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << name;
        FreeLibrary(module);
    }
}
