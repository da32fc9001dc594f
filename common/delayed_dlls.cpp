#include "common/delayed_dlls.h"

#include <windows.h>

#include <delayimp.h>

#include "common/system_folders.h"

#if defined(NIGHTLOOM_GNU_DELAY_STUBS)
// Named after the delay-import libraries that cmake/windows.cmake makes.
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libopengl32_delay_a;
extern "C" const ImgDelayDescr __DELAY_IMPORT_DESCRIPTOR_libglu32_delay_a;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* slot);
extern "C" IMAGE_DOS_HEADER __ImageBase;
#endif

namespace {

// Every DLL that the program binds at its first call comes from the system folder.
FARPROC WINAPI LoadDelayedDllFromSystemFolder(unsigned notification, PDelayLoadInfo info)
{
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll)
        return nullptr;
    // Null lets the helper load the name itself, within the narrowed search.
    return reinterpret_cast<FARPROC>(LoadFromSystemFolder(info->szDll));
}

} // namespace

// The delay-load helper asks this hook before it loads a DLL. delayimp.h
// declares it, const in MSVC's and plain in MinGW-w64's.
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = LoadDelayedDllFromSystemFolder;
#else
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedDllFromSystemFolder;
#endif

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
