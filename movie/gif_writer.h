#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// An animated GIF89a written while its frames arrive. It loops forever and
// every frame decodes to exactly the pixels given (0xAARRGGBB, alpha
// ignored): colours go into the global colour map, or into a frame's own
// map when the global one lacks them, and are never changed. Each frame after
// the first stores only the rectangle that changed, with the pixels that did
// not change transparent. Compression runs on worker threads; the thread
// that adds frames only copies their pixels.
//
// The file appears under its name only when Finish succeeds; until then it
// is a temporary beside it, removed when the writer fails or is dropped.
struct GifOptions {
  int width = 512;
  int height = 512;
  // Offered to the global colour map after the first frame's own colours,
  // so that later frames need their own maps less often.
  std::vector<std::uint32_t> likelyColours;
  // Compression threads; 0 means one per processor.
  int threads = 0;
};

// What a finished (or failed) file cost.
struct GifStats {
  std::int64_t frames = 0;
  std::int64_t images = 0;         // more than frames when a frame needed more than 255 colours
  std::int64_t bytes = 0;          // the whole file
  double encodeSeconds = 0.0;      // processor time of compression, summed over the threads
};

class GifWriter {
 public:
  GifWriter();
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  // Creates the temporary and starts the threads. False with the reason
  // when the file cannot be made.
  bool Open(const std::string& path, const GifOptions& options, std::string& why);

  // Queues a frame of width x height pixels, row by row, shown for `delay`
  // hundredths of a second. Waits while the threads are far behind.
  void AddFrame(const std::uint32_t* pixels, int delay);

  // Writes every queued frame and the trailer, then renames the file into
  // place. False with the reason when any part of it could not be written.
  bool Finish(std::string& why);

  bool IsOpen() const;
  GifStats Stats() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The shortest delay written: browsers play anything shorter as a tenth of
// a second.
inline constexpr int kMinGifDelay = 2;
