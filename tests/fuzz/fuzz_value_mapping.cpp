// The registry's DWORDs and the members they load into: every stored pattern
// decodes, the signed mapping round-trips except at its one documented
// collision, and the load rules give only values the program can use.
#include <climits>
#include <cwchar>
#include <string>

#include "fuzz_check.h"
#include "settings/value_mapping.h"

namespace {

void CheckSignedMapping(std::int32_t value, std::uint32_t stored)
{
    // 0x7FFFFFFF reads as the most negative value, so the largest one cannot
    // come back; every other value does.
    if (value != INT32_MAX)
        FUZZ_CHECK(DecodeSigned(EncodeSigned(value)) == value);
    else
        FUZZ_CHECK(DecodeSigned(EncodeSigned(value)) == INT32_MIN);
    // 0xFFFFFFFF reads as 0 and is written back as 0; every other pattern survives.
    if (stored != 0xFFFFFFFFu)
        FUZZ_CHECK(EncodeSigned(DecodeSigned(stored)) == stored);
    else
        FUZZ_CHECK(DecodeSigned(stored) == 0);
    // Order is kept on each side of the sign.
    if (value >= 0)
        FUZZ_CHECK(EncodeSigned(value) == static_cast<std::uint32_t>(value));
}

void CheckLoadRules(std::uint32_t stored, std::int32_t value)
{
    FUZZ_CHECK(DecodeFlag(stored) == (stored == 1u));

    const std::int32_t index = ClampLoadDlgIndex(value);
    FUZZ_CHECK(index <= kDefaultLoadDlgIndex);
    FUZZ_CHECK(index == (value > kDefaultLoadDlgIndex ? kDefaultLoadDlgIndex : value));
    FUZZ_CHECK(ClampLoadDlgIndex(index) == index);

    const std::int32_t adjustment = ValidAdjustmentNo(value);
    FUZZ_CHECK(adjustment >= 0 && adjustment <= 3);
    FUZZ_CHECK(adjustment == (value >= 0 && value <= 3 ? value : kDefaultAdjustmentNo));

    // A value read from the registry and stored again keeps its load rule.
    const std::int32_t decoded = DecodeSigned(stored);
    FUZZ_CHECK(ValidAdjustmentNo(DecodeSigned(EncodeSigned(ValidAdjustmentNo(decoded)))) ==
               ValidAdjustmentNo(decoded));
}

void CheckColorName(int index)
{
    wchar_t name[16];
    for (wchar_t& c : name)
        c = L'#';
    CustomColorValueName(index, name);
    FUZZ_CHECK(TerminatedWithin(name));
    const std::wstring text(name);
    FUZZ_CHECK(text.size() == 11 && text.compare(0, 9, L"RgbColors") == 0);
    FUZZ_CHECK(text[9] >= L'0' && text[9] <= L'9' && text[10] >= L'0' && text[10] <= L'9');
    if (index >= 0 && index < kCustomColorCount)
        FUZZ_CHECK((text[9] - L'0') * 10 + (text[10] - L'0') == index);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const auto value = input.ConsumeIntegral<std::int32_t>();
    const auto stored = input.ConsumeIntegral<std::uint32_t>();
    const auto index = input.ConsumeIntegral<int>();
    CheckSignedMapping(value, stored);
    CheckLoadRules(stored, value);
    CheckColorName(index);
    return 0;
}
