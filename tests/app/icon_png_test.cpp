// The icon files installed for the desktop show the picture the window uses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/icon.h"
#include "render/surface.h"

namespace {

void ExpectIconScaled(int size) {
  const std::string path = std::string(VEXLORA_ICON_DIR) + "/" + std::to_string(size) + "x" + std::to_string(size) +
                           "/vexlora.png";
  std::vector<std::uint32_t> png;
  int w = 0, h = 0;
  ASSERT_TRUE(LoadPngPixels(path, png, w, h)) << path;
  ASSERT_EQ(w, size);
  ASSERT_EQ(h, size);
  const std::vector<std::uint32_t> icon = IconPixels();
  const int scale = size / kIconSize;
  int wrong = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      wrong += png[static_cast<std::size_t>(y) * size + x] !=
               icon[static_cast<std::size_t>(y / scale) * kIconSize + x / scale];
  EXPECT_EQ(wrong, 0) << path;
}

TEST(IconFiles, ShowTheWindowIcon) {
  ExpectIconScaled(32);
  ExpectIconScaled(64);
  ExpectIconScaled(128);
}

}  // namespace
