#pragma once

#include <cstddef>

// DejaVu Sans (Debian's fonts-dejavu-core), its TrueType files built into the
// program by font/embed_font.cmake: text needs no font on the machine, and
// looks the same on every one.

extern const unsigned char kDejaVuSansFont[];
extern const std::size_t kDejaVuSansFontSize;

extern const unsigned char kDejaVuSansBoldFont[];
extern const std::size_t kDejaVuSansBoldFontSize;
