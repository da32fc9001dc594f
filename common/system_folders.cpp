#include "common/system_folders.h"

#include <windows.h>

#include <delayimp.h>

#if defined(NIGHTLOOM_GNU_DELAY_STUBS)
// Named after the delay-import libraries that cmake/windows.cmake makes.
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libopengl32_delay_a;
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libglu32_delay_a;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot);
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// The system folder's copy of a DLL, by its full path: found there whatever the
// search order, and on Windows without SetDefaultDllDirectories too.
HMODULE LoadSystemDll(const char* name)
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

// Every DLL that the program loads at its first call comes from the system folder.
FARPROC WINAPI LoadDelayedDllFromSystemFolder(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll)
        return nullptr;
    // Null lets the loader try the name itself, within the narrowed search.
    return reinterpret_cast<FARPROC>(LoadSystemDll(info->szDll));
}

} // namespace

// The delay-load helper asks this hook before it loads a DLL. delayimp.h
// declares it, const in MSVC's and plain in MinGW-w64's.
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = LoadDelayedDllFromSystemFolder;
#else
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedDllFromSystemFolder;
#endif

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

    // Wine quirk: Wine's common controls load the theme DLL at the first
    // themed control in a way that ignores the narrowed search and looks in
    // the program's folder first. A DLL already loaded is found by its name,
    // so the system's copy goes in first. Windows loads it into every themed
    // program anyway.
    LoadSystemDll("uxtheme.dll");

    // CreateProcessW without an application name searches the program's own
    // folder, the current directory, the system folders and PATH; with this
    // variable set it leaves out the current directory. Children inherit it.
    SetEnvironmentVariableW(L"NoDefaultCurrentDirectoryInExePath", L"1");
}

void BindOpenGlNow()
{
#if defined(NIGHTLOOM_GNU_DELAY_STUBS)
    // Binutils quirk: GNU dlltool's stubs keep the integer argument registers
    // while they bind a function, but not the floating-point ones, so the first
    // call of glClearDepth(1.0) cleared the depth buffer to 0 and nothing was
    // drawn. GNU ld leaves the PE's delay-import directory empty, so the
    // tables are walked here, slot by slot.
    auto* base = reinterpret_cast<BYTE*>(&__ImageBase);
    const ImgDelayDescr* const descriptors[] = {&__DELAY_IMPORT_DESCRIPTOR_libopengl32_delay_a,
                                                &__DELAY_IMPORT_DESCRIPTOR_libglu32_delay_a};
    for (const ImgDelayDescr* descriptor : descriptors) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->rvaINT);
        auto* slots = reinterpret_cast<FARPROC*>(base + descriptor->rvaIAT);
        for (; names->u1.AddressOfData != 0; ++names, ++slots)
            __delayLoadHelper2(descriptor, slots);
    }
#else
    __HrLoadAllImportsForDll("opengl32.dll");
    __HrLoadAllImportsForDll("glu32.dll");
#endif
}
