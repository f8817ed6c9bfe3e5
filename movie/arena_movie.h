#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/frame_delays.h"
#include "movie/gif_writer.h"

class Surface;
class World;

// Every colour the arena view and the statistics panel draw: white, the
// pens, and the greys of antialiased black-on-white text. Offered to a
// movie's global colour map, so that frames rarely need a map of their own.
std::vector<std::uint32_t> ArenaColours();

// What --movie asks of a headless run.
struct MovieOptions {
  std::string path;                  // the GIF
  std::string generations = "last";  // see ParseGenerationList
  int every = 1;                     // every K-th tick a frame, from a generation's first
  bool sensors = false;              // the sensor line, as after V
};

// The arena view of chosen generations of a headless run, as a movie. For
// the ticks of a recorded generation the World is in display mode, and every
// K-th tick the window's picture (header, block, fungi, critters) is drawn
// by Render and becomes a frame lasting its K ticks at FrameRate. Outside
// them the World runs in fast mode as before, and no result of the run
// changes: display mode touches only what is drawn.
class ArenaMovie {
 public:
  ArenaMovie();
  ~ArenaMovie();  // an unfinished movie is not left behind
  ArenaMovie(const ArenaMovie&) = delete;
  ArenaMovie& operator=(const ArenaMovie&) = delete;

  // The line that refuses the generation list or K for a run of
  // `generations` generations, or "" when they are good.
  static std::string Check(const MovieOptions& options, int generations);

  // Starts the file (Check first). False with the line naming it and why.
  bool Open(const MovieOptions& options, int generations, std::string& line);

  // Around each World::Update of the run.
  void BeforeUpdate(World& world);
  void AfterUpdate(World& world);

  // Completes the file. False with the line naming it and why.
  bool Finish(std::string& line);

  GifStats Stats() const { return writer_.Stats(); }
  // Time spent drawing the frames.
  double DrawSeconds() const { return drawSeconds_; }

 private:
  MovieOptions options_;
  std::vector<bool> recorded_;  // by generation
  GifWriter writer_;
  std::unique_ptr<Surface> surface_;
  std::unique_ptr<FrameDelays> delays_;
  bool recording_ = false;  // the coming or last update is a tick of a recorded generation
  int tick_ = 0;
  bool savedShowSensors_ = false;
  double drawSeconds_ = 0.0;
};
