// probe_hook.dll: the probe's hook procedures. Hooks that run in another
// process's thread must live in a DLL, which the system loads there.
#include <windows.h>

extern "C" {

// Notes that a window procedure handed a system command on to DefWindowProc,
// which calls the CBT hook before acting; the probe reads the global atom.
__declspec(dllexport) LRESULT CALLBACK NoteDefaultSysCommand(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_SYSCOMMAND) {
        GlobalAddAtomW(L"ProbeSysCommandReachedDefault");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Makes the preview host remove the preview's parent at the moment the saver
// gives its new render window the focus: the window and its GL context exist,
// no frame has been drawn yet. The host destroys the parent on its own thread,
// which destroys the render window through a message to this thread, answered
// while this thread waits for the host. The atom says the window was gone
// when the saver went on, so a test knows the stage was reached.
__declspec(dllexport) LRESULT CALLBACK RemovePreviewParentOnFocus(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[64] = {};
    if (code == HCBT_SETFOCUS && window && !GlobalFindAtomW(L"ProbeHookNoted") &&
        GetClassNameW(window, className, 64) > 0 && lstrcmpW(className, L"DriftlanternsApp") == 0 &&
        (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) {
        HWND host = GetAncestor(window, GA_ROOT);
        const UINT removePreview = RegisterWindowMessageW(L"ScrprevDestroyPreview");
        DWORD_PTR removed = 0;
        if (host && removePreview &&
            SendMessageTimeoutW(host, removePreview, 0, 0, SMTO_NORMAL, 10000, &removed) && removed == 1 &&
            !IsWindow(window)) {
            GlobalAddAtomW(L"ProbeHookNoted");
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Notes whether the display was back in the mode of the system registry when
// the saver's render window went, which it does after releasing the engine.
// (Windows and Wine also undo a full-screen switch when the process ends, so
// the mode after the exit cannot tell.)
__declspec(dllexport) LRESULT CALLBACK NoteDisplayModeAtWindowEnd(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[64] = {};
    if (code == HCBT_DESTROYWND && GetClassNameW(window, className, 64) > 0 &&
        lstrcmpW(className, L"DriftlanternsApp") == 0) {
        DEVMODEW current = {};
        current.dmSize = sizeof current;
        DEVMODEW stored = {};
        stored.dmSize = sizeof stored;
        if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &current) &&
            EnumDisplaySettingsW(nullptr, ENUM_REGISTRY_SETTINGS, &stored) &&
            current.dmPelsWidth == stored.dmPelsWidth && current.dmPelsHeight == stored.dmPelsHeight &&
            current.dmBitsPerPel == stored.dmBitsPerPel) {
            GlobalAddAtomW(L"ProbeHookNoted");
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // extern "C"
