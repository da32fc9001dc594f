#pragma once

// A saver is often run straight from a download folder, where anyone may have
// left a DLL or a program under a system name. From this call on, the process
// loads DLLs that are not the program's own from the system folder only, and
// starts programs without looking in the current directory.
void LoadOnlyFromSystemFolders();

// Loads OpenGL and GLU from the system folder and binds every function the
// program calls in them, before the first call; at process start, as when
// they were bound by the loader.
void BindOpenGlNow();
