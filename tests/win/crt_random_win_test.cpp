// Our random numbers and text formatting against the Windows C runtime that the
// program is linked with.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>
#include <thread>

#include "common/crt_random.h"
#include "common/text.h"
#include "scenes/calendar.h"

namespace {

constexpr int kValuesPerSeed = 10000;

// Compares CrtRand with the runtime's rand after seeding both alike.
void ExpectSameSequenceAsTheRuntime(unsigned int seed)
{
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::srand(seed);
    CrtSrand(seed);
    for (int i = 0; i < kValuesPerSeed; ++i) {
        const int expected = std::rand();
        ASSERT_EQ(CrtRand(), expected) << "value " << i;
    }
}

TEST(CrtRandomOnWindows, MatchesTheRuntimeForEverySeed)
{
    const unsigned int seeds[] = {
        0u, 1u, 2u, 12345u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
        static_cast<unsigned int>(std::time(nullptr)),
    };
    for (unsigned int seed : seeds)
        ExpectSameSequenceAsTheRuntime(seed);
}

TEST(CrtRandomOnWindows, UnseededThreadMatchesTheRuntime)
{
    // A new thread starts both generators in their initial state.
    int mismatchAt = -1;
    int ours = 0;
    int runtime = 0;
    std::thread worker([&] {
        for (int i = 0; i < kValuesPerSeed; ++i) {
            ours = CrtRand();
            runtime = std::rand();
            if (ours != runtime) {
                mismatchAt = i;
                return;
            }
        }
    });
    worker.join();
    EXPECT_EQ(mismatchAt, -1) << "ours " << ours << ", runtime " << runtime;
}

TEST(CrtRandomOnWindows, ReseedingRepeatsTheSequence)
{
    CrtSrand(4711);
    int first[100];
    for (int& value : first)
        value = CrtRand();
    CrtSrand(4711);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(CrtRand(), first[i]) << i;
}

// --- Text formatting with the program's runtime ------------------------------

TEST(TextFormattingOnWindows, FloatFieldIsPaddedWithBlanks)
{
    wchar_t text[kTextCapacity];
    const int length = FormatTextF(text, L" %10.2f", 59.94);
    EXPECT_EQ(std::wstring(text), L"      59.94");
    EXPECT_EQ(length, 11);
}

TEST(TextFormattingOnWindows, WideStringArgumentKeepsItsUmlaut)
{
    wchar_t text[kTextCapacity];
    const int length = FormatTextF(text, L"%ls %4d", L"M\u00e4rz", 2024);
    EXPECT_EQ(std::wstring(text), L"M\u00e4rz 2024");
    EXPECT_EQ(length, 9);

    FormatTextF(text, L"%ls %4d", L"M\u00e4rz", 7);
    EXPECT_EQ(std::wstring(text), L"M\u00e4rz    7");
}

// With MinGW, std::vswprintf is vsnwprintf, which answers the length the whole
// text would need (300, 256) instead of a negative count and leaves a cut text.
TEST(TextFormattingOnWindows, TextLongerThanTheBufferIsRefused)
{
    wchar_t text[kTextCapacity];
    const std::wstring longest(255, L'a');
    EXPECT_EQ(FormatTextF(text, L"%ls", longest.c_str()), 255);
    EXPECT_EQ(std::wstring(text), longest);

    const std::wstring tooLong(300, L'b');
    EXPECT_EQ(FormatTextF(text, L"%ls", tooLong.c_str()), 0);
    EXPECT_STREQ(text, L"");

    const std::wstring oneTooMany(256, L'c');
    EXPECT_EQ(FormatTextF(text, L"%ls", oneTooMany.c_str()), 0);
    EXPECT_STREQ(text, L"");
}

TEST(TextFormattingOnWindows, ClockHasTwoDigitFields)
{
    wchar_t text[16];
    FormatClock(7, 5, 9, text);
    EXPECT_STREQ(text, L"07:05:09");
    FormatClock(23, 59, 10, text);
    EXPECT_STREQ(text, L"23:59:10");
    FormatClock(0, 0, 0, text);
    EXPECT_STREQ(text, L"00:00:00");
}

} // namespace
