#pragma once

// A position in the arena: critters, fungi and start positions.
struct Vec2D {
  double x = 0.0;
  double y = 0.0;
};
