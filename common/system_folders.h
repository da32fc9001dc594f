#pragma once
#include <windows.h>

// A saver is often run straight from a download folder, where anyone may have
// left a DLL or a program under a system name. From this call on, the process
// loads DLLs that are not the program's own from the system folder only, and
// starts programs without looking in the current directory.
void LoadOnlyFromSystemFolders();

// The system folder's copy of a DLL, by its full path: found there whatever
// the search order, and on Windows without SetDefaultDllDirectories too. Null
// when it cannot be loaded.
HMODULE LoadFromSystemFolder(const char* name);
