#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "movie/frame_delays.h"
#include "movie/gif_writer.h"

class Surface;

// The window's S and R. S writes the picture shown as a PNG; R starts a GIF
// of every picture painted from then on (arena frames, or one statistics
// panel a generation in fast mode), each lasting until the next was painted,
// and the next R, or the end of the program, completes it. Each says one
// line on stderr naming its file; a file that cannot be written is reported
// there and the window goes on. Times are counter counts.
class WindowCapture {
 public:
  explicit WindowCapture(std::int64_t countsPerSecond);
  ~WindowCapture();  // completes a recording
  WindowCapture(const WindowCapture&) = delete;
  WindowCapture& operator=(const WindowCapture&) = delete;

  // S: the surface holds the picture shown.
  void Snapshot(const Surface& shown);

  // R: starts with the picture shown, or completes the recording.
  void ToggleRecording(const Surface& shown, std::int64_t now);

  // A picture was painted; recorded while recording.
  void Painted(const Surface& surface, std::int64_t now);

  // Completes a recording under way (the program ends).
  void Finish(std::int64_t now);

  bool Recording() const { return writer_ != nullptr; }

 private:
  void Start(const Surface& shown, std::int64_t now);
  void Stop(std::int64_t now);

  std::int64_t countsPerSecond_;
  std::unique_ptr<GifWriter> writer_;
  std::unique_ptr<FrameDelays> delays_;
  std::string name_;
  // The newest picture waits until the next shows how long it lasted.
  std::vector<std::uint32_t> pending_;
  std::int64_t pendingSince_ = 0;
};
