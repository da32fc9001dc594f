#pragma once
// What the fuzzers share: a failed property aborts with its place, so libFuzzer
// keeps the input; wide texts are built from UTF-16 code units as on Windows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (false)

// UTF-16LE from the front of the input (numbers come from its back), so a seed
// can be a text file and every code unit, surrogates included, can occur.
inline std::wstring ConsumeWideText(FuzzedDataProvider& input, std::size_t maxUnits)
{
    const std::size_t units = std::min(maxUnits, input.remaining_bytes() / 2);
    const std::vector<std::uint8_t> bytes = input.ConsumeBytes<std::uint8_t>(2 * units);
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8));
    return text;
}

// An exact-size heap copy with its terminator, so the sanitizer sees any read
// beyond the end.
inline std::unique_ptr<wchar_t[]> ExactCopy(const std::wstring& text)
{
    std::unique_ptr<wchar_t[]> copy(new wchar_t[text.size() + 1]);
    text.copy(copy.get(), text.size());
    copy[text.size()] = L'\0';
    return copy;
}

// The buffer holds a terminator within its capacity.
template <std::size_t N>
bool TerminatedWithin(const wchar_t (&buffer)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (buffer[i] == L'\0')
            return true;
    return false;
}
