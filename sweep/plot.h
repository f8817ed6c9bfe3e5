#pragma once

#include <string>
#include <vector>

// The summary picture of an experiment: two panels over the generations,
// the rolling average score above and the rolling best score below; per
// variant one colour, its mean as a line and mean ± half width as a lighter
// band (none for a variant of one run). Drawn with cairo; the same request always gives the same bytes, so a
// resumed sweep's picture is that of an uninterrupted one.

struct PlotSeries {
  std::string label;  // e.g. "MutationRate=0.05"
  std::vector<int> generations;
  // Half width of the mean's 95 % confidence interval, t*sd/sqrt(n) (summary.h);
  // all four have one value per generation.
  std::vector<double> averageMean, averageHalfWidth, bestMean, bestHalfWidth;
  int runs = 0;  // finished runs behind the means
};

struct PlotRequest {
  std::vector<PlotSeries> series;
  int generations = 0;
  int runsPerVariant = 0;
};

// Writes both files, each under a temporary name renamed into place; false
// with why on failure.
bool WriteSummaryPlots(const PlotRequest& request, const std::string& pngPath, const std::string& svgPath,
                       std::string* why);
