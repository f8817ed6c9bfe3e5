#include <gtest/gtest.h>

#include "common/random.h"

TEST(Random, SeedOneGivesTheKnownSequence) {
  SeedRandom(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int e : expected) EXPECT_EQ(RandomInt(), e);
}

TEST(Random, ReseedingRestartsTheSequence) {
  SeedRandom(12345);
  const int a = RandomInt(), b = RandomInt();
  SeedRandom(12345);
  EXPECT_EQ(RandomInt(), a);
  EXPECT_EQ(RandomInt(), b);
}

TEST(Random, FractionIsTheDrawTimesTwoToTheMinus15) {
  SeedRandom(1);
  EXPECT_EQ(RandomFraction(), 41.0 / 32768.0);
  EXPECT_EQ(RandomFraction(), 18467.0 / 32768.0);
}

TEST(Random, SignedTakesItsFirstDrawFirst) {
  SeedRandom(1);
  // 41/32768 - 18467/32768: the first draw minus the second.
  EXPECT_EQ(RandomSigned(), (41.0 - 18467.0) / 32768.0);
  EXPECT_EQ(RandomSigned(), (6334.0 - 26500.0) / 32768.0);
}

TEST(Random, ValuesStayInTheirRanges) {
  SeedRandom(7);
  for (int i = 0; i < 100000; ++i) {
    const int r = RandomInt();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
  for (int i = 0; i < 10000; ++i) {
    const double s = RandomSigned();
    ASSERT_GT(s, -1.0);
    ASSERT_LT(s, 1.0);
  }
}
