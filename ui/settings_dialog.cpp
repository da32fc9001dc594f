// The tabbed settings dialog: it edits the Application's members directly and
// the colours in a working copy, and stores everything on confirm.
#include "ui/settings_dialog.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cwchar>
#include <new>

#include "app/application.h"
#include "resources/resource_ids.h"
#include "ui/dialog_content.h"
#include "ui/settings_pages.h"

namespace {

constexpr int kDialogTextCapacity = 260;

HWND* Pages(HWND dialog)
{
    return reinterpret_cast<HWND*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

HWND Tabs(HWND dialog)
{
    return GetDlgItem(dialog, IDC_TABS);
}

int SelectedTab(HWND dialog)
{
    return static_cast<int>(SendMessageW(Tabs(dialog), TCM_GETCURSEL, 0, 0));
}

void ShowPage(HWND dialog, int index, bool show)
{
    HWND page = SettingsPage(dialog, index);
    if (page)
        ShowWindow(page, show ? SW_SHOW : SW_HIDE);
}

// Every command of the page controls goes to the settings dialog.
INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        return SendMessageW(GetParent(page), WM_COMMAND, wParam, lParam);
    default:
        return FALSE;
    }
}

void InsertTab(HWND tabs, int index, UINT textId)
{
    wchar_t text[kDialogTextCapacity] = {};
    LoadStringW(application->instance, textId, text, kDialogTextCapacity);
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// Places the pages over the tab control's display area.
void PlacePages(HWND dialog, HWND* pages)
{
    HWND tabs = Tabs(dialog);
    RECT area = {};
    GetWindowRect(tabs, &area);
    POINT corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    ScreenToClient(dialog, &corners[0]);
    ScreenToClient(dialog, &corners[1]);
    area = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (int i = 0; i < kPageCount; ++i) {
        if (pages[i])
            MoveWindow(pages[i], area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    }
}

void CreatePages(HWND dialog)
{
    HWND tabs = Tabs(dialog);
    InsertTab(tabs, kDisplayPage, IDS_TAB_DISPLAY);
    InsertTab(tabs, kApplicationPage, IDS_TAB_APPLICATION);

    // Without pages the dialog still opens, with its buttons only.
    HWND* pages = new (std::nothrow) HWND[kPageCount]{};
    if (!pages)
        return;
    const HINSTANCE instance = application->instance;
    pages[kDisplayPage] = CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_DISPLAY_PAGE), dialog, PageProc, 0);
    pages[kApplicationPage] =
        CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_APPLICATION_PAGE), dialog, PageProc, 0);
    // Above the tab control, display page first.
    for (int i = kPageCount - 1; i >= 0; --i) {
        if (pages[i])
            BringWindowToTop(pages[i]);
    }
    if (SendMessageW(tabs, CCM_GETVERSION, 0, 0) >= 6) {
        for (int i = 0; i < kPageCount; ++i) {
            if (pages[i])
                EnableThemeDialogTexture(pages[i], ETDT_ENABLETAB);
        }
    }
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(pages));
    PlacePages(dialog, pages);
    ShowPage(dialog, kDisplayPage, true);
}

// "Einstellungen" becomes "Einstellungen zu Nightloom (App)".
void ExtendTitle(HWND dialog)
{
    wchar_t title[kDialogTextCapacity] = {};
    GetWindowTextW(dialog, title, kDialogTextCapacity);
    wchar_t extended[kDialogTextCapacity] = {};
    std::swprintf(extended, kDialogTextCapacity, L"%ls zu %ls", title, application->title);
    SetWindowTextW(dialog, extended);
}

void FillPages(HWND dialog, bool setTitle)
{
    Application& app = *application;
    if (app.TabIndex == kApplicationPage) {
        SendMessageW(Tabs(dialog), TCM_SETCURSEL, kApplicationPage, 0);
        ShowPage(dialog, kDisplayPage, false);
        ShowPage(dialog, kApplicationPage, true);
    }
    CopyColors(app.settings, app.editSettings);
    if (setTitle)
        ExtendTitle(dialog);
    FillDisplayPage(SettingsPage(dialog, kDisplayPage));
    FillApplicationPage(dialog);
}

bool ApplyPages(HWND dialog)
{
    Application& app = *application;
    app.TabIndex = SelectedTab(dialog);
    CopyColors(app.editSettings, app.settings);
    ReadDisplayPage(SettingsPage(dialog, kDisplayPage));
    ReadApplicationPage(dialog);
    app.SaveSettings();
    return true;
}

void Cancel(HWND dialog)
{
    application->TabIndex = SelectedTab(dialog);
    application->SaveTabIndex();
    EndDialog(dialog, IDCANCEL);
}

void ResetAfterQuestion(HWND dialog)
{
    const HINSTANCE instance = application->instance;
    wchar_t notice[kDialogTextCapacity] = {};
    wchar_t question[kDialogTextCapacity] = {};
    wchar_t caption[kDialogTextCapacity] = {};
    LoadStringW(instance, IDS_RESET_NOTICE, notice, kDialogTextCapacity);
    LoadStringW(instance, IDS_RESET_QUESTION, question, kDialogTextCapacity);
    LoadStringW(instance, IDS_RESET_CAPTION, caption, kDialogTextCapacity);
    wchar_t text[2 * kDialogTextCapacity] = {};
    std::swprintf(text, 2 * kDialogTextCapacity, L"%ls\n%ls", notice, question);
    if (MessageBoxW(dialog, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    application->ResetSettings();
    FillPages(dialog, false);
    SelectCurrentMode(dialog);
}

INT_PTR OnCommand(HWND dialog, int id)
{
    switch (id) {
    case IDOK:
        if (!ApplyPages(dialog))
            return FALSE;
        EndDialog(dialog, IDOK);
        break;
    case IDCANCEL:
        Cancel(dialog);
        break;
    case IDC_RESET:
        ResetAfterQuestion(dialog);
        break;
    case IDC_ABOUT:
        ShowAboutDialog(dialog);
        break;
    case IDC_SELECT_CURRENT_MODE:
        SelectCurrentMode(dialog);
        break;
    case IDC_BROWSE_LOGO:
        BrowseLogo(dialog);
        break;
    case IDC_BACK_COLOR:
        if (ChooseBackColor(dialog))
            UpdateLogoControls(dialog);
        break;
    default:
        break;
    }
    return TRUE;
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header)
{
    switch (header->code) {
    case TCN_SELCHANGING:
        ShowPage(dialog, SelectedTab(dialog), false);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case TCN_SELCHANGE:
        ShowPage(dialog, SelectedTab(dialog), true);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR OnInitDialog(HWND dialog)
{
    CreatePages(dialog);
    FillPages(dialog, true);
    HWND edit = GetDlgItem(SettingsPage(dialog, kApplicationPage), IDC_LOGO_PATH);
    if (edit) {
        InstallPathEditProc(edit);
        SetWindowPos(edit, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    return TRUE;
}

} // namespace

HWND SettingsPage(HWND dialog, int index)
{
    HWND* pages = Pages(dialog);
    if (!pages || index < 0 || index >= kPageCount)
        return nullptr;
    return pages[index];
}

INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));
    case WM_NOTIFY:
        return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_KEYDOWN:
        if (wParam != VK_ESCAPE)
            return FALSE;
        // The default dialog handling turns WM_CLOSE into the cancel command.
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_NCDESTROY:
        ReleaseLogoSwatch();
        delete[] Pages(dialog);
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}
