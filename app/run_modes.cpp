// Choosing the run mode from the command line and preparing the drawing modes.
#include <cstdint>
#include <new>

#include "app/application.h"
#include "app/command_line.h"
#include "resources/resource_ids.h"
#include "scenes/scene_factory.h"
#include "scenes/scene_holder.h"
#include "ui/settings_dialog.h"

namespace {

HWND WindowFromValue(std::int64_t value)
{
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
}

// A dialog that cannot open is a failure of the run, not a quiet end.
void ShowSettingsFailed(HINSTANCE instance)
{
    wchar_t text[260] = {};
    LoadStringW(instance, IDS_SETTINGS_FAILED, text, 260);
    MessageBoxW(nullptr, text, L"Fehler", MB_OK | MB_ICONERROR);
}

void ShowWindowNotFound()
{
    MessageBoxW(nullptr, L"Das Fenster kann nicht gefunden werden !", L"Vorschau", MB_OK | MB_ICONERROR);
}

HWND StartPreviewHost()
{
    wchar_t commandLine[] = L"Scrprev";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE,
                        CREATE_NEW_PROCESS_GROUP | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    const DWORD idle = WaitForInputIdle(process.hProcess, 2000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (idle != 0)
        return nullptr;
    return FindWindowW(L"Scrprev", nullptr);
}

// The first child window of the preview host, started when it is not running.
HWND FindPreviewHostChild()
{
    HWND host = FindWindowW(L"Scrprev", nullptr);
    if (!host)
        host = StartPreviewHost();
    if (!host)
        return nullptr;
    SetForegroundWindow(host);
    return GetWindow(host, GW_CHILD);
}

} // namespace

bool Application::CreateSceneHolder()
{
    sceneHolder = new (std::nothrow) SceneHolder{};
    if (sceneHolder)
        sceneHolder->scene = CreateScene(&settings);
    if (!sceneHolder || !sceneHolder->scene) {
        ShowOutOfMemory();
        return false;
    }
    sceneHolder->infoAllowed = true;
    return true;
}

bool Application::StartPreview(HWND parent)
{
    settings.previewMode = true;
    previewParent = parent;
    return PrepareDrawing(true);
}

bool Application::ProcessCommandLine()
{
    if (!CreateSceneHolder())
        return false;

    const CommandLine command = ParseCommandLine(GetCommandLineW());
    if (command.badSwitch) {
        ShowWindowNotFound();
        return false;
    }

    switch (command.mode) {
    case RunMode::Configure: {
        configMode = true;
        HWND owner = nullptr;
        if (command.owner == DialogOwner::Foreground)
            owner = GetForegroundWindow();
        else if (command.owner == DialogOwner::Handle)
            owner = WindowFromValue(command.handle);
        // The dialog itself ends only with 1 or 2: -1 means it could not be made,
        // and 0 that the owner handle is no window.
        if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), owner, SettingsDialog, 0) <= 0)
            ShowSettingsFailed(instance);
        return false;
    }
    case RunMode::ChangePassword:
        if (command.handle == 0) {
            ShowWindowNotFound();
            return false;
        }
        passwordParent = WindowFromValue(command.handle);
        return false;
    case RunMode::Preview: {
        HWND parent = command.previewHost ? FindPreviewHostChild() : WindowFromValue(command.handle);
        if (!parent) {
            ShowWindowNotFound();
            return false;
        }
        return StartPreview(parent);
    }
    case RunMode::FullScreen:
        return PrepareDrawing(false);
    }
    return false;
}

bool Application::PrepareDrawing(bool preview)
{
    CaptureDesktopSnapshot(preview);
    if (!CreateApplicationWindow())
        return false;
    if (preview)
        sceneHolder->infoAllowed = false;
    return true;
}
