#include "app/window_capture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <thread>

#include "app/capture_name.h"
#include "movie/arena_movie.h"
#include "render/surface.h"

namespace {

void Say(const std::string& line) { std::fprintf(stderr, "vexlora: %s\n", line.c_str()); }

}  // namespace

WindowCapture::WindowCapture(std::int64_t countsPerSecond) : countsPerSecond_(countsPerSecond) {}

WindowCapture::~WindowCapture() { Finish(pendingSince_); }

void WindowCapture::Snapshot(const Surface& shown) {
  const std::string name = CaptureName(std::time(nullptr), "png");
  if (std::string why; shown.SavePng(name, &why)) {
    Say("saved " + name);
  } else {
    Say("cannot write " + name + ": " + why);
  }
}

void WindowCapture::ToggleRecording(const Surface& shown, std::int64_t now) {
  if (Recording()) {
    Stop(now);
  } else {
    Start(shown, now);
  }
}

void WindowCapture::Start(const Surface& shown, std::int64_t now) {
  name_ = CaptureName(std::time(nullptr), "gif");
  GifOptions options;
  options.width = Surface::kWidth;
  options.height = Surface::kHeight;
  options.likelyColours = ArenaColours();
  // One processor stays with the window.
  options.threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()) - 1);
  auto writer = std::make_unique<GifWriter>();
  std::string why;
  if (!writer->Open(name_, options, why)) {
    Say("cannot write " + name_ + ": " + why);
    return;
  }
  writer_ = std::move(writer);
  delays_ = std::make_unique<FrameDelays>(countsPerSecond_);
  pending_.assign(shown.Pixels(), shown.Pixels() + Surface::kWidth * Surface::kHeight);
  pendingSince_ = now;
  Say("recording " + name_);
}

void WindowCapture::Painted(const Surface& surface, std::int64_t now) {
  if (!Recording()) return;
  writer_->AddFrame(pending_.data(), delays_->Next(now - pendingSince_));
  std::copy_n(surface.Pixels(), pending_.size(), pending_.begin());
  pendingSince_ = now;
}

void WindowCapture::Stop(std::int64_t now) {
  writer_->AddFrame(pending_.data(), delays_->Next(now - pendingSince_));
  std::string why;
  const bool ok = writer_->Finish(why);
  const GifStats stats = writer_->Stats();
  writer_.reset();
  if (ok) {
    Say("recorded " + name_ + " (" + std::to_string(stats.frames) + " frames)");
  } else {
    Say("cannot write " + name_ + ": " + why);
  }
}

void WindowCapture::Finish(std::int64_t now) {
  if (Recording()) Stop(now);
}
