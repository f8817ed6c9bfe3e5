#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Encoding a surface as PNG and writing it out, shared by the two encoders
// (SDL2_image in the desktop builds, stb_image_write in the web build).

// Writes bytes to a file, checking every step (a full disk shows only at the
// flush or the close); false with why when they did not all arrive.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string* why);
