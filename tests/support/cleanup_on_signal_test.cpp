#include "support/cleanup_on_signal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vido {
namespace {

namespace fs = std::filesystem;

TEST(CleanupOnSignal, ATerminationSignalRemovesWhatIsRegisteredAndEndsTheProcess) {
  const fs::path dir = fs::current_path() / "cleanup_on_signal";
  fs::remove_all(dir);
  fs::create_directories(dir / "private" / "inner");
  for (const char* name : {"private/engine", "private/inner/swap", "kept", "released"}) {
    std::ofstream(dir / name) << "x";
  }
  // Ctrl-C; SIGTERM is met in the saving tests.
  EXPECT_EXIT(
      {
        // The folders come first: a folder is removed only once its files are gone.
        CleanupPath outer((dir / "private").string(), CleanupKind::kFolder);
        CleanupPath inner((dir / "private" / "inner").string(), CleanupKind::kFolder);
        CleanupPath engine((dir / "private" / "engine").string(), CleanupKind::kFile);
        CleanupPath swap((dir / "private" / "inner" / "swap").string(), CleanupKind::kFile);
        CleanupPath released((dir / "released").string(), CleanupKind::kFile);
        released.Release();
        raise(SIGINT);
      },
      ::testing::KilledBySignal(SIGINT), "");
  EXPECT_FALSE(fs::exists(dir / "private"));
  EXPECT_TRUE(fs::exists(dir / "kept"));
  EXPECT_TRUE(fs::exists(dir / "released"));
  EXPECT_EQ(RegisterCleanupPath("", CleanupKind::kFile), -1);
  EXPECT_EQ(RegisterCleanupPath(std::string(5000, 'a'), CleanupKind::kFile), -1);
}

}  // namespace
}  // namespace vido
