#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "world/world.h"

// The start-up both programs share: the parameter file read and checked,
// then the random sequence seeded, the World built and the debug log opened.

// Why a run cannot start: the message to show, and for a parameter file that
// could not be read at all, why ("No such file or directory", ...); empty
// for a value out of range.
struct StartupProblem {
  std::string message;
  std::string why;
};

// Reads the parameter file into Params and checks every value; messages
// name the file as given. Nothing when the run may start.
std::optional<StartupProblem> LoadStartupParams(const std::string& path);

// A run from its seed to its end. Building it seeds the random sequence,
// builds the World (hWnd owns its message boxes) and then opens the debug
// log, so nothing is logged while the World is built; ending it closes the
// log, which always gets its footer, before the World goes.
class Simulation {
 public:
  explicit Simulation(std::uint32_t seed, void* hWnd = nullptr);
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  World& world() { return *world_; }

 private:
  std::unique_ptr<World> world_;
};
