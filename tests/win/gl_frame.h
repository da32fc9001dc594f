#pragma once
// What the GL tests share: a top-level test window with a current context, the
// back buffer read into an image just before the swap, and a SceneHolder that
// composes frames in that window.
#include "render/gl.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/texture_loader.h"
#include "render/text_font.h"
#include "scenes/scene.h"
#include "scenes/scene_holder.h"

namespace gltest {

// --- Read-back image ------------------------------------------------------------

struct Rgb {
    int r, g, b;
};

// Inclusive window-pixel rectangle, y counting up from the bottom edge.
struct Box {
    int x0, y0, x1, y1;
};

using ColorTest = bool (*)(Rgb);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    Rgb At(int x, int y) const
    {
        const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    }

    Box Whole() const { return Box{0, 0, width - 1, height - 1}; }

    Box Clip(Box box) const
    {
        return Box{std::max(box.x0, 0), std::max(box.y0, 0), std::min(box.x1, width - 1),
                   std::min(box.y1, height - 1)};
    }

    int CountInBox(Box box, ColorTest test) const
    {
        const Box b = Clip(box);
        int count = 0;
        for (int y = b.y0; y <= b.y1; ++y)
            for (int x = b.x0; x <= b.x1; ++x)
                count += test(At(x, y)) ? 1 : 0;
        return count;
    }

    int Count(ColorTest test) const { return CountInBox(Whole(), test); }

    // The columns that the matching pixels of the box span; {-1, -1} for none.
    std::pair<int, int> ColumnsInBox(Box box, ColorTest test) const
    {
        const Box b = Clip(box);
        std::pair<int, int> span{-1, -1};
        for (int y = b.y0; y <= b.y1; ++y)
            for (int x = b.x0; x <= b.x1; ++x)
                if (test(At(x, y))) {
                    span.first = span.first < 0 ? x : std::min(span.first, x);
                    span.second = std::max(span.second, x);
                }
        return span;
    }

    // 24-bit BMP, bottom-up rows as stored here.
    bool SaveBmp(const std::string& path) const
    {
        const int rowBytes = (width * 3 + 3) & ~3;
        const std::uint32_t pixelBytes = static_cast<std::uint32_t>(rowBytes) * height;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER info = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + pixelBytes;
        info.biSize = sizeof info;
        info.biWidth = width;
        info.biHeight = height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        info.biSizeImage = pixelBytes;
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof file);
        out.write(reinterpret_cast<const char*>(&info), sizeof info);
        std::vector<char> row(rowBytes, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Rgb c = At(x, y);
                row[x * 3 + 0] = static_cast<char>(c.b);
                row[x * 3 + 1] = static_cast<char>(c.g);
                row[x * 3 + 2] = static_cast<char>(c.r);
            }
            out.write(row.data(), rowBytes);
        }
        return static_cast<bool>(out);
    }
};

inline Image ReadBackBuffer(int width, int height)
{
    Image image;
    image.width = width;
    image.height = height;
    image.rgb.assign(static_cast<std::size_t>(width) * height * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

// Keeps a picture for a human to look at when NIGHTLOOM_ARTIFACTS names a folder.
inline void SaveArtifact(const Image& image, const std::string& name)
{
    const char* folder = std::getenv("NIGHTLOOM_ARTIFACTS");
    if (!folder || !*folder)
        return;
    CreateDirectoryA(folder, nullptr);
    const std::string path = std::string(folder) + "/" + name;
    EXPECT_TRUE(image.SaveBmp(path)) << path;
}
// --- GL state helpers -------------------------------------------------------------

// Empty glyphs of the bitmap font leave GL_OUT_OF_MEMORY behind under Wine.
inline void DrainGlErrors()
{
    for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
    }
}

inline GLenum FirstGlError()
{
    const GLenum first = glGetError();
    DrainGlErrors();
    return first;
}

inline bool LightingOn() { return glIsEnabled(GL_LIGHTING) == GL_TRUE; }

inline GLint BoundTexture()
{
    GLint name = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// A texture the test made, shown as the whole desktop backdrop.
inline TiledTexture WholeBackdrop(GLuint name)
{
    TiledTexture backdrop;
    backdrop.tiles.reset(new PlacedTexture[1]{PlacedTexture{name, TilePlacement{0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f}}});
    backdrop.count = 1;
    return backdrop;
}

// --- A top-level window with a current GL context -------------------------------

constexpr wchar_t kWindowClass[] = L"NightloomRenderTestWindow";

inline bool RegisterTestWindowClass()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_OWNDC;
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}

class GlWindow {
public:
    GlWindow(int width, int height) : width_(width), height_(height)
    {
        if (!RegisterTestWindowClass())
            return;
        window_ = CreateWindowExW(0, kWindowClass, L"Nightloom render test", WS_POPUP, 0, 0, width,
                                  height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window_)
            return;
        // Shown without activation: Wine then treats it as unmanaged, and
        // destroying it does not wait for a window manager that is not there.
        ShowWindow(window_, SW_SHOWNA);
        dc_ = GetDC(window_);
        PIXELFORMATDESCRIPTOR format = {};
        format.nSize = sizeof format;
        format.nVersion = 1;
        format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        format.iPixelType = PFD_TYPE_RGBA;
        format.cColorBits = 32;
        format.cDepthBits = 32;
        format.iLayerType = PFD_MAIN_PLANE;
        const int index = dc_ ? ChoosePixelFormat(dc_, &format) : 0;
        if (index == 0 || !SetPixelFormat(dc_, index, &format))
            return;
        context_ = wglCreateContext(dc_);
        if (context_ && !wglMakeCurrent(dc_, context_)) {
            wglDeleteContext(context_);
            context_ = nullptr;
        }
    }

    ~GlWindow()
    {
        if (context_) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context_);
        }
        if (dc_)
            ReleaseDC(window_, dc_);
        if (window_)
            DestroyWindow(window_);
    }

    GlWindow(const GlWindow&) = delete;
    GlWindow& operator=(const GlWindow&) = delete;

    bool Ready() const { return context_ != nullptr; }
    HDC Dc() const { return dc_; }
    HGLRC Context() const { return context_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_;
    int height_;
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

// --- Capturing the composed frame at the swap -------------------------------------

struct FrameCapture {
    int width = 0;
    int height = 0;
    int presents = 0;
    HDC presentedDc = nullptr;
    bool lightingAtPresent = false;
    Image image; // the back buffer as the last swap found it
};

inline FrameCapture capture;

inline BOOL WINAPI CaptureAndPresent(HDC dc)
{
    ++capture.presents;
    capture.presentedDc = dc;
    capture.lightingAtPresent = LightingOn();
    capture.image = ReadBackBuffer(capture.width, capture.height);
    return SwapBuffers(dc);
}

// A holder around a scene in a test window, with the capture in place of the
// plain swap. Owns the scene and frees what InitializeView made.
class ComposedView {
public:
    ComposedView(ISceneStrategy* scene, int width, int height) : window_(width, height)
    {
        holder.scene = scene;
        holder.infoAllowed = false;
        holder.colorBits = 32;
        holder.glContext = window_.Context();
        holder.deviceContext = window_.Dc();
        holder.presentFrame = CaptureAndPresent;
        capture = FrameCapture{};
        capture.width = width;
        capture.height = height;
    }

    ~ComposedView()
    {
        holder.ReleaseView();
        delete holder.scene;
    }

    ComposedView(const ComposedView&) = delete;
    ComposedView& operator=(const ComposedView&) = delete;

    bool Ready() const { return window_.Ready(); }

    bool Initialize() { return Initialize(window_.Width(), window_.Height()); }

    bool Initialize(int width, int height)
    {
        const bool ready = holder.InitializeView(width, height);
        DrainGlErrors();
        return ready;
    }

    // One frame; answers the first GL error the composition left behind.
    GLenum Compose(float fps)
    {
        DrainGlErrors();
        holder.ComposeFrame(fps);
        return FirstGlError();
    }

    const Image& Frame() const { return capture.image; }

    SceneHolder holder{};

private:
    GlWindow window_;
};

} // namespace gltest
