#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "log/debug_log.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The body of a closed log: the lines between the header and the footer.
std::vector<std::string> Body(const std::string& text) {
  const std::string header_end = "\r\n\r\n";
  std::size_t start = text.find(header_end);             // after "Debug log"
  start = text.find("\r\n", start + header_end.size());  // end of the date line
  start += 2;
  const std::size_t end = text.find("\n\nShutting down");
  return Lines(text.substr(start, end - start));
}

}  // namespace

TEST(LogNumberFormat, EveryRowOfTheTable) {
  EXPECT_EQ(FormatLogNumber(0.0), "0");
  EXPECT_EQ(FormatLogNumber(-0.0), "0");
  EXPECT_EQ(FormatLogNumber(3.0), "3.00000");
  EXPECT_EQ(FormatLogNumber(2.5), "2.50000");
  EXPECT_EQ(FormatLogNumber(0.1234567), "0.12345");
  EXPECT_EQ(FormatLogNumber(-0.001), "-0.00100");
  EXPECT_EQ(FormatLogNumber(4.0e-10), "<>+/-1.0e-9");
  EXPECT_EQ(FormatLogNumber(1.0e-9), "0.00000");
  EXPECT_EQ(FormatLogNumber(1.0e9), "1000000000.00000");
  EXPECT_EQ(FormatLogNumber(-2.0e9), "<>+/-1.0e+9");
}

TEST(LogNumberFormat, BoundsCutOffAndOddValues) {
  EXPECT_EQ(FormatLogNumber(1.0e9 + 1), "<>+/-1.0e+9");
  EXPECT_EQ(FormatLogNumber(-1.0e9), "-1000000000.00000");
  EXPECT_EQ(FormatLogNumber(-5.0e-10), "<>+/-1.0e-9");  // no sign
  EXPECT_EQ(FormatLogNumber(2.9999999), "2.99999");
  EXPECT_EQ(FormatLogNumber(126.73512), "126.73511");
  EXPECT_EQ(FormatLogNumber(std::numeric_limits<double>::quiet_NaN()), "nan");
  EXPECT_EQ(FormatLogNumber(std::numeric_limits<double>::infinity()), "<>+/-1.0e+9");
}

TEST(LogTimeFormat, TwoDigitFieldsAndThreeDigitMilliseconds) {
  EXPECT_EQ(FormatLogTime(9, 5, 7, 42), "09:05:07 042\n");
  EXPECT_EQ(FormatLogTime(0, 0, 0, 0), "00:00:00 000\n");
  EXPECT_EQ(FormatLogTime(23, 59, 59, 999), "23:59:59 999\n");
}

TEST(LogFile, HeaderLinesAndFooter) {
  TempDir dir;
  OpenDebugLog(dir.path().string());
  ASSERT_TRUE(IsDebugLogOpen());
  LogMessage("New BestComposite");
  LogGenerations(0);
  LogValue("BestComposite", 126.73512);
  LogIndexFitness("Best index", 3, 12);
  LogIndexFitness("Worst index", -1, 0);
  LogMessage("");
  CloseDebugLog();
  EXPECT_FALSE(IsDebugLogOpen());
  LogMessage("after close");  // writes nothing

  const std::string text = ReadFile(dir.File("Dbg.Log"));
  ASSERT_EQ(text.rfind("Debug log\r\n\r\nDate: ", 0), 0u) << text;
  const std::regex header(
      "Debug log\r\n\r\nDate: [A-Z][a-z]+day, [A-Z][a-z]+/[0-9]{2}/[0-9]{4} - Time started: "
      "[0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{3}\n\r\n[^]*");
  EXPECT_TRUE(std::regex_match(text, header)) << text;
  const std::vector<std::string> body = Body(text);
  const std::vector<std::string> expected = {"New BestComposite", "Generations: 0", "BestComposite: 126.73511",
                                             "Best index: 3, Fitness: 12", "Worst index: -1, Fitness: 0", ""};
  EXPECT_EQ(body, expected);
  const std::regex footer(
      "[^]*\n\nShutting down debug logging system...\nDate: [A-Z][a-z]+day, [A-Z][a-z]+/[0-9]{2}/[0-9]{4} - "
      "Time: [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{3}\nGoodbye\n");
  EXPECT_TRUE(std::regex_match(text, footer)) << text;
  EXPECT_EQ(text.find("after close"), std::string::npos);
}

TEST(LogFile, LongMessageIsCutTo1022Characters) {
  TempDir dir;
  OpenDebugLog(dir.path().string());
  LogMessage(std::string(5000, 'a'));
  CloseDebugLog();
  const std::vector<std::string> body = Body(ReadFile(dir.File("Dbg.Log")));
  ASSERT_EQ(body.size(), 1u);
  EXPECT_EQ(body[0], std::string(1022, 'a'));
}

TEST(LogFile, RotationKeepsTheLastThreeRuns) {
  TempDir dir;
  for (int run = 1; run <= 4; ++run) {
    OpenDebugLog(dir.path().string());
    LogMessage("run " + std::to_string(run));
    CloseDebugLog();
    if (run == 1) {
      EXPECT_TRUE(std::filesystem::exists(dir.File("Dbg.Log")));
      EXPECT_FALSE(std::filesystem::exists(dir.File("Dbg1.Log")));
      EXPECT_FALSE(std::filesystem::exists(dir.File("Dbg2.Log")));
    }
  }
  EXPECT_EQ(Body(ReadFile(dir.File("Dbg.Log"))), std::vector<std::string>{"run 4"});
  EXPECT_EQ(Body(ReadFile(dir.File("Dbg1.Log"))), std::vector<std::string>{"run 3"});
  EXPECT_EQ(Body(ReadFile(dir.File("Dbg2.Log"))), std::vector<std::string>{"run 2"});
  int logs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) logs += entry.is_regular_file();
  EXPECT_EQ(logs, 3);
}

TEST(LogFile, UncreatableLogStaysSilentlyClosed) {
  TempDir dir;
  OpenDebugLog(dir.File("no/such/folder"));
  EXPECT_FALSE(IsDebugLogOpen());
  LogMessage("nowhere");
  LogValue("x", 1.0);
  CloseDebugLog();
  EXPECT_FALSE(IsDebugLogOpen());
}

// What holds a log's name but is no log is the user's: it is neither moved
// nor removed nor written through, and the log goes silently off when it is
// Dbg.Log itself.
TEST(LogFile, DirectoriesLinksAndPipesWithLogNamesAreLeftAlone) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string d = dir.path().string();
  fs::create_directory(dir.File("Dbg.Log"));
  WriteFile(dir.File("Dbg.Log/inside"), "mine");
  OpenDebugLog(d);
  EXPECT_FALSE(IsDebugLogOpen());
  LogMessage("nowhere");
  CloseDebugLog();
  EXPECT_EQ(ReadFile(dir.File("Dbg.Log/inside")), "mine");
  EXPECT_FALSE(fs::exists(dir.File("Dbg1.Log"))) << "the directory was not rotated";
  fs::remove_all(dir.File("Dbg.Log"));

  // A link named Dbg.Log would otherwise truncate whatever it points to.
  WriteFile(dir.File("precious"), "keep");
  fs::create_symlink(dir.File("precious"), dir.File("Dbg.Log"));
  OpenDebugLog(d);
  EXPECT_FALSE(IsDebugLogOpen());
  CloseDebugLog();
  EXPECT_EQ(ReadFile(dir.File("precious")), "keep");
  fs::remove(dir.File("Dbg.Log"));

  // A pipe is refused at once instead of waiting for a reader.
  ASSERT_EQ(mkfifo(dir.File("Dbg.Log").c_str(), 0644), 0);
  OpenDebugLog(d);
  EXPECT_FALSE(IsDebugLogOpen());
  CloseDebugLog();
  fs::remove(dir.File("Dbg.Log"));

  // Older logs that are directories stay, and the new log is written.
  fs::create_directory(dir.File("Dbg1.Log"));
  fs::create_directory(dir.File("Dbg2.Log"));
  OpenDebugLog(d);
  LogMessage("written");
  CloseDebugLog();
  EXPECT_EQ(Body(ReadFile(dir.File("Dbg.Log"))), std::vector<std::string>{"written"});
  EXPECT_TRUE(fs::is_directory(dir.File("Dbg1.Log")));
  EXPECT_TRUE(fs::is_directory(dir.File("Dbg2.Log")));

  // With Dbg1.Log in the way that log cannot be moved aside: it is kept
  // whole and this run logs nothing.
  const std::string kept = ReadFile(dir.File("Dbg.Log"));
  OpenDebugLog(d);
  EXPECT_FALSE(IsDebugLogOpen());
  LogMessage("lost");
  CloseDebugLog();
  EXPECT_EQ(ReadFile(dir.File("Dbg.Log")), kept);
}

TEST(LogFile, ReadOnlyLogsAndDirectory) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  const std::string d = dir.path().string();
  for (const char* name : {"Dbg.Log", "Dbg1.Log", "Dbg2.Log"}) {
    WriteFile(dir.File(name), std::string("old ") + name);
    fs::permissions(dir.File(name), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
  // Read-only logs in a writable directory rotate as usual: renaming needs
  // only the directory.
  EXPECT_EQ(RunUnprivileged([&d] {
              OpenDebugLog(d);
              const bool open = IsDebugLogOpen();
              LogMessage("fresh");
              CloseDebugLog();
              return open ? 0 : 1;
            }),
            0);
  EXPECT_EQ(Body(ReadFile(dir.File("Dbg.Log"))), std::vector<std::string>{"fresh"});
  EXPECT_EQ(ReadFile(dir.File("Dbg1.Log")), "old Dbg.Log");
  EXPECT_EQ(ReadFile(dir.File("Dbg2.Log")), "old Dbg1.Log");

  // A directory that cannot be written: the log is off and nothing changes,
  // even where the last log itself could still be written.
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::string before = ReadFile(dir.File("Dbg.Log"));
  EXPECT_EQ(RunUnprivileged([&d] {
              OpenDebugLog(d);
              const bool open = IsDebugLogOpen();
              LogMessage("lost");
              CloseDebugLog();
              return open ? 1 : 0;
            }),
            0);
  EXPECT_EQ(ReadFile(dir.File("Dbg.Log")), before);
  EXPECT_EQ(ReadFile(dir.File("Dbg1.Log")), "old Dbg.Log");
}

TEST(LogFile, LinesFromTwoThreadsNeverInterleave) {
  TempDir dir;
  OpenDebugLog(dir.path().string());
  const std::string a(300, 'a');
  const std::string b(300, 'b');
  auto writer = [](const std::string& text) {
    for (int i = 0; i < 2000; ++i) {
      LogMessage(text);
      LogValue(text.substr(0, 10), i + 0.5);
    }
  };
  std::thread ta(writer, a);
  std::thread tb(writer, b);
  ta.join();
  tb.join();
  CloseDebugLog();
  const std::vector<std::string> body = Body(ReadFile(dir.File("Dbg.Log")));
  ASSERT_EQ(body.size(), 8000u);
  int as = 0, bs = 0;
  for (const std::string& line : body) {
    if (line == a) ++as;
    else if (line == b) ++bs;
    else
      ASSERT_TRUE(std::regex_match(line, std::regex("(a{10}|b{10}): [0-9]+\\.50000"))) << line;
  }
  EXPECT_EQ(as, 2000);
  EXPECT_EQ(bs, 2000);
}
