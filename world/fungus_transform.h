#pragma once

#include <span>

#include "geometry/point2d.h"

// Places a fungus shape: scaled by FungusScale, then moved to (x, y).
void FungusWorldTransform(std::span<Point2D> shape, double x, double y);
