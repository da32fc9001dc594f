// The "Anzeige" page: the display switch, the mode list and the monitor choice.
#include <windows.h>

#include "app/application.h"
#include "common/os_version.h"
#include "resources/resource_ids.h"
#include "ui/dialog_content.h"
#include "ui/settings_pages.h"

namespace {

struct ModeEntryTexts {
    wchar_t size[kListTextCapacity];
    wchar_t bits[kListTextCapacity];
    wchar_t defaultRate[kListTextCapacity];
    wchar_t rate[kListTextCapacity];

    ModeEntryTexts()
        : size(), bits(), defaultRate(), rate()
    {
        const HINSTANCE instance = application->instance;
        LoadStringW(instance, IDS_MODE_SIZE, size, kListTextCapacity);
        LoadStringW(instance, IDS_MODE_BITS, bits, kListTextCapacity);
        LoadStringW(instance, IDS_MODE_DEFAULT_RATE, defaultRate, kListTextCapacity);
        LoadStringW(instance, IDS_MODE_RATE, rate, kListTextCapacity);
    }

    ModeEntryFormats Formats() const { return ModeEntryFormats{size, bits, defaultRate, rate}; }
};

bool IsChecked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

void Check(HWND page, int id, bool checked)
{
    CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

} // namespace

void FillDisplayPage(HWND page)
{
    if (!page)
        return;
    const Application& app = *application;
    Check(page, IDC_SWITCH_DISPLAY, app.SwitchDisplay);
    Check(page, IDC_USE_ONE_MONITOR, app.Use1Monitor);

    HWND list = GetDlgItem(page, IDC_MODE_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const ModeEntryTexts texts;
    const ModeEntryFormats formats = texts.Formats();
    const bool rateTakesPart = IsNtPlatform();
    const DisplayModeCatalogue& modes = app.displayModes;
    for (std::size_t i = 0; i < modes.Count(); ++i) {
        wchar_t entry[kListTextCapacity];
        FormatModeEntry(entry, formats, KeyOfMode(modes.Mode(i)), rateTakesPart);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    const int chosen = ModeToSelect(modes.Count(), [&](std::size_t i) {
        return MatchesMode(modes.Mode(i), static_cast<std::uint32_t>(app.FullWidth),
                           static_cast<std::uint32_t>(app.FullHeight), static_cast<std::uint32_t>(app.FullBits),
                           app.FullFrequency);
    });
    if (chosen >= 0)
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void ReadDisplayPage(HWND page)
{
    if (!page)
        return;
    Application& app = *application;
    app.SwitchDisplay = IsChecked(page, IDC_SWITCH_DISPLAY);
    app.Use1Monitor = IsChecked(page, IDC_USE_ONE_MONITOR);
    const LRESULT selected = SendDlgItemMessageW(page, IDC_MODE_LIST, CB_GETCURSEL, 0, 0);
    if (selected < 0 || static_cast<std::size_t>(selected) >= app.displayModes.Count())
        return;
    const DEVMODEW& mode = app.displayModes.Mode(static_cast<std::size_t>(selected));
    app.FullWidth = static_cast<std::int32_t>(mode.dmPelsWidth);
    app.FullHeight = static_cast<std::int32_t>(mode.dmPelsHeight);
    app.FullBits = static_cast<std::int32_t>(mode.dmBitsPerPel);
    app.FullFrequency = mode.dmDisplayFrequency;
}

// Like the fill, prefers the last matching entry of the catalogue.
void SelectCurrentMode(HWND dialog)
{
    HWND page = SettingsPage(dialog, kDisplayPage);
    DisplayModeCatalogue& modes = application->displayModes;
    if (!page || !EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &modes.currentMode))
        return;
    const DEVMODEW& current = modes.currentMode;
    for (std::size_t i = modes.Count(); i-- > 0;) {
        if (MatchesMode(modes.Mode(i), current.dmPelsWidth, current.dmPelsHeight, current.dmBitsPerPel,
                        current.dmDisplayFrequency)) {
            SendDlgItemMessageW(page, IDC_MODE_LIST, CB_SETCURSEL, i, 0);
            return;
        }
    }
}
