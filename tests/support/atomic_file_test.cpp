#include "support/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace vido {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

fs::path Scratch(const std::string& name) {
  const fs::path dir = fs::current_path() / ("atomic_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// What a folder holds: a temporary file left behind shows here.
std::set<std::string> Entries(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
  return names;
}

TEST(WriteFileAtomically, ReplacesKeepingPermissionsAndOwnerAndWritesThroughLinks) {
  const fs::path dir = Scratch("replace");
  const fs::path file = dir / "a.txt";

  ASSERT_TRUE(WriteFileAtomically(file.string(), "first\r\n"));
  EXPECT_EQ(Slurp(file), "first\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(file.string(), std::string("second\0x", 8)));
  EXPECT_EQ(Slurp(file), std::string("second\0x", 8));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(file.c_str(), 4321, 4322), 0);
    ASSERT_TRUE(WriteFileAtomically(file.string(), "owned"));
    struct stat st;
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
  }

  // Links stay links; relative ones are read from their own folder, dangling ones
  // create the file they name.
  fs::create_directories(dir / "sub");
  fs::create_symlink(file, dir / "link.txt");
  fs::create_symlink("../a.txt", dir / "sub" / "relative.txt");
  fs::create_symlink("sub/relative.txt", dir / "chain.txt");
  fs::create_symlink("later.txt", dir / "sub" / "dangling.txt");
  ASSERT_TRUE(WriteFileAtomically((dir / "link.txt").string(), "third"));
  EXPECT_EQ(Slurp(file), "third");
  ASSERT_TRUE(WriteFileAtomically((dir / "chain.txt").string(), "fourth"));
  EXPECT_EQ(Slurp(file), "fourth");
  ASSERT_TRUE(WriteFileAtomically((dir / "sub" / "dangling.txt").string(), "fifth"));
  EXPECT_EQ(Slurp(dir / "sub" / "later.txt"), "fifth");
  for (const char* link : {"link.txt", "chain.txt", "sub/relative.txt", "sub/dangling.txt"}) {
    EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
  }
  fs::create_symlink("loop.txt", dir / "loop.txt");
  EXPECT_FALSE(WriteFileAtomically((dir / "loop.txt").string(), "x"));

  EXPECT_FALSE(WriteFileAtomically((dir / "no" / "such.txt").string(), "x"));
  EXPECT_FALSE(WriteFileAtomically(dir.string(), "x"));
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_EQ(Entries(dir),
            (std::set<std::string>{"a.txt", "chain.txt", "link.txt", "loop.txt", "sub"}));
  EXPECT_EQ(Entries(dir / "sub"),
            (std::set<std::string>{"dangling.txt", "later.txt", "relative.txt"}));
}

TEST(WriteFileAtomically, AFileWithoutWritePermissionIsLeftAsItWas) {
  const fs::path dir = Scratch("protected");
  const fs::path file = dir / "kept.tri";
  std::ofstream(file) << "precious";
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::create_symlink("kept.tri", dir / "link.tri");
  // Refused even to root, who could otherwise rename over it.
  EXPECT_FALSE(WriteFileAtomically(file.string(), "lost"));
  EXPECT_FALSE(WriteFileAtomically((dir / "link.tri").string(), "lost"));
  EXPECT_EQ(Slurp(file), "precious");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(Entries(dir), (std::set<std::string>{"kept.tri", "link.tri"}));
}

// The save in a child whose files may not grow past 4 KiB: the write of 64 KiB fails,
// or, when the limit's signal is turned into SIGTERM, the save is ended by that signal.
void SaveBeyondTheFileSizeLimit(const fs::path& file, bool terminate) {
  struct rlimit limit = {4096, 4096};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, terminate ? [](int) { std::raise(SIGTERM); } : SIG_IGN);
  const bool ok = WriteFileAtomically(file.string(), std::string(65536, 'x'));
  std::_Exit(ok ? 1 : 0);
}

TEST(WriteFileAtomically, NoTemporaryFileAfterAFailedWriteOrATerminationSignal) {
  const fs::path dir = Scratch("interrupted");
  const fs::path file = dir / "old.rpt";
  std::ofstream(file) << "old";
  EXPECT_EXIT(SaveBeyondTheFileSizeLimit(file, false), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"old.rpt"});
  EXPECT_EXIT(SaveBeyondTheFileSizeLimit(file, true), ::testing::KilledBySignal(SIGTERM), "");
  EXPECT_EQ(Entries(dir), std::set<std::string>{"old.rpt"});
  EXPECT_EQ(Slurp(file), "old");
}

}  // namespace
}  // namespace vido
