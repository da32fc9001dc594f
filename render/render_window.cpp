// The render window: class, geometry, display switch, pixel format and context.
#include "app/application.h"
#include "app/frame_clock_win.h"
#include "render/gl.h"
#include "render/text_font.h"
#include "resources/resource_ids.h"
#include "scenes/scene_holder.h"

namespace {

const wchar_t kCreationCaption[] = L"CreateApplicationWindow()";
const wchar_t kErrorCaption[] = L"Fehler";

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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

void ShowEngineError(HWND owner, const wchar_t* text)
{
    MessageBoxW(owner, text, kErrorCaption, MB_OK | MB_ICONERROR);
}

bool InPreview()
{
    return application && application->settings.previewMode;
}

// The cursor's horizontal position when the window was made lives in the
// window's user data: any horizontal movement from there ends the saver.
LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool preview = InPreview();
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
        // replaces the preview; a running preview ends with it. (Before the frame
        // clock exists the window only goes away on a failure path, whose message
        // box must not be ended by a quit message.)
        if (preview && application->frameClock)
            PostQuitMessage(0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void Application::ChooseWindowGeometry()
{
    windowBits = static_cast<std::uint8_t>(currentBits);
    windowFrequency = currentFrequency;
    windowX = 0;
    windowY = 0;
    if (settings.previewMode) {
        RECT parent = {};
        GetWindowRect(window, &parent);
        windowWidth = parent.right - parent.left;
        windowHeight = parent.bottom - parent.top;
    } else if (SwitchDisplay) {
        windowWidth = FullWidth;
        windowHeight = FullHeight;
        windowBits = static_cast<std::uint8_t>(FullBits);
        windowFrequency = FullFrequency;
    } else if (Use1Monitor) {
        windowWidth = desktopRect.right;
        windowHeight = desktopRect.bottom;
    } else {
        windowX = virtualScreen.left;
        windowY = virtualScreen.top;
        windowWidth = virtualScreen.width;
        windowHeight = virtualScreen.height;
    }
}

bool Application::SwitchDisplayMode()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    mode.dmBitsPerPel = windowBits;
    mode.dmPelsWidth = static_cast<DWORD>(windowWidth);
    mode.dmPelsHeight = static_cast<DWORD>(windowHeight);
    mode.dmDisplayFrequency = windowFrequency;
    if (ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL)
        return true;
    MessageBoxW(nullptr, L"Die Auflösung konnte nicht geändert werden !!\n\nDas Programm wird beendet !",
                L"DisplaySettings()", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

bool Application::PrepareEngine()
{
    sceneHolder->colorBits = windowBits;
    sceneHolder->deviceContext = GetDC(window);
    HDC dc = sceneHolder->deviceContext;

    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    if (sceneHolder->scene->IsDoubleBuffered())
        format.dwFlags |= PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = windowBits;
    format.cDepthBits = 32;
    format.iLayerType = PFD_MAIN_PLANE;

    const int index = dc ? ChoosePixelFormat(dc, &format) : 0;
    if (index == 0 || !SetPixelFormat(dc, index, &format)) {
        ShowEngineError(window, L"Es konnte kein Pixelformat für OpenGL auswählt werden !\n\nDas Programm wird beendet !");
        return false;
    }
    sceneHolder->glContext = wglCreateContext(dc);
    if (!sceneHolder->glContext) {
        ShowEngineError(window, L"Es konnte kein Rendering Context für OpenGL erstellt werden !\n\nDas Programm wird beendet !");
        return false;
    }
    if (!wglMakeCurrent(dc, sceneHolder->glContext)) {
        ShowEngineError(window, L"Das Rendering für OpenGL konnte nicht aktiviert werden !\n\nDas Programm wird beendet !");
        return false;
    }
    return true;
}

bool Application::ReleaseEngine()
{
    if (sceneHolder) {
        if (sceneHolder->font) {
            glDeleteLists(sceneHolder->font->listBase, kFontListCount);
            delete sceneHolder->font;
            sceneHolder->font = nullptr;
        }
        if (sceneHolder->glContext) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(sceneHolder->glContext);
            sceneHolder->glContext = nullptr;
        }
        if (sceneHolder->deviceContext) {
            ReleaseDC(window, sceneHolder->deviceContext);
            sceneHolder->deviceContext = nullptr;
        }
    }
    // Back to the mode in the system registry, also when this run switched nothing.
    if (SwitchDisplay && !settings.previewMode)
        ChangeDisplaySettingsW(nullptr, 0);
    return true;
}

// Failure after the window exists: nothing of it may outlive the box.
void Application::DestroyRenderWindow()
{
    if (window && IsWindow(window))
        DestroyWindow(window);
    window = nullptr;
}

bool Application::CreateApplicationWindow()
{
    if (!RegisterRenderWindowClass(instance, className))
        MessageBoxW(window, L"RegisterClassEx() failed!", kCreationCaption, MB_OK);

    ChooseWindowGeometry();
    const bool preview = settings.previewMode;
    if (SwitchDisplay && !preview && !SwitchDisplayMode())
        return false;

    if (!preview)
        window = nullptr;
    window = CreateWindowExW(preview ? 0 : WS_EX_APPWINDOW, className, title,
                             (preview ? WS_CHILD : WS_POPUP) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                             windowX, windowY, windowWidth, windowHeight, preview ? window : nullptr,
                             nullptr, instance, nullptr);
    if (!window || !PrepareEngine()) {
        ReleaseEngine();
        DestroyRenderWindow();
        MessageBoxW(nullptr, L"CreateWindowEx() or PrepareEngine() failed!", kCreationCaption, MB_OK);
        return false;
    }

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);

    RECT client = {};
    GetClientRect(window, &client);
    if (!sceneHolder->InitializeView(client.right, client.bottom)) {
        ReleaseEngine();
        MessageBoxW(window,
                    L"Fehler bei der Initialisierung!\n\nBitte stellen Sie sicher, dass alle benötigten Dateien\n"
                    L"(Images, Sound, Mappings) vorhanden sind.",
                    kErrorCaption, MB_OK | MB_ICONERROR);
        DestroyRenderWindow();
        return false;
    }

    if (settings.ShowDesktop)
        CreateDesktopTexture();
    glEnable(GL_TEXTURE_2D);
    GLint maxTextureSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    settings.OpenGL_MaxTextureSize = maxTextureSize;

    ShowCursor(settings.previewMode);
    frameClock = CreateFrameClock(targetFps);
    return frameClock != nullptr;
}
