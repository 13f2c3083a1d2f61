#ifndef VIDO_TESTS_MIP_SCRATCH_FOLDER_H_
#define VIDO_TESTS_MIP_SCRATCH_FOLDER_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vido::testing {

// The engine's files ("FIL", "PSE", "BSS", "INF") live in the current folder, and the
// tests of one suite run in parallel processes: each test works in a folder of its own.
class ScratchFolder {
 public:
  ScratchFolder() : previous_(std::filesystem::current_path()) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = previous_ / (std::string("scratch_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path folder_;
};

}  // namespace vido::testing

#endif  // VIDO_TESTS_MIP_SCRATCH_FOLDER_H_
