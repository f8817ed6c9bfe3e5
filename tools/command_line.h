#pragma once

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

// Parses a tool's command line: --help and --version print on standard
// output and end the program with status 0; a bad option becomes one line
// through fail, whose status ends the program. Nothing when it goes on.
template <typename Fail>
std::optional<int> ParseCommandLine(CLI::App& app, int argc, char** argv, Fail fail) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    return fail(std::string(e.what()) + " (see --help)");
  }
  return std::nullopt;
}
