#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "common/text.h"
#include "settings/value_mapping.h"

namespace {

TEST(SignedMapping, StoresNegativesAsValueMinusOne)
{
    EXPECT_EQ(EncodeSigned(0), 0u);
    EXPECT_EQ(EncodeSigned(6), 6u);
    EXPECT_EQ(EncodeSigned(-1), 0xFFFFFFFEu);
    EXPECT_EQ(EncodeSigned(-2), 0xFFFFFFFDu);
    EXPECT_EQ(EncodeSigned(INT32_MIN), 0x7FFFFFFFu);
}

TEST(SignedMapping, ReadsBackTheInverse)
{
    EXPECT_EQ(DecodeSigned(0), 0);
    EXPECT_EQ(DecodeSigned(0x7FFFFFFEu), 0x7FFFFFFE);
    EXPECT_EQ(DecodeSigned(0xFFFFFFFEu), -1);
    EXPECT_EQ(DecodeSigned(0xFFFFFFFFu), 0);
    EXPECT_EQ(DecodeSigned(0x7FFFFFFFu), INT32_MIN);
    EXPECT_EQ(DecodeSigned(0x80000000u), INT32_MIN + 1);
}

TEST(SignedMapping, RoundTripsEveryValueButTheLargest)
{
    for (std::int32_t v : {INT32_MIN, INT32_MIN + 1, -100000, -2, -1, 0, 1, 2, 2048, 100000, INT32_MAX - 1})
        EXPECT_EQ(DecodeSigned(EncodeSigned(v)), v) << v;
    // INT32_MAX and INT32_MIN share the stored pattern 0x7FFFFFFF; it reads as
    // the most negative value.
    EXPECT_EQ(DecodeSigned(EncodeSigned(INT32_MAX)), INT32_MIN);
}

TEST(LoadRules, Flags)
{
    EXPECT_TRUE(DecodeFlag(1));
    EXPECT_FALSE(DecodeFlag(0));
    EXPECT_FALSE(DecodeFlag(2));
    EXPECT_FALSE(DecodeFlag(0xFFFFFFFFu));
}

TEST(LoadRules, LoadDlgIndex)
{
    EXPECT_EQ(ClampLoadDlgIndex(9), 6);
    EXPECT_EQ(ClampLoadDlgIndex(INT32_MAX), 6);
    EXPECT_EQ(ClampLoadDlgIndex(6), 6);
    EXPECT_EQ(ClampLoadDlgIndex(0), 0);
    EXPECT_EQ(ClampLoadDlgIndex(-1), -1);
}

TEST(LoadRules, AdjustmentNo)
{
    for (int v = 0; v <= 3; ++v)
        EXPECT_EQ(ValidAdjustmentNo(v), v);
    EXPECT_EQ(ValidAdjustmentNo(7), 2);
    EXPECT_EQ(ValidAdjustmentNo(DecodeSigned(0xFFFFFFFEu)), 2);
    EXPECT_EQ(ValidAdjustmentNo(DecodeSigned(0xFFFFFFFFu)), 0);
}

TEST(CustomColors, ValueNamesHaveTwoDigits)
{
    wchar_t name[16];
    CustomColorValueName(0, name);
    EXPECT_STREQ(name, L"RgbColors00");
    CustomColorValueName(9, name);
    EXPECT_STREQ(name, L"RgbColors09");
    CustomColorValueName(15, name);
    EXPECT_STREQ(name, L"RgbColors15");
}

TEST(CustomColors, Defaults)
{
    EXPECT_EQ(kDefaultCustomColors[0], 0x000000u);
    EXPECT_EQ(kDefaultCustomColors[1], 0xC80000u);
    EXPECT_EQ(kDefaultCustomColors[6], 0x0050A0u);
    EXPECT_EQ(kDefaultCustomColors[9], 0xF08C32u);
    EXPECT_EQ(kDefaultCustomColors[14], 0x28FAFAu);
    EXPECT_EQ(kDefaultCustomColors[15], 0xFFFFFFu);
}

TEST(BoundedText, CopyAndAppendNeverOverrun)
{
    wchar_t buffer[8];
    EXPECT_TRUE(CopyText(buffer, 8, L"abc"));
    EXPECT_STREQ(buffer, L"abc");
    EXPECT_TRUE(AppendText(buffer, 8, L"defg"));
    EXPECT_STREQ(buffer, L"abcdefg");
    EXPECT_FALSE(AppendText(buffer, 8, L"h"));
    EXPECT_STREQ(buffer, L"abcdefg");
    EXPECT_FALSE(CopyText(buffer, 8, L"0123456789"));
    EXPECT_STREQ(buffer, L"0123456");
    EXPECT_FALSE(CopyText(buffer, 0, L"x"));
}

TEST(BoundedText, AppendToUnterminatedBufferTerminatesIt)
{
    wchar_t buffer[4] = {L'a', L'b', L'c', L'd'};
    EXPECT_FALSE(AppendText(buffer, 4, L"x"));
    EXPECT_EQ(buffer[3], L'\0');
}

} // namespace
