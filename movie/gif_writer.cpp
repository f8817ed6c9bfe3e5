#include "movie/gif_writer.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace {

constexpr std::uint32_t kRgbMask = 0x00FFFFFFu;
// Colours a map holds besides the transparent index.
constexpr int kMaxColours = 255;
// Every map's first entry, so that it is known before the colours are.
constexpr GifPixelType kTransparent = 0;

// Colour to map index (1 on), for at most kMaxColours colours.
class ColourIndex {
 public:
  ColourIndex() { Clear(); }

  void Clear() {
    keys_.fill(kEmpty);
    colours_.clear();
  }

  // The index of a colour, or -1.
  int Find(std::uint32_t colour) const {
    for (std::size_t slot = Hash(colour);; slot = (slot + 1) & (kSlots - 1)) {
      if (keys_[slot] == colour) return values_[slot];
      if (keys_[slot] == kEmpty) return -1;
    }
  }

  // The index of a colour, added when new; -1 when the map is full.
  int Add(std::uint32_t colour) {
    std::size_t slot = Hash(colour);
    for (; keys_[slot] != kEmpty; slot = (slot + 1) & (kSlots - 1))
      if (keys_[slot] == colour) return values_[slot];
    if (static_cast<int>(colours_.size()) >= kMaxColours) return -1;
    keys_[slot] = colour;
    colours_.push_back(colour);
    values_[slot] = static_cast<std::uint8_t>(colours_.size());
    return values_[slot];
  }

  const std::vector<std::uint32_t>& Colours() const { return colours_; }

 private:
  static constexpr std::size_t kSlots = 1024;
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // no colour once the alpha is masked off
  static std::size_t Hash(std::uint32_t c) { return (c * 2654435761u) >> 22; }

  std::array<std::uint32_t, kSlots> keys_;
  std::array<std::uint8_t, kSlots> values_{};
  std::vector<std::uint32_t> colours_;
};

// A colour map of the transparent index, then the colours, padded to the
// power of two a GIF map must be.
ColorMapObject* MakeMap(const std::vector<std::uint32_t>& colours) {
  int size = 2;
  while (size < static_cast<int>(colours.size()) + 1) size *= 2;
  std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < colours.size(); ++i)
    entries[i + 1] = GifColorType{static_cast<GifByteType>(colours[i] >> 16), static_cast<GifByteType>(colours[i] >> 8),
                              static_cast<GifByteType>(colours[i])};
  return GifMakeMapObject(size, entries.data());
}

struct MapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using MapPtr = std::unique_ptr<ColorMapObject, MapDeleter>;

int AppendToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

// The smallest rectangle holding every pixel that differs; w = 0 when none does.
Rect ChangedRect(const std::uint32_t* cur, const std::uint32_t* prev, int width, int height) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  auto row = [width](const std::uint32_t* p, int y) { return p + static_cast<std::ptrdiff_t>(y) * width; };
  int top = 0;
  while (top < height && std::memcmp(row(cur, top), row(prev, top), rowBytes) == 0) ++top;
  if (top == height) return {};
  int bottom = height - 1;
  while (std::memcmp(row(cur, bottom), row(prev, bottom), rowBytes) == 0) --bottom;
  int left = width;
  int right = -1;
  for (int y = top; y <= bottom; ++y) {
    const std::uint32_t* c = row(cur, y);
    const std::uint32_t* p = row(prev, y);
    for (int x = 0; x < left; ++x)
      if (c[x] != p[x]) {
        left = x;
        break;
      }
    for (int x = width - 1; x > right; --x)
      if (c[x] != p[x]) {
        right = x;
        break;
      }
  }
  return {left, top, right - left + 1, bottom - top + 1};
}

// The bits of a map's indices for that many colours and the transparent index.
int MapBits(std::size_t colours) {
  int bits = 1;
  while ((std::size_t{1} << bits) < colours + 1) ++bits;
  return bits;
}

// The map indices of a rectangle: unchanged pixels (none without `prev`) get
// the transparent index, the others their colour's. False when the map
// lacks a colour, or with kAdd, when a new colour does not fit it.
template <bool kAdd, typename Map>
bool IndexRect(const std::uint32_t* cur, const std::uint32_t* prev, int width, const Rect& r, Map& map,
               std::vector<GifPixelType>& out) {
  out.resize(static_cast<std::size_t>(r.w) * static_cast<std::size_t>(r.h));
  GifPixelType* o = out.data();
  std::uint32_t lastColour = 0xFFFFFFFFu;
  int lastIndex = 0;
  for (int y = r.y; y < r.y + r.h; ++y) {
    const std::size_t at =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(r.x);
    const std::uint32_t* c = cur + at;
    const std::uint32_t* p = prev != nullptr ? prev + at : nullptr;
    for (int x = 0; x < r.w; ++x) {
      if (p != nullptr && c[x] == p[x]) {
        *o++ = kTransparent;
        continue;
      }
      const std::uint32_t colour = c[x] & kRgbMask;
      if (colour != lastColour) {
        if constexpr (kAdd) {
          lastIndex = map.Add(colour);
        } else {
          lastIndex = map.Find(colour);
        }
        if (lastIndex < 0) return false;
        lastColour = colour;
      }
      *o++ = static_cast<GifPixelType>(lastIndex);
    }
  }
  return true;
}

// Processor time of the calling thread, so that other work on the machine
// does not count as encoding.
std::int64_t ThreadNanos() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

struct GifWriter::Impl {
  struct Frame {
    std::vector<std::uint32_t> pixels;
  };
  struct Job {
    std::int64_t index = 0;
    std::shared_ptr<const Frame> cur;
    std::shared_ptr<const Frame> prev;  // null for the first frame
    int delay = 0;
  };

  GifOptions options;
  std::string path;
  std::string tempPath;
  std::FILE* file = nullptr;
  GifFileType* gif = nullptr;
  std::string error;  // the first failure

  // The global map: the first frame's colours and the likely ones.
  ColourIndex global;
  MapPtr globalMap;

  std::mutex mutex;
  std::condition_variable workReady;
  std::condition_variable spaceFree;
  std::deque<Job> jobs;
  std::map<std::int64_t, std::vector<std::uint8_t>> encoded;
  std::vector<std::unique_ptr<Frame>> spare;
  std::int64_t added = 0;
  std::int64_t written = 0;
  std::int64_t images = 0;
  std::int64_t bytes = 0;
  std::int64_t encodeNanos = 0;
  bool stopping = false;
  bool finished = false;
  int capacity = 4;
  std::vector<std::thread> workers;
  std::shared_ptr<const Frame> last;

  ~Impl() { Stop(); }

  void Fail(const std::string& why) {
    if (error.empty()) error = why;
  }

  static int WriteToFile(GifFileType* g, const GifByteType* data, int length) {
    auto* self = static_cast<Impl*>(g->UserData);
    return self->Write(data, static_cast<std::size_t>(length)) ? length : 0;
  }

  bool Write(const void* data, std::size_t length) {
    if (!error.empty()) return false;
    if (std::fwrite(data, 1, length, file) != length) {
      Fail(std::strerror(errno));
      return false;
    }
    bytes += static_cast<std::int64_t>(length);
    return true;
  }

  // A frame buffer from the spares, given back when the last job using it ends.
  std::shared_ptr<Frame> NewFrame() {
    std::unique_ptr<Frame> frame;
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (!spare.empty()) {
        frame = std::move(spare.back());
        spare.pop_back();
      }
    }
    if (!frame) {
      frame = std::make_unique<Frame>();
      frame->pixels.resize(static_cast<std::size_t>(options.width) * static_cast<std::size_t>(options.height));
    }
    return {frame.release(), [this](Frame* f) {
              std::lock_guard<std::mutex> lock(mutex);
              spare.emplace_back(f);
            }};
  }

  // The header, the global map and the loop extension, from the first frame.
  bool WriteHeader(const std::uint32_t* pixels) {
    const std::size_t count = static_cast<std::size_t>(options.width) * static_cast<std::size_t>(options.height);
    for (std::size_t i = 0; i < count; ++i)
      if (global.Add(pixels[i] & kRgbMask) < 0) break;
    for (const std::uint32_t c : options.likelyColours)
      if (global.Add(c & kRgbMask) < 0) break;
    globalMap.reset(MakeMap(global.Colours()));

    EGifSetGifVersion(gif, true);
    static const GifByteType kLoopForever[3] = {1, 0, 0};
    if (EGifPutScreenDesc(gif, options.width, options.height, 8, 0, globalMap.get()) == GIF_ERROR ||
        EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif, 3, kLoopForever) == GIF_ERROR || EGifPutExtensionTrailer(gif) == GIF_ERROR) {
      Fail(error.empty() ? GifErrorString(gif->Error) : error);
      return false;
    }
    return true;
  }

  void Start() {
    int threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(threads, 1);
    capacity = 4 * threads + 2;
    for (int t = 0; t < threads; ++t) workers.emplace_back([this] { Work(); });
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stopping = true;
    }
    workReady.notify_all();
    for (std::thread& t : workers) t.join();
    workers.clear();
    last.reset();
  }

  void Work() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex);
        workReady.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty()) return;
        job = std::move(jobs.front());
        jobs.pop_front();
      }
      const std::int64_t start = ThreadNanos();
      std::int64_t imageCount = 0;
      std::vector<std::uint8_t> out = Encode(job, imageCount);
      const std::int64_t nanos = ThreadNanos() - start;
      job.cur.reset();
      job.prev.reset();

      std::lock_guard<std::mutex> lock(mutex);
      encodeNanos += nanos;
      images += imageCount;
      encoded.emplace(job.index, std::move(out));
      // Whoever finishes the oldest frame writes every frame now in order.
      for (auto it = encoded.find(written); it != encoded.end(); it = encoded.find(written)) {
        if (it->second.empty()) {
          Fail("the GIF library cannot encode a frame");
        } else {
          Write(it->second.data(), it->second.size());
        }
        encoded.erase(it);
        ++written;
      }
      spaceFree.notify_all();
    }
  }

  // One frame as the bytes of its images; empty on a library failure.
  std::vector<std::uint8_t> Encode(const Job& job, std::int64_t& imageCount) const {
    const int width = options.width;
    const std::uint32_t* cur = job.cur->pixels.data();
    const std::uint32_t* prev = job.prev ? job.prev->pixels.data() : nullptr;
    Rect rect{0, 0, width, options.height};
    if (prev != nullptr) rect = ChangedRect(cur, prev, width, options.height);
    const bool unchanged = rect.w == 0;
    if (unchanged) rect = {0, 0, 1, 1};  // one transparent pixel carries the delay

    std::vector<std::uint8_t> out;
    int gifError = 0;
    GifFileType* g = EGifOpen(&out, &AppendToVector, &gifError);
    if (g == nullptr) return {};
    EGifSetGifVersion(g, true);
    bool ok = EGifPutScreenDesc(g, width, options.height, 8, 0, globalMap.get()) != GIF_ERROR;
    const std::size_t header = out.size();

    auto changed = [&](int x, int y) {
      const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
      return prev == nullptr || cur[i] != prev[i];
    };
    auto colour = [&](int x, int y) {
      return cur[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] &
             kRgbMask;
    };

    // Pieces of the rectangle, each with the map that indexes it: the
    // global map when it holds every changed colour, otherwise the piece's own.
    struct Piece {
      Rect rect;
      bool local = false;
      ColourIndex colours;
    };
    std::vector<Piece> pieces;
    // A frame's changes mostly have a handful of colours: a small map of
    // their own gives shorter codes than the global map, for a few bytes.
    // The indices of the map chosen are left in `indices`.
    std::vector<GifPixelType> indices(1, kTransparent);
    ColourIndex own;
    const bool ownHoldsAll = !unchanged && IndexRect<true>(cur, prev, width, rect, own, indices);
    const bool ownIsSmaller = ownHoldsAll && MapBits(own.Colours().size()) < MapBits(global.Colours().size());
    const bool globalHoldsAll =
        unchanged || (!ownIsSmaller && IndexRect<false>(cur, prev, width, rect, global, indices));
    bool indexed = true;
    if (globalHoldsAll) {
      pieces.push_back(Piece{rect, false, {}});
    } else if (ownHoldsAll) {
      pieces.push_back(Piece{rect, true, own});
      indexed = ownIsSmaller;
    } else {
      // More colours than one map holds: bands of whole rows while their
      // colours fit a map, and a row with too many alone in runs of pixels.
      auto addRow = [&](ColourIndex& map, int y) {
        for (int x = rect.x; x < rect.x + rect.w; ++x)
          if (changed(x, y) && map.Add(colour(x, y)) < 0) return false;
        return true;
      };
      Piece band{{rect.x, rect.y, rect.w, 0}, true, {}};
      for (int y = rect.y; y < rect.y + rect.h; ++y) {
        ColourIndex trial = band.colours;
        if (addRow(trial, y)) {
          band.colours = trial;
          ++band.rect.h;
          continue;
        }
        if (band.rect.h > 0) pieces.push_back(band);
        band = Piece{{rect.x, y, rect.w, 1}, true, {}};
        if (addRow(band.colours, y)) continue;
        Piece run{{rect.x, y, 0, 1}, true, {}};
        for (int x = rect.x; x < rect.x + rect.w; ++x) {
          if (changed(x, y) && run.colours.Add(colour(x, y)) < 0) {
            pieces.push_back(run);
            run = Piece{{x, y, 0, 1}, true, {}};
            run.colours.Add(colour(x, y));
          }
          ++run.rect.w;
        }
        pieces.push_back(run);
        band = Piece{{rect.x, y + 1, rect.w, 0}, true, {}};
      }
      if (band.rect.h > 0) pieces.push_back(band);
      indexed = false;
    }

    for (std::size_t p = 0; p < pieces.size() && ok; ++p) {
      const Piece& piece = pieces[p];
      const ColourIndex& map = piece.local ? piece.colours : global;
      MapPtr localMap(piece.local ? MakeMap(map.Colours()) : nullptr);

      // Every piece but the last is shown for the shortest delay; the last
      // takes what remains of the frame's.
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = DISPOSE_DO_NOT;
      gcb.UserInputFlag = false;
      const int before = static_cast<int>(pieces.size() - 1) * kMinGifDelay;
      gcb.DelayTime = p + 1 < pieces.size() ? kMinGifDelay : std::max(kMinGifDelay, job.delay - before);
      gcb.TransparentColor = prev == nullptr ? NO_TRANSPARENT_COLOR : kTransparent;
      GifByteType extension[4];
      const std::size_t extensionLength = EGifGCBToExtension(&gcb, extension);

      const Rect& r = piece.rect;
      if (!indexed) IndexRect<false>(cur, prev, width, r, map, indices);
      ok = EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) != GIF_ERROR &&
           EGifPutImageDesc(g, r.x, r.y, r.w, r.h, false, localMap.get()) != GIF_ERROR &&
           EGifPutLine(g, indices.data(), static_cast<int>(indices.size())) != GIF_ERROR;
    }
    ok = EGifCloseFile(g, &gifError) != GIF_ERROR && ok;
    if (!ok || out.size() < header + 1) return {};
    imageCount = static_cast<std::int64_t>(pieces.size());
    // The screen descriptor and the trailer belong to the whole file.
    return {out.begin() + static_cast<std::ptrdiff_t>(header), out.end() - 1};
  }

  void RemoveTemporary() {
    if (gif != nullptr) {
      int ignored = 0;
      EGifCloseFile(gif, &ignored);
      gif = nullptr;
    }
    if (file != nullptr) {
      std::fclose(file);
      file = nullptr;
    }
    if (!tempPath.empty()) {
      unlink(tempPath.c_str());
      tempPath.clear();
    }
  }
};

GifWriter::GifWriter() = default;

GifWriter::~GifWriter() {
  if (impl_) {
    impl_->Stop();
    impl_->RemoveTemporary();
  }
}

bool GifWriter::Open(const std::string& path, const GifOptions& options, std::string& why) {
  auto impl = std::make_unique<Impl>();
  impl->options = options;
  impl->path = path;
  struct stat st{};
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    why = std::strerror(EISDIR);
    return false;
  }
  // A name of our own beside the target, so the rename stays on one file system.
  static std::atomic<int> counter{0};
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    impl->tempPath = path + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    fd = open(impl->tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    why = std::strerror(errno);
    impl->tempPath.clear();
    return false;
  }
  impl->file = fdopen(fd, "wb");
  int gifError = 0;
  if (impl->file != nullptr) impl->gif = EGifOpen(impl.get(), &Impl::WriteToFile, &gifError);
  if (impl->file == nullptr || impl->gif == nullptr) {
    why = impl->file == nullptr ? std::strerror(errno) : GifErrorString(gifError);
    if (impl->file == nullptr) close(fd);
    impl->RemoveTemporary();
    return false;
  }
  impl->Start();
  impl_ = std::move(impl);
  return true;
}

bool GifWriter::IsOpen() const { return impl_ != nullptr && !impl_->finished; }

void GifWriter::AddFrame(const std::uint32_t* pixels, int delay) {
  if (!impl_ || impl_->finished) return;
  Impl& s = *impl_;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.error.empty()) return;
  }
  if (s.added == 0 && !s.WriteHeader(pixels)) return;

  std::shared_ptr<Impl::Frame> frame = s.NewFrame();
  std::copy_n(pixels, frame->pixels.size(), frame->pixels.begin());
  Impl::Job job{s.added++, frame, s.last, std::max(delay, kMinGifDelay)};
  s.last = frame;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    s.spaceFree.wait(lock, [&s] { return s.added - s.written <= s.capacity; });
    s.jobs.push_back(std::move(job));
  }
  s.workReady.notify_one();
}

bool GifWriter::Finish(std::string& why) {
  if (!impl_ || impl_->finished) {
    why = "not open";
    return false;
  }
  Impl& s = *impl_;
  s.finished = true;
  {
    std::unique_lock<std::mutex> lock(s.mutex);
    s.spaceFree.wait(lock, [&s] { return s.written == s.added; });
  }
  s.Stop();
  if (s.added == 0) s.Fail("no frames");
  int gifError = 0;
  const bool closed = EGifCloseFile(s.gif, &gifError) != GIF_ERROR;  // writes the trailer
  s.gif = nullptr;
  if (!closed) s.Fail(GifErrorString(gifError));
  if (s.error.empty() && (std::fflush(s.file) != 0 || fsync(fileno(s.file)) != 0)) s.Fail(std::strerror(errno));
  const int closeResult = std::fclose(s.file);
  s.file = nullptr;
  if (closeResult != 0) s.Fail(std::strerror(errno));
  if (s.error.empty() && std::rename(s.tempPath.c_str(), s.path.c_str()) != 0) s.Fail(std::strerror(errno));
  if (!s.error.empty()) {
    why = s.error;
    s.RemoveTemporary();
    return false;
  }
  s.tempPath.clear();
  return true;
}

GifStats GifWriter::Stats() const {
  GifStats stats;
  if (!impl_) return stats;
  std::lock_guard<std::mutex> lock(impl_->mutex);
  stats.frames = impl_->written;
  stats.images = impl_->images;
  stats.bytes = impl_->bytes;
  stats.encodeSeconds = static_cast<double>(impl_->encodeNanos) * 1e-9;
  return stats;
}
