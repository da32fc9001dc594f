#pragma once
// The stored settings' way to and from the registry, value by value.
#include <cstdint>

#include "settings/registry_store.h"
#include "settings/settings.h"

// The screen as measured at load time: the fallbacks of the full-screen mode.
struct MeasuredDisplayMode {
    std::int32_t desktopWidth = 0;
    std::int32_t desktopHeight = 0;
    std::int32_t bits = 0;
    std::uint32_t frequency = 0;
};

// The members the stored values load into and save from, wherever their owner
// keeps them; named after the registry values.
struct StoredFields {
    std::int32_t& TabIndex;
    bool& Use1Monitor;
    bool& SwitchDisplay;
    std::int32_t& FullWidth;
    std::int32_t& FullHeight;
    std::int32_t& FullBits;
    std::uint32_t& FullFrequency;
    std::int32_t& LoadDlgIndex;
    Settings& settings;
};

// "ScreenSaver\" + class name, or the empty text (refused) when it does not fit.
bool BuildProgramSubkey(const wchar_t* className, wchar_t* subkey, int capacity);

// Every value in load order; a missing or unreadable value keeps the member's
// current value or takes the measured or constant fallback.
void LoadStoredSettings(RegistryStore& program, RegistryStore& common, const MeasuredDisplayMode& screen,
                        const StoredFields& fields);
void SaveStoredSettings(RegistryStore& program, const StoredFields& fields);
void SaveStoredTabIndex(RegistryStore& program, std::int32_t tabIndex);
void SaveStoredMaxTextureSize(RegistryStore& common, std::int32_t maxTextureSize);
