// The "Anwendung" page: scene, desktop backdrop and the greyed logo group.
#include <windows.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cwchar>

#include "app/application.h"
#include "resources/resource_ids.h"
#include "common/text.h"
#include "ui/dialog_content.h"
#include "ui/settings_pages.h"

namespace {

WNDPROC replacedEditProc = nullptr;
HBITMAP logoSwatch = nullptr;

constexpr int kPlacementCount = 4;

HWND ApplicationPage(HWND dialog)
{
    return SettingsPage(dialog, kApplicationPage);
}

void FillSceneList(HWND page)
{
    HWND list = GetDlgItem(page, IDC_SCENE_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* name : kSceneNames) {
        wchar_t entry[kListTextCapacity];
        std::swprintf(entry, kListTextCapacity, L"%ls", name);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(application->settings.SceneStrategy), 0);
}

void FillPlacementList(HWND page)
{
    Application& app = *application;
    HWND list = GetDlgItem(page, IDC_PLACEMENT_LIST);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < kPlacementCount; ++i) {
        LoadStringW(app.instance, IDS_PLACEMENT_CENTERED + i, app.textBuffer, kListTextCapacity);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(app.textBuffer));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(app.settings.AdjustmentNo), 0);
}

// The background colour with an unpainted margin: one pixel at the left and
// top, two at the right and bottom.
HBITMAP PaintSwatch(HWND button, COLORREF colour)
{
    HDC buttonContext = GetDC(button);
    if (!buttonContext)
        return nullptr;
    HBITMAP bitmap = nullptr;
    HDC memory = CreateCompatibleDC(buttonContext);
    if (memory) {
        RECT client = {};
        GetClientRect(button, &client);
        const int width = client.right - client.left;
        const int height = client.bottom - client.top;
        bitmap = CreateCompatibleBitmap(buttonContext, width, height);
        if (bitmap) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            SetDCBrushColor(memory, colour);
            const RECT face = {1, 1, width - 2, height - 2};
            FillRect(memory, &face, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
            SelectObject(memory, previous);
        }
        DeleteDC(memory);
    }
    ReleaseDC(button, buttonContext);
    return bitmap;
}

} // namespace

void FillApplicationPage(HWND dialog)
{
    HWND page = ApplicationPage(dialog);
    if (!page)
        return;
    const Settings& settings = application->settings;
    FillSceneList(page);
    CheckDlgButton(page, IDC_SHOW_DESKTOP, settings.ShowDesktop ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(page, IDC_LOGO_PATH, settings.LogoPath);
    FillPlacementList(page);
    UpdateLogoControls(dialog);
}

void ReadApplicationPage(HWND dialog)
{
    HWND page = ApplicationPage(dialog);
    if (!page)
        return;
    Settings& settings = application->settings;
    settings.SceneStrategy = static_cast<std::int32_t>(SendDlgItemMessageW(page, IDC_SCENE_LIST, CB_GETCURSEL, 0, 0));
    settings.ShowDesktop = IsDlgButtonChecked(page, IDC_SHOW_DESKTOP) == BST_CHECKED;
    GetDlgItemTextW(page, IDC_LOGO_PATH, settings.LogoPath, kPathCapacity);
    settings.AdjustmentNo =
        static_cast<std::int32_t>(SendDlgItemMessageW(page, IDC_PLACEMENT_LIST, CB_GETCURSEL, 0, 0));
}

void UpdateLogoControls(HWND dialog)
{
    HWND page = ApplicationPage(dialog);
    if (!page)
        return;
    SetDlgItemTextW(page, IDC_LOGO_PATH, application->settings.LogoPath);
    HWND button = GetDlgItem(page, IDC_BACK_COLOR);
    if (!button)
        return;
    HBITMAP swatch = PaintSwatch(button, application->editSettings.BackColor);
    SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(swatch));
    if (logoSwatch)
        DeleteObject(logoSwatch);
    logoSwatch = swatch;
}

void ReleaseLogoSwatch()
{
    if (logoSwatch)
        DeleteObject(logoSwatch);
    logoSwatch = nullptr;
}

void InstallPathEditProc(HWND edit)
{
    replacedEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PathEditProc)));
}

// The browse button sits inside the right end of the edit's frame: the edit
// gives up that much of its client area and lets the button have the mouse.
LRESULT CALLBACK PathEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT answer = CallWindowProcW(replacedEditProc, edit, message, wParam, lParam);
    HWND button = GetDlgCtrlID(edit) == IDC_LOGO_PATH ? GetDlgItem(GetParent(edit), IDC_BROWSE_LOGO) : nullptr;
    if (!button)
        return answer;
    if (message == WM_NCCALCSIZE && wParam) {
        RECT buttonRect = {};
        GetWindowRect(button, &buttonRect);
        const int width = buttonRect.right - buttonRect.left;
        RECT& client = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
        client.right -= width;
        MoveWindow(button, client.right, client.top, width, client.bottom - client.top, TRUE);
    } else if (message == WM_NCHITTEST && answer == HTNOWHERE) {
        const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT buttonRect = {};
        GetWindowRect(button, &buttonRect);
        if (PtInRect(&buttonRect, point))
            return HTTRANSPARENT;
    }
    return answer;
}

void BrowseLogo(HWND dialog)
{
    Application& app = *application;
    if (!app.fileDialogBuffers)
        return;
    wchar_t fileName[kPathCapacity] = {};
    CopyText(fileName, kPathCapacity, app.settings.LogoPath);
    const std::size_t length = std::wcslen(fileName);
    if (length > 0 && fileName[length - 1] == L'\\')
        fileName[length - 1] = L'\0';

    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = dialog;
    open.lpstrFilter = BuildPictureFilter(app.fileDialogBuffers->filter, kPictureTypes, kPictureTypeCount);
    open.nFilterIndex = static_cast<DWORD>(app.LoadDlgIndex);
    open.lpstrFile = fileName;
    open.nMaxFile = kPathCapacity;
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&open))
        return;
    app.LoadDlgIndex = static_cast<std::int32_t>(open.nFilterIndex);
    CopyText(app.settings.LogoPath, kPathCapacity, fileName);
    UpdateLogoControls(dialog);
}

bool ChooseBackColor(HWND dialog)
{
    Settings& colours = application->editSettings;
    COLORREF custom[kCustomColorCount];
    for (int i = 0; i < kCustomColorCount; ++i)
        custom[i] = colours.RgbColors[i];
    CHOOSECOLORW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.rgbResult = colours.BackColor;
    choose.lpCustColors = custom;
    choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_SOLIDCOLOR | CC_ANYCOLOR;
    if (!ChooseColorW(&choose))
        return false;
    colours.BackColor = choose.rgbResult;
    for (int i = 0; i < kCustomColorCount; ++i)
        colours.RgbColors[i] = custom[i];
    return true;
}
