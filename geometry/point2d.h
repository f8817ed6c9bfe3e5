#pragma once

#include <vector>

// One vertex of a shape, in single precision.
struct Point2D {
  float x = 0.0f;
  float y = 0.0f;
};

// A shape: vertices in drawing order.
using Shape = std::vector<Point2D>;

// The two shapes in model coordinates, unit size.
inline const Shape kCritterShape = {{0, 1}, {-1, -1}, {0, 0}, {1, -1}};  // nose, tail, notch, tail
inline const Shape kFungusShape = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};   // a square of side 2
