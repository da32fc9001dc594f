#pragma once
// Fixed-capacity wide text: bounded copies and printf-style formatting that
// refuse rather than overrun.
#include <cstdarg>

// The platform's path limit (MAX_PATH), terminator included.
constexpr int kPathCapacity = 260;

// Bounded copy that always terminates; returns false when the text was cut.
bool CopyText(wchar_t* target, int capacity, const wchar_t* source);
// Bounded append that always terminates; returns false when the text was cut.
bool AppendText(wchar_t* target, int capacity, const wchar_t* source);

constexpr int kTextCapacity = 256; // 255 characters and the terminator

// Formats like the C runtime's wide printf. Text longer than 255 characters is
// refused and gives the empty text. Returns the length written.
int FormatText(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, std::va_list args);
int FormatTextF(wchar_t (&buffer)[kTextCapacity], const wchar_t* format, ...);
