// The GIF writer through files read back with giflib: exact colours with the
// global map, a frame's own map and a frame split for too many colours;
// changed rectangles; delays; files that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "movie/frame_delays.h"
#include "movie/gif_writer.h"
#include "support/temp_dir.h"
#include "tests/movie/gif_reader.h"

namespace {

constexpr int kW = 64;
constexpr int kH = 48;
using Pixels = std::vector<std::uint32_t>;

std::uint32_t Rgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) |
         static_cast<std::uint32_t>(b);
}

// A block of `count` distinct colours from (x0, y0) on, row by row.
void Paint(Pixels& p, int x0, int y0, int width, int count) {
  for (int i = 0; i < count; ++i)
    p[static_cast<std::size_t>(y0 + i / width) * kW + static_cast<std::size_t>(x0 + i % width)] =
        Rgb(i % 251, (i * 7) % 253, 10 + i / 251);
}

std::vector<std::string> Listing(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  return names;
}

}  // namespace

TEST(GifWriter, EveryFrameDecodesToExactlyItsPixels) {
  TempDir dir;
  std::vector<Pixels> frames;
  Pixels p(static_cast<std::size_t>(kW) * kH, Rgb(255, 255, 255));
  for (int x = 0; x < kW; ++x) p[static_cast<std::size_t>(10) * kW + static_cast<std::size_t>(x)] = Rgb(0, 150, 0);
  p[5] = Rgb(255, 0, 0);
  frames.push_back(p);  // 3 colours: a small global map
  Paint(p, 4, 20, 20, 200);
  frames.push_back(p);  // 200 colours the global map lacks: a map of its own
  Paint(p, 0, 24, kW, 600);
  frames.push_back(p);  // more colours than one map holds: split
  frames.push_back(p);  // nothing changed
  p[static_cast<std::size_t>(40) * kW + 33] = Rgb(255, 0, 0);
  frames.push_back(p);  // one pixel, to a colour of the global map
  const std::vector<int> delays = {5, 7, 30, 11, 3};

  GifOptions options;
  options.width = kW;
  options.height = kH;
  options.threads = 3;
  GifWriter writer;
  std::string why;
  ASSERT_TRUE(writer.Open(dir.File("out.gif"), options, why)) << why;
  for (std::size_t f = 0; f < frames.size(); ++f) writer.AddFrame(frames[f].data(), delays[f]);
  ASSERT_TRUE(writer.Finish(why)) << why;
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"out.gif"});

  GifFileInfo info;
  std::vector<Pixels> canvases;
  std::vector<GifImageInfo> images;
  ASSERT_TRUE(ReadGif(dir.File("out.gif"), info,
                      [&](const GifImageInfo& image, const Pixels& canvas) {
                        images.push_back(image);
                        canvases.push_back(canvas);
                      },
                      why))
      << why;
  EXPECT_EQ(info.version, "GIF89a");
  EXPECT_TRUE(info.loopsForever);
  EXPECT_EQ(info.width, kW);
  EXPECT_EQ(info.height, kH);
  const GifStats stats = writer.Stats();
  EXPECT_EQ(stats.frames, 5);
  EXPECT_EQ(stats.bytes, static_cast<std::int64_t>(std::filesystem::file_size(dir.File("out.gif"))));
  // The split frame's images: at least three maps' worth of colours.
  const int n = info.images;
  ASSERT_GE(n, 5 + 2);
  EXPECT_EQ(stats.images, n);
  // The split frame keeps its delay in total; every image at least 2.
  EXPECT_EQ(info.totalDelay, 5 + 7 + 30 + 11 + 3);
  for (const GifImageInfo& image : images) EXPECT_GE(image.delay, 2) << "image " << image.index;

  EXPECT_EQ(canvases[0], frames[0]);
  EXPECT_FALSE(images[0].localMap);
  EXPECT_FALSE(images[0].transparency);
  EXPECT_EQ(canvases[1], frames[1]);
  EXPECT_TRUE(images[1].localMap);
  EXPECT_TRUE(images[1].transparency);
  // Only the rectangle that changed.
  EXPECT_EQ(images[1].left, 4);
  EXPECT_EQ(images[1].top, 20);
  EXPECT_EQ(images[1].width, 20);
  EXPECT_EQ(images[1].height, 10);
  EXPECT_EQ(canvases[static_cast<std::size_t>(n - 3)], frames[2]);
  EXPECT_EQ(canvases[static_cast<std::size_t>(n - 2)], frames[3]);
  EXPECT_EQ(canvases[static_cast<std::size_t>(n - 1)], frames[4]);
  const GifImageInfo& last = images.back();
  EXPECT_EQ(last.left, 33);
  EXPECT_EQ(last.top, 40);
  EXPECT_EQ(last.width * last.height, 1);
}

TEST(GifWriter, DelaysCarryTheirRoundingAndNeverGoUnderTwo) {
  FrameDelays twoTicks(60);
  std::vector<int> got;
  for (int i = 0; i < 6; ++i) got.push_back(twoTicks.Next(2));
  EXPECT_EQ(got, (std::vector<int>{3, 4, 3, 3, 4, 3}));

  // 60 ticks a second a frame each asks for 1.67 hundredths: 2, as 50 a second.
  FrameDelays oneTick(60);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(oneTick.Next(1), 2) << i;

  // A counter's counts: 0.1234 s, then 0.0456 s more.
  FrameDelays counts(1000000);
  EXPECT_EQ(counts.Next(123400), 12);
  EXPECT_EQ(counts.Next(45600), 5);  // 16.9 rounds to 17 in total
}

TEST(GifWriter, AFileThatCannotBeWrittenLeavesNothing) {
  TempDir dir;
  GifOptions options;
  options.width = kW;
  options.height = kH;
  std::string why;
  {
    GifWriter writer;
    EXPECT_FALSE(writer.Open(dir.File("no/such/dir/out.gif"), options, why));
    EXPECT_EQ(why, "No such file or directory");
    std::filesystem::create_directory(dir.File("taken.gif"));
    EXPECT_FALSE(writer.Open(dir.File("taken.gif"), options, why));
    EXPECT_EQ(why, "Is a directory");
  }
  {
    // Dropped before Finish: neither the file nor its temporary stays.
    GifWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("dropped.gif"), options, why)) << why;
    const Pixels p(static_cast<std::size_t>(kW) * kH, Rgb(1, 2, 3));
    for (int i = 0; i < 20; ++i) writer.AddFrame(p.data(), 4);
  }
  EXPECT_EQ(Listing(dir), std::vector<std::string>{"taken.gif"});
}
