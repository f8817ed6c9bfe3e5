#include "world/fungus_transform.h"

#include "geometry/matrix2d.h"
#include "params/params.h"

void FungusWorldTransform(std::span<Point2D> shape, double x, double y) {
  Matrix2D m;
  m.Scale(Params.FungusScale, Params.FungusScale);
  m.Translate(x, y);
  m.TransformPoints(shape);
}
