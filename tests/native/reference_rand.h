#pragma once
#include <cstdint>

// An independent copy of the runtime's generator to check the scenes' draws against.
struct ReferenceRand {
    std::uint32_t state;
    int Next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};
