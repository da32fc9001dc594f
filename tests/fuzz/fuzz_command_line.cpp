// The switch the screensaver machinery passes: any command line reads into one
// run mode without reading past its end, numbers read as the 32-bit C runtime
// reads them, and a line written back from the result reads the same.
#include <cerrno>
#include <climits>
#include <cwchar>

#include "app/command_line.h"
#include "fuzz_check.h"

namespace {

// wcstol where long is 32 bits: the 64-bit conversion, saturated to 32 bits.
std::int32_t ReferenceDecimal(const wchar_t* text)
{
    const long long value = std::wcstoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool Same(const CommandLine& a, const CommandLine& b)
{
    return a.mode == b.mode && a.badSwitch == b.badSwitch && a.previewHost == b.previewHost &&
           a.owner == b.owner && a.handle == b.handle;
}

std::wstring Rewrite(const CommandLine& parsed)
{
    const std::wstring program = L"\"C:\\Windows\\nightloom.scr\" ";
    const std::wstring handle = std::to_wstring(parsed.handle);
    if (parsed.badSwitch)
        return program + L"/x";
    switch (parsed.mode) {
    case RunMode::FullScreen:
        return program + L"/s";
    case RunMode::Preview:
        return program + (parsed.previewHost ? L"/p scrprev" : L"/p " + handle);
    case RunMode::ChangePassword:
        return program + L"/a " + handle;
    case RunMode::Configure:
        break;
    }
    switch (parsed.owner) {
    case DialogOwner::None:
        return program;
    case DialogOwner::Foreground:
        return program + L"/c";
    case DialogOwner::Handle:
        break;
    }
    return program + L"/c:" + handle;
}

void CheckConsistent(const CommandLine& parsed)
{
    FUZZ_CHECK(parsed.handle >= INT32_MIN && parsed.handle <= INT32_MAX);
    if (parsed.badSwitch)
        FUZZ_CHECK(parsed.mode == RunMode::Configure && parsed.owner == DialogOwner::None && parsed.handle == 0);
    if (parsed.previewHost)
        FUZZ_CHECK(parsed.mode == RunMode::Preview && parsed.handle == 0);
    if (parsed.owner != DialogOwner::None)
        FUZZ_CHECK(parsed.mode == RunMode::Configure);
    if (parsed.mode == RunMode::FullScreen)
        FUZZ_CHECK(parsed.handle == 0 && parsed.owner == DialogOwner::None);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::wstring line = ConsumeWideText(input, 4096);

    const auto exact = ExactCopy(line);
    FUZZ_CHECK(ParseDecimalHandle(exact.get()) == ReferenceDecimal(exact.get()));

    const CommandLine parsed = ParseCommandLine(exact.get());
    CheckConsistent(parsed);
    const std::wstring rewritten = Rewrite(parsed);
    FUZZ_CHECK(Same(ParseCommandLine(ExactCopy(rewritten).get()), parsed));
    return 0;
}
