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

} // extern "C"
