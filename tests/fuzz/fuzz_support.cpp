#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

std::string g_directory;

void RemoveRunDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(g_directory, ignored);
}

std::string MakeDirectory() {
  std::vector<std::string> roots;
  if (const char* t = std::getenv("TMPDIR"); t && *t) roots.emplace_back(t);
  roots.emplace_back("/dev/shm");
  roots.emplace_back("/tmp");
  for (const std::string& root : roots) {
    std::string name = root + "/vexlora-fuzz-XXXXXX";
    if (mkdtemp(name.data())) return name;
  }
  std::perror("vexlora fuzz: no private directory");
  std::abort();
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace

const std::string& PrivateRunDirectory() {
  if (g_directory.empty()) {
    g_directory = MakeDirectory();
    std::atexit(&RemoveRunDirectory);
  }
  return g_directory;
}

void AbsolutePathArguments(int* argc, char*** argv) {
  // libFuzzer reads its arguments after LLVMFuzzerInitialize, from these.
  static std::vector<std::string> args;
  static std::vector<char*> pointers;
  const std::string here = std::filesystem::current_path().string() + "/";
  auto absolute = [&here](std::string_view path) {
    return !path.empty() && path[0] == '/' ? std::string(path) : here + std::string(path);
  };
  constexpr std::string_view kPathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                             "-merge_control_file=", "-features_dir="};
  args.assign(*argv, *argv + *argc);
  bool prefixGiven = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string& a = args[i];
    if (a.empty()) continue;
    if (a[0] != '-') {
      a = absolute(a);
      continue;
    }
    for (std::string_view flag : kPathFlags) {
      if (!StartsWith(a, flag)) continue;
      if (flag == kPathFlags[0]) prefixGiven = true;
      a = std::string(flag) + absolute(std::string_view(a).substr(flag.size()));
    }
  }
  if (!prefixGiven) args.push_back("-artifact_prefix=" + here);
  pointers.clear();
  for (std::string& a : args) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = pointers.data();
}
