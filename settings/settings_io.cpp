#include "settings/settings_io.h"

#include "common/text.h"
#include "settings/value_mapping.h"

namespace {

std::int32_t ReadSigned(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, std::int32_t fallback)
{
    std::uint32_t stored = 0;
    return store.TryReadDword(subkey, name, stored) ? DecodeSigned(stored) : fallback;
}

bool ReadFlag(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, bool fallback)
{
    return DecodeFlag(store.ReadDword(subkey, name, fallback ? 1u : 0u));
}

void WriteSigned(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, std::int32_t value)
{
    store.WriteDword(subkey, name, EncodeSigned(value));
}

void WriteFlag(RegistryStore& store, const wchar_t* subkey, const wchar_t* name, bool value)
{
    store.WriteDword(subkey, name, value ? 1u : 0u);
}

} // namespace

bool BuildProgramSubkey(const wchar_t* className, wchar_t* subkey, int capacity)
{
    if (CopyText(subkey, capacity, kProgramKeyPrefix) && AppendText(subkey, capacity, className))
        return true;
    // A cut class name would name another program's key.
    if (capacity > 0)
        subkey[0] = L'\0';
    return false;
}

void LoadStoredSettings(RegistryStore& program, RegistryStore& common, const MeasuredDisplayMode& screen,
                        const StoredFields& fields)
{
    Settings& settings = fields.settings;
    fields.TabIndex = ReadSigned(program, kDialogSubkey, L"TabIndex", fields.TabIndex);
    fields.Use1Monitor = ReadFlag(program, kNoSubkey, L"Use1Monitor", fields.Use1Monitor);
    fields.SwitchDisplay = ReadFlag(program, kStatusSubkey, L"SwitchDisplay", fields.SwitchDisplay);
    fields.FullWidth = ReadSigned(program, kNoSubkey, L"FullWidth", screen.desktopWidth);
    fields.FullHeight = ReadSigned(program, kNoSubkey, L"FullHeight", screen.desktopHeight);
    fields.FullBits = ReadSigned(program, kNoSubkey, L"FullBits", screen.bits);
    fields.FullFrequency = program.ReadDword(kNoSubkey, L"FullFrequency", screen.frequency);
    settings.SceneStrategy = ReadSigned(program, kNoSubkey, L"SceneStrategy", settings.SceneStrategy);
    settings.ShowDesktop = ReadFlag(program, kNoSubkey, L"ShowDesktop", settings.ShowDesktop);

    settings.OpenGL_MaxTextureSize = ReadSigned(common, kNoSubkey, L"OpenGL_MaxTextureSize", kDefaultMaxTextureSize);

    CopyText(settings.LogoPath, kPathCapacity, program.ReadLogoPath());
    fields.LoadDlgIndex = ClampLoadDlgIndex(ReadSigned(program, kImageSubkey, L"LoadDlgIndex", kDefaultLoadDlgIndex));
    settings.AdjustmentNo = ValidAdjustmentNo(ReadSigned(program, kImageSubkey, L"AdjustmentNo", settings.AdjustmentNo));

    settings.BackColor = static_cast<ColorRef>(ReadSigned(program, kColorsSubkey, L"BackColor",
                                                          static_cast<std::int32_t>(settings.BackColor)));
    for (int i = 0; i < kCustomColorCount; ++i) {
        wchar_t name[16];
        CustomColorValueName(i, name);
        settings.RgbColors[i] = program.ReadDword(kColorsSubkey, name, settings.RgbColors[i]);
    }
}

void SaveStoredSettings(RegistryStore& program, const StoredFields& fields)
{
    const Settings& settings = fields.settings;
    WriteSigned(program, kDialogSubkey, L"TabIndex", fields.TabIndex);
    WriteFlag(program, kNoSubkey, L"Use1Monitor", fields.Use1Monitor);
    WriteFlag(program, kStatusSubkey, L"SwitchDisplay", fields.SwitchDisplay);
    WriteSigned(program, kNoSubkey, L"FullWidth", fields.FullWidth);
    WriteSigned(program, kNoSubkey, L"FullHeight", fields.FullHeight);
    WriteSigned(program, kNoSubkey, L"FullBits", fields.FullBits);
    program.WriteDword(kNoSubkey, L"FullFrequency", fields.FullFrequency);
    WriteSigned(program, kNoSubkey, L"SceneStrategy", settings.SceneStrategy);
    WriteFlag(program, kNoSubkey, L"ShowDesktop", settings.ShowDesktop);
    program.WriteLogoPath(settings.LogoPath);
    WriteSigned(program, kImageSubkey, L"LoadDlgIndex", fields.LoadDlgIndex);
    WriteSigned(program, kImageSubkey, L"AdjustmentNo", settings.AdjustmentNo);
    // BackColor goes through the signed mapping it is read through; the custom
    // colours are read raw and so written raw.
    WriteSigned(program, kColorsSubkey, L"BackColor", static_cast<std::int32_t>(settings.BackColor));
    for (int i = 0; i < kCustomColorCount; ++i) {
        wchar_t name[16];
        CustomColorValueName(i, name);
        program.WriteDword(kColorsSubkey, name, settings.RgbColors[i]);
    }
}

void SaveStoredTabIndex(RegistryStore& program, std::int32_t tabIndex)
{
    WriteSigned(program, kDialogSubkey, L"TabIndex", tabIndex);
}

void SaveStoredMaxTextureSize(RegistryStore& common, std::int32_t maxTextureSize)
{
    WriteSigned(common, kNoSubkey, L"OpenGL_MaxTextureSize", maxTextureSize);
}
