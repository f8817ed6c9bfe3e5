#include "geometry/matrix2d.h"

#include "math/correctly_rounded.h"

void Matrix2D::Identity() {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m[r][c] = r == c ? 1.0 : 0.0;
}

void Matrix2D::Multiply(const Matrix2D& a) {
  double t[3][3];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) t[r][c] = m[r][0] * a.m[0][c] + m[r][1] * a.m[1][c] + m[r][2] * a.m[2][c];
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m[r][c] = t[r][c];
}

void Matrix2D::Translate(double x, double y) {
  Matrix2D a;
  a.m[2][0] = x;
  a.m[2][1] = y;
  Multiply(a);
}

void Matrix2D::Scale(double sx, double sy) {
  Matrix2D a;
  a.m[0][0] = sx;
  a.m[1][1] = sy;
  Multiply(a);
}

void Matrix2D::Rotate(double angle) {
  double s, c;
  CrSinCos(angle, s, c);
  Matrix2D a;
  a.m[0][0] = c;
  a.m[0][1] = s;
  a.m[1][0] = -s;
  a.m[1][1] = c;
  Multiply(a);
}

void Matrix2D::TransformPoints(std::span<Point2D> shape) const {
  for (Point2D& p : shape) {
    const double x = p.x, y = p.y;
    p.x = static_cast<float>(x * m[0][0] + y * m[1][0] + m[2][0]);
    p.y = static_cast<float>(x * m[0][1] + y * m[1][1] + m[2][1]);
  }
}
