#pragma once

// Loads OpenGL and GLU from the system folder and binds every function the
// program calls in them, before the first call: at process start, as when the
// loader bound them. The other delayed DLLs bind at their first call, each
// taken from the system folder as well.
void BindOpenGlNow();
