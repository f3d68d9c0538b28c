#pragma once
// The phone's arc4random: 32-bit random numbers for the program. They come
// from the system's unpredictable source, except in a run that must repeat
// itself byte for byte (the UI test driver, and with it the tour), which fixes
// the sequence with a seed, as it fixes the time with the virtual clock.

#include <cstdint>

uint32_t NXArc4Random();
// From here on the numbers are a fixed sequence that starts from the seed.
void NXRandomUseSeed(uint32_t seed);
// From here on the numbers come from the system again.
void NXRandomUseSystem();
