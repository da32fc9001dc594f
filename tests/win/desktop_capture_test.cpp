// The desktop snapshot against the real screen of the test's display: sizes
// under the limits, and the pixels' order and orientation once converted. The
// test shows a picture of its own first, since Wine captures only what Wine
// windows show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <vector>

#include "image/capture_geometry.h"
#include "image/image_holder.h"

namespace {

struct ScreenSize {
    int width, height;
};

ScreenSize PrimaryMode()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    return {static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight)};
}

int DisplayBits()
{
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

void ExpectSnapshot(const ImageHolder& holder, int width, int height)
{
    ASSERT_NE(holder.bitmap, nullptr);
    BITMAP actual = {};
    ASSERT_NE(GetObjectW(holder.bitmap, sizeof actual, &actual), 0);
    EXPECT_EQ(actual.bmWidth, width);
    EXPECT_EQ(actual.bmHeight, height);
    EXPECT_EQ(actual.bmBitsPixel, DisplayBits());
    // The description the texture upload reads is the fresh one.
    EXPECT_EQ(holder.info.bmWidth, width);
    EXPECT_EQ(holder.info.bmHeight, height);
    EXPECT_EQ(holder.info.bmBits, actual.bmBits);
}

TEST(DesktopCapture, SizesUnderTheLimits)
{
    const ScreenSize screen = PrimaryMode();
    ASSERT_GT(screen.width, screen.height) << "the test display is expected to be wider than tall";
    ImageHolder holder;

    // A limit between the two sides scales the width only.
    const int between = (screen.width + screen.height) / 2;
    ASSERT_TRUE(holder.CaptureDesktop(true, between, between));
    ExpectSnapshot(holder, between, screen.height);

    ASSERT_TRUE(holder.CaptureDesktop(true, 0, 0));
    ExpectSnapshot(holder, screen.width, screen.height);

    const DesktopCaptureRequest preview = ChooseDesktopCapture(true, false, false, 16384);
    ASSERT_TRUE(holder.CaptureDesktop(preview.primaryOnly, preview.sideLimit, preview.sideLimit));
    ExpectSnapshot(holder, screen.width < 1024 ? screen.width : 1024, screen.height < 1024 ? screen.height : 1024);
}

TEST(DesktopCapture, FailureLeavesNoBitmap)
{
    ImageHolder holder;
    ASSERT_TRUE(holder.CaptureDesktop(true, 64, 64));
    // A negative stored limit asks for a surface that cannot exist.
    EXPECT_FALSE(holder.CaptureDesktop(true, -1, -1));
    EXPECT_EQ(holder.bitmap, nullptr);
    EXPECT_EQ(holder.info.bmWidth, 0);
    EXPECT_FALSE(holder.SwapRedBlue());
}

// --- A known picture on the screen ------------------------------------------------

const COLORREF kTopLeft = RGB(230, 40, 40);
const COLORREF kTopRight = RGB(40, 200, 40);
const COLORREF kBottomLeft = RGB(40, 40, 230);
const COLORREF kBottomRight = RGB(230, 230, 40);

void Fill(HDC dc, RECT rect, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return 1;
    if (message != WM_PAINT)
        return DefWindowProcW(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client = {};
    GetClientRect(window, &client);
    const LONG midX = client.right / 2, midY = client.bottom / 2;
    Fill(dc, {0, 0, midX, midY}, kTopLeft);
    Fill(dc, {midX, 0, client.right, midY}, kTopRight);
    Fill(dc, {0, midY, midX, client.bottom}, kBottomLeft);
    Fill(dc, {midX, midY, client.right, client.bottom}, kBottomRight);
    EndPaint(window, &paint);
    return 0;
}

void PumpMessages(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG message;
    while (GetTickCount64() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(10);
    }
}

// Four coloured quadrants over the primary monitor, for as long as it lives.
class KnownPicture {
public:
    KnownPicture()
    {
        WNDCLASSEXW windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PictureProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassExW(&windowClass); // already there from an earlier test is fine
        const ScreenSize screen = PrimaryMode();
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, L"", WS_POPUP, 0, 0, screen.width,
                                  screen.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!window_)
            return;
        ShowWindow(window_, SW_SHOWNA);
        UpdateWindow(window_);
        PumpMessages(300);
    }
    ~KnownPicture()
    {
        if (window_)
            DestroyWindow(window_);
        PumpMessages(50);
    }
    bool Shown() const { return window_ != nullptr; }

private:
    static constexpr const wchar_t* kClass = L"NightloomKnownPicture";
    HWND window_ = nullptr;
};

// The snapshot's pixels as GetBitmapBits hands them over.
std::vector<std::uint8_t> BitmapBytes(const ImageHolder& holder)
{
    BITMAP info = {};
    GetObjectW(holder.bitmap, sizeof info, &info);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.bmWidthBytes) * info.bmHeight);
    const LONG copied = GetBitmapBits(holder.bitmap, static_cast<LONG>(bytes.size()), bytes.data());
    EXPECT_EQ(copied, static_cast<LONG>(bytes.size()));
    return bytes;
}

struct Pixel {
    int b0, b1, b2, b3;
};

Pixel PixelAt(const ImageHolder& holder, const std::vector<std::uint8_t>& bytes, int x, int y)
{
    BITMAP info = {};
    GetObjectW(holder.bitmap, sizeof info, &info);
    const std::uint8_t* p = &bytes[static_cast<std::size_t>(y) * info.bmWidthBytes + x * (info.bmBitsPixel / 8)];
    return {p[0], p[1], p[2], info.bmBitsPixel == 32 ? p[3] : 255};
}

void ExpectRgb(Pixel pixel, COLORREF colour, const char* where)
{
    EXPECT_EQ(pixel.b0, GetRValue(colour)) << where;
    EXPECT_EQ(pixel.b1, GetGValue(colour)) << where;
    EXPECT_EQ(pixel.b2, GetBValue(colour)) << where;
    EXPECT_EQ(pixel.b3, 255) << where;
}

// The texture upload takes the first row handed over as the top of the screen;
// the DIB section is stored bottom-up, so this is what keeps the backdrop upright.
TEST(DesktopCapture, ConvertedSnapshotIsRedGreenBlueWithTheTopRowFirst)
{
    KnownPicture picture;
    ASSERT_TRUE(picture.Shown());
    ASSERT_EQ(DisplayBits(), 32) << "the test display runs at 32 bits per pixel";
    const ScreenSize screen = PrimaryMode();
    ImageHolder holder;

    ASSERT_TRUE(holder.CaptureDesktop(true, 0, 0));
    const std::vector<std::uint8_t> raw = BitmapBytes(holder);
    const Pixel bgr = PixelAt(holder, raw, 10, 10);
    EXPECT_EQ(bgr.b0, GetBValue(kTopLeft)) << "GDI order before the conversion";
    EXPECT_EQ(bgr.b2, GetRValue(kTopLeft));

    ASSERT_TRUE(holder.SwapRedBlue());
    const std::vector<std::uint8_t> rgb = BitmapBytes(holder);
    const int right = screen.width - 10, bottom = screen.height - 10;
    ExpectRgb(PixelAt(holder, rgb, 10, 10), kTopLeft, "first row, left");
    ExpectRgb(PixelAt(holder, rgb, right, 10), kTopRight, "first row, right");
    ExpectRgb(PixelAt(holder, rgb, 10, bottom), kBottomLeft, "last rows, left");
    ExpectRgb(PixelAt(holder, rgb, right, bottom), kBottomRight, "last rows, right");

    // Stretched under a limit, the picture stays upright too.
    ASSERT_TRUE(holder.CaptureDesktop(true, screen.width / 2, screen.height / 2));
    ASSERT_TRUE(holder.SwapRedBlue());
    const std::vector<std::uint8_t> small = BitmapBytes(holder);
    ExpectRgb(PixelAt(holder, small, 5, 5), kTopLeft, "scaled, first row");
    ExpectRgb(PixelAt(holder, small, screen.width / 2 - 5, screen.height / 2 - 5), kBottomRight, "scaled, last row");
}

} // namespace
