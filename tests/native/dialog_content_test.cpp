#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/dialog_content.h"

namespace {

// The null-separated fields of a filter, up to the empty field that ends it.
std::vector<std::wstring> Fields(const wchar_t* filter, std::size_t capacity)
{
    std::vector<std::wstring> fields;
    std::size_t i = 0;
    while (i < capacity && filter[i]) {
        std::wstring field;
        while (i < capacity && filter[i])
            field.push_back(filter[i++]);
        fields.push_back(field);
        ++i;
    }
    return fields;
}

const ModeEntryFormats kFormats = {L"%d x %d Pixel", L", %d Bit Farbtiefe", L", VGA-Std.", L", %d Hz"};

std::wstring Entry(ModeKey mode, bool rateTakesPart)
{
    wchar_t text[kListTextCapacity];
    FormatModeEntry(text, kFormats, mode, rateTakesPart);
    return text;
}

} // namespace

TEST(PictureFilter, FieldsInOrderWithAllFormatsLast)
{
    wchar_t buffer[kFilterCapacity];
    for (wchar_t& c : buffer)
        c = L'x'; // the filter must not depend on what the buffer held
    BuildPictureFilter(buffer, kPictureTypes, kPictureTypeCount);
    const std::vector<std::wstring> expected = {
        L"Windows Bitmap (*.bmp)", L"*.bmp",
        L"Graphics Interchange (*.gif)", L"*.gif",
        L"Windows Icon (*.ico)", L"*.ico",
        L"JPEG File Interchange Format (*.jpg;*.jpeg)", L"*.jpg;*.jpeg",
        L"Windows Metafile (*.wmf)", L"*.wmf",
        L"Alle unterst\u00fctzten Formate", L"*.bmp;*.gif;*.ico;*.jpg;*.jpeg;*.wmf",
    };
    EXPECT_EQ(Fields(buffer, kFilterCapacity), expected);
}

TEST(PictureFilter, UnknownTypeHasEmptyDescriptionAndPattern)
{
    const int types[] = {906, 4711};
    wchar_t buffer[kFilterCapacity];
    BuildPictureFilter(buffer, types, 2);
    const std::vector<std::wstring> expected = {
        L"Windows Icon (*.ico)", L"*.ico", L" (*)", L"*", L"Alle unterst\u00fctzten Formate", L"*.ico;*",
    };
    EXPECT_EQ(Fields(buffer, kFilterCapacity), expected);
}

TEST(ModeEntry, RateSuffixOnlyWhenTheRateTakesPart)
{
    EXPECT_EQ(Entry({1920, 1080, 32, 60}, true), L"1920 x 1080 Pixel, 32 Bit Farbtiefe, 60 Hz");
    EXPECT_EQ(Entry({640, 480, 8, 1}, true), L"640 x 480 Pixel, 8 Bit Farbtiefe, VGA-Std.");
    EXPECT_EQ(Entry({1280, 1024, 16, 0}, true), L"1280 x 1024 Pixel, 16 Bit Farbtiefe, 0 Hz");
    EXPECT_EQ(Entry({1920, 1080, 32, 60}, false), L"1920 x 1080 Pixel, 32 Bit Farbtiefe");
    EXPECT_EQ(Entry({640, 480, 8, 1}, false), L"640 x 480 Pixel, 8 Bit Farbtiefe");
}

TEST(ModeEntry, TooLongSuffixIsDroppedWhole)
{
    const ModeEntryFormats wordy = {L"%d x %d Pixel", L", %d Bit Farbtiefe und noch sehr viel mehr Text", L"",
                                    L", %d Hz"};
    wchar_t text[kListTextCapacity];
    FormatModeEntry(text, wordy, {800, 600, 16, 75}, true);
    EXPECT_STREQ(text, L"800 x 600 Pixel, 75 Hz");
}

TEST(ModeSelection, LaterMatchWinsAndNoMatchTakesTheLast)
{
    // Without the rate, 800 x 600 x 32 at 60 and at 75 Hz both match.
    const std::vector<ModeKey> modes = {{640, 480, 32, 60}, {800, 600, 32, 60}, {800, 600, 32, 75}, {1024, 768, 32, 60}};
    auto matching = [&](ModeKey wanted, bool rate) {
        return ModeToSelect(modes.size(), [&](std::size_t i) {
            return MatchesModeKey(modes[i], wanted.width, wanted.height, wanted.bits, wanted.frequency, rate);
        });
    };
    EXPECT_EQ(matching({800, 600, 32, 60}, false), 2);
    EXPECT_EQ(matching({800, 600, 32, 60}, true), 1);
    EXPECT_EQ(matching({1600, 1200, 32, 60}, true), 3);
    EXPECT_EQ(ModeToSelect(0, [](std::size_t) { return true; }), -1);
}

TEST(AboutBox, VersionIsMajorMinorAndBuildOfTheFileVersion)
{
    wchar_t text[50];
    FormatVersionText(text, 50, 0x00040006u, 0x00030000u); // 4.6.3.0
    EXPECT_STREQ(text, L"4.6.3");
}
