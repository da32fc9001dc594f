#include "common/crt_random.h"

#include <cstdint>

namespace {
thread_local std::uint32_t randomState = 1;
}

void CrtSrand(unsigned int seed)
{
    randomState = seed;
}

int CrtRand()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}
