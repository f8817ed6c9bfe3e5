// PNG through stb_image_write (Debian's libstb-dev), for the web build,
// where SDL2_image is not available. The pixels are those of the desktop
// builds' files; the compressed bytes differ.
#include <cstdint>
#include <string>
#include <vector>

#include "render/png_bytes.h"
#include "render/surface.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace {

void Append(void* context, void* data, int size) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* first = static_cast<const std::uint8_t*>(data);
  bytes->insert(bytes->end(), first, first + size);
}

}  // namespace

bool Surface::SavePng(const std::string& path, std::string* why) const {
  // Opaque pixels as red, green, blue bytes.
  std::vector<std::uint8_t> rgb;
  rgb.reserve(pixels_.size() * 3);
  for (const std::uint32_t p : pixels_) {
    rgb.push_back(static_cast<std::uint8_t>(p >> 16));
    rgb.push_back(static_cast<std::uint8_t>(p >> 8));
    rgb.push_back(static_cast<std::uint8_t>(p));
  }
  std::vector<std::uint8_t> png;
  if (stbi_write_png_to_func(&Append, &png, kWidth, kHeight, 3, rgb.data(), kWidth * 3) == 0) {
    if (why != nullptr) *why = "cannot encode the picture";
    return false;
  }
  return WriteWholeFile(path, png, why);
}
