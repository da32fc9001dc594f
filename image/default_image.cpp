#include "image/default_image.h"

#include <ole2.h>
#include <olectl.h>

#include <cwchar>

#include "image/dib_section.h"

namespace {

// HIMETRIC units (hundredths of a millimetre) in an inch.
constexpr int kHimetricPerInch = 2540;

// Exactly "BITMAP", terminator included: "bitmap" or "BITMAPS" go the decoder's way.
bool IsBitmapTypeName(const wchar_t* typeName)
{
    return typeName && std::wcscmp(typeName, L"BITMAP") == 0;
}

} // namespace

DefaultImage::~DefaultImage()
{
    if (stream) {
        stream->Release();
        stream = nullptr;
        memory = nullptr; // freed with the stream
    }
}

bool DefaultImage::LoadFromResource(HMODULE module, const wchar_t* typeName, std::uint16_t number,
                                    HBITMAP* bitmap)
{
    if (IsBitmapTypeName(typeName)) {
        *bitmap = static_cast<HBITMAP>(
            LoadImageW(module, MAKEINTRESOURCEW(number), IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE));
        if (*bitmap)
            return true;
    }

    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), typeName);
    if (!found)
        return false;
    size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded)
        return false;
    const void* bytes = LockResource(loaded);

    memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) {
        FreeResource(loaded);
        return false;
    }
    void* block = GlobalLock(memory);
    if (!block || !bytes) {
        // Nothing could be copied: the block would only decode as garbage.
        if (block)
            GlobalUnlock(memory);
        GlobalFree(memory);
        memory = nullptr;
        FreeResource(loaded);
        return false;
    }
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        stream = nullptr;
        GlobalUnlock(memory);
        GlobalFree(memory);
        memory = nullptr;
        FreeResource(loaded);
        return false;
    }
    CopyMemory(block, bytes, size);
    GlobalUnlock(memory);
    FreeResource(loaded);
    return RenderPicture(bitmap);
}

bool DefaultImage::LoadFromFile(const wchar_t* path, HBITMAP* bitmap)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) {
        CloseHandle(file);
        return false;
    }
    memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) {
        CloseHandle(file);
        return false;
    }
    void* block = GlobalLock(memory);
    DWORD read = 0;
    const bool complete = block && ReadFile(file, block, size, &read, nullptr) && read == size;
    if (block)
        GlobalUnlock(memory);
    CloseHandle(file);
    if (!complete) {
        GlobalFree(memory);
        memory = nullptr;
        return false;
    }
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        stream = nullptr;
        GlobalFree(memory);
        memory = nullptr;
        return false;
    }
    return RenderPicture(bitmap);
}

// Decodes the stream and draws the picture upright into a new 32-bit DIB
// section at the screen's logical resolution.
bool DefaultImage::RenderPicture(HBITMAP* bitmap)
{
    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture))) ||
        !picture) {
        if (picture)
            picture->Release();
        return false;
    }

    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);

    HWND desktop = GetDesktopWindow();
    HDC screen = GetDC(desktop);
    const int pixelsPerInchX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int pixelsPerInchY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(desktop, screen);
    const int width = MulDiv(himetricWidth, pixelsPerInchX, kHimetricPerInch);
    const int height = MulDiv(himetricHeight, pixelsPerInchY, kHimetricPerInch);
    if (width <= 0 || height <= 0) {
        picture->Release();
        return false;
    }

    HDC surface = CreateDibSectionDC(desktop, bitmap, width, height, 32);
    if (!surface) {
        picture->Release();
        return false;
    }
    // HIMETRIC's y axis points up: start at the top and walk down.
    picture->Render(surface, 0, 0, width, height, 0, himetricHeight, himetricWidth, -himetricHeight, nullptr);
    DeleteDC(surface);
    picture->Release();
    return true;
}

bool DefaultImage::SaveToFile(const wchar_t* path, HBITMAP bitmap, HPALETTE palette)
{
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = palette;
    IPicture* picture = nullptr;
    if (FAILED(OleCreatePictureIndirect(&description, IID_IPicture, FALSE, reinterpret_cast<void**>(&picture))) ||
        !picture)
        return false;

    BSTR fileName = SysAllocString(path);
    if (!fileName) {
        picture->Release();
        return false;
    }
    // The save asks for the picture's automation face; the picture object has one.
    IDispatch* automation = nullptr;
    HRESULT result = picture->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&automation));
    if (SUCCEEDED(result) && automation) {
        result = OleSavePictureFile(automation, fileName);
        automation->Release();
    }
    SysFreeString(fileName);
    picture->Release();
    return SUCCEEDED(result);
}
