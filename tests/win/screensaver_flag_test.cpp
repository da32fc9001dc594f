// The system's screensaver-active flag around a run. The system call is
// redirected in this program's import table to a stand-in that can refuse the
// read and records the writes, so the system's own flag stays untouched.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/application.h"

namespace {

using SystemParametersCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT);

// Every slot of this program's import table that holds `target` points at
// `standIn` while the redirection lives. The saver's code is linked into this
// program, so its calls go through these slots.
class ImportRedirect {
public:
    ImportRedirect(void* target, void* standIn) : original_(reinterpret_cast<ULONG_PTR>(target))
    {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0)
            return;
        auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
        for (; module->Name != 0; ++module) {
            auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
            for (; slot->u1.Function != 0; ++slot) {
                if (slot->u1.Function == original_ && Write(slot, reinterpret_cast<ULONG_PTR>(standIn)))
                    slots_.push_back(slot);
            }
        }
    }

    ~ImportRedirect()
    {
        for (IMAGE_THUNK_DATA* slot : slots_)
            Write(slot, original_);
    }

    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;

    bool Redirected() const { return !slots_.empty(); }

private:
    static bool Write(IMAGE_THUNK_DATA* slot, ULONG_PTR value)
    {
        DWORD protection = 0;
        if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
            return false;
        slot->u1.Function = value;
        VirtualProtect(slot, sizeof *slot, protection, &protection);
        return true;
    }

    ULONG_PTR original_;
    std::vector<IMAGE_THUNK_DATA*> slots_;
};

const auto realSystemParameters = reinterpret_cast<SystemParametersCall>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoW")));

bool flagReadFails = false;
std::vector<UINT> flagWrites;

// Reads the flag as on, unless told to fail as a system without access would.
BOOL WINAPI StandInSystemParameters(UINT action, UINT param, PVOID value, UINT winIni)
{
    if (action == SPI_GETSCREENSAVEACTIVE) {
        if (flagReadFails) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        *static_cast<BOOL*>(value) = TRUE;
        return TRUE;
    }
    if (action == SPI_SETSCREENSAVEACTIVE) {
        flagWrites.push_back(param);
        return TRUE;
    }
    return realSystemParameters(action, param, value, winIni);
}

// Start-up and shutdown as a configuration run makes them; the flag writes between.
std::vector<UINT> FlagWritesOfOneRun(bool readFails)
{
    flagReadFails = readFails;
    flagWrites.clear();
    Application app;
    EXPECT_TRUE(app.Initialize());
    app.configMode = true;
    app.Shutdown();
    return flagWrites;
}

TEST(ScreenSaverFlagTest, UnreadableFlagIsNeitherSwitchedOffNorRestored)
{
    ASSERT_NE(realSystemParameters, nullptr);
    ImportRedirect redirect(reinterpret_cast<void*>(realSystemParameters),
                            reinterpret_cast<void*>(StandInSystemParameters));
    ASSERT_TRUE(redirect.Redirected()) << "the program does not import SystemParametersInfoW";

    EXPECT_EQ(FlagWritesOfOneRun(false), (std::vector<UINT>{FALSE, TRUE})) << "off for the run, then back on";
    EXPECT_EQ(FlagWritesOfOneRun(true), std::vector<UINT>{});
}

} // namespace
