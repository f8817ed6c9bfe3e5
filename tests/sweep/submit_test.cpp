#include <gtest/gtest.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "support/unprivileged.h"
#include "sweep/slurm.h"

namespace {

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// sbatch cannot be started when no process may be forked: the submission
// says so and leaves no descriptor of its own open.
TEST(SlurmSubmit, AForkRefusedLeavesNothingOpen) {
  const int result = RunUnprivileged([] {
    const rlimit none{0, 0};
    if (setrlimit(RLIMIT_NPROC, &none) != 0) return 10;
    const int before = OpenDescriptors();
    std::string arrayJob, summaryJob, why;
    if (SubmitSbatch("/nonexistent/exp", "/bin/true", {}, &arrayJob, &summaryJob, &why)) return 11;
    if (why != "cannot run sbatch") return 12;
    return OpenDescriptors() - before == 0 ? 0 : 13;
  });
  EXPECT_EQ(result, 0) << "10: no limit, 11: submitted, 12: another reason, 13: descriptors left open";
}

}  // namespace
