#include "app/command_line.h"

#include <climits>
#include <cwctype>

namespace {

const wchar_t* SkipProgramName(const wchar_t* p)
{
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
    } else {
        while (*p && *p != L' ')
            ++p;
    }
    // One character beyond the closing quote or the blank, never beyond the end.
    return *p ? p + 1 : p;
}

const wchar_t* SkipBlanks(const wchar_t* p)
{
    while (*p == L' ')
        ++p;
    return p;
}

const wchar_t* SkipBlanksAndColons(const wchar_t* p)
{
    while (*p == L' ' || *p == L':')
        ++p;
    return p;
}

bool SameText(const wchar_t* a, const wchar_t* b)
{
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool IsPreviewHostWord(const wchar_t* p)
{
    return SameText(p, L"scrprev") || SameText(p, L"ScrPrev") || SameText(p, L"SCRPREV");
}

} // namespace

std::int32_t ParseDecimalHandle(const wchar_t* p)
{
    while (std::iswspace(static_cast<std::wint_t>(*p)))
        ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') {
        negative = *p == L'-';
        ++p;
    }
    // Accumulate in 64 bits and saturate like a 32-bit long would.
    std::int64_t value = 0;
    bool overflow = false;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        value = value * 10 + (*p - L'0');
        if (value > static_cast<std::int64_t>(INT32_MAX) + 1) {
            overflow = true;
            value = static_cast<std::int64_t>(INT32_MAX) + 1;
        }
    }
    if (negative) {
        return overflow || value > INT32_MAX ? INT32_MIN : static_cast<std::int32_t>(-value);
    }
    return overflow || value > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(value);
}

CommandLine ParseCommandLine(const wchar_t* line)
{
    CommandLine result;
    if (!line)
        return result;
    const wchar_t* p = SkipBlanks(SkipProgramName(line));
    if (!*p)
        return result; // no argument: the settings dialog without owner

    if (*p == L'-' || *p == L'/')
        ++p;
    const wchar_t letter = *p;
    const wchar_t* rest = *p ? p + 1 : p;

    switch (letter) {
    case L'p': case L'P': case L'l': case L'L':
        result.mode = RunMode::Preview;
        rest = SkipBlanksAndColons(rest);
        if (IsPreviewHostWord(rest))
            result.previewHost = true;
        else
            result.handle = ParseDecimalHandle(rest);
        break;
    case L's': case L'S':
        result.mode = RunMode::FullScreen;
        break;
    case L'c': case L'C':
        result.mode = RunMode::Configure;
        rest = SkipBlanksAndColons(rest);
        if (*rest) {
            result.owner = DialogOwner::Handle;
            result.handle = ParseDecimalHandle(rest);
        } else {
            result.owner = DialogOwner::Foreground;
        }
        break;
    case L'a': case L'A':
        result.mode = RunMode::ChangePassword;
        result.handle = ParseDecimalHandle(SkipBlanksAndColons(rest));
        break;
    default:
        result.badSwitch = true;
        break;
    }
    return result;
}
