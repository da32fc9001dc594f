#include "render/render_window.h"

#include "resources/resource_ids.h"

RenderWindowRun renderWindowRun;

namespace {

void ShowEngineError(HWND owner, const wchar_t* text)
{
    MessageBoxW(owner, text, L"Fehler", MB_OK | MB_ICONERROR);
}

} // namespace

bool RegisterRenderWindowClass(HINSTANCE instance, const wchar_t* className)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = RenderWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM_SMALL));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

void UnregisterRenderWindowClass(HINSTANCE instance, const wchar_t* className)
{
    UnregisterClassW(className, instance);
}

HWND CreateRenderWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                        const RenderGeometry& geometry, HWND parent)
{
    return CreateWindowExW(parent ? 0 : WS_EX_APPWINDOW, className, title,
                           (parent ? WS_CHILD : WS_POPUP) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, geometry.x,
                           geometry.y, geometry.width, geometry.height, parent, nullptr, instance, nullptr);
}

bool SwitchDisplayMode(const RenderGeometry& geometry)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode.dmBitsPerPel = geometry.bits;
    mode.dmPelsWidth = static_cast<DWORD>(geometry.width);
    mode.dmPelsHeight = static_cast<DWORD>(geometry.height);
    mode.dmDisplayFrequency = geometry.frequency;
    if (ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL)
        return true;
    MessageBoxW(nullptr, L"Die Auflösung konnte nicht geändert werden !!\n\nDas Programm wird beendet !",
                L"DisplaySettings()", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void RestoreDisplayMode()
{
    ChangeDisplaySettingsW(nullptr, 0);
}

bool PrepareGlContext(HWND window, std::uint8_t colorBits, bool doubleBuffered, HDC& deviceContext,
                      HGLRC& glContext)
{
    deviceContext = GetDC(window);
    HDC dc = deviceContext;

    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (doubleBuffered)
        format.dwFlags |= PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = colorBits;
    format.cDepthBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;

    const int index = dc ? ChoosePixelFormat(dc, &format) : 0;
    if (index == 0 || !SetPixelFormat(dc, index, &format)) {
        ShowEngineError(window, L"Es konnte kein Pixelformat für OpenGL auswählt werden !\n\nDas Programm wird beendet !");
        return false;
    }
    glContext = wglCreateContext(dc);
    if (!glContext) {
        ShowEngineError(window, L"Es konnte kein Rendering Context für OpenGL erstellt werden !\n\nDas Programm wird beendet !");
        return false;
    }
    if (!wglMakeCurrent(dc, glContext)) {
        ShowEngineError(window, L"Das Rendering für OpenGL konnte nicht aktiviert werden !\n\nDas Programm wird beendet !");
        return false;
    }
    return true;
}

void ReleaseGlContext(HWND window, HDC& deviceContext, HGLRC& glContext)
{
    if (glContext) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(glContext);
        glContext = nullptr;
    }
    if (deviceContext) {
        ReleaseDC(window, deviceContext);
        deviceContext = nullptr;
    }
}

// The cursor's horizontal position when the window was made lives in the
// window's user data: any horizontal movement from there ends the saver.
LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool preview = renderWindowRun.preview;
    switch (message) {
    case WM_CREATE:
        if (!preview) {
            POINT cursor = {};
            GetCursorPos(&cursor);
            SetWindowLongPtrW(window, GWLP_USERDATA, cursor.x);
        }
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!preview)
            PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEMOVE:
        if (!preview) {
            POINT cursor = {};
            GetCursorPos(&cursor);
            if (cursor.x != static_cast<LONG>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER)
            return 0;
        break;
    case WM_DESTROY:
        // The control panel destroys the preview's parent when it closes or
        // replaces the preview; a running preview ends with it. (Before the run
        // starts the window only goes away on a failure path, whose message box
        // must not be ended by a quit message; after it, on the way out.)
        if (preview && renderWindowRun.running)
            PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
