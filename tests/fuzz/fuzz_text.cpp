// Bounded wide text: formatting with any mix of literal text, conversions and
// arguments either gives the whole text within 255 characters or the empty
// text, and bounded copies never write beyond their capacity and always end in
// a terminator.
#include <cmath>
#include <cwchar>
#include <vector>

#include "common/text.h"
#include "fuzz_check.h"

namespace {

constexpr int kMaxCapacity = 300;

std::wstring ConsumeLiteral(FuzzedDataProvider& input)
{
    std::wstring text = ConsumeWideText(input, input.ConsumeIntegralInRange<std::size_t>(0, 40));
    std::wstring escaped;
    for (wchar_t c : text) {
        if (c == L'\0')
            c = L' ';
        escaped.push_back(c);
        if (c == L'%')
            escaped.push_back(L'%');
    }
    return escaped;
}

// Flags, width and precision as the program's own texts use them, and beyond.
std::wstring ConsumeFieldSpec(FuzzedDataProvider& input)
{
    static const wchar_t* const flags[] = {L"", L"-", L"0", L"+", L" ", L"#"};
    std::wstring field = L"%";
    field += flags[input.ConsumeIntegralInRange<int>(0, 5)];
    if (input.ConsumeBool())
        field += std::to_wstring(input.ConsumeIntegralInRange<int>(1, 400));
    if (input.ConsumeBool())
        field += L"." + std::to_wstring(input.ConsumeIntegralInRange<int>(0, 400));
    return field;
}

std::wstring ConsumeFormat(FuzzedDataProvider& input, const wchar_t* conversion)
{
    std::wstring format = ConsumeLiteral(input);
    const int count = input.ConsumeIntegralInRange<int>(0, 3);
    for (int i = 0; i < count; ++i)
        format += ConsumeFieldSpec(input) + conversion + ConsumeLiteral(input);
    return format;
}

using TextBuffer = wchar_t[kTextCapacity];

// Compares FormatText with the runtime's own answer in a buffer large enough
// for any of these texts.
template <class... Args>
void CheckFormat(const std::wstring& format, Args... args)
{
    // Three fields of at most 400 characters, three texts of at most 300 and
    // four literals of at most 80 stay well below this.
    static std::vector<wchar_t> expected(8192);
    const int expectedLength = std::swprintf(expected.data(), expected.size(), format.c_str(), args...);

    std::unique_ptr<wchar_t[]> heap(new wchar_t[kTextCapacity]);
    for (int i = 0; i < kTextCapacity; ++i)
        heap[i] = L'#';
    TextBuffer& buffer = *reinterpret_cast<TextBuffer*>(heap.get());
    const auto formatText = ExactCopy(format);
    const int length = FormatTextF(buffer, formatText.get(), args...);

    FUZZ_CHECK(TerminatedWithin(buffer));
    FUZZ_CHECK(length >= 0 && static_cast<std::size_t>(length) == std::wcslen(buffer));
    if (expectedLength >= 0 && expectedLength < kTextCapacity) {
        FUZZ_CHECK(length == expectedLength);
        FUZZ_CHECK(std::wcscmp(buffer, expected.data()) == 0);
    } else {
        FUZZ_CHECK(length == 0);
    }
}

void FuzzFormat(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: {
        const std::wstring format = ConsumeFormat(input, L"d");
        CheckFormat(format, input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                    input.ConsumeIntegral<int>());
        break;
    }
    case 1: {
        const std::wstring format = ConsumeFormat(input, L"f");
        CheckFormat(format, input.ConsumeFloatingPoint<double>(), input.ConsumeFloatingPoint<double>(),
                    input.ConsumeFloatingPoint<double>());
        break;
    }
    case 2: {
        const std::wstring format = ConsumeFormat(input, L"x");
        CheckFormat(format, input.ConsumeIntegral<unsigned>(), input.ConsumeIntegral<unsigned>(),
                    input.ConsumeIntegral<unsigned>());
        break;
    }
    case 3: {
        const std::wstring format = ConsumeFormat(input, L"ls");
        std::wstring args[3];
        for (std::wstring& arg : args) {
            arg = ConsumeWideText(input, input.ConsumeIntegralInRange<std::size_t>(0, 300));
            arg = arg.substr(0, arg.find(L'\0'));
        }
        CheckFormat(format, ExactCopy(args[0]).get(), ExactCopy(args[1]).get(), ExactCopy(args[2]).get());
        break;
    }
    default:
        // No conversion at all: the literal text alone.
        CheckFormat(ConsumeLiteral(input) + ConsumeLiteral(input) + ConsumeLiteral(input), 0);
        break;
    }
}

void FuzzCopy(FuzzedDataProvider& input)
{
    const int capacity = input.ConsumeIntegralInRange<int>(-2, kMaxCapacity);
    const bool append = input.ConsumeBool();
    // What the target held before: possibly without any terminator.
    std::wstring before = ConsumeWideText(input, kMaxCapacity);
    std::wstring source = ConsumeWideText(input, 2 * kMaxCapacity);
    source = source.substr(0, source.find(L'\0'));
    const auto sourceText = ExactCopy(source);

    if (capacity <= 0) {
        // Nothing may be written: a null target would fault.
        FUZZ_CHECK(!(append ? AppendText(nullptr, capacity, sourceText.get())
                            : CopyText(nullptr, capacity, sourceText.get())));
        return;
    }
    std::unique_ptr<wchar_t[]> target(new wchar_t[capacity]);
    for (int i = 0; i < capacity; ++i)
        target[i] = i < static_cast<int>(before.size()) ? before[i] : L'#';

    std::wstring kept;
    bool terminated = !append;
    if (append) {
        for (int i = 0; i < capacity && !terminated; ++i) {
            if (target[i] == L'\0')
                terminated = true;
            else
                kept.push_back(target[i]);
        }
    }
    const bool fitted = append ? AppendText(target.get(), capacity, sourceText.get())
                               : CopyText(target.get(), capacity, sourceText.get());

    bool terminatedAfter = false;
    for (int i = 0; i < capacity && !terminatedAfter; ++i)
        terminatedAfter = target[i] == L'\0';
    FUZZ_CHECK(terminatedAfter);
    const std::wstring after(target.get());
    if (!terminated) {
        // A target without terminator is refused and closed at its last cell.
        FUZZ_CHECK(!fitted && after.size() == static_cast<std::size_t>(capacity - 1));
        return;
    }
    const std::wstring whole = kept + source;
    FUZZ_CHECK(fitted == (whole.size() < static_cast<std::size_t>(capacity)));
    FUZZ_CHECK(after == whole.substr(0, static_cast<std::size_t>(capacity - 1)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        FuzzFormat(input);
    else
        FuzzCopy(input);
    return 0;
}
