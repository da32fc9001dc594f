#include "image/dib_section.h"

HDC CreateDibSectionDC(HWND window, HBITMAP* bitmap, int width, int height, int bitsPerPixel)
{
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    if (windowDc)
        ReleaseDC(window, windowDc);
    if (!memoryDc)
        return nullptr;

    BITMAPINFO description = {};
    description.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    description.bmiHeader.biWidth = width;
    description.bmiHeader.biHeight = height; // positive: rows stored bottom-up
    description.bmiHeader.biPlanes = 1;
    description.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    description.bmiHeader.biCompression = BI_RGB;

    void* pixels = nullptr;
    *bitmap = CreateDIBSection(memoryDc, &description, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!*bitmap) {
        DeleteDC(memoryDc);
        return nullptr;
    }
    SelectObject(memoryDc, *bitmap);
    return memoryDc;
}
