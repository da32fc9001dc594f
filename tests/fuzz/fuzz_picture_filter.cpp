// The open-file dialog's filter from any list of type codes: the text stays
// within its 520 characters and always ends in two null characters, so the
// dialog never reads past it. (What the program's own list gives is a unit test.)
#include <climits>

#include "fuzz_check.h"
#include "ui/dialog_content.h"

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
    auto& buffer = *reinterpret_cast<wchar_t(*)[kFilterCapacity]>(heap.get());
    FUZZ_CHECK(BuildPictureFilter(buffer, types.get(), count) == heap.get());

    // The list ends where two null characters meet, inside the buffer.
    bool ends = false;
    for (int i = 0; i + 1 < kFilterCapacity && !ends; ++i)
        ends = buffer[i] == L'\0' && buffer[i + 1] == L'\0';
    FUZZ_CHECK(ends);
    return 0;
}
