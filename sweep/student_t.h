#pragma once

// The 0.975 quantile of Student's t distribution with the given degrees of
// freedom (1 or more): the half width of a 95 % confidence interval of a mean
// of n values is this (n - 1 degrees of freedom) times sd / sqrt(n). 12.706
// for 1, 4.303 for 2, 2.365 for 7, falling to the normal's 1.960.
double StudentT975(int degreesOfFreedom);
