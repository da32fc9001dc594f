#pragma once
#include <windows.h>

// Dialog procedure of the settings dialog (template 2003).
INT_PTR CALLBACK SettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
