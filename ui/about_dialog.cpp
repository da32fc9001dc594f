// The About box: name and version, legal notice, notes and the home-page link.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/application.h"
#include "resources/resource_ids.h"
#include "common/text.h"
#include "ui/dialog_content.h"
#include "ui/settings_pages.h"

namespace {

// Reserved test domain (RFC 2606): short enough for the link's 80 dialog units.
const wchar_t kHomePage[] = L"https://nightloom.test";
const wchar_t kFallbackNotice[] = L"Copyright \u00a9 Velbrook";
const wchar_t kUnknownVersion[] = L"1.x.x.x";

constexpr int kLineCapacity = 50; // 49 characters and the terminator
constexpr int kNoteCapacity = 260;
constexpr int kStringCapacity = 260;

// Kept between the messages of one About box.
HFONT titleFont = nullptr;
HFONT linkFont = nullptr;
WNDPROC previousLinkProc = nullptr;

struct Translation {
    WORD language;
    WORD codePage;
};

using VersionReader = void (*)(const void* block, wchar_t (&text)[kLineCapacity]);

// Reads the program file's version resource into a movable block, lets the
// reader take what it needs, and frees the block again.
void ReadOwnVersionInfo(VersionReader reader, wchar_t (&text)[kLineCapacity])
{
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH))
        return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory)
        return;
    void* block = GlobalLock(memory);
    if (block && GetFileVersionInfoW(path, 0, size, block))
        reader(block, text);
    if (block)
        GlobalUnlock(memory);
    GlobalFree(memory);
}

void ReadLegalNotice(const void* block, wchar_t (&text)[kLineCapacity])
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block, L"\\VarFileInfo\\Translation", &value, &length) || length < sizeof(Translation))
        return;
    const Translation* first = static_cast<const Translation*>(value);
    wchar_t query[64] = {};
    std::swprintf(query, 64, L"StringFileInfo\\%04X%04X\\%ls", first->language, first->codePage, L"LegalCopyright");
    if (VerQueryValueW(block, query, &value, &length) && length > 0)
        CopyText(text, kLineCapacity, static_cast<const wchar_t*>(value));
}

void ReadVersionText(const void* block, wchar_t (&text)[kLineCapacity])
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block, L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return;
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    FormatVersionText(text, kLineCapacity, fixed->dwFileVersionMS, fixed->dwFileVersionLS);
}

LRESULT CALLBACK LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return CallWindowProcW(previousLinkProc, link, message, wParam, lParam);
}

HFONT CreateTitleFont(HWND dialog)
{
    LOGFONTW font = {};
    HDC context = GetDC(dialog);
    font.lfHeight = -MulDiv(10, context ? GetDeviceCaps(context, LOGPIXELSY) : 96, 72);
    if (context)
        ReleaseDC(dialog, context);
    font.lfWeight = FW_BOLD;
    CopyText(font.lfFaceName, LF_FACESIZE, L"MS Sans Serif");
    return CreateFontIndirectW(&font);
}

HFONT CreateLinkFont(HWND link)
{
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(link, WM_GETFONT, 0, 0));
    if (!font)
        font = GetStockObject(SYSTEM_FONT);
    LOGFONTW description = {};
    if (!GetObjectW(font, sizeof description, &description))
        return nullptr;
    description.lfUnderline = TRUE;
    return CreateFontIndirectW(&description);
}

void SetTitleLine(HWND dialog)
{
    wchar_t version[kLineCapacity] = {};
    CopyText(version, kLineCapacity, kUnknownVersion);
    ReadOwnVersionInfo(ReadVersionText, version);
    wchar_t name[kStringCapacity] = {};
    LoadStringW(application->instance, IDS_CLASS_NAME, name, kStringCapacity);
    wchar_t line[kLineCapacity] = {};
    std::swprintf(line, kLineCapacity, L"%ls %ls", name, version);
    SetDlgItemTextW(dialog, IDC_ABOUT_TITLE, line);
    SendDlgItemMessageW(dialog, IDC_ABOUT_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont), FALSE);
}

void SetNotes(HWND dialog)
{
    const HINSTANCE instance = application->instance;
    wchar_t text[kStringCapacity] = {};
    LoadStringW(instance, IDS_ABOUT_FIRST_NOTE, text, kStringCapacity);
    SetDlgItemTextW(dialog, IDC_ABOUT_FIRST_NOTE, text);

    wchar_t freeUse[kStringCapacity] = {};
    wchar_t systems[kStringCapacity] = {};
    LoadStringW(instance, IDS_ABOUT_FREE_USE, freeUse, kStringCapacity);
    LoadStringW(instance, IDS_ABOUT_SYSTEMS, systems, kStringCapacity);
    wchar_t note[kNoteCapacity] = {};
    std::swprintf(note, kNoteCapacity, L"\n%ls\n\n%ls\n- Windows 10 / 11\n- Windows Server 2019 / 2022\n", freeUse,
                  systems);
    SetDlgItemTextW(dialog, IDC_ABOUT_SECOND_NOTE, note);
}

INT_PTR OnInitDialog(HWND dialog)
{
    HWND link = GetDlgItem(dialog, IDC_ABOUT_LINK);
    titleFont = CreateTitleFont(dialog);
    linkFont = CreateLinkFont(link);
    SetTitleLine(dialog);

    wchar_t notice[kLineCapacity] = {};
    CopyText(notice, kLineCapacity, kFallbackNotice);
    ReadOwnVersionInfo(ReadLegalNotice, notice);
    SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, notice);

    SetNotes(dialog);

    if (link) {
        previousLinkProc =
            reinterpret_cast<WNDPROC>(SetWindowLongPtrW(link, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkProc)));
        SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont), TRUE);
        SetWindowTextW(link, kHomePage);
    }
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam)
{
    const int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
    }
    if (id == IDC_ABOUT_LINK && HIWORD(wParam) == STN_CLICKED) {
        // A browser that cannot be started is not reported.
        ShellExecuteW(nullptr, L"open", kHomePage, nullptr, nullptr, SW_SHOWNORMAL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR OnLinkColour(HDC context, HWND control)
{
    if (GetDlgCtrlID(control) != IDC_ABOUT_LINK)
        return FALSE;
    SetTextColor(context, RGB(0, 0, 255));
    SetBkColor(context, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void DeleteFonts()
{
    if (titleFont)
        DeleteObject(titleFont);
    if (linkFont)
        DeleteObject(linkFont);
    titleFont = nullptr;
    linkFont = nullptr;
}

INT_PTR CALLBACK AboutDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_CTLCOLORSTATIC:
        return OnLinkColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NCDESTROY:
        DeleteFonts();
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowAboutDialog(HWND owner)
{
    DialogBoxParamW(application->instance, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDialog, 0);
}
