#include <gtest/gtest.h>

#include <vector>

#include "settings/display_modes.h"

namespace {

// A mode record with a field that takes no part in comparisons, to see which of
// two equal modes was kept.
struct Record {
    ModeKey key;
    int enumerationIndex;
};

ModeKey KeyOf(const Record& r)
{
    return r.key;
}

std::vector<Record> Catalogue(const std::vector<ModeKey>& enumerated)
{
    std::vector<Record> modes;
    int index = 0;
    for (const ModeKey& key : enumerated)
        AddDistinctMode(modes, Record{key, index++}, KeyOf);
    SortModes(modes, KeyOf);
    return modes;
}

TEST(DisplayModes, DuplicatesAreListedOnceKeepingTheFirst)
{
    const auto modes = Catalogue({{1920, 1080, 32, 60}, {1920, 1080, 32, 60}, {1920, 1080, 32, 59}});
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[0].key.frequency, 59u);
    EXPECT_EQ(modes[1].enumerationIndex, 0);
}

TEST(DisplayModes, SortByWidthHeightBitsRate)
{
    const auto modes = Catalogue({{1280, 720, 32, 60},
                                  {1024, 768, 32, 60},
                                  {800, 600, 32, 60},
                                  {800, 600, 16, 60},
                                  {800, 600, 16, 75},
                                  {800, 600, 16, 1},
                                  {800, 500, 32, 60}});
    const std::vector<ModeKey> expected = {{800, 500, 32, 60}, {800, 600, 16, 1},  {800, 600, 16, 60},
                                           {800, 600, 16, 75}, {800, 600, 32, 60}, {1024, 768, 32, 60},
                                           {1280, 720, 32, 60}};
    ASSERT_EQ(modes.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(SameMode(modes[i].key, expected[i])) << "position " << i;
}

TEST(DisplayModes, SortComparesAsUnsigned)
{
    const auto modes = Catalogue({{0xFFFFFFFFu, 1, 32, 60}, {640, 480, 32, 60}});
    EXPECT_EQ(modes[0].key.width, 640u);
}

TEST(DisplayModes, EmptyEnumerationGivesEmptyCatalogue)
{
    EXPECT_TRUE(Catalogue({}).empty());
}

TEST(DisplayModes, MatchWithAndWithoutRate)
{
    const ModeKey mode{1920, 1080, 32, 59};
    EXPECT_FALSE(MatchesModeKey(mode, 1920, 1080, 32, 60, true));
    EXPECT_TRUE(MatchesModeKey(mode, 1920, 1080, 32, 60, false));
    EXPECT_TRUE(MatchesModeKey(mode, 1920, 1080, 32, 59, true));
    EXPECT_FALSE(MatchesModeKey(mode, 1920, 1080, 16, 59, false));
    EXPECT_FALSE(MatchesModeKey(mode, 1920, 1200, 32, 59, false));
    EXPECT_FALSE(MatchesModeKey(mode, 1280, 1080, 32, 59, false));
}

} // namespace
