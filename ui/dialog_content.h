#pragma once
// What the settings dialog's pages show, built without the platform.
#include <cstddef>
#include <cstdint>

#include "scenes/scene_table.h"
#include "settings/display_modes.h"
#include "settings/settings.h"

constexpr int kListTextCapacity = 260;
constexpr int kFilterCapacity = 520;

// Scene list entries, "(Zufällig)" first and then the scene table's; the index
// is SceneStrategy.
constexpr int kSceneListLength = kSceneCount + 1;
extern const wchar_t* const kSceneNames[kSceneListLength];

// Picture types of the file dialog's filter, keyed by their type code.
constexpr int kPictureTypeCount = 5;
extern const int kPictureTypes[kPictureTypeCount];
const wchar_t* PictureTypeDescription(int typeCode); // empty for an unknown code
const wchar_t* PictureTypePattern(int typeCode);     // ".bmp", ".jpg;*.jpeg", ...

// The open-file dialog's filter: one description and pattern field pair per
// type, then "Alle unterstützten Formate" with every pattern; each field ends
// with a null character and the list with one more. A list too long for the
// buffer gives the empty list (two null characters). Gives buffer.
wchar_t* BuildPictureFilter(wchar_t (&buffer)[kFilterCapacity], const int* types, int count);

// Texts of strings 3400 to 3403, from which mode entries are built.
struct ModeEntryFormats {
    const wchar_t* size;        // "%d x %d Pixel"
    const wchar_t* bits;        // ", %d Bit Farbtiefe"
    const wchar_t* defaultRate; // ", VGA-Std.", for rate 1
    const wchar_t* rate;        // ", %d Hz", for every other rate
};

// "1920 x 1080 Pixel, 32 Bit Farbtiefe, 60 Hz"; the rate suffix only when the
// refresh rate takes part in matching.
void FormatModeEntry(wchar_t (&text)[kListTextCapacity], const ModeEntryFormats& formats, const ModeKey& mode,
                     bool rateTakesPart);

// The entry a list of modes selects: the last one for which matches(i) holds,
// else the last entry; -1 for an empty list.
template <class Matches>
int ModeToSelect(std::size_t count, Matches matches)
{
    int chosen = -1;
    for (std::size_t i = 0; i < count; ++i) {
        if (matches(i))
            chosen = static_cast<int>(i);
    }
    if (chosen < 0 && count > 0)
        chosen = static_cast<int>(count - 1);
    return chosen;
}

// The colour part of the settings: BackColor and the sixteen custom colours.
void CopyColors(const Settings& from, Settings& to);

// The About box's version: major, minor and build of a file version given as
// its two 32-bit halves, "4.6.3" for 4.6.3.0; the fourth number is not shown.
void FormatVersionText(wchar_t* text, int capacity, std::uint32_t versionMS, std::uint32_t versionLS);
