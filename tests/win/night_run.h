#pragma once
// A night in minutes: a scene in a small window, unpaced, for thousands of
// frames at mixed time steps, and what the process holds after the first
// frames and at the end.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <set>

#include "gdi_handle_table.h"
#include "process_counts.h"
#include "gl_frame.h"
#include "scenes/scene.h"

namespace nighttest {

using namespace gltest;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr int kWarmUpFrames = 120;

// Steps as a fast, a loaded and a stalled machine give them, in turns: from 240
// frames a second down to one frame in two seconds (a step of 1 is a 60th of a
// second). Three thousand frames make about a quarter of an hour.
constexpr float kTimeSteps[] = {1.0f, 0.25f, 2.0f, 1.0f, 4.0f, 0.5f, 30.0f, 1.0f, 120.0f};

// What the run holds: every live GL texture and display list by name, the
// counts of GDI objects and kernel handles, and the private bytes.
struct Holdings {
    std::set<GLuint> textures;
    std::set<GLuint> lists;
    DWORD gdiObjects = 0;
    DWORD handles = 0;
    std::size_t privateBytes = 0;
};

inline Holdings TakeStock()
{
    Holdings stock;
    // Names are handed out from 1 upwards; the font's lists take a few hundred.
    for (GLuint name = 1; name < 4096; ++name) {
        if (glIsTexture(name))
            stock.textures.insert(name);
    }
    for (GLuint name = 1; name < 65536; ++name) {
        if (glIsList(name))
            stock.lists.insert(name);
    }
    stock.gdiObjects = GdiObjectCount();
    if (!GetProcessHandleCount(GetCurrentProcess(), &stock.handles) || stock.handles == 0)
        stock.handles = static_cast<DWORD>(std::max(0ll, CountHandlesInSystemList(GetCurrentProcessId())));
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        stock.privateBytes = memory.PrivateUsage;
    if (stock.privateBytes == 0)
        stock.privateBytes = static_cast<std::size_t>(SumCommittedPrivateRegions(GetCurrentProcess()));
    return stock;
}

struct Night {
    bool ran = false;
    int frames = 0;
    float sceneSeconds = 0.0f;
    Holdings afterWarmUp;
    Holdings atTheEnd;
};

// Runs the scene (owned from here on) for warm-up and night frames, over a white
// desktop stand-in when desktop is set; beforeFrame(i) may move the scene's
// world on first.
inline Night RunNight(ISceneStrategy* scene, bool desktop, int nightFrames,
                      const std::function<void(int)>& beforeFrame = {})
{
    Night night;
    ComposedView view(scene, kWidth, kHeight);
    // Swapped unread: reading each frame back would make the night hours long.
    view.holder.presentFrame = SwapBuffers;
    if (!view.Ready() || !view.Initialize())
        return night;
    GLuint backdrop = 0;
    if (desktop) {
        const unsigned char white[2 * 2 * 4] = {255, 255, 255, 255, 255, 255, 255, 255,
                                                255, 255, 255, 255, 255, 255, 255, 255};
        glGenTextures(1, &backdrop);
        glBindTexture(GL_TEXTURE_2D, backdrop);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        glBindTexture(GL_TEXTURE_2D, 0);
        view.holder.desktopTexture = WholeBackdrop(backdrop);
    }
    const int total = kWarmUpFrames + nightFrames;
    for (int frame = 0; frame < total; ++frame) {
        if (frame == kWarmUpFrames)
            night.afterWarmUp = TakeStock();
        if (beforeFrame)
            beforeFrame(frame);
        const float step = kTimeSteps[frame % (sizeof kTimeSteps / sizeof kTimeSteps[0])];
        view.holder.scene->Advance(step);
        view.holder.ComposeFrame(60.0f / step);
        night.sceneSeconds += step / 60.0f;
    }
    night.atTheEnd = TakeStock();
    night.frames = total;
    night.ran = true;
    glDeleteTextures(1, &backdrop);
    return night;
}

// Private memory may grow by this much after the warm-up, for pages that the C
// runtime or a system DLL first asks for late. Measured: none at all, in every
// scene's night, with the desktop off and on. Heap kept at 256 KiB a second
// (four bytes for each pixel of a 256 x 256 picture, at 60 frames a second) is
// 13 MiB over a night. Under Wine this counts the committed private regions of
// the process; what Mesa holds for textures and display lists lies outside
// them, which is why those are counted by name.
constexpr std::size_t kPrivateGrowthAllowed = 2u << 20;

inline void ExpectNothingGained(const Night& night, const char* what)
{
    ASSERT_TRUE(night.ran) << what << ": no GL view";
    ASSERT_GT(night.afterWarmUp.handles, 0u) << what << ": no way to count handles here";
    ASSERT_GT(night.afterWarmUp.privateBytes, 0u) << what << ": no way to measure private memory here";
    ASSERT_GT(night.afterWarmUp.gdiObjects, 0u) << what << ": no way to count GDI objects here";
    EXPECT_EQ(night.atTheEnd.textures, night.afterWarmUp.textures) << what << ": textures";
    EXPECT_EQ(night.atTheEnd.lists, night.afterWarmUp.lists) << what << ": display lists";
    EXPECT_EQ(night.atTheEnd.gdiObjects, night.afterWarmUp.gdiObjects) << what << ": GDI objects";
    EXPECT_EQ(night.atTheEnd.handles, night.afterWarmUp.handles) << what << ": handles";
    EXPECT_LE(night.atTheEnd.privateBytes, night.afterWarmUp.privateBytes + kPrivateGrowthAllowed)
        << what << ": private memory from " << night.afterWarmUp.privateBytes << " to "
        << night.atTheEnd.privateBytes << " bytes";
}

} // namespace nighttest
