#pragma once
#include "app/frame_clock.h"

// A frame clock on the performance counter, or on the tick count without one.
FrameClock* CreateFrameClock(float rate);
