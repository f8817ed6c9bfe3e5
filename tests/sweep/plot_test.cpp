#include "sweep/plot.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>

#include "support/temp_dir.h"

namespace {

// Rising scores with a band that widens, one variant a little ahead of the next.
PlotRequest Request(int variants, int generations) {
  PlotRequest request;
  request.generations = generations;
  request.runsPerVariant = 5;
  for (int k = 0; k < variants; ++k) {
    PlotSeries s;
    s.label = "MutationRate=0." + std::to_string(k + 1);
    s.runs = 5;
    for (int g = 1; g <= generations; ++g) {
      const double average = 20 * (1 - std::exp(-g / (4.0 + 2 * k)));
      s.generations.push_back(g);
      s.averageMean.push_back(average);
      s.averageHalfWidth.push_back(0.5 + 0.1 * g);
      s.bestMean.push_back(2 * average + 3);
      s.bestHalfWidth.push_back(1 + 0.2 * g);
    }
    request.series.push_back(s);
  }
  return request;
}

struct Picture {
  int width = 0;
  int height = 0;
  // Strongly coloured pixels (lines and bands, not the grey frame and text)
  // in the upper and the lower half of the picture.
  int colouredAbove = 0;
  int colouredBelow = 0;
};

Picture Decode(const std::string& path) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
  EXPECT_EQ(cairo_surface_status(surface.get()), CAIRO_STATUS_SUCCESS) << path;
  Picture picture;
  picture.width = cairo_image_surface_get_width(surface.get());
  picture.height = cairo_image_surface_get_height(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const unsigned char* p = data + y * stride + 4 * x;
      const int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
      if (spread > 60) ++(y < picture.height / 2 ? picture.colouredAbove : picture.colouredBelow);
    }
  }
  return picture;
}

TEST(SummaryPlot, SameRequestGivesTheSameBytesAndOtherDataOtherBytes) {
  TempDir dir;
  std::string why;
  const PlotRequest request = Request(3, 12);
  ASSERT_TRUE(WriteSummaryPlots(request, dir.File("a.png"), dir.File("a.svg"), &why)) << why;
  const std::string png = ReadFile(dir.File("a.png"));
  const std::string svg = ReadFile(dir.File("a.svg"));
  // Again in the same process (cairo counts its surfaces process-wide), over the old files.
  ASSERT_TRUE(WriteSummaryPlots(request, dir.File("a.png"), dir.File("a.svg"), &why)) << why;
  EXPECT_TRUE(ReadFile(dir.File("a.png")) == png);
  EXPECT_TRUE(ReadFile(dir.File("a.svg")) == svg);
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.png.tmp")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("a.svg.tmp")));

  PlotRequest other = request;
  other.series[1].bestMean[5] += 4;
  ASSERT_TRUE(WriteSummaryPlots(other, dir.File("b.png"), dir.File("b.svg"), &why)) << why;
  EXPECT_FALSE(ReadFile(dir.File("b.png")) == png);
  EXPECT_FALSE(ReadFile(dir.File("b.svg")) == svg);
}

TEST(SummaryPlot, PngHasTheSvgSizeAndShowsEveryVariantInBothPanels) {
  TempDir dir;
  std::string why;
  for (int variants : {1, 3, 8}) {
    SCOPED_TRACE(variants);
    ASSERT_TRUE(WriteSummaryPlots(Request(variants, 30), dir.File("s.png"), dir.File("s.svg"), &why)) << why;
    const Picture picture = Decode(dir.File("s.png"));
    std::smatch size;
    const std::string svg = ReadFile(dir.File("s.svg"));
    ASSERT_TRUE(std::regex_search(svg, size, std::regex(R"(<svg[^>]* width="(\d+)px" height="(\d+)px")")));
    EXPECT_EQ(picture.width, std::stoi(size[1]));
    EXPECT_EQ(picture.height, std::stoi(size[2]));
    EXPECT_GE(picture.width, 800);
    EXPECT_GE(picture.height, 600);
    // A line across each panel for every variant.
    EXPECT_GT(picture.colouredAbove, 1000 * variants);
    EXPECT_GT(picture.colouredBelow, 1000 * variants);
  }

  // Variants without a finished run: frames, text and legend, no curves.
  PlotRequest empty = Request(3, 30);
  for (PlotSeries& s : empty.series) s = PlotSeries{s.label, {}, {}, {}, {}, {}, 0};
  ASSERT_TRUE(WriteSummaryPlots(empty, dir.File("e.png"), dir.File("e.svg"), &why)) << why;
  const Picture picture = Decode(dir.File("e.png"));
  EXPECT_LT(picture.colouredAbove, 100);
}

// Pale tints (a band, or a legend swatch's band) in the legend rows at the
// bottom of a picture, where no curve goes.
int PaleInLegend(const std::string& path) {
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy);
  const int height = cairo_image_surface_get_height(surface.get());
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  int pale = 0;
  for (int y = height - 40; y < height; ++y) {
    for (int x = 0; x < cairo_image_surface_get_width(surface.get()); ++x) {
      const unsigned char* p = data + y * stride + 4 * x;
      const int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
      if (spread >= 10 && spread <= 60 && std::min({p[0], p[1], p[2]}) >= 150) ++pale;
    }
  }
  return pale;
}

// One run a variant has no spread: no band in the panels nor in the legend.
TEST(SummaryPlot, OneRunAVariantDrawsNoBand) {
  TempDir dir;
  std::string why;
  PlotRequest one = Request(2, 12);
  one.runsPerVariant = 1;
  for (PlotSeries& s : one.series) {
    s.runs = 1;
    for (std::vector<double>* h : {&s.averageHalfWidth, &s.bestHalfWidth}) h->assign(h->size(), 0.0);
  }
  ASSERT_TRUE(WriteSummaryPlots(one, dir.File("one.png"), dir.File("one.svg"), &why)) << why;
  EXPECT_LT(PaleInLegend(dir.File("one.png")), 20);  // a line's antialiased ends at most
  ASSERT_TRUE(WriteSummaryPlots(Request(2, 12), dir.File("five.png"), dir.File("five.svg"), &why)) << why;
  EXPECT_GT(PaleInLegend(dir.File("five.png")), 200) << "the legend shows no band where there is one";
}

TEST(SummaryPlot, UnwritablePlacesFailWithTheReason) {
  TempDir dir;
  std::string why;
  const PlotRequest request = Request(2, 5);
  EXPECT_FALSE(WriteSummaryPlots(request, dir.File("no/such/dir/s.png"), dir.File("s.svg"), &why));
  EXPECT_NE(why.find("no/such/dir/s.png"), std::string::npos) << why;
  EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;

  // A directory where the SVG should go: the PNG is written, the SVG is not.
  std::filesystem::create_directory(dir.File("taken.svg"));
  why.clear();
  EXPECT_FALSE(WriteSummaryPlots(request, dir.File("s.png"), dir.File("taken.svg"), &why));
  EXPECT_NE(why.find("taken.svg"), std::string::npos) << why;
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.svg")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("taken.svg.tmp")));
}

}  // namespace
