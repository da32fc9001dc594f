// The frame loop: messages first, and one paced frame whenever the queue is empty.
#include "app/application.h"
#include "app/frame_clock.h"
#include "scenes/scene_holder.h"

void Application::RunFrameLoop()
{
    MSG message;
    for (;;) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                break;
            TranslateMessage(&message);
            DispatchMessageW(&message);
            continue;
        }
        // A preview whose host closed or replaced it must not keep spinning a core
        // for a window nobody sees.
        if (settings.previewMode && !IsWindow(window)) {
            PostQuitMessage(0);
            continue;
        }
        if (!frameClock->Tick())
            continue;
        sceneHolder->scene->Advance(TimeStep(frameTiming.measuredFps, frameClock->rate));
        sceneHolder->ComposeFrame(frameTiming.measuredFps);
    }
}
