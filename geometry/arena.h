#pragma once

// The arena's fixed numbers, in arena units (client-area pixels, y down).
// Everything that senses, moves, places or draws in the arena reads these.

// The open square 0 < x, y < 511 is the arena: the client area's pixels 0 to
// 510 with the outermost row and column of either side left as wall.
inline constexpr int kArenaPixels = 511;
inline constexpr double kArenaSize = kArenaPixels;

// The middle of that square on both axes.
inline constexpr double kArenaCentre = kArenaSize / 2.0;

// The central block is the closed middle third of the arena on both axes,
// [511/3, 1022/3] (the doubles nearest those quotients).
inline constexpr double kBlockMin = 511.0 / 3.0;
inline constexpr double kBlockMax = 1022.0 / 3.0;

// A critter and a fungus whose distances from the centre add up to more than
// this always count as in sight of each other: beyond it the block hides so
// little that the sensing does not test the walls.
inline constexpr double kSightReach = 381.0;

// The block's outline on screen: the border of the whole pixels inside the
// block, 171 to 340 on both axes.
inline constexpr int kOutlineLow = 171;
inline constexpr int kOutlineHigh = 340;

static_assert(kArenaCentre == 255.5);
static_assert(kOutlineLow - 1 < kBlockMin && kBlockMin <= kOutlineLow);
static_assert(kOutlineHigh <= kBlockMax && kBlockMax < kOutlineHigh + 1);
