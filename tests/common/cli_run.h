#ifndef VIDO_TESTS_COMMON_CLI_RUN_H_
#define VIDO_TESTS_COMMON_CLI_RUN_H_

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace vido::testing {

// One vido-cli command line run in the process: its exit status and what it wrote.
struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline CliRun RunVido(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

// A bundled example, found through the source folder the tests are given.
inline std::string Example(const std::string& name) {
  const char* source = std::getenv("VIDO_SOURCE_DIR");
  return std::string(source ? source : "..") + "/examples/" + name;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_COMMON_CLI_RUN_H_
