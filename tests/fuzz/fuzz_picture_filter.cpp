// The open-file dialog's filter from any list of type codes: the text stays
// within its 520 characters and always ends in two null characters, so the
// dialog never reads past it; a list that fits is exactly the description and
// pattern pairs followed by "Alle unterstützten Formate" with every pattern.
#include <climits>
#include <string>

#include "fuzz_check.h"
#include "ui/dialog_content.h"

namespace {

using FilterBuffer = wchar_t[kFilterCapacity];

// The filter as the file dialog reads it, with its null characters.
std::wstring ExpectedFilter(const int* types, int count)
{
    std::wstring filter;
    for (int i = 0; i < count; ++i) {
        const std::wstring pattern = PictureTypePattern(types[i]);
        filter += std::wstring(PictureTypeDescription(types[i])) + L" (*" + pattern + L")";
        filter += L'\0';
        filter += L"*" + pattern;
        filter += L'\0';
    }
    filter += L"Alle unterst\u00fctzten Formate";
    filter += L'\0';
    for (int i = 0; i < count; ++i)
        filter += (i == 0 ? L"*" : L";*") + std::wstring(PictureTypePattern(types[i]));
    filter += L'\0';
    filter += L'\0';
    return filter;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const int count = input.ConsumeIntegralInRange<int>(0, 40);
    // Exactly count codes on the heap: reading one more would be caught.
    std::unique_ptr<int[]> types(new int[count > 0 ? count : 1]);
    for (int i = 0; i < count; ++i) {
        types[i] = input.ConsumeBool() ? kPictureTypes[input.ConsumeIntegralInRange<int>(0, kPictureTypeCount - 1)]
                                       : input.ConsumeIntegralInRange<int>(INT_MIN, INT_MAX);
    }

    std::unique_ptr<wchar_t[]> heap(new wchar_t[kFilterCapacity]);
    for (int i = 0; i < kFilterCapacity; ++i)
        heap[i] = input.ConsumeBool() ? L'\0' : L'x';
    FilterBuffer& buffer = *reinterpret_cast<FilterBuffer*>(heap.get());
    FUZZ_CHECK(BuildPictureFilter(buffer, types.get(), count) == heap.get());

    // The list ends where two null characters meet, inside the buffer.
    int end = -1;
    for (int i = 0; i + 1 < kFilterCapacity && end < 0; ++i) {
        if (buffer[i] == L'\0' && buffer[i + 1] == L'\0')
            end = i;
    }
    FUZZ_CHECK(end >= 0);

    const std::wstring expected = ExpectedFilter(types.get(), count);
    // The list is put together as one terminated text, so it fits with one
    // cell to spare.
    if (expected.size() < static_cast<std::size_t>(kFilterCapacity)) {
        FUZZ_CHECK(std::wstring(buffer, expected.size()) == expected);
    } else {
        // Too long for the buffer: no filter at all rather than a cut one.
        FUZZ_CHECK(end == 0);
    }
    return 0;
}
