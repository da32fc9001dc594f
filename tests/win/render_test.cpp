// Frames composed with the real OpenGL of the test prefix, in a window of the
// test's own: the Kalender sheet, the information overlay, lighting and backdrop
// around the scene's drawing, the view set-up and the buffer swap. The composed
// frame is read from the back buffer just before the swap.
#include <gtest/gtest.h>

#include "render/gl.h"
#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/image_holder.h"
#include "image/texture_loader.h"
#include "render/text_font.h"
#include "scenes/kalender.h"
#include "scenes/outline_font.h"
#include "scenes/scene.h"
#include "scenes/scene_holder.h"
#include "settings/settings.h"
#include "gdi_handle_table.h"
#include "gl_frame.h"

namespace {

using namespace gltest;

bool IsBlack(Rgb c) { return c.r < 30 && c.g < 30 && c.b < 30; }
bool IsLit(Rgb c) { return !IsBlack(c); }
bool IsWhite(Rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool IsBlue(Rgb c) { return c.b > 150 && c.r < 60 && c.g < 60; }
bool IsCyan(Rgb c) { return c.g > 150 && c.b > 150 && c.r < 60; }
bool IsYellow(Rgb c) { return c.r > 150 && c.g > 150 && c.b < 60; }
// 0.6 red or green on the lit front faces of the lettering.
bool IsDarkRed(Rgb c) { return c.r > 100 && c.g < 40 && c.b < 40; }
bool IsGreen(Rgb c) { return c.g > 100 && c.r < 40 && c.b < 40; }
bool IsRed(Rgb c) { return c.r > 250 && c.g < 5 && c.b < 5; }
bool IsPureGreen(Rgb c) { return c.g > 250 && c.r < 5 && c.b < 5; }
// The overlay's grey 0.8.
bool IsOverlayGrey(Rgb c)
{
    return std::abs(c.r - 204) <= 2 && std::abs(c.g - 204) <= 2 && std::abs(c.b - 204) <= 2;
}

// A texture of 2x2 RGBA texels, nearest filtering; rows in upload order.
GLuint MakeTexture(const std::uint8_t (&texels)[16])
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// --- A scene for the tests: answers as told and records what it sees ---------------

class ProbeScene : public DrawingHelper, public ISceneStrategy {
public:
    bool clears = true;
    bool lighting = false;
    bool desktop = false;
    bool info = false;
    bool ownProjection = false;
    bool ownCamera = false;
    bool ownClearColor = false;
    bool ownTextColor = false;
    std::function<void()> drawing; // the scene's own drawing, if any

    // "U", "D", "T", "C" for UsesLighting, Draw, SetTextColor and DrawCaption,
    // each followed by "+" when GL lighting was on at that moment, else "-".
    std::string lightingLog;
    int initCalls = 0;
    float initWidth = 0.0f, initHeight = 0.0f;
    bool initReset = false, initCreate = false;
    GLint textureInDraw = -1;
    bool texturingInDraw = false;
    float modelViewInDraw[16] = {};
    float colorInDraw[4] = {};
    int captionX = 0, captionY = 0;

    bool Init(float width, float height, bool resetState, bool createResources) override
    {
        ++initCalls;
        initWidth = width;
        initHeight = height;
        initReset = resetState;
        initCreate = createResources;
        if (lighting)
            glEnable(GL_LIGHTING); // a lit scene switches lighting on once
        return true;
    }
    void Advance(float) override {}
    void Draw() override
    {
        Log("D");
        textureInDraw = BoundTexture();
        texturingInDraw = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
        glGetFloatv(GL_MODELVIEW_MATRIX, modelViewInDraw);
        glGetFloatv(GL_CURRENT_COLOR, colorInDraw);
        if (drawing)
            drawing();
    }
    bool ClearsEachFrame() override { return clears; }
    bool IsDoubleBuffered() override { return ClearsEachFrame(); }
    bool UsesLighting() override
    {
        Log("U");
        return lighting;
    }
    bool SetClearColor() override
    {
        if (ownClearColor)
            glClearColor(0.25f, 0.5f, 0.75f, 1.0f);
        return ownClearColor;
    }
    bool SetTextColor(std::int32_t) override
    {
        Log("T");
        if (ownTextColor)
            glColor3f(1.0f, 1.0f, 0.0f);
        return ownTextColor;
    }
    bool SetProjection(float, float) override { return ownProjection; }
    bool SetCamera() override { return ownCamera; }
    bool ShowsDesktop() override { return desktop; }
    bool ShowsInfo() override { return info; }
    void DrawCaption(TextFont* font, std::int32_t x, std::int32_t y) override
    {
        Log("C");
        captionX = x;
        captionY = y;
        RenderText(font, x, y, L"Nightloom Testbild");
    }

private:
    void Log(const char* what)
    {
        lightingLog += what;
        lightingLog += LightingOn() ? "+" : "-";
    }
};

// =================================================================================
// Snapshots for the backdrop
// =================================================================================

// Pictures for snapshots, red, green and blue by column and row.
using Pattern = Rgb (*)(int x, int y);

// Neighbours differ by far more than a rounding step in every channel, across
// and along: a shift by one pixel anywhere changes the pixel.
Rgb Steep(int x, int y) { return Rgb{(x * 97) & 255, (y * 89) & 255, ((x + y) * 41) & 255}; }

// A gentle slope, where a stretched picture blends neighbours smoothly.
Rgb Slope(int x, int y) { return Rgb{(x / 2) & 255, y & 255, 100}; }

Rgb Noise(int x, int y)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x9E3779B1u ^ static_cast<std::uint32_t>(y) * 0x85EBCA77u;
    h ^= h >> 13;
    h *= 0xC2B2AE3Du;
    h ^= h >> 16;
    return Rgb{static_cast<int>(h & 255), static_cast<int>((h >> 8) & 255), static_cast<int>((h >> 16) & 255)};
}

// A snapshot as the capture leaves it: a bottom-up DIB section of 24 or 32 bits,
// already in red-green-blue order (alpha 255).
HBITMAP PatternSnapshot(int width, int height, int bits, Pattern pattern)
{
    BITMAPINFO description = {};
    description.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    description.bmiHeader.biWidth = width;
    description.bmiHeader.biHeight = height; // bottom-up, like the real snapshot
    description.bmiHeader.biPlanes = 1;
    description.bmiHeader.biBitCount = static_cast<WORD>(bits);
    description.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &description, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (!bitmap)
        return nullptr;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    const int bytes = bits / 8;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel =
                static_cast<std::uint8_t*>(memory) + static_cast<std::size_t>(height - 1 - y) * stride + x * bytes;
            const Rgb c = pattern(x, y);
            pixel[0] = static_cast<std::uint8_t>(c.r);
            pixel[1] = static_cast<std::uint8_t>(c.g);
            pixel[2] = static_cast<std::uint8_t>(c.b);
            if (bytes == 4)
                pixel[3] = 255;
        }
    return bitmap;
}

// The same picture in a display-compatible bitmap, which keeps its pixels
// away from the program.
HBITMAP CompatibleCopy(HBITMAP dib, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP copy = screen ? CreateCompatibleBitmap(screen, width, height) : nullptr;
    HDC from = screen ? CreateCompatibleDC(screen) : nullptr;
    HDC to = screen ? CreateCompatibleDC(screen) : nullptr;
    if (copy && from && to) {
        const HGDIOBJ oldFrom = SelectObject(from, dib);
        const HGDIOBJ oldTo = SelectObject(to, copy);
        BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
        SelectObject(to, oldTo);
        SelectObject(from, oldFrom);
    }
    if (to)
        DeleteDC(to);
    if (from)
        DeleteDC(from);
    if (screen)
        ReleaseDC(nullptr, screen);
    return copy;
}

void DeleteTiles(TiledTexture& texture)
{
    for (std::int32_t i = 0; i < texture.count; ++i)
        glDeleteTextures(1, &texture.tiles[i].name);
    texture = TiledTexture{};
}

// Texture names in use among the first few thousand.
int LiveTextureNames()
{
    int live = 0;
    for (GLuint name = 1; name <= 4096; ++name)
        live += glIsTexture(name) == GL_TRUE;
    return live;
}

// Pixels of the frame, rows from the top, that differ from the pattern by more
// than tolerance in a channel.
int PixelsOffThePattern(const Image& frame, Box box, Pattern pattern, int tolerance)
{
    int wrong = 0;
    for (int y = box.y0; y <= box.y1; ++y)
        for (int x = box.x0; x <= box.x1; ++x) {
            const Rgb got = frame.At(x, frame.height - 1 - y); // the frame counts rows from the bottom
            const Rgb want = pattern(x, y);
            wrong += std::abs(got.r - want.r) > tolerance || std::abs(got.g - want.g) > tolerance ||
                     std::abs(got.b - want.b) > tolerance;
        }
    return wrong;
}

// =================================================================================
// Kalender
// =================================================================================

void WINAPI TuesdayNinthOfMarch2027(LPSYSTEMTIME now)
{
    *now = SYSTEMTIME{};
    now->wYear = 2027;
    now->wMonth = 3;
    now->wDayOfWeek = 2;
    now->wDay = 9;
    now->wHour = 9;
    now->wMinute = 5;
    now->wSecond = 30;
}

TEST(KalenderRocking, StartsLevelAndRocksWithinBounds)
{
    Settings settings{};
    settings.ShowDesktop = true;
    Kalender kalender(&settings);
    EXPECT_EQ(kalender.tiltX, 0.0f);
    EXPECT_EQ(kalender.zoom, -15.0f);
    for (int frame = 0; frame < 10000; ++frame) {
        kalender.Advance(1.0f);
        ASSERT_LE(kalender.tiltX, 20.4f);
        ASSERT_GE(kalender.tiltX, -20.4f);
        ASSERT_LE(kalender.tiltY, 20.6f);
        ASSERT_GE(kalender.tiltY, -20.6f);
    }
}

// Windows stay below the screen's 1280x1024: Wine manages a window that covers
// the whole screen, and destroying it then waits two seconds for a window manager.
constexpr int kSheetWidth = 1280;
constexpr int kSheetHeight = 960;

// Where a point of the untilted sheet (plane z = 0, 15 units in front of the eye)
// lands in the window under a 45-degree perspective.
POINT SheetToWindow(double x, double y)
{
    const double focal = 1.0 / std::tan(22.5 * 3.14159265358979323846 / 180.0);
    const double aspect = static_cast<double>(kSheetWidth) / kSheetHeight;
    const double ndcX = focal / aspect * x / 15.0;
    const double ndcY = focal * y / 15.0;
    return POINT{std::lround((ndcX + 1.0) * kSheetWidth / 2.0), std::lround((ndcY + 1.0) * kSheetHeight / 2.0)};
}

// The window rectangle of a sheet rectangle, shrunk by `inset` sheet units.
Box SheetBox(double x0, double y0, double x1, double y1, double inset = 0.0)
{
    const POINT a = SheetToWindow(x0 + inset, y0 + inset);
    const POINT b = SheetToWindow(x1 - inset, y1 - inset);
    return Box{a.x, a.y, b.x, b.y};
}

// A grid line seen through a box a few pixels wide around it.
Box AroundVerticalLine(double x, double y0, double y1)
{
    const POINT a = SheetToWindow(x, y0);
    const POINT b = SheetToWindow(x, y1);
    return Box{a.x - 4, a.y, a.x + 4, b.y};
}

Box AroundHorizontalLine(double y, double x0, double x1)
{
    const POINT a = SheetToWindow(x0, y);
    const POINT b = SheetToWindow(x1, y);
    return Box{a.x, a.y - 4, b.x, a.y + 4};
}

// Day cells: column -3 (Monday) .. 3 (Sunday), week row -1 .. 4 from the top.
Box DayCell(int column, int row) { return SheetBox(2 * column - 1, -row, 2 * column + 1, 1 - row, 0.1); }
Box WeekdayCell(int column) { return SheetBox(2 * column - 1, 2, 2 * column + 1, 3, 0.1); }
// The header band, wide enough for the clock, which reaches over the right edge.
Box HeaderBand()
{
    const Box band = SheetBox(-7, 3, 7, 4, 0.05);
    return Box{0, band.y0, kSheetWidth - 1, band.y1};
}

// Where the ink of a text in the sheet's lettering begins and ends along x, in
// sheet units, when the text is centred on `centre` by its advances.
std::pair<double, double> InkSpan(const OutlineFont& font, const std::wstring& text, double centre)
{
    double total = 0.0;
    for (wchar_t ch : text)
        total += font.glyphs[ch].gmfCellIncX;
    double pen = centre - total / 2.0;
    std::pair<double, double> span{1e9, -1e9};
    for (wchar_t ch : text) {
        const GLYPHMETRICSFLOAT& glyph = font.glyphs[ch];
        if (ch != L' ') {
            span.first = std::min(span.first, pen + glyph.gmfptGlyphOrigin.x);
            span.second = std::max(span.second, pen + glyph.gmfptGlyphOrigin.x + glyph.gmfBlackBoxX);
        }
        pen += glyph.gmfCellIncX;
    }
    return span;
}

// The pixels of one colour in a band span the columns that the text's glyphs
// cover: right text, centred at the right place.
void ExpectTextAt(const Image& frame, Box band, ColorTest colour, const OutlineFont& font, const std::wstring& text,
                  double centre, const char* what)
{
    const std::pair<double, double> ink = InkSpan(font, text, centre);
    const std::pair<int, int> seen = frame.ColumnsInBox(band, colour);
    EXPECT_NEAR(seen.first, SheetToWindow(ink.first, 0).x, 3) << what << ": left end";
    EXPECT_NEAR(seen.second, SheetToWindow(ink.second, 0).x, 3) << what << ": right end";
}

class KalenderRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.ShowDesktop = false;
        kalender = new Kalender(&settings);
        kalender->readLocalTime = TuesdayNinthOfMarch2027;
        view = std::make_unique<ComposedView>(kalender, kSheetWidth, kSheetHeight);
        ASSERT_TRUE(view->Ready()) << "no GL context for the test window";
        ASSERT_TRUE(view->Initialize());
    }

    Settings settings{};
    Kalender* kalender = nullptr; // owned by the view's holder
    std::unique_ptr<ComposedView> view;
};

TEST_F(KalenderRenderTest, MarchTwentyTwentySevenSheet)
{
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(capture.presents, 1);
    const Image& frame = view->Frame();
    SaveArtifact(frame, "kalender-2027-03-09.bmp");

    const int pixels = frame.width * frame.height;
    EXPECT_GT(frame.Count(IsBlack), pixels * 8 / 10) << "the background is mostly black";

    // White grid: the outer frame, a week line, and no inner line in the header.
    const Box leftEdge = AroundVerticalLine(-7, -3.5, 2.5);
    EXPECT_GE(frame.CountInBox(leftEdge, IsWhite), leftEdge.y1 - leftEdge.y0) << "left frame line";
    const Box topEdge = AroundHorizontalLine(4, -6.5, 6.5);
    EXPECT_GE(frame.CountInBox(topEdge, IsWhite), topEdge.x1 - topEdge.x0) << "top frame line";
    const Box weekLine = AroundHorizontalLine(1, -6.5, 6.5);
    EXPECT_GE(frame.CountInBox(weekLine, IsWhite), weekLine.x1 - weekLine.x0) << "line under the first week";
    EXPECT_EQ(frame.CountInBox(AroundVerticalLine(-5, 3.1, 3.9), IsWhite), 0) << "the header is one band";
    EXPECT_GT(frame.CountInBox(AroundVerticalLine(-5, -3.9, 2.9), IsWhite), 0) << "inner column line";

    // Header: blue "März 2027" around the middle, the cyan clock to its right.
    const Box header = HeaderBand();
    const std::pair<int, int> blue = frame.ColumnsInBox(header, IsBlue);
    const std::pair<int, int> cyan = frame.ColumnsInBox(header, IsCyan);
    EXPECT_GT(frame.CountInBox(header, IsBlue), 500);
    EXPECT_GT(frame.CountInBox(header, IsCyan), 500);
    ASSERT_GE(blue.first, 0);
    ASSERT_GE(cyan.first, 0);
    EXPECT_LT(blue.first, kSheetWidth / 2);
    EXPECT_GT(blue.second, kSheetWidth / 2);
    EXPECT_GT(cyan.first, blue.second) << "the clock stands right of the month";
    EXPECT_EQ(frame.Count(IsBlue), frame.CountInBox(header, IsBlue)) << "blue only in the header";
    const OutlineFont& font = *kalender->font;
    ExpectTextAt(frame, header, IsBlue, font, L"M\u00e4rz 2027", 0.0, "month and year");
    ExpectTextAt(frame, header, IsCyan, font, L"09:05:30", 5.2, "clock");
    EXPECT_EQ(frame.Count(IsCyan), frame.CountInBox(header, IsCyan)) << "cyan only in the header";

    // Weekday names in dark red, one in each column of their band.
    const wchar_t* const weekdays[7] = {L"Mo", L"Di", L"Mi", L"Do", L"Fr", L"Sa", L"So"};
    for (int column = -3; column <= 3; ++column) {
        EXPECT_GT(frame.CountInBox(WeekdayCell(column), IsDarkRed), 100) << "weekday column " << column;
        ExpectTextAt(frame, SheetBox(2 * column - 1, 2, 2 * column + 1, 3), IsDarkRed, font, weekdays[column + 3],
                     2.0 * column, "weekday");
    }
    EXPECT_EQ(frame.Count(IsDarkRed), frame.CountInBox(SheetBox(-7, 2, 7, 3), IsDarkRed));

    // 1 March 2027 is a Monday: today, the 9th, is Tuesday of the second week row.
    EXPECT_GT(frame.CountInBox(DayCell(-2, 0), IsYellow), 100) << "today is highlighted";
    ExpectTextAt(frame, DayCell(-2, 0), IsYellow, font, L"9", -4.0, "today");
    EXPECT_EQ(frame.Count(IsYellow), frame.CountInBox(DayCell(-2, 0), IsYellow)) << "only today is yellow";
    EXPECT_EQ(frame.CountInBox(DayCell(-2, 0), IsGreen), 0);

    // Other days in green: the 1st on Monday of the first row, the 31st on
    // Wednesday of the fifth; Thursday to Sunday of the fifth row and the whole
    // sixth row stay empty.
    EXPECT_GT(frame.CountInBox(DayCell(-3, -1), IsGreen), 100) << "the 1st";
    EXPECT_GT(frame.CountInBox(DayCell(-1, 3), IsGreen), 100) << "the 31st";
    for (int column = 0; column <= 3; ++column)
        EXPECT_EQ(frame.CountInBox(DayCell(column, 3), IsGreen), 0) << "no day 32 and later, column " << column;
    EXPECT_EQ(frame.CountInBox(SheetBox(-7, -4, 7, -3), IsGreen), 0) << "the sixth row is empty";
    for (int row = -1; row <= 2; ++row) {
        for (int column = -3; column <= 3; ++column) {
            if (row == 0 && column == -2)
                continue; // today
            EXPECT_GT(frame.CountInBox(DayCell(column, row), IsGreen), 100) << column << ", " << row;
        }
    }
}

TEST_F(KalenderRenderTest, MonthNameShowsTheUmlautDots)
{
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    const OutlineFont& font = *kalender->font;
    const GLYPHMETRICSFLOAT& umlaut = font.glyphs[228];
    const GLYPHMETRICSFLOAT& plain = font.glyphs['a'];

    // Over the "ä" of "März 2027" (baseline 3.2) and above the top of a plain
    // "a" there is blue: the dots.
    const std::pair<double, double> word = InkSpan(font, L"M\u00e4rz 2027", 0.0);
    const double penAtUmlaut = word.first - font.glyphs['M'].gmfptGlyphOrigin.x + font.glyphs['M'].gmfCellIncX;
    const double left = penAtUmlaut + umlaut.gmfptGlyphOrigin.x;
    const double right = left + umlaut.gmfBlackBoxX;
    const double aTop = 3.2 + plain.gmfptGlyphOrigin.y;
    const double dotsTop = 3.2 + umlaut.gmfptGlyphOrigin.y;
    ASSERT_GT(dotsTop, aTop + 0.1) << "the umlaut glyph is taller than its base letter";
    const Box dots = SheetBox(left, aTop + 0.05, right, dotsTop);
    EXPECT_GT(frame.CountInBox(dots, IsBlue), 20) << "the dots of the umlaut";
}

TEST_F(KalenderRenderTest, ShowDesktopTurnsTheGridBlack)
{
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Box leftEdge = AroundVerticalLine(-7, -3.5, 2.5);
    EXPECT_GT(view->Frame().CountInBox(leftEdge, IsWhite), 0);

    // A grey backdrop, so that black lines can be told from the background.
    const std::uint8_t grey[16] = {128, 128, 128, 255, 128, 128, 128, 255, 128, 128, 128, 255, 128, 128, 128, 255};
    const GLuint texture = MakeTexture(grey);
    view->holder.desktopTexture = WholeBackdrop(texture);
    settings.ShowDesktop = true;
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    SaveArtifact(frame, "kalender-2027-03-09-desktop.bmp");

    EXPECT_EQ(frame.Count(IsWhite), 0) << "no white grid over the desktop";
    EXPECT_GE(frame.CountInBox(leftEdge, IsBlack), leftEdge.y1 - leftEdge.y0) << "black left frame line";
    const Box topEdge = AroundHorizontalLine(4, -6.5, 6.5);
    EXPECT_GE(frame.CountInBox(topEdge, IsBlack), topEdge.x1 - topEdge.x0) << "black top frame line";
    const Rgb corner = frame.At(5, 5);
    EXPECT_NEAR(corner.r, 128, 2);
    EXPECT_NEAR(corner.g, 128, 2);
    EXPECT_NEAR(corner.b, 128, 2);
    EXPECT_GT(frame.CountInBox(DayCell(-2, 0), IsYellow), 100);

    glDeleteTextures(1, &texture);
}

// At its own size the backdrop shows the snapshot exactly, on every profile,
// in one texture or in tiles, with either filter, in the first frame and in
// the next, where the colour clear is left out and the sheet tests depth.
// Checked above the sheet, which no part of it reaches.
TEST_F(KalenderRenderTest, BackdropAboveTheSheetIsTheSnapshotPixelForPixel)
{
    ImageHolder snapshot;
    snapshot.bitmap = PatternSnapshot(kSheetWidth, kSheetHeight, 32, Noise);
    snapshot.RefreshInfo();
    ASSERT_NE(snapshot.bitmap, nullptr);
    settings.ShowDesktop = true;
    const TextureSupport support = QueryTextureSupport();
    const int sheetTop = SheetToWindow(0, 4).y;
    const Box above{0, 0, kSheetWidth - 1, kSheetHeight - 1 - (sheetTop + 6)}; // rows from the top
    ASSERT_GT(above.y1, 100);
    for (const std::int32_t limit : {support.maxSide, 512})
        for (const std::int32_t filter : {Nearest, Linear}) {
            TextureLoader loader = {&snapshot, filter};
            view->holder.desktopTexture = CreateTiledTexture(&loader, TextureSupport{support.anySide, limit});
            ASSERT_GT(view->holder.desktopTexture.count, 0);
            for (int frame = 1; frame <= 2; ++frame) {
                ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
                EXPECT_EQ(PixelsOffThePattern(view->Frame(), above, Noise, 0), 0)
                    << "frame " << frame << ", limit " << limit << ", filter " << filter;
            }
            SaveArtifact(view->Frame(), "kalender-over-noise.bmp");
            EXPECT_GT(view->Frame().CountInBox(DayCell(-2, 0), IsYellow), 100) << "the sheet over it";
            DeleteTiles(view->holder.desktopTexture);
        }
}

TEST_F(KalenderRenderTest, UmlautOfMaerzHasItsOwnDisplayList)
{
    const OutlineFont* font = kalender->font;
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(glIsList(font->listBase + 228)) << "list of code 228, the umlaut a";
    const GLYPHMETRICSFLOAT& umlaut = font->glyphs[228];
    const GLYPHMETRICSFLOAT& plain = font->glyphs['a'];
    EXPECT_GT(umlaut.gmfCellIncX, 0.0f);
    EXPECT_FLOAT_EQ(umlaut.gmfCellIncX, plain.gmfCellIncX) << "the umlaut advances like its base letter";
    EXPECT_GT(umlaut.gmfBlackBoxY, plain.gmfBlackBoxY) << "the dots make it taller";
    EXPECT_FLOAT_EQ(OutlineTextWidth(font, L"M\u00e4rz", 4),
                    font->glyphs['M'].gmfCellIncX + umlaut.gmfCellIncX + font->glyphs['r'].gmfCellIncX +
                        font->glyphs['z'].gmfCellIncX);
}

// =================================================================================
// Information overlay
// =================================================================================

constexpr int kOverlayWidth = 1280;
constexpr int kOverlayHeight = 960;

// Label column 1280 - 340 = 940 and value column 1120, drawn one pixel lower
// and left; rows at 60, 75 and 105, the caption at (60, H - 60).
const Box kFpsLabel{939, 50, 1115, 71};
const Box kFpsValue{1116, 50, kOverlayWidth - 1, 71};
const Box kDimensionLabel{939, 72, 1115, 90};
const Box kDimensionValue{1116, 72, kOverlayWidth - 1, 90};
const Box kInformationLabel{939, 96, 1115, 120};
const Box kInformationValue{1116, 96, kOverlayWidth - 1, 120};
const Box kCaption{59, kOverlayHeight - 72, 400, kOverlayHeight - 52};

// Under Wine with Mesa the font's blank takes no room: Wine records empty glyphs
// as a glBitmap without pixels, which Mesa refuses while compiling the list
// (GL_OUT_OF_MEMORY). The tests give the blank a known advance of its own, an
// empty one-pixel bitmap, so that the blanks of a field width show as distance.
constexpr int kBlankAdvance = 8;

void GiveTheBlankAnAdvance(const TextFont& font)
{
    const GLubyte noPixels[4] = {};
    glNewList(font.listBase + ' ', GL_COMPILE);
    glBitmap(1, 1, 0.0f, 0.0f, static_cast<GLfloat>(kBlankAdvance), 0.0f, noPixels);
    glEndList();
}

class OverlayRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene = new ProbeScene;
        scene->info = true;
        view = std::make_unique<ComposedView>(scene, kOverlayWidth, kOverlayHeight);
        ASSERT_TRUE(view->Ready()) << "no GL context for the test window";
        ASSERT_TRUE(view->Initialize());
        view->holder.infoAllowed = true;
    }

    // Text pixels outside the boxes where the overlay writes.
    static int StrayPixels(const Image& frame)
    {
        int inside = 0;
        for (const Box& box : {kFpsLabel, kFpsValue, kDimensionLabel, kDimensionValue, kInformationLabel,
                               kInformationValue, kCaption})
            inside += frame.CountInBox(box, IsLit);
        return frame.Count(IsLit) - inside;
    }

    ProbeScene* scene = nullptr; // owned by the view's holder
    std::unique_ptr<ComposedView> view;
};

TEST_F(OverlayRenderTest, BlockWithoutMeasuredRateLeavesOutTheValue)
{
    ASSERT_EQ(view->Compose(0.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    SaveArtifact(frame, "overlay-fps-0.bmp");

    EXPECT_GT(frame.CountInBox(kFpsLabel, IsOverlayGrey), 100) << "Frames per Sek.(fps):";
    EXPECT_EQ(frame.CountInBox(kFpsValue, IsLit), 0) << "no rate before the first measurement";
    EXPECT_GT(frame.CountInBox(kDimensionLabel, IsOverlayGrey), 50) << "Dimension:";
    EXPECT_GT(frame.CountInBox(kDimensionValue, IsOverlayGrey), 50) << "1280 x 960";
    EXPECT_GT(frame.CountInBox(kInformationLabel, IsOverlayGrey), 50) << "Informationen:";
    EXPECT_EQ(frame.CountInBox(kInformationValue, IsLit), 0);
    EXPECT_GT(frame.CountInBox(kCaption, IsOverlayGrey), 100) << "the caption";
    EXPECT_EQ(StrayPixels(frame), 0);
    EXPECT_EQ(frame.Count(IsLit), frame.Count(IsOverlayGrey)) << "all text in grey 0.8";

    // The labels begin at the label column, the caption at x = 60.
    EXPECT_GT(frame.CountInBox(Box{939, 50, 950, 120}, IsOverlayGrey), 0);
    EXPECT_GT(frame.CountInBox(Box{59, kOverlayHeight - 72, 70, kOverlayHeight - 52}, IsOverlayGrey), 0);
    EXPECT_EQ(scene->captionX, 60);
    EXPECT_EQ(scene->captionY, kOverlayHeight - 60);
}

TEST_F(OverlayRenderTest, MeasuredRateFillsTheValueColumn)
{
    GiveTheBlankAnAdvance(*view->holder.font);
    ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    SaveArtifact(frame, "overlay-fps-59.94.bmp");

    EXPECT_GT(frame.CountInBox(kFpsValue, IsOverlayGrey), 50) << "59.94";
    // " %10.2f" puts six blanks before "59.94": its "5" starts six blank widths
    // right of the value column (pixel 1119), give or take the glyph's bearing.
    const std::pair<int, int> value = frame.ColumnsInBox(kFpsValue, IsOverlayGrey);
    EXPECT_GE(value.first, 1119 + 6 * kBlankAdvance);
    EXPECT_LE(value.first, 1119 + 6 * kBlankAdvance + 3);
    // "%4d x %4d" with 1280 x 960: one blank before "960".
    const std::pair<int, int> dimension = frame.ColumnsInBox(kDimensionValue, IsOverlayGrey);
    EXPECT_GE(dimension.first, 1119);
    EXPECT_LE(dimension.first, 1119 + 3);
    EXPECT_EQ(StrayPixels(frame), 0);
}

TEST_F(OverlayRenderTest, FrameRateLineOnlyForScenesThatClear)
{
    scene->clears = false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    EXPECT_EQ(frame.CountInBox(kFpsLabel, IsLit), 0);
    EXPECT_EQ(frame.CountInBox(kFpsValue, IsLit), 0);
    EXPECT_GT(frame.CountInBox(kDimensionLabel, IsOverlayGrey), 50);
    EXPECT_GT(frame.CountInBox(kCaption, IsOverlayGrey), 100);
}

TEST_F(OverlayRenderTest, SceneMaySetTheTextColour)
{
    scene->ownTextColor = true;
    ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    EXPECT_EQ(frame.Count(IsOverlayGrey), 0);
    EXPECT_GT(frame.CountInBox(kCaption, IsYellow), 100);
    EXPECT_GT(frame.CountInBox(kFpsValue, IsYellow), 50);
}

TEST_F(OverlayRenderTest, NothingWhenNotAllowedOrNotWanted)
{
    view->holder.infoAllowed = false;
    ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(view->Frame().Count(IsLit), 0) << "infoAllowed false";
    EXPECT_EQ(scene->lightingLog.find('C'), std::string::npos);

    view->holder.infoAllowed = true;
    scene->info = false;
    ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(view->Frame().Count(IsLit), 0) << "ShowsInfo false";
    EXPECT_EQ(scene->lightingLog.find('C'), std::string::npos);
}

// glGenLists answers 0 between glBegin and glEnd: the one way a test can make
// the font's lists fail.
TEST_F(OverlayRenderTest, FontWithoutListsOfItsOwnIsNoFont)
{
    view->holder.ReleaseView();
    // Lists a scene might own under the numbers of the character codes, each an
    // 8x8 block at the raster position.
    const GLubyte block[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (GLuint code = 1; code < kFontListCount; ++code) {
        glNewList(code, GL_COMPILE);
        glBitmap(8, 8, 0.0f, 0.0f, 8.0f, 0.0f, block);
        glEndList();
    }
    HDC dc = view->holder.deviceContext;
    const HGDIOBJ selected = GetCurrentObject(dc, OBJ_FONT);
    glBegin(GL_POINTS);
    view->holder.font = CreateTextFont(dc);
    glEnd();
    DrainGlErrors();

    EXPECT_EQ(view->holder.font, nullptr);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), selected) << "the context keeps its own font";
    const GLenum composed = view->Compose(59.94f);
    glDeleteLists(1, kFontListCount - 1);
    ASSERT_EQ(composed, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(view->Frame().Count(IsLit), 0) << "text drawn through the scene's lists";
}

// =================================================================================
// Composition: lighting, backdrop, texturing
// =================================================================================

constexpr int kSmallWidth = 640;
constexpr int kSmallHeight = 480;

class CompositionLightingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene = new ProbeScene;
        scene->lighting = true;
        scene->desktop = true;
        scene->info = true;
        view = std::make_unique<ComposedView>(scene, kSmallWidth, kSmallHeight);
        ASSERT_TRUE(view->Ready()) << "no GL context for the test window";
        ASSERT_TRUE(view->Initialize());
        view->holder.infoAllowed = true;
        // First texel row red, second green.
        const std::uint8_t texels[16] = {255, 0, 0, 255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255};
        desktop = MakeTexture(texels);
        view->holder.desktopTexture = WholeBackdrop(desktop);
    }

    void TearDown() override
    {
        if (desktop)
            glDeleteTextures(1, &desktop);
    }

    ProbeScene* scene = nullptr; // owned by the view's holder
    std::unique_ptr<ComposedView> view;
    GLuint desktop = 0;
};

TEST_F(CompositionLightingTest, LightingOffForBackdropAndOverlayOnForTheScene)
{
    ASSERT_TRUE(LightingOn()) << "the scene's Init switched lighting on";
    scene->lightingLog.clear();
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));

    // Asked before and after the backdrop, around the overlay; the caption comes
    // between the two text colour requests.
    EXPECT_EQ(scene->lightingLog, "U+U-D+U+T-C-T-U-");
    EXPECT_TRUE(capture.lightingAtPresent) << "lighting is back on when the frame is shown";
    EXPECT_TRUE(LightingOn());

    // An unlit backdrop keeps the texture's colours exactly.
    const Image& frame = view->Frame();
    SaveArtifact(frame, "composition-backdrop.bmp");
    const Box top{100, kSmallHeight / 2 + 10, kSmallWidth - 100, kSmallHeight - 100};
    const Box bottom{100, 130, kSmallWidth - 100, kSmallHeight / 2 - 10}; // above the overlay block
    EXPECT_EQ(frame.CountInBox(top, IsRed), (top.x1 - top.x0 + 1) * (top.y1 - top.y0 + 1));
    EXPECT_EQ(frame.CountInBox(bottom, IsPureGreen), (bottom.x1 - bottom.x0 + 1) * (bottom.y1 - bottom.y0 + 1));
}

TEST_F(CompositionLightingTest, ManyFramesLeaveTheStacksAsTheyFoundThem)
{
    GLint before[3] = {};
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &before[0]);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &before[1]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &before[2]);
    // More frames than the attribute stack is deep (16 levels at least).
    for (int frame = 0; frame < 40; ++frame)
        ASSERT_EQ(view->Compose(59.94f), static_cast<GLenum>(GL_NO_ERROR)) << "frame " << frame;
    GLint after[3] = {};
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &after[0]);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after[1]);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &after[2]);
    EXPECT_EQ(after[0], before[0]) << "attributes";
    EXPECT_EQ(after[1], before[1]) << "model-view matrices";
    EXPECT_EQ(after[2], before[2]) << "projection matrices";
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST_F(CompositionLightingTest, SceneDrawsInHalfTransparentWhite)
{
    scene->desktop = false;
    glColor4f(0.2f, 0.3f, 0.4f, 1.0f);
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(scene->colorInDraw[0], 1.0f);
    EXPECT_EQ(scene->colorInDraw[1], 1.0f);
    EXPECT_EQ(scene->colorInDraw[2], 1.0f);
    EXPECT_EQ(scene->colorInDraw[3], 0.5f);
}

TEST_F(CompositionLightingTest, BackdropPutsTheFirstTextureRowAtTheTop)
{
    scene->lighting = false;
    scene->info = false;
    glDisable(GL_LIGHTING);
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    EXPECT_TRUE(IsRed(frame.At(kSmallWidth / 2, kSmallHeight - 1))) << "top row";
    EXPECT_TRUE(IsRed(frame.At(0, kSmallHeight / 2))) << "upper half, left edge";
    EXPECT_TRUE(IsPureGreen(frame.At(kSmallWidth / 2, 0))) << "bottom row";
    EXPECT_TRUE(IsPureGreen(frame.At(kSmallWidth - 1, kSmallHeight / 2 - 1))) << "lower half, right edge";
    EXPECT_EQ(frame.Count(IsRed) + frame.Count(IsPureGreen), kSmallWidth * kSmallHeight) << "fills the window";

    // The scene drew with the backdrop's texture still on; the composition then
    // switches texturing off.
    EXPECT_EQ(scene->textureInDraw, static_cast<GLint>(desktop));
    EXPECT_TRUE(scene->texturingInDraw);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(CompositionLightingTest, WithoutDesktopNoTextureIsBoundAndTexturingEndsOff)
{
    scene->desktop = false;
    GLuint own = 0;
    glGenTextures(1, &own);
    glBindTexture(GL_TEXTURE_2D, own);
    glEnable(GL_TEXTURE_2D); // as the render window leaves it after the set-up
    scene->lightingLog.clear();
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(scene->textureInDraw, static_cast<GLint>(own));
    EXPECT_EQ(BoundTexture(), static_cast<GLint>(own));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(view->Frame().Count(IsRed), 0);
    EXPECT_EQ(view->Frame().Count(IsPureGreen), 0);
    EXPECT_EQ(scene->lightingLog, "D+U+T-C-T-U-");
    glDeleteTextures(1, &own);
}

// A snapshot larger than the textures the context takes (the first run on
// Windows' own renderer, whose limit is below the stored default): tiles within
// the limit that together show every pixel where it was, seams included. Tiles
// of 126 pixels and their margins leave room to spare in the last column and
// row.
TEST_F(CompositionLightingTest, SnapshotInTilesShowsEveryPixelInPlace)
{
    scene->lighting = false;
    scene->info = false;
    glDisable(GL_LIGHTING);
    const TextureSupport support = QueryTextureSupport();
    EXPECT_EQ(support.anySide, std::getenv("NIGHTLOOM_EXPECT_STRICT_GL") == nullptr)
        << "the OpenGL this run asks for";
    ImageHolder snapshot;
    snapshot.bitmap = PatternSnapshot(kSmallWidth, kSmallHeight, 32, Steep);
    ImageHolder compatible; // no pixel memory of its own: read through a copy
    compatible.bitmap = CompatibleCopy(snapshot.bitmap, kSmallWidth, kSmallHeight);
    for (ImageHolder* holder : {&snapshot, &compatible}) {
        holder->RefreshInfo();
        const char* what = holder == &snapshot ? "DIB section" : "compatible bitmap";
        ASSERT_EQ(holder->info.bmBits != nullptr, holder == &snapshot) << what;
        TextureLoader loader = {holder, Linear};
        constexpr std::int32_t kLimit = 128;
        view->holder.desktopTexture = CreateTiledTexture(&loader, TextureSupport{support.anySide, kLimit});
        TiledTexture& tiles = view->holder.desktopTexture;
        ASSERT_EQ(tiles.count, 6 * 4) << what;
        for (std::int32_t i = 0; i < tiles.count; ++i) {
            glBindTexture(GL_TEXTURE_2D, tiles.tiles[i].name);
            GLint width = 0, height = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
            EXPECT_GT(width, 0) << "tile " << i;
            EXPECT_LE(width, kLimit) << "tile " << i;
            EXPECT_GT(height, 0) << "tile " << i;
            EXPECT_LE(height, kLimit) << "tile " << i;
        }

        ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
        const Image& frame = view->Frame();
        SaveArtifact(frame, "composition-tiled-snapshot.bmp");
        EXPECT_EQ(PixelsOffThePattern(frame, frame.Whole(), Steep, 1), 0)
            << what << ": pixels not where the snapshot has them";
        EXPECT_EQ(scene->textureInDraw, static_cast<GLint>(tiles.tiles[tiles.count - 1].name))
            << "the last tile stays bound for the scene";
        DeleteTiles(tiles);
    }
}

// A snapshot stretched over the window (after a display switch): in tiles it
// blends like one texture, at the seams too, where a tile's own opposite edge
// or anything past its part must not bleed in. Only the outermost pixels,
// where one texture wraps round to its far side, are left out.
TEST_F(CompositionLightingTest, StretchedTilesBlendLikeOneTexture)
{
    scene->lighting = false;
    scene->info = false;
    glDisable(GL_LIGHTING);
    const TextureSupport support = QueryTextureSupport();
    ImageHolder snapshot;
    snapshot.bitmap = PatternSnapshot(510, 255, 24, Slope); // rows of 1530 bytes, stored 4-aligned
    snapshot.RefreshInfo();
    TextureLoader loader = {&snapshot, Linear};

    view->holder.desktopTexture = CreateTiledTexture(&loader, support);
    ASSERT_EQ(view->holder.desktopTexture.count, 1);
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image single = view->Frame();
    DeleteTiles(view->holder.desktopTexture);

    view->holder.desktopTexture = CreateTiledTexture(&loader, TextureSupport{support.anySide, 128});
    ASSERT_EQ(view->holder.desktopTexture.count, 5 * 3);
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& tiled = view->Frame();
    SaveArtifact(tiled, "composition-stretched-tiles.bmp");
    DeleteTiles(view->holder.desktopTexture);

    const Rgb middle = single.At(kSmallWidth / 2, kSmallHeight / 2);
    EXPECT_NEAR(middle.r, 127, 3) << "the picture itself, stretched";
    EXPECT_NEAR(middle.g, 127, 3);
    int apart = 0;
    for (int y = 1; y < kSmallHeight - 1; ++y)
        for (int x = 1; x < kSmallWidth - 1; ++x) {
            const Rgb a = single.At(x, y);
            const Rgb b = tiled.At(x, y);
            const bool differs = std::abs(a.r - b.r) > 2 || std::abs(a.g - b.g) > 2 || std::abs(a.b - b.b) > 2;
            if (differs && apart++ < 5)
                ADD_FAILURE() << "at " << x << "," << y << ": one texture " << a.r << "," << a.g << "," << a.b
                              << ", tiles " << b.r << "," << b.g << "," << b.b;
        }
    EXPECT_EQ(apart, 0) << "pixels where the tiles differ from one texture";
}

// A strict OpenGL refuses a tile part-way when told it takes any side: the
// full tiles are powers of two, the last column's are not. Every tile made
// before is deleted again.
TEST_F(CompositionLightingTest, TilesRefusedPartWayLeaveNoTextureBehind)
{
    if (QueryTextureSupport().anySide)
        GTEST_SKIP() << "only a strict OpenGL refuses some tiles and not others";
    ImageHolder snapshot;
    snapshot.bitmap = PatternSnapshot(300, 126, 32, Steep);
    snapshot.RefreshInfo();
    TextureLoader loader = {&snapshot, Linear};
    const int before = LiveTextureNames();
    const TiledTexture refused = CreateTiledTexture(&loader, TextureSupport{true, 128});
    EXPECT_EQ(refused.count, 0);
    EXPECT_EQ(LiveTextureNames(), before) << "tile names left behind";
}

// The colour clear is left out only where the backdrop alone decides every
// pixel. The back buffer starts white each time, as a last frame might leave
// it; where the clear is needed, that white must not show.
TEST_F(CompositionLightingTest, BackdropReplacesTheClearOnlyWhereItHidesIt)
{
    scene->lighting = false;
    scene->info = false;
    glDisable(GL_LIGHTING);
    const struct {
        const char* what;
        bool blend;
        GLenum source;
        GLenum depthFunction; // 0: no depth test
        int red;              // in the upper half; -1: the leftover white would show
    } cases[] = {
        {"no blending", false, GL_ONE, 0, 255},
        {"added onto black", true, GL_ONE, 0, 255},
        {"added at half strength", true, GL_SRC_ALPHA, 0, 128},
        {"far depth passes", false, GL_ONE, GL_LEQUAL, 255},
        {"far depth fails", false, GL_ONE, GL_LESS, 0},
    };
    for (const auto& c : cases) {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glBlendFunc(c.source, GL_ONE);
        if (c.blend)
            glEnable(GL_BLEND);
        if (c.depthFunction != 0) {
            glDepthFunc(c.depthFunction);
            glEnable(GL_DEPTH_TEST);
        }
        ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR)) << c.what;
        const Rgb top = view->Frame().At(kSmallWidth / 2, kSmallHeight - 10);
        EXPECT_NEAR(top.r, c.red, 1) << c.what;
        EXPECT_EQ(top.g, 0) << c.what;
        EXPECT_EQ(top.b, 0) << c.what;
        EXPECT_EQ(glIsEnabled(GL_BLEND), c.blend ? GL_TRUE : GL_FALSE) << c.what << ": blending as the scene left it";
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), c.depthFunction != 0 ? GL_TRUE : GL_FALSE) << c.what;
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
    }
}

// The capture failed, or the driver refused the upload: no texture, and the
// frame keeps its cleared black instead of an untextured quad in the current
// colour (white).
TEST_F(CompositionLightingTest, NoSnapshotTextureLeavesTheClearedBlack)
{
    scene->lighting = false;
    scene->info = false;
    glDisable(GL_LIGHTING);
    ImageHolder failed;
    ASSERT_FALSE(failed.CaptureDesktop(true, -1, -1));
    TextureLoader loader = {&failed, Linear};
    EXPECT_EQ(CreateTiledTexture(&loader, QueryTextureSupport()).count, 0) << "failed capture";

    // Wider than any texture this context takes, from a driver that claims more.
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    ImageHolder tooWide;
    tooWide.bitmap = PatternSnapshot(maxSide + 1, 1, 32, Steep);
    tooWide.RefreshInfo();
    ASSERT_EQ(tooWide.info.bmWidth, maxSide + 1);
    loader.holder = &tooWide;
    EXPECT_EQ(CreateTexture(&loader), 0u) << "refused picture";
    view->holder.desktopTexture = CreateTiledTexture(&loader, TextureSupport{true, 2 * maxSide});
    EXPECT_EQ(view->holder.desktopTexture.count, 0) << "refused snapshot";
    glEnable(GL_TEXTURE_2D); // as the render window leaves it after the set-up

    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    const Image& frame = view->Frame();
    SaveArtifact(frame, "composition-no-snapshot.bmp");
    EXPECT_EQ(frame.Count(IsBlack), kSmallWidth * kSmallHeight);
    EXPECT_EQ(scene->textureInDraw, 0);
}

// =================================================================================
// Composition: view set-up
// =================================================================================

// gluPerspective, column by column, worked out here.
std::vector<double> Perspective(double fovY, double aspect, double zNear, double zFar)
{
    const double f = 1.0 / std::tan(fovY * 3.14159265358979323846 / 360.0);
    std::vector<double> m(16, 0.0);
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (zFar + zNear) / (zNear - zFar);
    m[11] = -1.0;
    m[14] = 2.0 * zFar * zNear / (zNear - zFar);
    return m;
}

std::vector<double> Translation(double x, double y, double z)
{
    std::vector<double> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    return m;
}

std::vector<double> CurrentMatrix(GLenum which)
{
    GLfloat values[16] = {};
    glGetFloatv(which, values);
    return std::vector<double>(values, values + 16);
}

void ExpectMatrixNear(const std::vector<double>& actual, const std::vector<double>& expected, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-5 * std::max(1.0, std::fabs(expected[i])))
            << what << " element " << i;
}

class CompositionViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene = new ProbeScene;
        view = std::make_unique<ComposedView>(scene, kSmallWidth, kSmallHeight);
        ASSERT_TRUE(view->Ready()) << "no GL context for the test window";
    }

    ProbeScene* scene = nullptr; // owned by the view's holder
    std::unique_ptr<ComposedView> view;
};

TEST_F(CompositionViewTest, HeightZeroCountsAsOne)
{
    ASSERT_TRUE(view->Initialize(320, 0));
    EXPECT_EQ(view->holder.width, 320.0f);
    EXPECT_EQ(view->holder.height, 1.0f);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 320);
    EXPECT_EQ(viewport[3], 1);
    ExpectMatrixNear(CurrentMatrix(GL_PROJECTION_MATRIX), Perspective(45.0, 320.0, 0.1f, 100.0), "projection");
    EXPECT_EQ(scene->initHeight, 1.0f);
}

TEST_F(CompositionViewTest, DefaultProjectionCameraAndStateWhenTheSceneLeavesThem)
{
    ASSERT_TRUE(view->Initialize());
    ExpectMatrixNear(CurrentMatrix(GL_PROJECTION_MATRIX),
                     Perspective(45.0, static_cast<double>(static_cast<float>(kSmallWidth) / kSmallHeight),
                                 static_cast<double>(0.1f), 100.0),
                     "projection");
    // Looking from (0, 0, 10) at the origin with y up moves the world 10 back.
    ExpectMatrixNear(CurrentMatrix(GL_MODELVIEW_MATRIX), Translation(0, 0, -10), "model-view");
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    GLfloat clear[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.0f);
    EXPECT_EQ(clear[1], 0.0f);
    EXPECT_EQ(clear[2], 0.0f);
    EXPECT_EQ(clear[3], 0.0f);
    GLint value = 0;
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    for (GLenum hint : {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT}) {
        glGetIntegerv(hint, &value);
        EXPECT_EQ(value, GL_NICEST) << "hint " << hint;
    }
    GLfloat depth = 0.0f;
    glGetFloatv(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ(depth, 1.0f);
    for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_TEXTURE_2D})
        EXPECT_FALSE(glIsEnabled(capability)) << "capability " << capability;

    EXPECT_EQ(scene->initCalls, 1);
    EXPECT_EQ(scene->initWidth, static_cast<float>(kSmallWidth));
    EXPECT_EQ(scene->initHeight, static_cast<float>(kSmallHeight));
    EXPECT_TRUE(scene->initReset);
    EXPECT_TRUE(scene->initCreate);
    ASSERT_NE(view->holder.font, nullptr);
    EXPECT_TRUE(glIsList(view->holder.font->listBase + 'A'));
    EXPECT_TRUE(glIsList(view->holder.font->listBase + 0xFC)) << "the u umlaut";
}

TEST_F(CompositionViewTest, SceneMayTakeOverProjectionCameraAndClearColour)
{
    scene->ownProjection = true;
    scene->ownCamera = true;
    scene->ownClearColor = true;
    ASSERT_TRUE(view->Initialize());
    ExpectMatrixNear(CurrentMatrix(GL_PROJECTION_MATRIX), Translation(0, 0, 0), "projection");
    ExpectMatrixNear(CurrentMatrix(GL_MODELVIEW_MATRIX), Translation(0, 0, 0), "model-view");
    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.25f);
    EXPECT_EQ(clear[1], 0.5f);
    EXPECT_EQ(clear[2], 0.75f);
    EXPECT_EQ(clear[3], 1.0f);
}

// =================================================================================
// Composition: one swap per frame
// =================================================================================

class CompositionSwapTest : public CompositionViewTest {
};

TEST_F(CompositionSwapTest, OneSwapPerFrameOnTheWindowsDeviceContext)
{
    ASSERT_TRUE(view->Initialize());
    for (int frame = 1; frame <= 3; ++frame) {
        ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(capture.presents, frame);
    }
    EXPECT_EQ(capture.presentedDc, view->holder.deviceContext);

    // A cleared frame starts from the identity model-view matrix.
    glLoadMatrixd(Translation(1, 2, 3).data());
    view->Compose(60.0f);
    ExpectMatrixNear(std::vector<double>(scene->modelViewInDraw, scene->modelViewInDraw + 16),
                     Translation(0, 0, 0), "model-view in Draw");
}

TEST_F(CompositionSwapTest, OneSwapPerFrameAlsoWithoutClearing)
{
    scene->clears = false;
    ASSERT_TRUE(view->Initialize());

    // What was in the back buffer stays, and so does the model-view matrix.
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadMatrixd(Translation(1, 2, 3).data());
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(capture.presents, 1);
    EXPECT_TRUE(IsBlue(view->Frame().At(kSmallWidth / 2, kSmallHeight / 2)));
    ExpectMatrixNear(std::vector<double>(scene->modelViewInDraw, scene->modelViewInDraw + 16),
                     Translation(1, 2, 3), "model-view in Draw");

    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(view->Compose(60.0f), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(capture.presents, 3);
}

// =================================================================================
// Lifetimes: ten set-ups and teardowns of the view and the Kalender
// =================================================================================

int DisplayListCount()
{
    int lists = 0;
    for (GLuint name = 1; name < 4096; ++name)
        lists += glIsList(name) ? 1 : 0;
    return lists;
}

// One run's view: InitializeView (bitmap font, Kalender lettering), a second
// Init with resources as a re-initialising scene does, a frame, and teardown.
void SetUpAndTearDownView(Settings& settings)
{
    auto* kalender = new Kalender(&settings);
    kalender->readLocalTime = TuesdayNinthOfMarch2027;
    ComposedView view(kalender, kSmallWidth, kSmallHeight);
    ASSERT_TRUE(view.Ready());
    ASSERT_TRUE(view.Initialize());
    const int listsBefore = DisplayListCount();
    ASSERT_TRUE(kalender->Init(kSmallWidth, kSmallHeight, false, true));
    EXPECT_EQ(DisplayListCount(), listsBefore) << "the first lettering outlived the second Init";
    view.Compose(0.0f);
}

TEST(ViewLifetimeTest, TenSetUpsAndTeardownsLeaveNoGdiObjectBehind)
{
    Settings settings{};
    SetUpAndTearDownView(settings); // first use of fonts and contexts makes objects of the system's own
    const DWORD before = GdiObjectCount();
    ASSERT_GT(before, 0u) << "no way to count GDI objects here";
    for (int cycle = 0; cycle < 10; ++cycle)
        SetUpAndTearDownView(settings);
    EXPECT_EQ(GdiObjectCount(), before);
}

} // namespace
