// What an attacker leaves in a download folder under a system name: a DLL
// (opengl32.dll, version.dll, ...) or a program (Scrprev.exe). Whenever it is
// loaded or started it appends a line to "<its own path>.ran", naming the
// program that took it and that program's command line, and does nothing else.
#include <windows.h>

namespace {

void AppendUtf8(HANDLE file, const wchar_t* text)
{
    char bytes[4096];
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    DWORD written = 0;
    if (length > 1)
        WriteFile(file, bytes, static_cast<DWORD>(length - 1), &written, nullptr);
}

void LeaveMarker(HMODULE self)
{
    wchar_t marker[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcatW(marker, L".ran");
    HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    AppendUtf8(file, program);
    AppendUtf8(file, L"\t");
    AppendUtf8(file, GetCommandLineW());
    AppendUtf8(file, L"\n");
    CloseHandle(file);
}

} // namespace

#ifdef PLANTED_PROGRAM
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LeaveMarker(nullptr);
    return 0;
}
#else
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}
#endif
