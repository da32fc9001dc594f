// Scrprev: a small preview host for trying the saver's preview mode without the
// control panel. It shows a window that looks like a little monitor; its first
// (and only) child window is the black "screen" that a saver started with
// "/p scrprev" draws into.
//
//   Scrprev.exe [--size WxH]      screen size in pixels, 152x112 by default
//
// Another process can make the host remove the preview, as the control panel
// does when it replaces one, by sending the registered message
// "ScrprevDestroyPreview" (wParam: a window inside the screen, or 0 for the
// screen itself). DestroyWindow only works on the thread that created the
// window, so the host has to do it on request. Afterwards it puts up a fresh,
// empty screen so that the next preview finds one.

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/system_folders.h"

namespace {

constexpr wchar_t kHostClass[] = L"Scrprev";
constexpr wchar_t kScreenClass[] = L"ScrprevScreen";
constexpr wchar_t kHostTitle[] = L"Vorschau-Host";
constexpr wchar_t kDestroyMessageName[] = L"ScrprevDestroyPreview";
constexpr wchar_t kUsage[] = L"Aufruf: Scrprev.exe [--size BxH]\n\nBeispiel: Scrprev.exe --size 320x240";

// The control panel's preview screen is 152 by 112 pixels.
constexpr int kDefaultScreenWidth = 152;
constexpr int kDefaultScreenHeight = 112;
constexpr int kMaxScreenSide = 4096;
constexpr int kScreenId = 1;

// The monitor drawing around the screen: a margin, the bezel, and a stand.
constexpr int kMargin = 8;
constexpr int kBezel = 8;
constexpr int kNeckWidth = 24;
constexpr int kNeckHeight = 8;
constexpr int kFootWidth = 80;
constexpr int kFootHeight = 6;
constexpr COLORREF kBezelColor = RGB(40, 40, 44);
constexpr COLORREF kStandColor = RGB(90, 90, 96);

constexpr DWORD kHostStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Everything the window procedure needs; one host window per process.
struct Host {
    HINSTANCE instance = nullptr;
    SIZE screenSize = {kDefaultScreenWidth, kDefaultScreenHeight};
    RECT screenRect = {};
    HWND screen = nullptr;
    UINT destroyMessage = 0;
    HBRUSH bezelBrush = nullptr;
    HBRUSH standBrush = nullptr;
};

Host g_host;

void ShowError(const wchar_t* text)
{
    MessageBoxW(nullptr, text, kHostTitle, MB_OK | MB_ICONERROR);
}

// Splits the command line at blanks and tabs; the host's options need no quoting.
std::vector<std::wstring> SplitArguments(const wchar_t* commandLine)
{
    std::vector<std::wstring> words;
    std::wstring word;
    for (const wchar_t* p = commandLine; p && *p; ++p) {
        if (*p == L' ' || *p == L'\t') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word.push_back(*p);
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

bool ParseSide(const std::wstring& text, LONG& side)
{
    if (text.empty() || text.size() > 5) {
        return false;
    }
    long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return false;
        }
        value = value * 10 + (c - L'0');
    }
    if (value < 1 || value > kMaxScreenSide) {
        return false;
    }
    side = value;
    return true;
}

// "WxH", for example "320x240".
bool ParseSize(const std::wstring& text, SIZE& size)
{
    const size_t x = text.find_first_of(L"xX");
    if (x == std::wstring::npos) {
        return false;
    }
    return ParseSide(text.substr(0, x), size.cx) && ParseSide(text.substr(x + 1), size.cy);
}

bool ParseOptions(const wchar_t* commandLine, SIZE& screenSize)
{
    const std::vector<std::wstring> words = SplitArguments(commandLine);
    for (size_t i = 0; i < words.size(); ++i) {
        const std::wstring& word = words[i];
        const std::wstring inlinePrefix = L"--size=";
        if (word == L"--size" && i + 1 < words.size()) {
            if (!ParseSize(words[++i], screenSize)) {
                return false;
            }
        } else if (word.compare(0, inlinePrefix.size(), inlinePrefix) == 0) {
            if (!ParseSize(word.substr(inlinePrefix.size()), screenSize)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

// Lays out the monitor: the screen centred under the bezel, the stand below.
SIZE ComputeLayout(SIZE screenSize, RECT& screenRect)
{
    const int frame = kMargin + kBezel;
    const int width = std::max<int>(screenSize.cx + 2 * frame, kFootWidth + 2 * kMargin);
    const int height = frame + screenSize.cy + kBezel + kNeckHeight + kFootHeight + kMargin;
    screenRect.left = (width - screenSize.cx) / 2;
    screenRect.top = frame;
    screenRect.right = screenRect.left + screenSize.cx;
    screenRect.bottom = screenRect.top + screenSize.cy;
    return SIZE{width, height};
}

HWND CreateScreen(HWND host)
{
    const RECT& r = g_host.screenRect;
    // The saver's preview window becomes a child of the screen: clip it out
    // so that the black background never paints over the animation.
    return CreateWindowExW(0, kScreenClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
        r.left, r.top, r.right - r.left, r.bottom - r.top, host,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kScreenId)), g_host.instance, nullptr);
}

void PaintMonitor(HWND host)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(host, &ps);
    if (!dc) {
        return;
    }
    RECT bezel = g_host.screenRect;
    InflateRect(&bezel, kBezel, kBezel);
    FillRect(dc, &bezel, g_host.bezelBrush);

    const int centre = (bezel.left + bezel.right) / 2;
    const RECT neck = {centre - kNeckWidth / 2, bezel.bottom, centre + kNeckWidth / 2, bezel.bottom + kNeckHeight};
    FillRect(dc, &neck, g_host.standBrush);
    const RECT foot = {centre - kFootWidth / 2, neck.bottom, centre + kFootWidth / 2, neck.bottom + kFootHeight};
    FillRect(dc, &foot, g_host.standBrush);
    EndPaint(host, &ps);
}

// The host's own child that is, or contains, the given window. A saver's
// preview window belongs to another thread and cannot be destroyed from here,
// but destroying the screen that holds it takes it along.
HWND OwnChildContaining(HWND host, HWND target)
{
    if (!target) {
        return GetWindow(host, GW_CHILD);
    }
    for (HWND w = target; w;) {
        HWND parent = GetAncestor(w, GA_PARENT);
        if (parent == host) {
            return w;
        }
        w = parent;
    }
    return nullptr;
}

LRESULT DestroyPreview(HWND host, HWND target)
{
    HWND child = OwnChildContaining(host, target);
    if (!child || !DestroyWindow(child)) {
        return 0;
    }
    if (child == g_host.screen) {
        g_host.screen = CreateScreen(host);
    }
    return 1;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_host.destroyMessage && g_host.destroyMessage != 0) {
        return DestroyPreview(window, reinterpret_cast<HWND>(wParam));
    }
    switch (message) {
    case WM_PAINT:
        PaintMonitor(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE instance)
{
    WNDCLASSEXW host = {};
    host.cbSize = sizeof(host);
    host.lpfnWndProc = HostWindowProc;
    host.hInstance = instance;
    host.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    host.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    host.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    host.lpszClassName = kHostClass;
    if (!RegisterClassExW(&host)) {
        return false;
    }

    WNDCLASSEXW screen = {};
    screen.cbSize = sizeof(screen);
    screen.lpfnWndProc = DefWindowProcW;
    screen.hInstance = instance;
    screen.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    screen.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    screen.lpszClassName = kScreenClass;
    return RegisterClassExW(&screen) != 0;
}

HWND CreateHost(SIZE clientSize)
{
    RECT outer = {0, 0, clientSize.cx, clientSize.cy};
    if (!AdjustWindowRectEx(&outer, kHostStyle, FALSE, 0)) {
        return nullptr;
    }
    return CreateWindowExW(0, kHostClass, kHostTitle, kHostStyle, CW_USEDEFAULT, CW_USEDEFAULT,
        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, g_host.instance, nullptr);
}

int RunMessageLoop()
{
    MSG message;
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return 1;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool CreateBrushes()
{
    g_host.bezelBrush = CreateSolidBrush(kBezelColor);
    g_host.standBrush = CreateSolidBrush(kStandColor);
    return g_host.bezelBrush && g_host.standBrush;
}

void DeleteBrushes()
{
    if (g_host.bezelBrush) {
        DeleteObject(g_host.bezelBrush);
    }
    if (g_host.standBrush) {
        DeleteObject(g_host.standBrush);
    }
}

int Run(HINSTANCE instance, const wchar_t* commandLine, int showCommand)
{
    g_host.instance = instance;
    if (!ParseOptions(commandLine, g_host.screenSize)) {
        ShowError(kUsage);
        return 2;
    }
    g_host.destroyMessage = RegisterWindowMessageW(kDestroyMessageName);
    if (!g_host.destroyMessage || !RegisterClasses(instance)) {
        ShowError(L"Die Fensterklassen konnten nicht registriert werden.");
        return 1;
    }
    const SIZE clientSize = ComputeLayout(g_host.screenSize, g_host.screenRect);
    HWND host = CreateHost(clientSize);
    if (!host) {
        ShowError(L"Das Fenster konnte nicht erstellt werden.");
        return 1;
    }
    // The screen is created first and stays the only child, so that
    // GetWindow(host, GW_CHILD) finds it.
    g_host.screen = CreateScreen(host);
    if (!g_host.screen) {
        DestroyWindow(host);
        ShowError(L"Der Bildschirm der Vorschau konnte nicht erstellt werden.");
        return 1;
    }
    ShowWindow(host, showCommand);
    UpdateWindow(host);
    return RunMessageLoop();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    // The window code loads DLLs of its own later (themes among them).
    LoadOnlyFromSystemFolders();
    if (!CreateBrushes()) {
        DeleteBrushes();
        ShowError(L"Die Pinsel konnten nicht erstellt werden.");
        return 1;
    }
    const int result = Run(instance, commandLine, showCommand);
    DeleteBrushes();
    return result;
}
