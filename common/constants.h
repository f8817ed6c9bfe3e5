#pragma once

// Program-wide angle constants, the doubles nearest to pi, pi/2 and 2 pi.
inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kTwoPi = 6.283185307179586;
