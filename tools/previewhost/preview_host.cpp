// The preview, hosted in this process: a little monitor whose screen runs the
// saver's own preview (the path "/p HWND" takes) with the saved settings. Under
// Wine no GL child window shows on the screen, so a separate host such as
// Scrprev stays empty there; this one can read each frame back and show it.
//
//   preview_host.exe [--size WxH] [--shot FILE.bmp [--frame N]] [--mirror]
//
// With --shot the host keeps frame N (the tenth by default) as a 24-bit BMP
// and ends. With
// --mirror the preview draws out of sight and the monitor shows each of its
// frames, read back: what Wine can show (see CreateStage).
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "app/application.h"
#include "common/delayed_dlls.h"
#include "common/system_folders.h"
#include "render/gl.h"
#include "scenes/scene_holder.h"

namespace {

constexpr int kBezel = 8;

// What the present hook needs: the frame's size, where a copy goes, and the shot.
struct Host {
    HWND screen = nullptr;
    int width = 0;
    int height = 0;
    bool mirror = false;
    const wchar_t* shotPath = nullptr;
    int shotFrame = 10;
    bool shotWritten = false;
    int frames = 0;
    std::vector<unsigned char> bgr; // bottom-up rows, each padded to four bytes
};

Host host;

int RowBytes(int width) { return (width * 3 + 3) & ~3; }

BITMAPINFOHEADER FrameHeader()
{
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = host.width;
    info.biHeight = host.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    return info;
}

bool WriteBmp(const wchar_t* path)
{
    const BITMAPINFOHEADER info = FrameHeader();
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(host.bgr.size());
    FILE* out = _wfopen(path, L"wb");
    if (!out)
        return false;
    const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                    std::fwrite(host.bgr.data(), host.bgr.size(), 1, out) == 1;
    return std::fclose(out) == 0 && ok;
}

// The frame, read back, painted into the monitor's screen.
void MirrorIntoScreen()
{
    HDC dc = GetDC(host.screen);
    if (!dc)
        return;
    BITMAPINFO info = {};
    info.bmiHeader = FrameHeader();
    SetDIBitsToDevice(dc, 0, 0, host.width, host.height, 0, 0, 0, host.height, host.bgr.data(), &info,
                      DIB_RGB_COLORS);
    ReleaseDC(host.screen, dc);
}

// Reads the back buffer before the swap: reading the front one after it gives zeros under Wine.
BOOL WINAPI KeepFrameAndPresent(HDC dc)
{
    ++host.frames;
    const bool shotNow = host.shotPath && host.frames == host.shotFrame;
    if (host.mirror || shotNow) {
        host.bgr.resize(static_cast<std::size_t>(RowBytes(host.width)) * host.height);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, host.width, host.height, GL_BGR_EXT, GL_UNSIGNED_BYTE, host.bgr.data());
    }
    if (host.mirror)
        MirrorIntoScreen();
    if (shotNow) {
        host.shotWritten = WriteBmp(host.shotPath);
        PostQuitMessage(0);
    }
    return SwapBuffers(dc);
}

bool ParseOptions(int count, wchar_t** words, SIZE& size)
{
    for (int i = 1; i < count; ++i) {
        if (std::wcscmp(words[i], L"--size") == 0 && i + 1 < count) {
            if (std::swscanf(words[++i], L"%ldx%ld", &size.cx, &size.cy) != 2 || size.cx < 1 || size.cy < 1)
                return false;
        } else if (std::wcscmp(words[i], L"--shot") == 0 && i + 1 < count) {
            host.shotPath = words[++i];
        } else if (std::wcscmp(words[i], L"--frame") == 0 && i + 1 < count) {
            if (std::swscanf(words[++i], L"%d", &host.shotFrame) != 1 || host.shotFrame < 1)
                return false;
        } else if (std::wcscmp(words[i], L"--mirror") == 0) {
            host.mirror = true;
        } else {
            return false;
        }
    }
    return true;
}

// The monitor: a grey frame with a black screen in it, the screen's size as given.
HWND CreateMonitor(HINSTANCE instance, SIZE size, HWND& screen)
{
    RECT outer = {0, 0, size.cx + 2 * kBezel, size.cy + 2 * kBezel};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRect(&outer, style, FALSE);
    HWND frame = CreateWindowExW(0, L"STATIC", L"Nightloom - Vorschau", style | SS_GRAYRECT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                 instance, nullptr);
    if (!frame)
        return nullptr;
    screen = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BLACKRECT, kBezel, kBezel, size.cx,
                             size.cy, frame, nullptr, instance, nullptr);
    if (!screen) {
        DestroyWindow(frame);
        return nullptr;
    }
    ShowWindow(frame, SW_SHOW);
    UpdateWindow(frame);
    return frame;
}

// Wine quirk: no GL child window shows on the X screen, not even one of this
// process. So with --mirror the preview runs in a screen out of sight, in a
// window the monitor owns (and takes with it when it closes), and each frame
// is painted into the monitor's screen.
HWND CreateStage(HINSTANCE instance, HWND monitor, SIZE size)
{
    HWND stage = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", nullptr, WS_POPUP | SS_BLACKRECT,
                                 GetSystemMetrics(SM_XVIRTUALSCREEN) - size.cx - 64,
                                 GetSystemMetrics(SM_YVIRTUALSCREEN) - size.cy - 64, size.cx, size.cy, monitor, nullptr,
                                 instance, nullptr);
    if (!stage)
        return nullptr;
    HWND screen = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 0, 0, size.cx,
                                  size.cy, stage, nullptr, instance, nullptr);
    ShowWindow(stage, SW_SHOWNA);
    return screen;
}

// The preview as "/p" runs it into parent, until the monitor closes or the shot is taken.
void RunPreview(HWND parent, HWND screen, SIZE size)
{
    Application* app = new Application();
    const bool initialized = app->Initialize();
    application = app;
    if (initialized && app->CreateSceneHolder() && app->StartPreview(parent)) {
        host.screen = screen;
        host.width = size.cx;
        host.height = size.cy;
        app->sceneHolder->presentFrame = KeepFrameAndPresent;
        app->RunFrameLoop();
    }
    app->Shutdown();
    application = nullptr;
    delete app;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    LoadOnlyFromSystemFolders();
    BindOpenGlNow();
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    SIZE size = {152, 112};
    const bool parsed = words && ParseOptions(count, words, size);
    if (!parsed) {
        MessageBoxW(nullptr, L"Aufruf: preview_host.exe [--size BxH] [--shot DATEI.bmp [--frame N]] [--mirror]", L"Vorschau", MB_OK);
        LocalFree(words);
        return 2;
    }
    HWND screen = nullptr;
    HWND frame = CreateMonitor(instance, size, screen);
    HWND parent = host.mirror && frame ? CreateStage(instance, frame, size) : screen;
    if (frame && parent) {
        RunPreview(parent, screen, size);
        if (IsWindow(frame))
            DestroyWindow(frame);
    }
    const bool ok = frame && (!host.shotPath || host.shotWritten);
    LocalFree(words);
    return ok ? 0 : 1;
}
