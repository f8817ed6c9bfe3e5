#include "movie/arena_movie.h"

#include <chrono>

#include "geometry/pen.h"
#include "movie/generation_list.h"
#include "params/params.h"
#include "render/arena_view.h"
#include "render/surface.h"
#include "world/world.h"

std::vector<std::uint32_t> ArenaColours() {
  std::vector<std::uint32_t> colours = {kWhite, kBlackPen, kRedPen, kGreenPen, kBluePen};
  for (int grey = 0; grey < 256; ++grey) {
    const auto g = static_cast<std::uint8_t>(grey);
    colours.push_back(MakePen(g, g, g));
  }
  return colours;
}

ArenaMovie::ArenaMovie() = default;
ArenaMovie::~ArenaMovie() = default;

std::string ArenaMovie::Check(const MovieOptions& options, int generations) {
  if (options.every < 1) return "--movie-every: " + std::to_string(options.every) + " is not a tick count of 1 or more";
  std::string why;
  if (!ParseGenerationList(options.generations, generations - 1, why)) return "--movie-generations: " + why;
  return "";
}

bool ArenaMovie::Open(const MovieOptions& options, int generations, std::string& line) {
  options_ = options;
  std::string why;
  const auto list = ParseGenerationList(options.generations, generations - 1, why);
  if (!list) {
    line = "--movie-generations: " + why;
    return false;
  }
  recorded_.assign(static_cast<std::size_t>(generations), false);
  for (const int g : *list) recorded_[static_cast<std::size_t>(g)] = true;

  GifOptions gif;
  gif.width = Surface::kWidth;
  gif.height = Surface::kHeight;
  gif.likelyColours = ArenaColours();
  if (!writer_.Open(options.path, gif, why)) {
    line = "cannot write " + options.path + ": " + why;
    return false;
  }
  surface_ = std::make_unique<Surface>();
  delays_ = std::make_unique<FrameDelays>(Params.FrameRate);
  return true;
}

void ArenaMovie::BeforeUpdate(World& world) {
  const auto g = static_cast<std::size_t>(world.iGeneration);
  recording_ = writer_.IsOpen() && world.iGeneration >= 0 && g < recorded_.size() && recorded_[g] &&
               world.iTicks < Params.TicksPerGeneration;
  if (!recording_) return;
  tick_ = world.iTicks;
  world.bFastMode = false;
  savedShowSensors_ = world.bShowSensors;
  world.bShowSensors = options_.sensors;
}

void ArenaMovie::AfterUpdate(World& world) {
  if (!recording_) return;
  if (tick_ % options_.every == 0) {
    const auto start = std::chrono::steady_clock::now();
    // What Render marks as drawn belongs to the window's own pictures.
    const bool drawn = world.bDrawnThisGeneration;
    const int header = world.iLastHeaderGeneration;
    surface_->FillWhite();
    Render(world, *surface_);
    world.bDrawnThisGeneration = drawn;
    world.iLastHeaderGeneration = header;
    drawSeconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The frame lasts until the next one, or to the generation's end.
    const int ticks = std::min(options_.every, Params.TicksPerGeneration - tick_);
    writer_.AddFrame(surface_->Pixels(), delays_->Next(ticks));
  }
  world.bFastMode = true;
  world.bShowSensors = savedShowSensors_;
  recording_ = false;
}

bool ArenaMovie::Finish(std::string& line) {
  std::string why;
  if (!writer_.Finish(why)) {
    line = "cannot write " + options_.path + ": " + why;
    return false;
  }
  return true;
}
