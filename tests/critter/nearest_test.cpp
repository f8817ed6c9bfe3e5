// The nearest-fungus search works in chunks; it must agree with a plain
// scan with a strict comparison everywhere, chunk edges and ties included.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "critter/critter.h"

namespace {

int PlainScan(const std::vector<Vec2D>& fungi, double px, double py, const unsigned char* excluded = nullptr) {
  double best = 99999.0;
  int index = 0;
  for (int i = 0; i < static_cast<int>(fungi.size()); ++i) {
    if (excluded && excluded[i]) continue;
    const double d = std::sqrt((fungi[i].x - px) * (fungi[i].x - px) + (fungi[i].y - py) * (fungi[i].y - py));
    if (d < best) {
      best = d;
      index = i;
    }
  }
  return index;
}

}  // namespace

TEST(NearestFungus, AgreesWithAPlainScanForEveryListLength) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> unit(1, 510);
  for (int n = 1; n <= 200; ++n) {
    for (int round = 0; round < 20; ++round) {
      std::vector<Vec2D> fungi(static_cast<std::size_t>(n));
      // Few distinct spots, so equal distances are common.
      for (Vec2D& f : fungi) f = {static_cast<double>(unit(rng) % 7 * 30), static_cast<double>(unit(rng) % 5 * 30)};
      const double px = unit(rng) % 7 * 30 + 15.0, py = unit(rng) % 5 * 30 + 15.0;
      ASSERT_EQ(NearestFungus(fungi, px, py), PlainScan(fungi, px, py)) << n << " " << round;
      std::vector<unsigned char> excluded(fungi.size());
      for (unsigned char& e : excluded) e = unit(rng) % 3 == 0;
      ASSERT_EQ(NearestFungus(fungi, px, py, excluded.data()), PlainScan(fungi, px, py, excluded.data()))
          << n << " " << round << " with exclusions";
    }
  }
}

TEST(NearestFungus, EqualDistancesAcrossAChunkEdgeGoToTheLowerIndex) {
  std::vector<Vec2D> fungi(130, Vec2D{500.0, 500.0});
  fungi[63] = {110.0, 100.0};   // 10 away, last of the first chunk
  fungi[64] = {90.0, 100.0};    // 10 away, first of the second
  fungi[129] = {100.0, 110.0};  // 10 away, later still
  EXPECT_EQ(NearestFungus(fungi, 100.0, 100.0), 63);
  fungi[100] = {100.0, 95.0};  // nearer, in the second chunk
  EXPECT_EQ(NearestFungus(fungi, 100.0, 100.0), 100);
}

TEST(NearestFungus, NothingWithin99999UnitsOrNotANumberGivesFungusZero) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(NearestFungus({{2e5, 0.0}, {3e5, 0.0}}, 0.0, 0.0), 0);
  EXPECT_EQ(NearestFungus({{nan, 0.0}, {5.0, 0.0}, {nan, 1.0}}, 0.0, 0.0), 1);
  EXPECT_EQ(NearestFungus({{nan, nan}, {nan, 0.0}}, 0.0, 0.0), 0);
}
