// The weight file: layout, round trip, short and long files, and what a
// failed or interrupted save leaves behind.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "genetics/weight_file.h"
#include "support/temp_dir.h"
#include "tests/genetics/replay.h"

namespace {

// Little-endian bytes of one double, written out by hand from its bit pattern.
std::string LeBits(std::uint64_t bits) {
  std::string out;
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  return out;
}

std::string Le(double v) { return LeBits(std::bit_cast<std::uint64_t>(v)); }

Population Filled(int count, int length, double base) {
  Population p;
  for (int g = 0; g < count; ++g) p.push_back(Marked(base + 10.0 * g, length, 0.5 + g));
  return p;
}

std::set<std::string> Listing(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

// 1.0, -2.0, 0.5 | 0.25, 3.0, -0.0
Population SmallPair() {
  Population p(2);
  p[0].vecNetWeights = {1.0, -2.0, 0.5};
  p[1].vecNetWeights = {0.25, 3.0, -0.0};
  return p;
}

const std::string kSmallPairBytes = LeBits(0x3FF0000000000000ull) + LeBits(0xC000000000000000ull) +
                                    LeBits(0x3FE0000000000000ull) + LeBits(0x3FD0000000000000ull) +
                                    LeBits(0x4008000000000000ull) + LeBits(0x8000000000000000ull);

}  // namespace

TEST(WeightFileLayout, HeaderlessLittleEndianGenomeAfterGenome) {
  TempDir dir;
  const std::string path = dir.File("w.bin");
  SaveAllWeights(SmallPair(), 2, 3, path);
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes, kSmallPairBytes);
  EXPECT_EQ(bytes.substr(24, 8), LeBits(0x3FD0000000000000ull)) << "genome 1 weight 0";
  EXPECT_EQ(WeightFileBytes(SmallPair(), 2, 3), kSmallPairBytes);
}

TEST(WeightFileLayout, OnlyTheFirstCountGenomesAreSaved) {
  TempDir dir;
  Population p = SmallPair();
  p.push_back(Marked(7, 3, 1.0));
  p.push_back(Marked(8, 3, 2.0));
  SaveAllWeights(p, 2, 3, dir.File("w.bin"));
  EXPECT_EQ(ReadFile(dir.File("w.bin")), kSmallPairBytes);
}

TEST(WeightFileLayout, DefaultNameInTheWorkingDirectory) {
  TempDir dir;
  dir.Enter();
  SaveAllWeights(SmallPair(), 2, 3);
  EXPECT_EQ(ReadFile(dir.File("AllWeights.bin")), kSmallPairBytes);
  Population loaded = Filled(2, 3, 50);
  LoadAllWeights(loaded, 2, 3);
  EXPECT_EQ(loaded[1].vecNetWeights, SmallPair()[1].vecNetWeights);
}

TEST(WeightFileRoundTrip, OddValuesComeBackBitForBit) {
  TempDir dir;
  const std::uint64_t bits[] = {
      0x8000000000000000ull,  // negative zero
      0x0000000000000001ull,  // smallest denormal
      0x000FFFFFFFFFFFFFull,  // largest denormal
      0x800123456789ABCDull,  // negative denormal
      0x7FF8000000012345ull,  // quiet NaN with a payload
      0xFFF80000DEADBEEFull,  // negative NaN with a payload
      0x7FF0000000000000ull,  // +infinity
      0xFFF0000000000000ull,  // -infinity
      0x7FEFFFFFFFFFFFFFull,  // largest finite
      0x3FD5555555555555ull,  // 1/3
      0x0010000000000000ull,  // smallest normal
      0xBFF0000000000001ull,  // just below -1
  };
  Population saved(3);
  for (int g = 0; g < 3; ++g)
    for (int k = 0; k < 4; ++k) saved[g].vecNetWeights.push_back(std::bit_cast<double>(bits[4 * g + k]));
  SaveAllWeights(saved, 3, 4, dir.File("w.bin"));

  Population loaded = Filled(3, 4, 1);
  LoadAllWeights(loaded, 3, 4, dir.File("w.bin"));
  for (int g = 0; g < 3; ++g)
    for (int k = 0; k < 4; ++k)
      EXPECT_EQ(std::bit_cast<std::uint64_t>(loaded[g].vecNetWeights[k]), bits[4 * g + k]) << g << "," << k;
}

TEST(WeightFileLoad, MissingFileChangesNothing) {
  TempDir dir;
  Population p = Filled(3, 4, 1);
  const Population before = p;
  LoadAllWeights(p, 3, 4, dir.File("absent.bin"));
  for (std::size_t g = 0; g < 3; ++g) {
    EXPECT_EQ(p[g].vecNetWeights, before[g].vecNetWeights);
    EXPECT_EQ(p[g].dFitness, before[g].dFitness);
  }
}

TEST(WeightFileLoad, DirectoryOfThatNameChangesNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("AllWeights.bin"));
  Population p = Filled(3, 4, 1);
  const Population before = p;
  LoadAllWeights(p, 3, 4, dir.File("AllWeights.bin"));
  for (std::size_t g = 0; g < 3; ++g) EXPECT_EQ(p[g].vecNetWeights, before[g].vecNetWeights);
}

TEST(WeightFileLoad, EmptyFileZeroesEveryWeight) {
  TempDir dir;
  WriteFile(dir.File("w.bin"), "");
  Population p = Filled(3, 4, 1);
  LoadAllWeights(p, 3, 4, dir.File("w.bin"));
  for (std::size_t g = 0; g < 3; ++g) {
    EXPECT_EQ(p[g].vecNetWeights, std::vector<double>(4, 0.0));
    EXPECT_EQ(p[g].dFitness, 0.5 + static_cast<double>(g));
  }
}

TEST(WeightFileLoad, OneGenomesWorthFillsGenomeZeroOnly) {
  TempDir dir;
  WriteFile(dir.File("w.bin"), Le(1.5) + Le(-2.5) + Le(3.5));
  Population p = Filled(3, 3, 1);
  LoadAllWeights(p, 3, 3, dir.File("w.bin"));
  EXPECT_EQ(p[0].vecNetWeights, (std::vector<double>{1.5, -2.5, 3.5}));
  EXPECT_EQ(p[1].vecNetWeights, std::vector<double>(3, 0.0));
  EXPECT_EQ(p[2].vecNetWeights, std::vector<double>(3, 0.0));
}

TEST(WeightFileLoad, LargerPopulationsFileGivesItsFirstGenomes) {
  TempDir dir;
  const Population big = Filled(5, 3, 100);
  SaveAllWeights(big, 5, 3, dir.File("w.bin"));
  ASSERT_EQ(ReadFile(dir.File("w.bin")).size(), 5u * 3u * 8u);
  Population p = Filled(2, 3, -50);
  LoadAllWeights(p, 2, 3, dir.File("w.bin"));
  EXPECT_EQ(p[0].vecNetWeights, big[0].vecNetWeights);
  EXPECT_EQ(p[1].vecNetWeights, big[1].vecNetWeights);
}

TEST(WeightFileLoad, PartialValueAndEverythingAfterIsZero) {
  TempDir dir;
  const std::string partial = "\xFF\xFF\xFF";
  // Four whole values, then three bytes of a fifth.
  WriteFile(dir.File("four.bin"), Le(1.5) + Le(2.5) + Le(3.5) + Le(4.5) + partial);
  Population p = Filled(2, 3, 1);
  LoadAllWeights(p, 2, 3, dir.File("four.bin"));
  EXPECT_EQ(p[0].vecNetWeights, (std::vector<double>{1.5, 2.5, 3.5}));
  EXPECT_EQ(p[1].vecNetWeights, (std::vector<double>{4.5, 0.0, 0.0}));

  // Exactly 8 x N + 3 bytes.
  WriteFile(dir.File("one.bin"), Le(1.5) + Le(2.5) + Le(3.5) + partial);
  Population q = Filled(2, 3, 1);
  LoadAllWeights(q, 2, 3, dir.File("one.bin"));
  EXPECT_EQ(q[0].vecNetWeights, (std::vector<double>{1.5, 2.5, 3.5}));
  EXPECT_EQ(q[1].vecNetWeights, std::vector<double>(3, 0.0));
}

TEST(WeightFileLoad, FitnessAndSequenceLengthsAreKept) {
  TempDir dir;
  SaveAllWeights(Filled(3, 3, 100), 3, 3, dir.File("w.bin"));
  Population p = {Marked(1, 3, 4.0), Marked(2, 5, -1.0), Marked(3, 2, 7.5)};
  LoadAllWeights(p, 3, 3, dir.File("w.bin"));
  EXPECT_EQ(p[0].vecNetWeights, (std::vector<double>{100, 101, 102}));
  EXPECT_EQ(p[0].dFitness, 4.0);
  EXPECT_EQ(p[1].vecNetWeights.size(), 5u);
  EXPECT_EQ(p[1].dFitness, -1.0);
  EXPECT_EQ(p[2].vecNetWeights.size(), 2u);
  EXPECT_EQ(p[2].dFitness, 7.5);
}

TEST(WeightFileSave, ReplacesTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.File("w.bin");
  SaveAllWeights(Filled(4, 3, 1), 4, 3, path);
  ASSERT_EQ(ReadFile(path).size(), 96u);
  SaveAllWeights(SmallPair(), 2, 3, path);
  EXPECT_EQ(ReadFile(path), kSmallPairBytes) << "no tail of the longer old file";
  EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"w.bin"});
}

TEST(WeightFileSave, MissingDirectoryIsSilent) {
  TempDir dir;
  const std::filesystem::path missing = dir.path() / "no" / "such";
  SaveAllWeights(SmallPair(), 2, 3, (missing / "w.bin").string());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
  EXPECT_TRUE(Listing(dir.path()).empty());
}

TEST(WeightFileSave, TargetThatIsADirectoryIsLeftAsItWas) {
  TempDir dir;
  const std::filesystem::path target = dir.path() / "w.bin";
  std::filesystem::create_directory(target);
  WriteFile((target / "inside").string(), "keep");
  SaveAllWeights(SmallPair(), 2, 3, target.string());
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_EQ(ReadFile((target / "inside").string()), "keep");
  EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"w.bin"}) << "the temporary is removed";
  EXPECT_EQ(Listing(target), std::set<std::string>{"inside"});
}

namespace {

// Lowers the file size limit so that writing stops part way, as on a full
// disk; the signal is ignored so the write simply fails.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit lower = saved_;
    lower.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lower);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
};

}  // namespace

TEST(WeightFileSave, FailedWriteKeepsTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("w.bin");
  SaveAllWeights(SmallPair(), 2, 3, path);
  ASSERT_EQ(ReadFile(path), kSmallPairBytes);
  {
    FileSizeLimit limit(16);
    WriteFile(dir.File("probe"), std::string(48, 'x'));
    ASSERT_LE(ReadFile(dir.File("probe")).size(), 16u) << "the limit must really cut writes short";
    std::filesystem::remove(dir.File("probe"));
    SaveAllWeights(Filled(2, 3, 9), 2, 3, path);
  }
  EXPECT_EQ(ReadFile(path), kSmallPairBytes);
  EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"w.bin"}) << "the failed temporary is removed";
}

TEST(WeightFileSave, ProcessDyingMidWriteKeepsTheOldFileWhole) {
  TempDir dir;
  const std::string path = dir.File("w.bin");
  SaveAllWeights(SmallPair(), 2, 3, path);
  const Population replacement = Filled(2, 3, 9);

  // A child process saves and is ended inside the write: no clean-up, no
  // rename, whatever it wrote is left where it was.
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    rlimit lower{16, 16};
    setrlimit(RLIMIT_FSIZE, &lower);
    std::signal(SIGXFSZ, [](int) { _exit(3); });
    SaveAllWeights(replacement, 2, 3, path);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 3) << "the child must have died inside the save";

  EXPECT_EQ(ReadFile(path), kSmallPairBytes);
  Population loaded = Filled(2, 3, 50);
  LoadAllWeights(loaded, 2, 3, path);
  EXPECT_EQ(loaded[0].vecNetWeights, SmallPair()[0].vecNetWeights);

  // The dead save left its temporary; a later run never reads it, and the
  // next save replaces it and leaves nothing behind.
  ASSERT_EQ(Listing(dir.path()), (std::set<std::string>{"w.bin", "w.bin.tmp"}));
  SaveAllWeights(replacement, 2, 3, path);
  EXPECT_EQ(ReadFile(path), WeightFileBytes(replacement, 2, 3));
  EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"w.bin"});
}

TEST(WeightFileSave, NeverWritesThroughWhatHoldsTheTemporaryName) {
  TempDir dir;
  const std::string path = dir.File("w.bin");
  WriteFile(dir.File("precious"), "keep");
  std::filesystem::create_symlink(dir.File("precious"), WeightFileTemporary(path));
  SaveAllWeights(SmallPair(), 2, 3, path);
  EXPECT_EQ(ReadFile(dir.File("precious")), "keep");
  EXPECT_EQ(ReadFile(path), kSmallPairBytes);
  EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"precious", "w.bin"}));

  // A directory in the way makes the save fail, silently, and keeps the file.
  std::filesystem::create_directory(WeightFileTemporary(path));
  SaveAllWeights(Filled(2, 3, 9), 2, 3, path);
  EXPECT_EQ(ReadFile(path), kSmallPairBytes);
}

TEST(WeightFileLoad, PipeOfThatNameIsNotWaitedOn) {
  TempDir dir;
  const std::string path = dir.File("AllWeights.bin");
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  Population p = Filled(2, 3, 1);
  const Population before = p;
  LoadAllWeights(p, 2, 3, path);  // would block for ever if it opened the pipe for reading
  EXPECT_EQ(p[0].vecNetWeights, before[0].vecNetWeights);
  EXPECT_EQ(p[1].vecNetWeights, before[1].vecNetWeights);
}

TEST(WeightFileLoad, BytesInMemoryFollowTheFileRule) {
  Population p = Filled(2, 3, 1);
  LoadWeightBytes(p, 2, 3, kSmallPairBytes.substr(0, 29));  // three whole values and a part
  EXPECT_EQ(p[0].vecNetWeights, (std::vector<double>{1.0, -2.0, 0.5}));
  EXPECT_EQ(p[1].vecNetWeights, std::vector<double>(3, 0.0));
  Population q = Filled(2, 3, 1);
  LoadWeightBytes(q, 2, 3, kSmallPairBytes + Le(99.0));
  EXPECT_EQ(q[1].vecNetWeights, SmallPair()[1].vecNetWeights);
  EXPECT_TRUE(std::signbit(q[1].vecNetWeights[2]));
}
