// The display mode catalogue against the modes that Wine reports.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <vector>

#include "common/os_version.h"
#include "settings/display_mode_catalogue.h"

namespace {

static_assert(sizeof(DEVMODEW) == 220, "the mode record is the 220-byte DEVMODEW");

using Fields = std::tuple<DWORD, DWORD, DWORD, DWORD>;

Fields FieldsOf(const DEVMODEW& mode)
{
    return Fields{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel, mode.dmDisplayFrequency};
}

// Every record the primary display reports, in the order reported.
std::vector<DEVMODEW> ReportedModes()
{
    std::vector<DEVMODEW> modes;
    for (DWORD index = 0;; ++index) {
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsW(nullptr, index, &mode))
            break;
        modes.push_back(mode);
    }
    return modes;
}

DEVMODEW ModeRecord(DWORD width, DWORD height, DWORD bits, DWORD frequency)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmDisplayFrequency = frequency;
    return mode;
}

class DisplayCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        catalogue.Enumerate();
        reported = ReportedModes();
        ASSERT_FALSE(reported.empty()) << "the display reports no mode";
    }

    DisplayModeCatalogue catalogue;
    std::vector<DEVMODEW> reported;
};

TEST_F(DisplayCatalogueTest, IsSortedByWidthHeightBitsAndRate)
{
    ASSERT_GT(catalogue.Count(), 0u);
    for (std::size_t i = 1; i < catalogue.Count(); ++i)
        EXPECT_LT(FieldsOf(catalogue.Mode(i - 1)), FieldsOf(catalogue.Mode(i))) << "at position " << i;
}

TEST_F(DisplayCatalogueTest, ListsEveryReportedModeOnce)
{
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        for (std::size_t j = i + 1; j < catalogue.Count(); ++j)
            EXPECT_NE(FieldsOf(catalogue.Mode(i)), FieldsOf(catalogue.Mode(j))) << i << " and " << j;
    }

    std::vector<Fields> distinct;
    for (const DEVMODEW& mode : reported) {
        if (std::find(distinct.begin(), distinct.end(), FieldsOf(mode)) == distinct.end())
            distinct.push_back(FieldsOf(mode));
    }
    EXPECT_EQ(catalogue.Count(), distinct.size());
    for (const Fields& fields : distinct) {
        bool listed = false;
        for (std::size_t i = 0; i < catalogue.Count(); ++i)
            listed = listed || FieldsOf(catalogue.Mode(i)) == fields;
        EXPECT_TRUE(listed) << std::get<0>(fields) << "x" << std::get<1>(fields) << "x" << std::get<2>(fields)
                            << " @" << std::get<3>(fields);
    }
}

TEST_F(DisplayCatalogueTest, RecordsAreTheFirstReportedOfTheirMode)
{
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        const DEVMODEW& listed = catalogue.Mode(i);
        auto first = std::find_if(reported.begin(), reported.end(),
                                  [&](const DEVMODEW& mode) { return FieldsOf(mode) == FieldsOf(listed); });
        ASSERT_NE(first, reported.end()) << "position " << i << " was never reported";
        EXPECT_EQ(std::memcmp(&*first, &listed, sizeof(DEVMODEW)), 0) << "position " << i;
    }
}

TEST_F(DisplayCatalogueTest, EnumeratingAgainStartsOver)
{
    const std::size_t count = catalogue.Count();
    catalogue.Enumerate();
    EXPECT_EQ(catalogue.Count(), count);
}

TEST_F(DisplayCatalogueTest, CurrentModeIsReadyForTheCurrentSettings)
{
    EXPECT_EQ(catalogue.currentMode.dmSize, 220u);
    DEVMODEW& current = catalogue.currentMode;
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &current));
    EXPECT_GT(current.dmPelsWidth, 0u);
}

TEST(DisplayModeMatch, WineReportsTheNtPlatform)
{
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(sizeof version, 284u);
    ASSERT_EQ(rtlGetVersion(&version), 0);
    EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));

    EXPECT_TRUE(IsNtPlatform());
}

TEST(DisplayModeMatch, RateTakesPartOnNt)
{
    const DEVMODEW at59 = ModeRecord(1920, 1080, 32, 59);
    EXPECT_TRUE(MatchesMode(at59, 1920, 1080, 32, 59));
    EXPECT_FALSE(MatchesMode(at59, 1920, 1080, 32, 60));

    const DEVMODEW defaultRate = ModeRecord(800, 600, 16, 1);
    EXPECT_TRUE(MatchesMode(defaultRate, 800, 600, 16, 1));
    EXPECT_FALSE(MatchesMode(defaultRate, 800, 600, 16, 0));
}

TEST(DisplayModeMatch, WidthHeightAndBitsMustAgree)
{
    const DEVMODEW mode = ModeRecord(1024, 768, 32, 60);
    EXPECT_TRUE(MatchesMode(mode, 1024, 768, 32, 60));
    EXPECT_FALSE(MatchesMode(mode, 1280, 768, 32, 60));
    EXPECT_FALSE(MatchesMode(mode, 1024, 720, 32, 60));
    EXPECT_FALSE(MatchesMode(mode, 1024, 768, 16, 60));
    EXPECT_FALSE(MatchesMode(mode, 768, 1024, 32, 60));
}

TEST(DisplayModeMatch, FindsTheCurrentModeInTheCatalogue)
{
    DisplayModeCatalogue catalogue;
    catalogue.Enumerate();
    DEVMODEW current = {};
    current.dmSize = sizeof current;
    ASSERT_TRUE(EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &current));

    std::size_t matches = 0;
    for (std::size_t i = 0; i < catalogue.Count(); ++i) {
        if (MatchesMode(catalogue.Mode(i), current.dmPelsWidth, current.dmPelsHeight, current.dmBitsPerPel,
                        current.dmDisplayFrequency))
            ++matches;
    }
    EXPECT_EQ(matches, 1u);
}

} // namespace
