#pragma once
// Sorting and matching of display modes, independent of the platform's record.
#include <algorithm>
#include <cstdint>
#include <vector>

struct ModeKey {
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bits;
    std::uint32_t frequency; // 0 and 1 stand for the hardware's default rate
};

bool SameMode(const ModeKey& a, const ModeKey& b);
bool ModeSortsBefore(const ModeKey& a, const ModeKey& b);
bool MatchesModeKey(const ModeKey& mode, std::uint32_t width, std::uint32_t height,
                    std::uint32_t bits, std::uint32_t frequency, bool rateTakesPart);

// Appends the record unless a record of the same mode is already listed: the
// first one enumerated stays.
template <class Record, class KeyOf>
void AddDistinctMode(std::vector<Record>& modes, const Record& record, KeyOf keyOf)
{
    const ModeKey key = keyOf(record);
    for (const Record& listed : modes) {
        if (SameMode(keyOf(listed), key))
            return;
    }
    modes.push_back(record);
}

template <class Record, class KeyOf>
void SortModes(std::vector<Record>& modes, KeyOf keyOf)
{
    std::stable_sort(modes.begin(), modes.end(), [&](const Record& a, const Record& b) {
        return ModeSortsBefore(keyOf(a), keyOf(b));
    });
}
