#pragma once

#include <span>

#include "geometry/point2d.h"

// A 3 x 3 transform of doubles acting on row vectors [x y 1]. Translate,
// Scale and Rotate multiply on the right, so they act on points in the order
// they are called.
class Matrix2D {
 public:
  Matrix2D() { Identity(); }

  void Identity();
  void Multiply(const Matrix2D& a);  // M = M x A
  void Translate(double x, double y);
  void Scale(double sx, double sy);
  void Rotate(double angle);

  // Maps every point in place, in double precision, stored back as float.
  void TransformPoints(std::span<Point2D> shape) const;

  double m[3][3];
};
