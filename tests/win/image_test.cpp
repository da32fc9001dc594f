// Pictures on their way to textures, with the real GDI, OLE and OpenGL of the
// test prefix: the red-blue exchange on real bitmaps, the two loading roads for
// the program's own resources (linked into this test program), the picture file
// road, and the upload with its filters.
#include <gtest/gtest.h>

#include "render/gl.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl_frame.h"
#include "image/default_image.h"
#include "image/dib_section.h"
#include "image/image_holder.h"
#include "image/image_state.h"
#include "image/texture_loader.h"

namespace {

using namespace gltest;

// --- Pictures as bytes ------------------------------------------------------------

// Pixels as red, green, blue bytes, rows from the top down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* At(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// A packed DIB (header, colour table, rows) of 8 or 24 bits, bottom-up, as
// bitmap resources and the pixel part of BMP files hold it.
Picture DecodePackedDib(const std::uint8_t* dib)
{
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, sizeof header);
    Picture picture;
    picture.width = header.biWidth;
    picture.height = header.biHeight;
    const int bits = header.biBitCount;
    const std::size_t colours = bits == 8 ? (header.biClrUsed ? header.biClrUsed : 256) : 0;
    const std::uint8_t* palette = dib + header.biSize;
    const std::uint8_t* rows = palette + colours * 4;
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * bits + 31) / 32 * 4;
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = rows + (picture.height - 1 - y) * stride;
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* bgr = bits == 8 ? palette + row[x] * 4 : row + x * 3;
            std::uint8_t* out = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return picture;
}

std::vector<std::uint8_t> ResourceBytes(const wchar_t* type, WORD number)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(number), type);
    if (!found)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module, found));
}

// A bitmap resource holds the DIB of a BMP file without the file header.
Picture BitmapResource(WORD number)
{
    const std::vector<std::uint8_t> dib = ResourceBytes(RT_BITMAP, number);
    return dib.empty() ? Picture{} : DecodePackedDib(dib.data());
}

// A "JPG" resource holds a whole BMP file.
Picture JpgResource(WORD number)
{
    const std::vector<std::uint8_t> file = ResourceBytes(L"JPG", number);
    return file.size() < sizeof(BITMAPFILEHEADER) ? Picture{} : DecodePackedDib(file.data() + sizeof(BITMAPFILEHEADER));
}

// A BMP file of 8 bits with a 4-colour palette; the colour of pixel (x, y),
// counted from the top, is (x + 2 * y) % 4.
std::vector<std::uint8_t> PaletteBmpFile(int width, int height, const std::uint8_t (&paletteRgb)[4][3])
{
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~static_cast<std::size_t>(3);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 8;
    info.biCompression = BI_RGB;
    info.biClrUsed = 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info + 4 * 4;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + stride * height);
    std::vector<std::uint8_t> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof file);
    std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
    std::uint8_t* palette = bytes.data() + sizeof file + sizeof info;
    for (int i = 0; i < 4; ++i) {
        palette[i * 4 + 0] = paletteRgb[i][2];
        palette[i * 4 + 1] = paletteRgb[i][1];
        palette[i * 4 + 2] = paletteRgb[i][0];
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes[file.bfOffBits + (height - 1 - y) * stride + x] = static_cast<std::uint8_t>((x + 2 * y) % 4);
    return bytes;
}

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

int DisplayBitsPerPixel()
{
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    return bits;
}

// The bitmap's pixels as GetBitmapBits gives them: rows top-down, each padded
// to 2 bytes.
std::vector<std::uint8_t> BitmapBits(HBITMAP bitmap, BITMAP* description = nullptr)
{
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    if (description)
        *description = info;
    const std::size_t stride = (static_cast<std::size_t>(info.bmWidth) * info.bmBitsPixel + 15) / 16 * 2;
    std::vector<std::uint8_t> bits(stride * info.bmHeight);
    const LONG copied = GetBitmapBits(bitmap, static_cast<LONG>(bits.size()), bits.data());
    bits.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return bits;
}

// Expects a 32-bit bitmap (rows top-down in GDI's blue-green-red order) to show
// the picture exactly.
void ExpectBitmapShows(HBITMAP bitmap, const Picture& picture, const char* what)
{
    BITMAP info = {};
    const std::vector<std::uint8_t> bits = BitmapBits(bitmap, &info);
    ASSERT_EQ(info.bmBitsPixel, 32) << what;
    ASSERT_EQ(info.bmWidth, picture.width) << what;
    ASSERT_EQ(info.bmHeight, picture.height) << what;
    ASSERT_EQ(bits.size(), static_cast<std::size_t>(picture.width) * picture.height * 4) << what;
    int wrong = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* got = &bits[(static_cast<std::size_t>(y) * picture.width + x) * 4];
            const std::uint8_t* want = picture.At(x, y);
            if (got[2] != want[0] || got[1] != want[1] || got[0] != want[2])
                ++wrong;
        }
    EXPECT_EQ(wrong, 0) << what << ": pixels that differ from the picture's own rows";
}

// A DIB section of the given size and depth whose byte i of row y (from the top)
// is (7 * i + 31 * y) % 251; padding bytes of each stored row hold 0xEE.
HBITMAP PatternedDibSection(int width, int height, int bits)
{
    HBITMAP bitmap = nullptr;
    HDC surface = CreateDibSectionDC(GetDesktopWindow(), &bitmap, width, height, bits);
    if (!surface)
        return nullptr;
    DeleteDC(surface);
    DIBSECTION section = {};
    GetObjectW(bitmap, sizeof section, &section);
    auto* rows = static_cast<std::uint8_t*>(section.dsBm.bmBits);
    const int rowBytes = width * bits / 8;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = rows + static_cast<std::size_t>(height - 1 - y) * section.dsBm.bmWidthBytes;
        for (int i = 0; i < section.dsBm.bmWidthBytes; ++i)
            row[i] = i < rowBytes ? static_cast<std::uint8_t>((7 * i + 31 * y) % 251) : 0xEE;
    }
    return bitmap;
}

std::uint8_t PatternByte(int i, int y) { return static_cast<std::uint8_t>((7 * i + 31 * y) % 251); }

// --- Red-blue exchange on real bitmaps ------------------------------------------------

TEST(SwapRedBlue, TwentyFourBitRowsWithAndWithoutPadding)
{
    for (int width : {4, 5, 6, 7, 129}) {
        ImageHolder holder;
        holder.bitmap = PatternedDibSection(width, 3, 24);
        ASSERT_NE(holder.bitmap, nullptr) << width;
        ASSERT_TRUE(holder.SwapRedBlue()) << width;

        DIBSECTION section = {};
        GetObjectW(holder.bitmap, sizeof section, &section);
        const auto* rows = static_cast<const std::uint8_t*>(section.dsBm.bmBits);
        int wrong = 0;
        for (int y = 0; y < 3; ++y) {
            const std::uint8_t* row = rows + static_cast<std::size_t>(2 - y) * section.dsBm.bmWidthBytes;
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    wrong += row[x * 3 + c] != PatternByte(x * 3 + (2 - c), y);
        }
        EXPECT_EQ(wrong, 0) << "width " << width << ": bytes not exchanged within their own pixel";

        ASSERT_TRUE(holder.SwapRedBlue()) << width;
        for (int y = 0; y < 3; ++y) {
            const std::uint8_t* row = rows + static_cast<std::size_t>(2 - y) * section.dsBm.bmWidthBytes;
            for (int i = 0; i < width * 3; ++i)
                wrong += row[i] != PatternByte(i, y);
        }
        EXPECT_EQ(wrong, 0) << "width " << width << ": twice does not restore the picture";
    }
}

TEST(SwapRedBlue, ThirtyTwoBitPixelsEndOpaque)
{
    // Bytes 10, 20, 30, 0 and 1, 2, 3, 77 in each of two rows of a device-dependent bitmap.
    const std::uint8_t pixels[16] = {10, 20, 30, 0, 1, 2, 3, 77, 10, 20, 30, 0, 1, 2, 3, 77};
    ImageHolder holder;
    holder.bitmap = CreateBitmap(2, 2, 1, 32, pixels);
    ASSERT_NE(holder.bitmap, nullptr);
    ASSERT_TRUE(holder.SwapRedBlue());
    EXPECT_EQ(BitmapBits(holder.bitmap),
              (std::vector<std::uint8_t>{30, 20, 10, 255, 3, 2, 1, 255, 30, 20, 10, 255, 3, 2, 1, 255}));
    ASSERT_TRUE(holder.SwapRedBlue());
    EXPECT_EQ(BitmapBits(holder.bitmap),
              (std::vector<std::uint8_t>{10, 20, 30, 255, 1, 2, 3, 255, 10, 20, 30, 255, 1, 2, 3, 255}));
}

TEST(SwapRedBlue, RefusesNarrowPixelsAndMissingBitmaps)
{
    ImageHolder empty;
    EXPECT_FALSE(empty.SwapRedBlue());

    for (int bits : {16, 8}) {
        ImageHolder holder;
        holder.bitmap = PatternedDibSection(6, 2, bits);
        ASSERT_NE(holder.bitmap, nullptr) << bits;
        const std::vector<std::uint8_t> before = BitmapBits(holder.bitmap);
        EXPECT_FALSE(holder.SwapRedBlue()) << bits;
        EXPECT_EQ(BitmapBits(holder.bitmap), before) << bits << " bits: pixels changed";
    }
}

TEST(DibSectionSurface, DrawableBottomUpSectionOfTheAskedDepth)
{
    HBITMAP bitmap = nullptr;
    HDC surface = CreateDibSectionDC(GetDesktopWindow(), &bitmap, 256, 256, 24);
    ASSERT_NE(surface, nullptr);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(GetCurrentObject(surface, OBJ_BITMAP), bitmap);
    RECT top = {0, 0, 256, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(surface, &top, red);
    DeleteObject(red);
    DeleteDC(surface);

    DIBSECTION section = {};
    ASSERT_EQ(GetObjectW(bitmap, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBmih.biBitCount, 24);
    EXPECT_GT(section.dsBmih.biHeight, 0) << "rows stored bottom-up";
    // The top row is the last one in memory; blue-green-red order.
    const auto* last = static_cast<const std::uint8_t*>(section.dsBm.bmBits) + 255 * section.dsBm.bmWidthBytes;
    EXPECT_EQ(last[0], 0);
    EXPECT_EQ(last[2], 255);
    DeleteObject(bitmap);
}

// --- Loading roads ------------------------------------------------------------------

class ImageSourceTest : public ::testing::Test {
protected:
    ImageHolder holder;
    HMODULE module = GetModuleHandleW(nullptr);
};

TEST_F(ImageSourceTest, BitmapResourceArrivesAtTheDisplaysDepth)
{
    const Picture star = BitmapResource(470);
    ASSERT_EQ(star.width, 128) << "resource 470 is linked into the test program";
    ASSERT_TRUE(holder.source->LoadFromResource(module, L"BITMAP", 470, &holder.bitmap));
    ASSERT_NE(holder.bitmap, nullptr);
    BITMAP info = {};
    GetObjectW(holder.bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, DisplayBitsPerPixel()) << "not the 24 bits of the resource";
    EXPECT_EQ(info.bmBitsPixel, 32);
    ExpectBitmapShows(holder.bitmap, star, "resource 470");
}

TEST_F(ImageSourceTest, OnlyTheExactTypeNameTakesTheBitmapRoad)
{
    // Resource types match without regard to case, but our bitmaps are of the
    // platform's bitmap type, which the picture decoder's road does not find.
    for (const wchar_t* type : {L"bitmap", L"Bitmap", L"BITMAPS", L"BITMA"}) {
        ASSERT_TRUE(holder.SetImageSource());
        EXPECT_FALSE(holder.source->LoadFromResource(module, type, 470, &holder.bitmap)) << type;
        EXPECT_EQ(holder.bitmap, nullptr);
    }
}

TEST_F(ImageSourceTest, JpgResourceArrivesAsAnUpright32BitBitmap)
{
    for (WORD number : {460, 461}) {
        const Picture file = JpgResource(number);
        ASSERT_GT(file.width, 0) << "\"JPG\" " << number << " is linked into the test program";
        holder.ClearBitmap();
        ASSERT_TRUE(holder.SetImageSource());
        ASSERT_TRUE(holder.source->LoadFromResource(module, L"JPG", number, &holder.bitmap)) << number;
        ExpectBitmapShows(holder.bitmap, file, number == 460 ? "\"JPG\" 460" : "\"JPG\" 461");
    }
    EXPECT_EQ(JpgResource(460).height, 128);
    EXPECT_EQ(JpgResource(461).height, 256);
}

TEST_F(ImageSourceTest, MissingResourceGivesNoBitmap)
{
    for (const wchar_t* type : {L"JPG", L"BITMAP"}) {
        ASSERT_TRUE(holder.SetImageSource());
        EXPECT_FALSE(holder.source->LoadFromResource(module, type, 9999, &holder.bitmap)) << type;
        EXPECT_EQ(holder.bitmap, nullptr) << type;
    }
}

TEST_F(ImageSourceTest, PictureFileRoad)
{
    const std::uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {250, 240, 10}};
    const std::vector<std::uint8_t> bytes = PaletteBmpFile(6, 5, colours);
    const std::wstring path = TempFile(L"nightloom-image-test.bmp");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    ASSERT_TRUE(holder.source->LoadFromFile(path.c_str(), &holder.bitmap));
    ExpectBitmapShows(holder.bitmap, DecodePackedDib(bytes.data() + sizeof(BITMAPFILEHEADER)), "6x5 file");

    holder.ClearBitmap();
    ASSERT_TRUE(holder.SetImageSource());
    EXPECT_FALSE(holder.source->LoadFromFile(TempFile(L"nightloom-no-such-file.bmp").c_str(), &holder.bitmap));
    EXPECT_EQ(holder.bitmap, nullptr);

    ASSERT_TRUE(WriteFileBytes(path, std::vector<std::uint8_t>(300, 0x5A)));
    ASSERT_TRUE(holder.SetImageSource());
    EXPECT_FALSE(holder.source->LoadFromFile(path.c_str(), &holder.bitmap)) << "not a picture";
    EXPECT_EQ(holder.bitmap, nullptr);
    DeleteFileW(path.c_str());
}

// --- Upload --------------------------------------------------------------------------

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(window.Ready()) << "no GL context for the test window";
        loader = CreateTextureLoader();
        ASSERT_NE(loader, nullptr);
        ASSERT_NE(loader->holder, nullptr);
        EXPECT_EQ(loader->filter, Linear);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    }
    void TearDown() override
    {
        DiscardTextureLoader(loader);
        for (GLuint name : made)
            glDeleteTextures(1, &name);
    }

    GLuint Keep(GLuint name)
    {
        if (name)
            made.push_back(name);
        return name;
    }

    // A texture name that the test holds on to; the names come in sequence.
    static GLuint NewName()
    {
        GLuint name = 0;
        glGenTextures(1, &name);
        return name;
    }

    static GLint Level(GLenum what, GLint level = 0)
    {
        GLint value = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
        return value;
    }

    static GLint Parameter(GLenum what)
    {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
        return value;
    }

    // Texels of the bound texture's level 0 as RGBA bytes, rows in upload order.
    static std::vector<std::uint8_t> Texels()
    {
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(Level(GL_TEXTURE_WIDTH)) * Level(GL_TEXTURE_HEIGHT) * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        return texels;
    }

    static void ExpectTexelsShow(const Picture& picture, const char* what)
    {
        ASSERT_EQ(Level(GL_TEXTURE_WIDTH), picture.width) << what;
        ASSERT_EQ(Level(GL_TEXTURE_HEIGHT), picture.height) << what;
        const std::vector<std::uint8_t> texels = Texels();
        int wrong = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const std::uint8_t* got = &texels[(static_cast<std::size_t>(y) * picture.width + x) * 4];
                const std::uint8_t* want = picture.At(x, y);
                wrong += got[0] != want[0] || got[1] != want[1] || got[2] != want[2] || got[3] != 255;
            }
        EXPECT_EQ(wrong, 0) << what << ": texels that differ from the picture (top row first, alpha 255)";
    }

    GlWindow window{64, 64};
    TextureLoader* loader = nullptr;
    std::vector<GLuint> made;
};

TEST_F(TextureTest, ResourcesBecomeRgbaTexturesTopRowFirst)
{
    const GLuint star = Keep(LoadResourceTexture(loader, L"BITMAP", 470));
    ASSERT_NE(star, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), star) << "the new texture stays bound";
    EXPECT_EQ(loader->holder->info.bmBitsPixel, 32);
    EXPECT_GT(Level(GL_TEXTURE_ALPHA_SIZE), 0) << "at the display's 32 bits: red, green, blue and alpha";
    EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    ExpectTexelsShow(BitmapResource(470), "\"BITMAP\" 470");
    const HBITMAP first = loader->holder->bitmap;

    // A second load through the same loader replaces the bitmap; the first
    // texture keeps its texels.
    const GLuint fog = Keep(LoadResourceTexture(loader, L"JPG", 461));
    ASSERT_NE(fog, 0u);
    EXPECT_NE(fog, star);
    EXPECT_GT(Level(GL_TEXTURE_ALPHA_SIZE), 0);
    ExpectTexelsShow(JpgResource(461), "\"JPG\" 461");
    BITMAP gone = {};
    EXPECT_EQ(GetObjectW(first, sizeof gone, &gone), 0) << "the first bitmap was deleted";
    glBindTexture(GL_TEXTURE_2D, star);
    ExpectTexelsShow(BitmapResource(470), "\"BITMAP\" 470 after the second load");
}

TEST_F(TextureTest, MissingResourceGivesZeroAndUsesNoTextureName)
{
    const GLuint before = Keep(NewName());
    EXPECT_EQ(LoadResourceTexture(loader, L"JPG", 9999), 0u);
    EXPECT_EQ(LoadResourceTexture(loader, L"BITMAP", 9999), 0u);
    EXPECT_EQ(LoadResourceTexture(loader, L"bitmap", 470), 0u);
    EXPECT_EQ(loader->holder->bitmap, nullptr);
    EXPECT_EQ(Keep(NewName()), before + 1) << "a texture name was generated in between";
}

TEST_F(TextureTest, TwentyFourBitRowsOfAnyWidthArriveIntact)
{
    // Bytes go up as they lie in the bitmap: CreateTexture does not convert.
    for (int width : {5, 6, 7, 8}) {
        for (GLint alignment : {4, 1, 8}) {
            loader->holder->ClearBitmap();
            loader->holder->bitmap = PatternedDibSection(width, 3, 24);
            loader->holder->RefreshInfo();
            glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
            const GLuint name = Keep(CreateTexture(loader));
            ASSERT_NE(name, 0u);
            EXPECT_EQ(Level(GL_TEXTURE_ALPHA_SIZE), 0) << "red, green and blue only";
            const std::vector<std::uint8_t> texels = Texels();
            int wrong = 0;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 3; ++c)
                        wrong += texels[(y * width + x) * 4 + c] != PatternByte(x * 3 + c, y);
            EXPECT_EQ(wrong, 0) << "width " << width << ", unpack alignment " << alignment;
        }
    }
}

TEST_F(TextureTest, FilterRows)
{
    const struct {
        std::int32_t filter;
        GLint mag, min;
        bool mipmaps;
    } rows[] = {
        {Mipmapped, GL_LINEAR, GL_LINEAR_MIPMAP_NEAREST, true},
        {Nearest, GL_NEAREST, GL_NEAREST, false},
        {Linear, GL_LINEAR, GL_LINEAR, false},
        {7, GL_LINEAR, GL_LINEAR, false},
    };
    loader->holder->bitmap = PatternedDibSection(16, 8, 32);
    loader->holder->RefreshInfo();
    for (const auto& row : rows) {
        loader->filter = row.filter;
        ASSERT_NE(Keep(CreateTexture(loader)), 0u) << row.filter;
        EXPECT_EQ(Parameter(GL_TEXTURE_MAG_FILTER), row.mag) << row.filter;
        EXPECT_EQ(Parameter(GL_TEXTURE_MIN_FILTER), row.min) << row.filter;
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH), 16) << row.filter;
        EXPECT_GT(Level(GL_TEXTURE_ALPHA_SIZE), 0) << row.filter;
        EXPECT_EQ(Level(GL_TEXTURE_WIDTH, 1), row.mipmaps ? 8 : 0) << row.filter << ": level 1";
        EXPECT_EQ(Parameter(GL_TEXTURE_WRAP_S), GL_REPEAT) << "wrap modes keep the default";
    }
}

TEST_F(TextureTest, NothingToUploadGivesZeroAndUsesNoTextureName)
{
    const GLuint before = Keep(NewName());
    EXPECT_EQ(CreateTexture(loader), 0u) << "no bitmap";
    loader->holder->bitmap = PatternedDibSection(8, 8, 16);
    loader->holder->RefreshInfo();
    EXPECT_EQ(CreateTexture(loader), 0u) << "16 bits per pixel";
    EXPECT_EQ(Keep(NewName()), before + 1) << "a texture name was generated in between";
}

} // namespace
