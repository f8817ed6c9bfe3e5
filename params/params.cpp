#include "params/params.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <streambuf>
#include <vector>

#include "common/regular_file.h"

ParamsRecord Params;

namespace {

// Reads whitespace-separated words the way a C++ stream extraction does, but
// an integer out of the 32-bit range fails and stores nothing (a stream
// would store the limit).
class ValueReader {
 public:
  explicit ValueReader(std::istream& in) : in_(in) {}
  // Reading text held in memory (in reads it), keeps each value's text.
  ValueReader(std::istream& in, const std::string& text, std::vector<std::string>* values)
      : in_(in), text_(&text), values_(values) {}

  // A word of any length is passed over without being kept, so even a huge
  // file without blanks costs no memory.
  void SkipLabel() {
    if (failed_) return;
    in_ >> std::ws;
    std::streambuf* text = in_.rdbuf();
    int c = in_ ? text->sgetc() : std::char_traits<char>::eof();
    if (c == std::char_traits<char>::eof()) {
      failed_ = true;
      return;
    }
    while (c != std::char_traits<char>::eof() && !std::isspace(c)) c = text->snextc();
  }

  void ReadInt(int& out) {
    if (failed_) return;
    long long value = 0;
    const std::streamoff begin = Start();
    in_ >> value;
    if (!in_ || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
      failed_ = true;
      return;
    }
    out = static_cast<int>(value);
    Keep(begin);
  }

  void ReadReal(double& out) {
    if (failed_) return;
    double value = 0.0;
    const std::streamoff begin = Start();
    in_ >> value;
    if (!in_) {
      failed_ = true;
      return;
    }
    out = value;
    Keep(begin);
  }

 private:
  // Where a value's text begins (the extraction would skip the blanks too).
  std::streamoff Start() {
    if (!values_) return 0;
    in_ >> std::ws;
    return in_.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
  }

  void Keep(std::streamoff begin) {
    if (!values_) return;
    const std::streamoff end = in_.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    values_->push_back(text_->substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
  }

  std::istream& in_;
  const std::string* text_ = nullptr;
  std::vector<std::string>* values_ = nullptr;
  bool failed_ = false;
};

// Reads a file descriptor a chunk at a time, so only as much of the file as
// the nineteen values need is ever held.
class FileBuffer : public std::streambuf {
 public:
  explicit FileBuffer(int fd) : fd_(fd) {}

 protected:
  int_type underflow() override {
    for (;;) {
      const ssize_t n = read(fd_, chunk_, sizeof chunk_);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return traits_type::eof();
      setg(chunk_, chunk_, chunk_ + n);
      return traits_type::to_int_type(chunk_[0]);
    }
  }

 private:
  int fd_;
  char chunk_[4096];
};

void ReadAll(ValueReader& r, ParamsRecord& p) {
  p = ParamsRecord{};
  auto integer = [&r](int& v) { r.SkipLabel(); r.ReadInt(v); };
  auto real = [&r](double& v) { r.SkipLabel(); r.ReadReal(v); };
  integer(p.FrameRate);
  integer(p.InputCount);
  integer(p.HiddenLayerCount);
  integer(p.HiddenLayerSize);
  integer(p.OutputCount);
  real(p.Reserved6);
  real(p.BiasInput);
  real(p.MaxTurnPerTick);
  real(p.Reserved9);
  integer(p.Reserved10);
  integer(p.FungusCount);
  integer(p.CritterCount);
  integer(p.TicksPerGeneration);
  real(p.FungusScale);
  real(p.CrossoverRate);
  real(p.MutationRate);
  real(p.MutationStepScale);
  integer(p.EliteCount);
  integer(p.EliteCopyFactor);
}

}  // namespace

ParamsRecord ParseParams(const std::string& text) {
  std::istringstream in(text);
  ValueReader r(in);
  ParamsRecord p;
  ReadAll(r, p);
  return p;
}

std::vector<std::string> ParamValueTexts(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> values;
  ValueReader r(in, text, &values);
  ParamsRecord ignored;
  ReadAll(r, ignored);
  return values;
}

ParamsRecord DefaultParamsRecord() {
  ParamsRecord p;
  p.FrameRate = 60;
  p.InputCount = 1;
  p.HiddenLayerCount = 1;
  p.HiddenLayerSize = 6;
  p.OutputCount = 2;
  p.Reserved6 = 1;
  p.BiasInput = -1;
  p.MaxTurnPerTick = 0.3;
  p.Reserved9 = 2;
  p.Reserved10 = 5;
  p.FungusCount = 40;
  p.CritterCount = 30;
  p.TicksPerGeneration = 2000;
  p.FungusScale = 2;
  p.CrossoverRate = 0.7;
  p.MutationRate = 0.1;
  p.MutationStepScale = 0.3;
  p.EliteCount = 4;
  p.EliteCopyFactor = 1;
  return p;
}

bool LoadParams(const std::string& path, std::string* why) {
  Params = ParamsRecord{};
  // Only a regular file counts as a parameter file; anything else is refused
  // as a file that cannot be opened.
  const int fd = OpenRegularFile(path, why);
  if (fd < 0) return false;
  FileBuffer buffer(fd);
  std::istream in(&buffer);
  ValueReader r(in);
  ReadAll(r, Params);
  close(fd);
  return true;
}

std::int64_t NetworkWeightCount(const ParamsRecord& p) {
  const std::int64_t in = p.InputCount, h = p.HiddenLayerCount, s = p.HiddenLayerSize, out = p.OutputCount;
  if (h > 0) return s * (in + 1) + (h - 1) * s * (s + 1) + out * (s + 1);
  return out * (in + 1);
}

namespace {

// Bounds that keep a population's weights comfortably in memory.
constexpr int kMaxLayerWidth = 1000;
constexpr int kMaxHiddenLayers = 100;
constexpr int kMaxFungusCount = 10000;
constexpr int kMaxTicksPerGeneration = 1000000000;
constexpr std::int64_t kMaxPopulationWeights = 16 * 1024 * 1024;

std::string Range(const std::string& file, const char* name, const std::string& value, const std::string& range) {
  return "Parameter " + std::string(name) + " is " + value + " in " + file + "; it must be " + range + ".";
}

std::string Text(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

}  // namespace

std::string CheckParams(const ParamsRecord& p, const std::string& file) {
  auto intRange = [&](const char* name, int v, long long lo, long long hi) -> std::string {
    if (v >= lo && v <= hi) return {};
    return Range(file, name, std::to_string(v), "from " + std::to_string(lo) + " to " + std::to_string(hi));
  };
  auto atLeast = [&](const char* name, int v, int lo) -> std::string {
    if (v >= lo) return {};
    return Range(file, name, std::to_string(v), std::to_string(lo) + " or more");
  };
  std::string m;
  if (!(m = atLeast("FrameRate", p.FrameRate, 1)).empty()) return m;
  if (!(m = intRange("InputCount", p.InputCount, 0, kMaxLayerWidth)).empty()) return m;
  if (!(m = intRange("HiddenLayerCount", p.HiddenLayerCount, 0, kMaxHiddenLayers)).empty()) return m;
  if (p.HiddenLayerCount > 0 && !(m = intRange("HiddenLayerSize", p.HiddenLayerSize, 1, kMaxLayerWidth)).empty())
    return m;
  if (!(m = intRange("OutputCount", p.OutputCount, 2, kMaxLayerWidth)).empty()) return m;
  if (!(p.MaxTurnPerTick >= 0.0 && p.MaxTurnPerTick <= 3.141592653589793))
    return Range(file, "MaxTurnPerTick", Text(p.MaxTurnPerTick), "from 0 to pi (3.14159)");
  if (!(m = intRange("FungusCount", p.FungusCount, 1, kMaxFungusCount)).empty()) return m;
  if (!(m = intRange("CritterCount", p.CritterCount, 2, kMaxCritterCount)).empty()) return m;
  if (!(m = intRange("TicksPerGeneration", p.TicksPerGeneration, 1, kMaxTicksPerGeneration)).empty()) return m;
  if (!(m = intRange("EliteCount", p.EliteCount, 0, p.CritterCount)).empty()) return m;
  const std::int64_t weights = NetworkWeightCount(p);
  if (weights * p.CritterCount > kMaxPopulationWeights) {
    return "The networks of " + file + " are too large: " + std::to_string(p.CritterCount) + " critters with " +
           std::to_string(weights) + " weights each; at most " + std::to_string(kMaxPopulationWeights) +
           " weights in all fit.";
  }
  return {};
}
