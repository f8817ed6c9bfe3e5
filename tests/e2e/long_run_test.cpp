// A long run of the headless runner on the default parameters: it ends
// normally with every row finite and a closed log, and its memory does not
// grow beyond the two doubles of history a generation adds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/runner_text.h"

namespace {

const std::string kEvolve = VEXLORA_EVOLVE;
const std::string kPeakMemory = VEXLORA_PEAK_MEMORY;

constexpr int kSeed = 5;
constexpr int kShortGenerations = 200;
constexpr int kLongGenerations = 2000;
// 1800 more generations of history are 28 KiB. Repeated runs of either
// length peak within about 200 KiB of each other (400 KiB under the
// sanitizers), so growth beyond this margin is real; a kilobyte kept a
// generation already goes beyond it.
constexpr long kMarginKiB = 1024;

std::vector<std::string> Fields(const std::string& row) {
  std::vector<std::string> fields;
  std::istringstream in(row);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

struct Measured {
  int status = -1;
  int signal = 0;
  long peakKiB = 0;      // the program's own peak resident size
  long launcherKiB = 0;  // the launcher's, a floor under the figure above
  std::string csv;
  std::string err;
  std::string log;
};

// The runner in a fresh directory holding the default params.ini, started
// through the small launcher that reports its peak memory.
Measured Evolve(int generations) {
  TempDir dir, capture;
  WriteFile(dir.File("params.ini"), DefaultParamsText());
  const std::string report = capture.File("report");
  ChildProcess child(dir.path().string(),
                     {kPeakMemory, report, kEvolve, "--quiet", "--seed", std::to_string(kSeed), "--generations",
                      std::to_string(generations)},
                     capture.File("out"), capture.File("err"));
  const ChildEnd launcher = child.Wait();
  Measured m;
  m.csv = ReadFile(capture.File("out"));
  m.err = ReadFile(capture.File("err"));
  m.log = ReadFile(dir.File("Dbg.Log"));
  EXPECT_EQ(launcher.status, 0) << m.err;
  std::istringstream in(ReadFile(report));
  in >> m.status >> m.signal >> m.peakKiB >> m.launcherKiB;
  EXPECT_TRUE(in) << "no report from the launcher";
  return m;
}

void ExpectCompleteRun(const Measured& m, int generations) {
  SCOPED_TRACE(std::to_string(generations) + " generations");
  EXPECT_EQ(m.status, 0) << m.err;
  EXPECT_EQ(m.signal, 0);
  const std::vector<std::string> rows = Lines(m.csv);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(generations) + 1);
  const std::size_t columns = Fields(rows[0]).size();
  EXPECT_EQ(columns, 12u);
  for (int g = 0; g < generations; ++g) {
    const std::string& row = rows[static_cast<std::size_t>(g) + 1];
    const std::vector<std::string> fields = Fields(row);
    ASSERT_EQ(fields.size(), columns) << row;
    EXPECT_EQ(fields[0], std::to_string(g));
    for (const std::string& field : fields) {
      // Every field is a number that reads whole and is finite: no nan, no inf.
      char* end = nullptr;
      const double v = std::strtod(field.c_str(), &end);
      ASSERT_TRUE(!field.empty() && *end == '\0' && std::isfinite(v)) << "row " << g << ": " << row;
    }
  }
  ASSERT_GE(m.log.size(), 8u);
  EXPECT_EQ(m.log.substr(m.log.size() - 8), "Goodbye\n");
}

#ifdef VEXLORA_SANITIZED
// The address sanitizer holds freed memory in quarantine (up to 256 MiB), so
// a sanitized runner's peak grows with every generation's freed populations.
// Without quarantine its peaks compare like those of the -O2 build; the
// children take the setting from the environment.
class NoQuarantine {
 public:
  NoQuarantine() {
    const char* old = std::getenv("ASAN_OPTIONS");
    if (old) old_ = old;
    setenv("ASAN_OPTIONS", (old_.empty() ? "" : old_ + ":").append("quarantine_size_mb=0").c_str(), 1);
  }
  ~NoQuarantine() {
    if (old_.empty())
      unsetenv("ASAN_OPTIONS");
    else
      setenv("ASAN_OPTIONS", old_.c_str(), 1);
  }

 private:
  std::string old_;
};
#endif

}  // namespace

TEST(LongRun, TwoThousandGenerationsEndWellInTheMemoryOfTwoHundred) {
#ifdef VEXLORA_SANITIZED
  const NoQuarantine noQuarantine;
#endif
  const Measured shortRun = Evolve(kShortGenerations);
  ExpectCompleteRun(shortRun, kShortGenerations);
  const Measured longRun = Evolve(kLongGenerations);
  ExpectCompleteRun(longRun, kLongGenerations);

  std::printf("peak memory: %d generations %ld KiB, %d generations %ld KiB (launcher %ld KiB)\n", kShortGenerations,
              shortRun.peakKiB, kLongGenerations, longRun.peakKiB, longRun.launcherKiB);
  RecordProperty("peak_kib_200", static_cast<int>(shortRun.peakKiB));
  RecordProperty("peak_kib_2000", static_cast<int>(longRun.peakKiB));
  // Above the launcher's own size, so the figures are the runner's.
  EXPECT_GT(shortRun.peakKiB, shortRun.launcherKiB);
  EXPECT_GT(longRun.peakKiB, longRun.launcherKiB);
  EXPECT_LE(longRun.peakKiB, shortRun.peakKiB + kMarginKiB);
}
