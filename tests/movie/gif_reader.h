#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A GIF read back with giflib image by image, the way a viewer shows it:
// each image drawn over the canvas, its transparent pixels left alone.
struct GifImageInfo {
  int index = 0;
  int left = 0, top = 0, width = 0, height = 0;
  int delay = 0;            // hundredths of a second
  bool transparency = false;
  bool localMap = false;
};

struct GifFileInfo {
  std::string version;      // "GIF89a" or "GIF87a"
  int width = 0;
  int height = 0;
  bool loopsForever = false;  // a NETSCAPE2.0 extension with 0 loops
  int images = 0;
  long long totalDelay = 0;
};

// Calls back after each image with the canvas (0xFFRRGGBB, row by row).
// False with the reason when the file does not decode.
bool ReadGif(const std::string& path, GifFileInfo& info,
             const std::function<void(const GifImageInfo&, const std::vector<std::uint32_t>&)>& onImage,
             std::string& why);
