#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "app/command_line.h"

namespace {

CommandLine Parse(const wchar_t* line)
{
    return ParseCommandLine(line);
}

TEST(CommandLine, FullScreenSpellings)
{
    for (const wchar_t* line : {L"saver.scr /s", L"saver.scr -S", L"saver.scr s", L"saver.scr /S trailing words",
                                L"saver.scr /screen"}) {
        const CommandLine c = Parse(line);
        EXPECT_EQ(c.mode, RunMode::FullScreen) << line;
        EXPECT_FALSE(c.badSwitch) << line;
    }
}

TEST(CommandLine, NoArgumentOpensSettingsWithoutOwner)
{
    for (const wchar_t* line : {L"saver.scr", L"saver.scr ", L"saver.scr     ", L"\"C:\\a b\\saver.scr\"",
                                L"\"C:\\a b\\saver.scr\"   "}) {
        const CommandLine c = Parse(line);
        EXPECT_EQ(c.mode, RunMode::Configure) << line;
        EXPECT_EQ(c.owner, DialogOwner::None) << line;
        EXPECT_FALSE(c.badSwitch) << line;
    }
}

TEST(CommandLine, ConfigureOwner)
{
    EXPECT_EQ(Parse(L"saver.scr /c").owner, DialogOwner::Foreground);
    EXPECT_EQ(Parse(L"saver.scr /C   ").owner, DialogOwner::Foreground);
    const CommandLine withHandle = Parse(L"saver.scr /c:1234");
    EXPECT_EQ(withHandle.mode, RunMode::Configure);
    EXPECT_EQ(withHandle.owner, DialogOwner::Handle);
    EXPECT_EQ(withHandle.handle, 1234);
    // Only the first letter is the switch; the rest is read as the owner's handle.
    const CommandLine word = Parse(L"saver.scr /config");
    EXPECT_EQ(word.mode, RunMode::Configure);
    EXPECT_EQ(word.owner, DialogOwner::Handle);
    EXPECT_EQ(word.handle, 0);
}

TEST(CommandLine, PreviewHandleForms)
{
    for (const wchar_t* line : {L"saver.scr /p 1234", L"saver.scr /p:1234", L"saver.scr /P : 1234",
                                L"saver.scr /l 1234", L"saver.scr -L::  1234", L"saver.scr p1234"}) {
        const CommandLine c = Parse(line);
        EXPECT_EQ(c.mode, RunMode::Preview) << line;
        EXPECT_FALSE(c.previewHost) << line;
        EXPECT_EQ(c.handle, 1234) << line;
    }
}

TEST(CommandLine, PreviewWithoutHandleReadsZero)
{
    EXPECT_EQ(Parse(L"saver.scr /p").handle, 0);
    EXPECT_EQ(Parse(L"saver.scr /p 0").handle, 0);
    EXPECT_EQ(Parse(L"saver.scr /p window").handle, 0);
}

TEST(CommandLine, PreviewHostSpellingsMustEndTheLine)
{
    for (const wchar_t* line : {L"saver.scr /p scrprev", L"saver.scr /p ScrPrev", L"saver.scr /p:SCRPREV"})
        EXPECT_TRUE(Parse(line).previewHost) << line;
    for (const wchar_t* line : {L"saver.scr /p scrPrev", L"saver.scr /p scrprev ", L"saver.scr /p scrprevx",
                                L"saver.scr /p scrpre"}) {
        const CommandLine c = Parse(line);
        EXPECT_FALSE(c.previewHost) << line;
        EXPECT_EQ(c.handle, 0) << line;
    }
}

TEST(CommandLine, PasswordSwitch)
{
    const CommandLine c = Parse(L"saver.scr /a 1234");
    EXPECT_EQ(c.mode, RunMode::ChangePassword);
    EXPECT_EQ(c.handle, 1234);
    EXPECT_EQ(Parse(L"saver.scr /A").handle, 0);
}

TEST(CommandLine, BadSwitches)
{
    for (const wchar_t* line : {L"saver.scr /x", L"saver.scr /1", L"saver.scr /", L"saver.scr -", L"saver.scr \t/s",
                                L"saver.scr //s"})
        EXPECT_TRUE(Parse(line).badSwitch) << line;
}

TEST(CommandLine, QuotedProgramPathWithBlanksIsSkippedWhole)
{
    const CommandLine c = Parse(L"\"C:\\Program Files\\Night loom\\saver.scr\" /p 77");
    EXPECT_EQ(c.mode, RunMode::Preview);
    EXPECT_EQ(c.handle, 77);
    // An unclosed quote swallows the rest of the line.
    EXPECT_EQ(Parse(L"\"C:\\a b\\saver.scr /s").mode, RunMode::Configure);
    // Reading goes on right after the closing quote, blank or not.
    EXPECT_EQ(Parse(L"\"saver.scr\"/s").mode, RunMode::FullScreen);
    EXPECT_TRUE(Parse(L"\"saver.scr\"x/s").badSwitch);
}

TEST(CommandLine, NullAndEmptyLinesAreSafe)
{
    EXPECT_EQ(ParseCommandLine(nullptr).mode, RunMode::Configure);
    EXPECT_EQ(Parse(L"").mode, RunMode::Configure);
    EXPECT_EQ(Parse(L"\"").mode, RunMode::Configure);
}

TEST(DecimalHandle, ReadsLikeA32BitWcstol)
{
    EXPECT_EQ(ParseDecimalHandle(L"1234"), 1234);
    EXPECT_EQ(ParseDecimalHandle(L"  \t+42xyz"), 42);
    EXPECT_EQ(ParseDecimalHandle(L"-17"), -17);
    EXPECT_EQ(ParseDecimalHandle(L"abc"), 0);
    EXPECT_EQ(ParseDecimalHandle(L"-"), 0);
    EXPECT_EQ(ParseDecimalHandle(L"2147483647"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle(L"2147483648"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle(L"99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseDecimalHandle(L"-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimalHandle(L"-99999999999999999999999"), INT32_MIN);
}

TEST(CommandLine, NegativeHandleIsSignExtended)
{
    EXPECT_EQ(Parse(L"saver.scr /p -5").handle, -5);
}

} // namespace

namespace {

// Random lines from the characters that matter to the parser, each in a buffer
// of exactly its size, so that AddressSanitizer sees any read past its end.
TEST(CommandLine, RandomLinesNeverReadPastTheEnd)
{
    static const wchar_t alphabet[] = L"\" /-:\tspclaSPCLAx0129+scrprevSCRPREV";
    const int alphabetSize = static_cast<int>(sizeof alphabet / sizeof alphabet[0]) - 1;
    unsigned state = 12345;
    auto next = [&state](int bound) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 8) % static_cast<unsigned>(bound));
    };
    for (int round = 0; round < 50000; ++round) {
        const int length = next(24);
        std::unique_ptr<wchar_t[]> line(new wchar_t[length + 1]);
        for (int i = 0; i < length; ++i)
            line[i] = alphabet[next(alphabetSize)];
        line[length] = L'\0';
        const CommandLine c = ParseCommandLine(line.get());
        ASSERT_GE(c.handle, INT32_MIN);
        ASSERT_LE(c.handle, INT32_MAX);
        if (c.badSwitch) {
            ASSERT_EQ(c.mode, RunMode::Configure);
        }
    }
}

} // namespace
