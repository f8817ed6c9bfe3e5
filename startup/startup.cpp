#include "startup/startup.h"

#include "common/random.h"
#include "log/debug_log.h"
#include "params/params.h"

std::optional<StartupProblem> LoadStartupParams(const std::string& path) {
  if (std::string why; !LoadParams(path, &why)) return StartupProblem{"Cannot find ini file!", why};
  if (std::string problem = CheckParams(Params, path); !problem.empty()) return StartupProblem{problem, {}};
  return std::nullopt;
}

Simulation::Simulation(std::uint32_t seed, void* hWnd) {
  SeedRandom(seed);
  world_ = std::make_unique<World>(hWnd);
  OpenDebugLog();
}

Simulation::~Simulation() {
  CloseDebugLog();
  world_.reset();
}
