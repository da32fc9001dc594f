#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "common/text.h"
#include "render/overlay_text.h"

namespace {

TEST(OverlayText, FrameRateFillsTheFieldWidth)
{
    wchar_t text[kTextCapacity];
    EXPECT_EQ(FormatFrameRate(59.94f, text), 11);
    EXPECT_STREQ(text, L"      59.94");
}

TEST(OverlayText, Dimension)
{
    wchar_t text[kTextCapacity];
    FormatDimension(1280.0f, 1024.0f, text);
    EXPECT_STREQ(text, L"1280 x 1024");
    FormatDimension(152.0f, 1.0f, text);
    EXPECT_STREQ(text, L" 152 x    1");
}

TEST(OverlayText, WideArgumentsKeepUmlauts)
{
    wchar_t text[kTextCapacity];
    FormatTextF(text, L"%ls %4d", L"M\u00e4rz", 2027);
    EXPECT_STREQ(text, L"M\u00e4rz 2027");
}

TEST(OverlayText, TextOfExactly255CharactersFits)
{
    const std::wstring longest(255, L'x');
    wchar_t text[kTextCapacity];
    EXPECT_EQ(FormatTextF(text, L"%ls", longest.c_str()), 255);
    EXPECT_EQ(std::wstring(text), longest);
}

TEST(OverlayText, LongerTextIsRefusedAndStaysTerminated)
{
    const std::wstring tooLong(300, L'x');
    wchar_t text[kTextCapacity];
    EXPECT_EQ(FormatTextF(text, L"%ls", tooLong.c_str()), 0);
    EXPECT_STREQ(text, L"");
}

TEST(OverlayText, NullFormatGivesNothing)
{
    wchar_t text[kTextCapacity];
    EXPECT_EQ(FormatTextF(text, nullptr), 0);
    EXPECT_STREQ(text, L"");
}

TEST(OverlayLayout, PositionsForA1280PixelWindow)
{
    const OverlayLayout layout = LayoutOverlay(1280.0f, 1024.0f);
    EXPECT_EQ(layout.labelX, 940);
    EXPECT_EQ(layout.valueX, 1120);
    EXPECT_EQ(layout.captionX, 60);
    EXPECT_EQ(layout.captionY, 964);
    EXPECT_EQ(layout.fpsY, 60);
    EXPECT_EQ(layout.dimensionY, 75);
    EXPECT_EQ(layout.headingY, 105);
}

TEST(OverlayLayout, SizesAreTruncated)
{
    const OverlayLayout layout = LayoutOverlay(1000.9f, 100.9f);
    EXPECT_EQ(layout.labelX, 660);
    EXPECT_EQ(layout.captionY, 40);
}

} // namespace
