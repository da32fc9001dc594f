// Start-up when memory runs out: every nothrow allocation of the run's objects
// is checked. This test program replaces the nothrow operator new (a replaceable
// allocation function) so that it refuses on demand: all of them, or the one
// with a given number.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/application.h"
#include "scenes/scene_factory.h"
#include "scenes/scene_holder.h"

namespace {
bool refuseNothrowNew = false;
int nothrowNewCount = 0;
int refusedNothrowNew = 0; // 0: none
} // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++nothrowNewCount;
    if (refuseNothrowNew || nothrowNewCount == refusedNothrowNew)
        return nullptr;
    return std::malloc(size != 0 ? size : 1);
}

namespace {

TEST(OutOfMemoryTest, InitializeReportsMissingObjectsAndShutdownCopes)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wow6432Node\\Velbrook");
    Application app;
    refuseNothrowNew = true;
    const bool initialized = app.Initialize();
    refuseNothrowNew = false;

    EXPECT_FALSE(initialized);
    EXPECT_EQ(app.fileDialogBuffers, nullptr);
    EXPECT_EQ(app.desktopImage, nullptr);
    // As after a configuration run: no window, nothing to record.
    app.configMode = true;
    app.Shutdown();
    EXPECT_EQ(app.sceneHolder, nullptr);

    EXPECT_TRUE(app.Initialize()) << "with memory the same start-up succeeds";
    app.Shutdown();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wow6432Node\\Velbrook");
}

// Notes caption and text of each message box this thread shows, and closes it.
class BoxCatcher {
public:
    BoxCatcher() { hook_ = SetWindowsHookExW(WH_CBT, Note, nullptr, GetCurrentThreadId()); }
    ~BoxCatcher() { UnhookWindowsHookEx(hook_); }
    BoxCatcher(const BoxCatcher&) = delete;
    BoxCatcher& operator=(const BoxCatcher&) = delete;

    static inline std::vector<std::wstring> shown;

private:
    static LRESULT CALLBACK Note(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        if (code == HCBT_ACTIVATE && GetClassNameW(box, className, 16) && lstrcmpW(className, L"#32770") == 0) {
            wchar_t caption[64] = {};
            wchar_t text[256] = {};
            GetWindowTextW(box, caption, 64);
            GetDlgItemTextW(box, 0xFFFF, text, 256);
            shown.push_back(std::wstring(caption) + L": " + text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_ = nullptr;
};

// The render window of a preview run inside `parent`, with the scene the
// command line would have made. Counts the nothrow allocations from the scene on.
bool CreatePreviewWindow(Application& app, HWND parent)
{
    nothrowNewCount = 0;
    // One chosen scene, so that both runs allocate alike.
    app.settings.SceneStrategy = kScenes[0].number;
    app.sceneHolder = new SceneHolder{};
    app.sceneHolder->scene = CreateScene(&app.settings);
    app.settings.previewMode = true;
    app.previewParent = parent;
    return app.CreateApplicationWindow();
}

// A running preview posts the quit message when its window goes, which would
// end the next box at once.
void DropQuitMessage()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

TEST(OutOfMemoryTest, WindowWithoutFrameClockShowsTheBoxAndLeavesNoWindow)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wow6432Node\\Velbrook");
    HWND parent = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    ShowWindow(parent, SW_SHOWNA);
    BoxCatcher boxes;
    BoxCatcher::shown.clear();

    int allocations = 0;
    {
        Application app;
        ASSERT_TRUE(app.Initialize());
        EXPECT_TRUE(CreatePreviewWindow(app, parent)) << "with memory the window is made";
        allocations = nothrowNewCount;
        app.Shutdown();
        DropQuitMessage();
    }
    EXPECT_TRUE(BoxCatcher::shown.empty());

    Application app;
    ASSERT_TRUE(app.Initialize());
    refusedNothrowNew = allocations; // the frame clock is the window's last allocation
    const bool created = CreatePreviewWindow(app, parent);
    refusedNothrowNew = 0;
    EXPECT_FALSE(created);
    EXPECT_EQ(app.frameClock, nullptr);
    EXPECT_EQ(app.window, nullptr) << "no render window is left";
    EXPECT_EQ(BoxCatcher::shown,
              std::vector<std::wstring>{L"Fehler: Nicht genügend Arbeitsspeicher !\n\nDas Programm wird beendet !"});
    app.Shutdown();
    DestroyWindow(parent);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wow6432Node\\Velbrook");
}

} // namespace
