// Watches a running saver end: "exit_watch CLASS". It waits for the window of
// that class and for its thread to take messages (the frame loop is running),
// prints "ready", and then polls the window about once a millisecond while it
// waits on the process, until both are gone, printing when each went in epoch seconds, so that the
// bench driver can measure from the input it injects through the X server.
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "tools/bench/bench_clock.h"

namespace {

constexpr DWORD kFindTimeoutMs = 60000;
constexpr double kGoneTimeoutSeconds = 30.0;

HWND WaitForWindow(const wchar_t* windowClass)
{
    const ULONGLONG deadline = GetTickCount64() + kFindTimeoutMs;
    while (GetTickCount64() < deadline) {
        HWND window = FindWindowW(windowClass, nullptr);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(5);
    }
    return nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::printf("usage: exit_watch CLASS\n");
        return 2;
    }
    HWND window = WaitForWindow(argv[1]);
    DWORD processId = 0;
    if (window)
        GetWindowThreadProcessId(window, &processId);
    HANDLE process = processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
    DWORD_PTR answer = 0;
    // Sent messages are taken only where the thread reads its queue: in the frame loop.
    const char* failure = !window    ? "no saver window"
                          : !process ? "the saver's process cannot be opened"
                          : !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kFindTimeoutMs, &answer)
                              ? "the saver's window takes no messages"
                              : nullptr;
    if (failure) {
        std::printf("%s (error %lu)\n", failure, GetLastError());
        if (process)
            CloseHandle(process);
        return 1;
    }
    Sleep(300); // well past the first frame
    std::printf("ready %.6f\n", bench::EpochSeconds());
    std::fflush(stdout);

    double windowGone = 0.0, processGone = 0.0, longestPoll = 0.0;
    long polls = 0;
    const double start = bench::Seconds();
    double previous = start;
    while (windowGone == 0.0 || processGone == 0.0) {
        const double now = bench::Seconds();
        longestPoll = std::max(longestPoll, now - previous);
        previous = now;
        ++polls;
        if (windowGone == 0.0 && !IsWindow(window))
            windowGone = bench::EpochSeconds();
        if (now - start > kGoneTimeoutSeconds)
            break;
        // The wait is also the poll period; it returns at once when the process ends.
        if (processGone == 0.0 && WaitForSingleObject(process, windowGone == 0.0 ? 1 : INFINITE) == WAIT_OBJECT_0)
            processGone = bench::EpochSeconds();
        else if (processGone != 0.0)
            Sleep(1);
    }
    CloseHandle(process);
    const double elapsed = bench::Seconds() - start;
    std::printf("window_gone_epoch %.6f\n", windowGone);
    std::printf("process_gone_epoch %.6f\n", processGone);
    std::printf("poll_ms %.3f %.3f\n", polls ? elapsed * 1000.0 / polls : 0.0, longestPoll * 1000.0);
    return windowGone != 0.0 && processGone != 0.0 ? 0 : 1;
}
