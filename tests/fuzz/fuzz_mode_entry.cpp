// Display mode entries for any mode the platform can list: with the program's
// own strings the entry reads back as the mode's numbers and carries the rate
// suffix only when the rate takes part; with strings of any length each part
// is whole or left out, and the entry stays within its 260 characters.
#include <cwchar>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "ui/dialog_content.h"

namespace {

using EntryBuffer = wchar_t[kListTextCapacity];
constexpr int kSuffixCapacity = 32;

struct HeapEntry {
    std::unique_ptr<wchar_t[]> cells{new wchar_t[kListTextCapacity]};
    HeapEntry()
    {
        for (int i = 0; i < kListTextCapacity; ++i)
            cells[i] = L'#';
    }
    EntryBuffer& buffer() { return *reinterpret_cast<EntryBuffer*>(cells.get()); }
};

// Literal text for a format: percent signs doubled, no null characters.
std::wstring ConsumeLiteral(FuzzedDataProvider& input)
{
    const std::wstring text = ConsumeWideText(input, input.ConsumeIntegralInRange<std::size_t>(0, 150));
    std::wstring escaped;
    for (wchar_t c : text) {
        escaped.push_back(c == L'\0' ? L' ' : c);
        if (c == L'%')
            escaped.push_back(L'%');
    }
    return escaped;
}

// The runtime's whole text when it fits the capacity, else nothing.
template <class... Args>
std::wstring WholeOrNothing(int capacity, const std::wstring& format, Args... args)
{
    static std::vector<wchar_t> text(4096);
    const int length = std::swprintf(text.data(), text.size(), format.c_str(), args...);
    return length >= 0 && length < capacity ? std::wstring(text.data()) : std::wstring();
}

void CheckOwnStrings(const ModeKey& mode, bool rateTakesPart)
{
    const std::wstring size = L"%d x %d Pixel", bits = L", %d Bit Farbtiefe", vga = L", VGA-Std.",
                       rate = L", %d Hz";
    const auto sizeText = ExactCopy(size), bitsText = ExactCopy(bits), vgaText = ExactCopy(vga),
               rateText = ExactCopy(rate);
    const ModeEntryFormats formats = {sizeText.get(), bitsText.get(), vgaText.get(), rateText.get()};
    HeapEntry entry;
    FormatModeEntry(entry.buffer(), formats, mode, rateTakesPart);
    FUZZ_CHECK(TerminatedWithin(entry.buffer()));

    const std::wstring text(entry.buffer());
    int width = 0, height = 0, depth = 0, consumed = 0;
    FUZZ_CHECK(std::swscanf(text.c_str(), L"%d x %d Pixel, %d Bit Farbtiefe%n", &width, &height, &depth,
                            &consumed) == 3);
    FUZZ_CHECK(width == static_cast<int>(mode.width) && height == static_cast<int>(mode.height) &&
               depth == static_cast<int>(mode.bits));
    const std::wstring suffix = text.substr(static_cast<std::size_t>(consumed));
    if (!rateTakesPart) {
        FUZZ_CHECK(suffix.empty());
    } else if (mode.frequency == 1) {
        FUZZ_CHECK(suffix == vga);
    } else {
        int shownRate = 0, rest = 0;
        FUZZ_CHECK(std::swscanf(suffix.c_str(), L", %d Hz%n", &shownRate, &rest) == 1);
        FUZZ_CHECK(shownRate == static_cast<int>(mode.frequency) && static_cast<std::size_t>(rest) == suffix.size());
    }
}

void CheckAnyStrings(FuzzedDataProvider& input, const ModeKey& mode, bool rateTakesPart)
{
    const std::wstring size = ConsumeLiteral(input) + L"%d" + ConsumeLiteral(input) + L"%d" + ConsumeLiteral(input);
    const std::wstring bits = ConsumeLiteral(input) + L"%d" + ConsumeLiteral(input);
    std::wstring vga = ConsumeWideText(input, input.ConsumeIntegralInRange<std::size_t>(0, 60));
    vga = vga.substr(0, vga.find(L'\0'));
    const std::wstring rate = ConsumeLiteral(input) + L"%d" + ConsumeLiteral(input);
    const bool withVga = input.ConsumeBool();

    const auto sizeText = ExactCopy(size), bitsText = ExactCopy(bits), vgaText = ExactCopy(vga),
               rateText = ExactCopy(rate);
    const ModeEntryFormats formats = {sizeText.get(), bitsText.get(), withVga ? vgaText.get() : nullptr,
                                      rateText.get()};
    HeapEntry entry;
    FormatModeEntry(entry.buffer(), formats, mode, rateTakesPart);
    FUZZ_CHECK(TerminatedWithin(entry.buffer()));

    std::wstring expected = WholeOrNothing(kListTextCapacity, size, static_cast<int>(mode.width),
                                           static_cast<int>(mode.height)) +
                            WholeOrNothing(kSuffixCapacity, bits, static_cast<int>(mode.bits));
    if (rateTakesPart) {
        // The default-rate text is copied, not formatted, and so cut to fit.
        expected += mode.frequency == 1 ? (withVga ? vga.substr(0, kSuffixCapacity - 1) : std::wstring())
                                        : WholeOrNothing(kSuffixCapacity, rate, static_cast<int>(mode.frequency));
    }
    FUZZ_CHECK(std::wstring(entry.buffer()) == expected.substr(0, kListTextCapacity - 1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    ModeKey mode{};
    mode.width = input.ConsumeIntegral<std::uint32_t>();
    mode.height = input.ConsumeIntegral<std::uint32_t>();
    mode.bits = input.ConsumeIntegral<std::uint32_t>();
    // The default rate 1 often enough to be seen.
    mode.frequency = input.ConsumeBool() ? 1u : input.ConsumeIntegral<std::uint32_t>();
    const bool rateTakesPart = input.ConsumeBool();
    CheckOwnStrings(mode, rateTakesPart);
    if (input.remaining_bytes() > 0)
        CheckAnyStrings(input, mode, rateTakesPart);
    return 0;
}
