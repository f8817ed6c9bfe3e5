#include "log/debug_log.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <mutex>

namespace {

std::FILE* g_file = nullptr;
std::mutex g_mutex;

constexpr std::size_t kMessageBuffer = 1024;  // so a message holds at most 1022 characters
constexpr std::size_t kMaxMessage = kMessageBuffer - 2;

std::string Join(const std::string& dir, const char* name) {
  if (dir.empty() || dir == ".") return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsRegularFile(const std::string& path) {
  struct stat info{};
  return lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Creates or truncates the log, never through a link, never waiting on a
// pipe, and only ever as a regular file; otherwise the log stays off.
std::FILE* OpenLogFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  struct stat info{};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "w");
  if (!file) close(fd);
  return file;
}

// One whole line: written with one call and flushed, under the lock.
void WriteLine(const char* data, std::size_t size) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_file) return;
  std::fwrite(data, 1, size, g_file);
  std::fflush(g_file);
}

// Header and footer text, written without the lock as the log does.
void WriteRaw(const char* text) {
  if (g_file) std::fputs(text, g_file);
}

// Appends text to a fixed buffer without overrunning it.
struct LineBuffer {
  char* data;
  std::size_t capacity;
  std::size_t size = 0;
  void Append(std::string_view s) {
    for (char c : s) {
      if (size + 1 >= capacity) return;
      data[size++] = c;
    }
  }
  void AppendInt(long long v) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld", v);
    Append(std::string_view(digits, static_cast<std::size_t>(n)));
  }
};

}  // namespace

std::size_t FormatLogNumber(double v, char* buf, std::size_t size) {
  int n = 0;
  if (std::isnan(v)) {
    n = std::snprintf(buf, size, "nan");
  } else if (v == 0.0) {
    n = std::snprintf(buf, size, "0");
  } else if (v > -1.0e-9 && v < 1.0e-9) {
    n = std::snprintf(buf, size, "<>+/-1.0e-9");
  } else if (v > 1.0e9 || v < -1.0e9) {
    n = std::snprintf(buf, size, "<>+/-1.0e+9");
  } else {
    const double a = std::fabs(v);
    const int whole = static_cast<int>(std::floor(a));
    const double f = std::fmod(a, 1.0);
    const int fraction = static_cast<int>(std::floor(f * 100000.0));
    n = std::snprintf(buf, size, "%s%d.%05d", v < 0 ? "-" : "", whole, fraction);
  }
  return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::string FormatLogNumber(double v) {
  char buf[48];
  return std::string(buf, FormatLogNumber(v, buf, sizeof buf));
}

std::string FormatLogTime(int hours, int minutes, int seconds, int milliseconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d %03d\n", hours, minutes, seconds, milliseconds);
  return buf;
}

void OpenDebugLog(const std::string& directory) {
  const std::string log0 = Join(directory, "Dbg.Log");
  const std::string log1 = Join(directory, "Dbg1.Log");
  const std::string log2 = Join(directory, "Dbg2.Log");
  // Only logs are rotated: a directory, link or pipe that has a log's name
  // is the user's, and stays where it is.
  if (IsRegularFile(log2)) std::remove(log2.c_str());
  if (IsRegularFile(log1)) std::rename(log1.c_str(), log2.c_str());
  // The last run's log is kept: when it cannot be moved aside (a directory
  // that cannot be written, a directory named Dbg1.Log), this run logs
  // nothing rather than truncate it.
  const bool kept = !IsRegularFile(log0) || std::rename(log0.c_str(), log1.c_str()) == 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_file) std::fclose(g_file);
    g_file = kept ? OpenLogFile(log0) : nullptr;
  }
  if (!g_file) return;
  WriteRaw("Debug log\r\n\r\n");
  WriteRaw("Date: ");
  LogDate();
  WriteRaw("- Time started: ");
  LogTime();
  WriteRaw("\r\n");
  std::fflush(g_file);
}

void CloseDebugLog() {
  if (!g_file) return;
  WriteRaw("\n\nShutting down debug logging system...\n");
  WriteRaw("Date: ");
  LogDate();
  WriteRaw("- Time: ");
  LogTime();
  WriteRaw("Goodbye\n");
  std::lock_guard<std::mutex> lock(g_mutex);
  std::fflush(g_file);
  std::fclose(g_file);
  g_file = nullptr;
}

bool IsDebugLogOpen() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_file != nullptr;
}

void LogMessage(std::string_view text) {
  char buf[kMessageBuffer];
  LineBuffer line{buf, sizeof buf};
  line.Append(text.substr(0, kMaxMessage));
  line.Append("\n");
  WriteLine(buf, line.size);
}

void LogGenerations(int n) {
  char buf[160];
  LineBuffer line{buf, sizeof buf};
  line.Append("Generations: ");
  line.AppendInt(n);
  line.Append("\n");
  WriteLine(buf, line.size);
}

void LogIndexFitness(std::string_view label, int index, int fitness) {
  char buf[256];
  LineBuffer line{buf, sizeof buf};
  line.Append(label.substr(0, 200));
  line.Append(": ");
  line.AppendInt(index);
  line.Append(", Fitness: ");
  line.AppendInt(fitness);
  line.Append("\n");
  WriteLine(buf, line.size);
}

void LogValue(std::string_view label, double v) {
  char buf[260];
  char number[48];
  LineBuffer line{buf, sizeof buf};
  line.Append(label.substr(0, 200));
  line.Append(": ");
  line.Append(std::string_view(number, FormatLogNumber(v, number, sizeof number)));
  line.Append("\n");
  WriteLine(buf, line.size);
}

void LogDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, "%A, %B/%d/%Y ", &local);
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file) std::fwrite(buf, 1, n, g_file);
}

void LogTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // The milliseconds come from a separate reading of the clock.
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const int ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() % 1000);
  const std::string text = FormatLogTime(local.tm_hour, local.tm_min, local.tm_sec, ms);
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_file) std::fwrite(text.data(), 1, text.size(), g_file);
}
