#pragma once

#include <cstdint>

// The one pseudo-random sequence of the program. It is the classic C runtime
// generator (state = state * 214013 + 2531011, 15 bits out), so a seeded run
// can be reproduced anywhere.

// Restarts the sequence from a seed.
void SeedRandom(std::uint32_t seed);

// An integer from 0 to 32767.
int RandomInt();

// RandomInt() * 2^-15: from 0 to 32767/32768, never 1.
double RandomFraction();

// RandomFraction() - RandomFraction(), the first draw taken first:
// a value in (-1, 1), a triangle peaked at 0.
double RandomSigned();
