#include "image/image_holder.h"

#include <cstdint>
#include <memory>
#include <new>

#include "image/capture_geometry.h"
#include "image/default_image.h"
#include "image/desktop_capture.h"
#include "image/dib_section.h"
#include "image/pixel_rows.h"

IImageState* ImageHolder::NewImageSource()
{
    return new (std::nothrow) DefaultImage();
}

ImageHolder::~ImageHolder()
{
    ClearBitmap();
    delete source;
    source = nullptr;
}

void ImageHolder::ClearBitmap()
{
    if (bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    info = BITMAP{};
}

void ImageHolder::RefreshInfo()
{
    info = BITMAP{};
    if (bitmap)
        GetObjectW(bitmap, sizeof info, &info);
}

bool ImageHolder::SetImageSource()
{
    delete source;
    source = NewImageSource();
    return source != nullptr;
}

// GetBitmapBits pads every row to 2 bytes, so the walk goes row by row and
// leaves the padding of odd-width 24-bit rows alone. Fewer than 3 bytes per
// pixel hold no separate red and blue bytes: such bitmaps are refused.
bool ImageHolder::SwapRedBlue()
{
    if (!bitmap)
        return false;
    BITMAP current = {};
    if (GetObjectW(bitmap, sizeof current, &current) == 0)
        return false;
    const int bytesPerPixel = current.bmBitsPixel / 8;
    if (bytesPerPixel != 3 && bytesPerPixel != 4)
        return false;
    const std::size_t rowBytes = GdiRowBytes(current.bmWidth, current.bmBitsPixel);
    if (rowBytes == 0 || current.bmHeight <= 0)
        return false;
    const std::size_t total = rowBytes * static_cast<std::size_t>(current.bmHeight);
    if (total > static_cast<std::size_t>(INT32_MAX))
        return false;

    // A DIB section is exchanged where its pixels lie: the way through a copy
    // moves a screen-sized desktop snapshot twice during start-up.
    DIBSECTION section = {};
    const auto pixelBytes = static_cast<std::size_t>(current.bmWidth) * static_cast<std::size_t>(bytesPerPixel);
    if (GetObjectW(bitmap, sizeof section, &section) == sizeof section && section.dsBm.bmBits &&
        static_cast<std::size_t>(section.dsBm.bmWidthBytes) >= pixelBytes) {
        GdiFlush();
        SwapRedBlueInRows(static_cast<std::uint8_t*>(section.dsBm.bmBits), current.bmWidth, current.bmHeight,
                          bytesPerPixel, static_cast<std::size_t>(section.dsBm.bmWidthBytes));
        return true;
    }

    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[total]);
    if (!pixels)
        return false;
    const LONG count = static_cast<LONG>(total);
    // A short copy would write uninitialised bytes back into the picture.
    if (GetBitmapBits(bitmap, count, pixels.get()) != count)
        return false;
    SwapRedBlueInRows(pixels.get(), current.bmWidth, current.bmHeight, bytesPerPixel, rowBytes);
    return SetBitmapBits(bitmap, static_cast<DWORD>(count), pixels.get()) != 0;
}

// The desktop snapshot: one block transfer from the display into a DIB section,
// which the holder keeps until it is destroyed.
bool ImageHolder::CaptureDesktop(bool primaryOnly, std::int32_t maxWidth, std::int32_t maxHeight)
{
    return CaptureScreen(PlanDesktopCapture(MeasureScreensForCapture(), primaryOnly, maxWidth, maxHeight));
}

// Wine quirk: a context from CreateDCW(L"DISPLAY") counts from the virtual
// screen's top-left corner instead of the primary monitor's, so a monitor left
// of the primary would be missed. The screen context of GetDC(nullptr) counts
// from the primary on Windows and Wine alike and covers the same pixels.
bool ImageHolder::CaptureScreen(const CapturePlan& plan)
{
    ClearBitmap();
    HDC display = GetDC(nullptr);
    if (!display)
        return false;
    const int bitsPerPixel = GetDeviceCaps(display, BITSPIXEL);
    HDC surface = CreateDibSectionDC(GetDesktopWindow(), &bitmap, plan.targetWidth, plan.targetHeight, bitsPerPixel);
    if (!surface) {
        ReleaseDC(nullptr, display);
        return false;
    }
    RefreshInfo();
    if (plan.Stretches())
        StretchBlt(surface, 0, 0, plan.targetWidth, plan.targetHeight, display, plan.sourceX, plan.sourceY,
                   plan.sourceWidth, plan.sourceHeight, SRCCOPY);
    else
        BitBlt(surface, 0, 0, plan.targetWidth, plan.targetHeight, display, plan.sourceX, plan.sourceY, SRCCOPY);
    DeleteDC(surface);
    ReleaseDC(nullptr, display);
    return true;
}
