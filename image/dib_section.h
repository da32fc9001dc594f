#pragma once
// A drawing surface backed by a new DIB section.
#include <windows.h>

// A memory device context compatible with window's, with a new bottom-up DIB
// section of width x height at bitsPerPixel selected into it; nullptr when
// either cannot be made. *bitmap receives the section (the caller owns it and
// the context, and deletes the context when done; the bitmap survives that).
// When no context can be made, *bitmap is not touched.
HDC CreateDibSectionDC(HWND window, HBITMAP* bitmap, int width, int height, int bitsPerPixel);
