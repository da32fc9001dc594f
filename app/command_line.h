#pragma once
// Reading the switch that the system's screensaver machinery passes.
#include <cstdint>

enum class RunMode { Configure, ChangePassword, Preview, FullScreen };

// Whose child the settings dialog is.
enum class DialogOwner { None, Foreground, Handle };

struct CommandLine {
    RunMode mode = RunMode::Configure;
    bool badSwitch = false;
    bool previewHost = false;   // "/p scrprev": draw into the preview host's child window
    DialogOwner owner = DialogOwner::None;
    std::int64_t handle = 0;    // decimal window handle, sign-extended
};

// The whole process command line, program name first.
CommandLine ParseCommandLine(const wchar_t* line);

// A signed 32-bit decimal number as the C runtime's wcstol reads it where long is
// 32 bits: leading white space and a sign allowed, saturating, 0 without digits.
std::int32_t ParseDecimalHandle(const wchar_t* text);
