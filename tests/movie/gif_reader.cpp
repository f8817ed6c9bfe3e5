#include "tests/movie/gif_reader.h"

#include <gif_lib.h>

#include <cstring>
#include <fstream>

bool ReadGif(const std::string& path, GifFileInfo& info,
             const std::function<void(const GifImageInfo&, const std::vector<std::uint32_t>&)>& onImage,
             std::string& why) {
  info = GifFileInfo{};
  {
    std::ifstream in(path, std::ios::binary);
    char version[6] = {};
    in.read(version, 6);
    info.version.assign(version, static_cast<std::size_t>(in.gcount()));
  }
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (gif == nullptr) {
    why = GifErrorString(error);
    return false;
  }
  info.width = gif->SWidth;
  info.height = gif->SHeight;
  std::vector<std::uint32_t> canvas(static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height), 0);
  GraphicsControlBlock gcb{};
  gcb.TransparentColor = NO_TRANSPARENT_COLOR;
  bool ended = false;
  bool ok = true;
  while (ok && !ended) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) break;
    switch (type) {
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
          ok = false;
          break;
        }
        bool netscape = false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) DGifExtensionToGCB(block[0], block + 1, &gcb);
        if (code == APPLICATION_EXT_FUNC_CODE && block != nullptr && block[0] == 11)
          netscape = std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0;
        while (ok && block != nullptr) {
          if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) ok = false;
          if (ok && netscape && block != nullptr && block[0] == 3 && block[1] == 1)
            info.loopsForever = block[2] == 0 && block[3] == 0;
        }
        break;
      }
      case IMAGE_DESC_RECORD_TYPE: {
        if (DGifGetImageDesc(gif) == GIF_ERROR) {
          ok = false;
          break;
        }
        const GifImageDesc& d = gif->Image;
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
        std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
        for (int y = 0; y < d.Height && ok; ++y) {
          if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) {
            ok = false;
            break;
          }
          for (int x = 0; x < d.Width; ++x) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == gcb.TransparentColor) continue;
            const int cx = d.Left + x;
            const int cy = d.Top + y;
            if (map == nullptr || index >= map->ColorCount || cx >= info.width || cy >= info.height) {
              why = "image " + std::to_string(info.images) + " has a pixel off the canvas or its map";
              ok = false;
              break;
            }
            const GifColorType& c = map->Colors[index];
            canvas[static_cast<std::size_t>(cy) * static_cast<std::size_t>(info.width) + static_cast<std::size_t>(cx)] =
                0xFF000000u | (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
          }
        }
        if (!ok) break;
        GifImageInfo image{info.images, d.Left, d.Top, d.Width, d.Height, gcb.DelayTime,
                           gcb.TransparentColor != NO_TRANSPARENT_COLOR, d.ColorMap != nullptr};
        info.totalDelay += gcb.DelayTime;
        ++info.images;
        onImage(image, canvas);
        gcb = GraphicsControlBlock{};
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        break;
      }
      case TERMINATE_RECORD_TYPE:
        ended = true;
        break;
      default:
        break;
    }
  }
  if (!ended && why.empty()) why = GifErrorString(gif->Error);
  DGifCloseFile(gif, &error);
  return ended;
}
