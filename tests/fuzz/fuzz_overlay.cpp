// The information overlay from any window size the platform can report and any
// measured frame rate: the texts stay within their buffer and read back as the
// numbers shown, and the layout keeps its fixed distances from the corners.
#include <climits>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "fuzz_check.h"
#include "render/overlay_text.h"

namespace {

using TextBuffer = wchar_t[kTextCapacity];

struct HeapText {
    std::unique_ptr<wchar_t[]> cells{new wchar_t[kTextCapacity]};
    HeapText()
    {
        for (int i = 0; i < kTextCapacity; ++i)
            cells[i] = L'#';
    }
    TextBuffer& buffer() { return *reinterpret_cast<TextBuffer*>(cells.get()); }
};

// The size as SceneHolder keeps it: the client size in whole pixels, as float.
void CheckSize(int clientWidth, int clientHeight)
{
    const float width = static_cast<float>(clientWidth);
    const float height = static_cast<float>(clientHeight);
    const OverlayLayout layout = LayoutOverlay(width, height);
    FUZZ_CHECK(layout.captionX == 60 && layout.fpsY == 60 && layout.dimensionY == 75 && layout.headingY == 105);
    FUZZ_CHECK(layout.valueX - layout.labelX == 180);
    if (clientWidth < (1 << 24) && clientHeight < (1 << 24)) {
        // Exact as float: the positions are whole pixels from the right and top.
        FUZZ_CHECK(layout.labelX == clientWidth - 340 && layout.captionY == clientHeight - 60);
    }

    HeapText text;
    const int length = FormatDimension(width, height, text.buffer());
    FUZZ_CHECK(TerminatedWithin(text.buffer()));
    FUZZ_CHECK(length > 0 && static_cast<std::size_t>(length) == std::wcslen(text.buffer()));
    int shownWidth = -1;
    int shownHeight = -1;
    FUZZ_CHECK(std::swscanf(text.buffer(), L"%d x %d", &shownWidth, &shownHeight) == 2);
    FUZZ_CHECK(layout.labelX == shownWidth - 340 && layout.captionY == shownHeight - 60);
    if (clientWidth < (1 << 24) && clientHeight < (1 << 24))
        FUZZ_CHECK(shownWidth == clientWidth && shownHeight == clientHeight);
}

void CheckFrameRate(float fps)
{
    HeapText text;
    const int length = FormatFrameRate(fps, text.buffer());
    FUZZ_CHECK(TerminatedWithin(text.buffer()));
    FUZZ_CHECK(length > 0 && static_cast<std::size_t>(length) == std::wcslen(text.buffer()));
    // A blank, then at least ten characters with two decimals.
    FUZZ_CHECK(length >= 11 && text.buffer()[0] == L' ');
    if (!std::isfinite(fps))
        return;
    FUZZ_CHECK(text.buffer()[length - 3] == L'.');
    const double shown = std::wcstod(text.buffer(), nullptr);
    FUZZ_CHECK(std::fabs(shown - fps) <= 0.005 + std::fabs(fps) * 1e-15);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const int clientWidth = input.ConsumeIntegralInRange<int>(0, INT_MAX);
    const int clientHeight = input.ConsumeIntegralInRange<int>(0, INT_MAX);
    float fps = 0.0f;
    const auto bits = input.ConsumeIntegral<std::uint32_t>();
    std::memcpy(&fps, &bits, sizeof fps);
    CheckSize(clientWidth, clientHeight);
    CheckFrameRate(fps);
    return 0;
}
