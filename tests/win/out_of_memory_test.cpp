// Start-up when memory runs out: every nothrow allocation of the run's objects
// is checked. This test program replaces the nothrow operator new (a replaceable
// allocation function) so that it refuses on demand.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <new>

#include "app/application.h"

namespace {
bool refuseNothrowNew = false;
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (refuseNothrowNew)
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

} // namespace
