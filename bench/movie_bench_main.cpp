// vexlora-movie-bench: what recording a generation as a GIF costs. For the
// default params.ini (seed 1), generation kGeneration is played once drawn
// without encoding and once recorded by --movie's recorder, at every tick
// and at every 4th: drawing and encoding per frame, the wall time the
// recording adds per frame, bytes per frame, and the two wall times.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/scenario.h"
#include "movie/arena_movie.h"
#include "params/params.h"
#include "render/arena_view.h"
#include "render/surface.h"

namespace {

// Evolved a while, so the critters go for the fungi.
constexpr int kGeneration = 30;
constexpr int kRuns = 3;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void PlayTo(World& w, int generation) {
  w.bFastMode = true;
  while (w.iGeneration < generation)
    if (!w.Update()) throw std::runtime_error("a tick failed");
}

// The generation in display mode, every k-th tick drawn: seconds of wall time.
double Drawn(int k) {
  Scenario scenario;
  World& w = scenario.world();
  PlayTo(w, kGeneration);
  Surface surface;
  const auto start = Clock::now();
  while (w.iGeneration == kGeneration) {
    const int tick = w.iTicks;
    w.bFastMode = tick >= Params.TicksPerGeneration;
    if (!w.Update()) throw std::runtime_error("a tick failed");
    if (!w.bFastMode && tick % k == 0) {
      surface.FillWhite();
      Render(w, surface);
    }
  }
  return Since(start);
}

struct Recorded {
  double seconds = 0.0;
  double drawSeconds = 0.0;
  GifStats stats;
};

// The same generation recorded, the file completed.
Recorded Record(int k) {
  Scenario scenario;
  World& w = scenario.world();
  PlayTo(w, kGeneration);
  ArenaMovie movie;
  MovieOptions options;
  options.path = "bench.gif";
  options.generations = std::to_string(kGeneration);
  options.every = k;
  std::string line;
  Recorded r;
  const auto start = Clock::now();
  if (!movie.Open(options, kGeneration + 1, line)) throw std::runtime_error(line);
  while (w.iGeneration == kGeneration) {
    movie.BeforeUpdate(w);
    if (!w.Update()) throw std::runtime_error("a tick failed");
    movie.AfterUpdate(w);
  }
  if (!movie.Finish(line)) throw std::runtime_error(line);
  r.seconds = Since(start);
  r.drawSeconds = movie.DrawSeconds();
  r.stats = movie.Stats();
  return r;
}

}  // namespace

int main() {
  std::printf("Recording generation %d of the default params.ini (seed 1, %u processors, best of %d runs):\n",
              kGeneration, std::thread::hardware_concurrency(), kRuns);
  std::printf("%8s %7s %10s %12s %12s %11s %10s %12s %7s\n", "ticks/fr", "frames", "draw ms/fr", "encode ms/fr",
              "added ms/fr", "bytes/fr", "drawn s", "recorded s", "ratio");
  for (const int k : {1, 4}) {
    double drawn = 1e9;
    Recorded best;
    best.seconds = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      drawn = std::min(drawn, Drawn(k));
      const Recorded r = Record(k);
      if (r.seconds < best.seconds) best = r;
    }
    const double frames = static_cast<double>(best.stats.frames);
    std::printf("%8d %7lld %10.3f %12.3f %12.3f %11.0f %10.3f %12.3f %7.2f\n", k,
                static_cast<long long>(best.stats.frames), 1e3 * best.drawSeconds / frames,
                1e3 * best.stats.encodeSeconds / frames, 1e3 * (best.seconds - drawn) / frames,
                static_cast<double>(best.stats.bytes) / frames, drawn, best.seconds, best.seconds / drawn);
  }
  return 0;
}
