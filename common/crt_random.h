#pragma once
// The C runtime's pseudo-random generator as Windows implements it, so that a
// scene's random values are the same on every build:
// state = state * 214013 + 2531011 (mod 2^32), value = (state >> 16) & 32767.
// Each thread has its own state, starting at 1.

constexpr int kCrtRandMax = 32767;

void CrtSrand(unsigned int seed);
int CrtRand();
