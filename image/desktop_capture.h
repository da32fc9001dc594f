#pragma once
// The screens as the desktop snapshot sees them.
#include <windows.h>

#include "image/capture_geometry.h"

// The primary display's mode, the desktop window's origin and the virtual
// screen over all monitors, as the system reports them now.
ScreenLayout MeasureScreensForCapture();
