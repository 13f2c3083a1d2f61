#include "support/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
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

TEST(WriteFileAtomically, ReplacesKeepingPermissionsAndFollowsLinks) {
  const fs::path dir = fs::current_path() / "atomic";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path file = dir / "a.txt";

  ASSERT_TRUE(WriteFileAtomically(file.string(), "first\r\n"));
  EXPECT_EQ(Slurp(file), "first\r\n");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteFileAtomically(file.string(), std::string("second\0x", 8)));
  EXPECT_EQ(Slurp(file), std::string("second\0x", 8));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const fs::path link = dir / "link.txt";
  fs::create_symlink(file, link);
  ASSERT_TRUE(WriteFileAtomically(link.string(), "third"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(file), "third");

  EXPECT_FALSE(WriteFileAtomically((dir / "no" / "such.txt").string(), "x"));
  EXPECT_FALSE(WriteFileAtomically(dir.string(), "x"));
  EXPECT_FALSE(WriteFileAtomically("", "x"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace vido
