#pragma once
// The parts of the settings dialog that its two pages and the About box share.
#include <windows.h>

constexpr int kDisplayPage = 0;
constexpr int kApplicationPage = 1;
constexpr int kPageCount = 2;

// A page window of the settings dialog; null before the pages exist.
HWND SettingsPage(HWND dialog, int index);

// Display page ("Anzeige").
void FillDisplayPage(HWND page);
void ReadDisplayPage(HWND page);
void SelectCurrentMode(HWND dialog);

// Application page ("Anwendung"). These take the settings dialog, as the
// commands that call them arrive there.
void FillApplicationPage(HWND dialog);
void ReadApplicationPage(HWND dialog);
void UpdateLogoControls(HWND dialog);
void InstallPathEditProc(HWND edit);
LRESULT CALLBACK PathEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
void BrowseLogo(HWND dialog);
bool ChooseBackColor(HWND dialog);
// The colour button keeps no bitmap of its own: its last swatch is freed here.
void ReleaseLogoSwatch();

// The About box, modal above its owner.
void ShowAboutDialog(HWND owner);
