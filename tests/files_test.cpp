#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "host/files.h"
#include "tests/fault_fixtures.h"
#include "tests/fixture_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace moxun {
namespace {

using testing::FixtureTree;

std::set<std::string> list_all(const std::string& folder, int mask) {
  std::set<std::string> names;
  FolderListing listing;
  for (std::string name = listing.begin(folder, mask); !name.empty(); name = listing.next(mask)) {
    names.insert(name);
  }
  return names;
}

TEST(File, MissingFileIsClosedAndQuiet) {
  FixtureTree tree;
  File file;
  EXPECT_FALSE(file.open(tree.path("absent.txt")));
  EXPECT_TRUE(file.at_end());
  EXPECT_TRUE(file.read_bytes(10).empty());
  file.close();
  file.close();
  EXPECT_FALSE(std::filesystem::exists(testing::fs_path(tree.path("absent.txt"))));  // never created
}

TEST(File, ReadsChunksToTheEnd) {
  FixtureTree tree;
  File file(tree.file("f.bin", "0123456789"));
  ASSERT_TRUE(file.is_open());
  EXPECT_FALSE(file.at_end());
  Bytes first = file.read_bytes(4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.data()), 4), "0123");
  EXPECT_TRUE(file.read_bytes(0).empty());
  EXPECT_TRUE(file.read_bytes(-5).empty());
  EXPECT_EQ(file.read_bytes(4).size(), 4);
  Bytes last = file.read_bytes(4);
  ASSERT_EQ(last.size(), 2);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(last.data()), 2), "89");
  EXPECT_TRUE(file.at_end());
  EXPECT_TRUE(file.read_bytes(4).empty());
}

TEST(File, EmptyFileIsAtEndBeforeTheFirstRead) {
  FixtureTree tree;
  File file(tree.file("empty", ""));
  ASSERT_TRUE(file.is_open());
  EXPECT_TRUE(file.at_end());
}

TEST(File, GrowingFileIsReadToItsNewEnd) {
  FixtureTree tree;
  const std::string path = tree.file("log", "abc");
  File file(path);
  unsigned char buffer[16];
  EXPECT_EQ(file.read_into(buffer, 16), 3);
  std::ofstream(testing::fs_path(path), std::ios::binary | std::ios::app) << "defg";
  EXPECT_FALSE(file.at_end());
  EXPECT_EQ(file.read_into(buffer, 16), 4);
  EXPECT_TRUE(file.at_end());
}

TEST(File, FolderDoesNotOpen) {
  FixtureTree tree;
  File file;
  EXPECT_FALSE(file.open(tree.folder("sub")));
  EXPECT_FALSE(file.open(tree.root() + "sub"));
  EXPECT_TRUE(file.at_end());
}

TEST(File, OpensForReadingOnly) {
  FixtureTree tree;
  File file(tree.file("f", "x"));
  ASSERT_TRUE(file.is_open());
  const std::uint32_t flags = File::last_open_flags();
  EXPECT_TRUE(testing::opens_for_reading_only(flags)) << std::hex << flags;
}

TEST(FolderListing, MasksAndEnd) {
  FixtureTree tree;
  tree.file("a.txt", "a");
  tree.file(".hidden", "h");
  tree.folder("sub");
  tree.folder(".dotdir");
  const std::set<std::string> files = list_all(tree.root(), kNoMask);
  EXPECT_EQ(files, (std::set<std::string>{"a.txt", ".hidden"}));
  std::set<std::string> folders = list_all(tree.root(), kFolder);
  folders.erase(".");
  folders.erase("..");
  EXPECT_EQ(folders, (std::set<std::string>{"sub", ".dotdir"}));
  // Plain files carry the archive bit; folders do not.
  EXPECT_EQ(list_all(tree.root(), kArchive), files);

  FolderListing listing;
  EXPECT_EQ(listing.begin(tree.path("missing") + kPathSeparator, kNoMask), "");
  EXPECT_EQ(listing.next(kNoMask), "");
  EXPECT_EQ(listing.next(kNoMask), "");
  std::string first = listing.begin(tree.root(), kNoMask);
  EXPECT_FALSE(first.empty());
  listing.next(kNoMask);
  EXPECT_EQ(listing.next(kNoMask), "");
  EXPECT_EQ(listing.next(kNoMask), "");  // stays at the end
}

TEST(FolderListing, NonAsciiNames) {
  FixtureTree tree;
  const std::string names[] = {"蓝柚 notes.txt", "100% done", "한국어.txt"};
  for (const std::string& name : names) tree.file(name, "x");
  EXPECT_EQ(list_all(tree.root(), kNoMask), std::set<std::string>(std::begin(names), std::end(names)));
  for (const std::string& name : names) EXPECT_TRUE(File(tree.root() + name).is_open()) << name;
}

TEST(FolderIdentity, SameFolderSameIdentity) {
  FixtureTree tree;
  tree.folder("a/b");
  const auto a = folder_identity(tree.path("a") + kPathSeparator);
  const auto a_again = folder_identity(tree.path("a/b/..") + kPathSeparator);
  const auto b = folder_identity(tree.path("a/b"));
  ASSERT_TRUE(a && a_again && b);
  EXPECT_EQ(*a, *a_again);
  EXPECT_NE(*a, *b);
  EXPECT_FALSE(folder_identity(tree.path("missing")));
}

#ifndef _WIN32
TEST(PosixFiles, SpecialFilesNeverBlockAndAreSkipped) {
  FixtureTree tree;
  const std::string fifo = tree.path("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  File file;
  EXPECT_FALSE(file.open(fifo));  // no writer: a blocking open would hang here
  EXPECT_FALSE(file.open("/dev/null"));
  EXPECT_TRUE(file.at_end());
}

TEST(PosixFiles, LinksToFoldersCarryTheFolderBit) {
  FixtureTree tree;
  tree.folder("real");
  tree.file("target.txt", "t");
  std::filesystem::create_directory_symlink(testing::fs_path(tree.path("real")), testing::fs_path(tree.path("link")));
  std::filesystem::create_symlink(testing::fs_path(tree.path("target.txt")), testing::fs_path(tree.path("file-link")));
  std::filesystem::create_symlink(testing::fs_path(tree.path("gone")), testing::fs_path(tree.path("dangling")));
  std::set<std::string> folders = list_all(tree.root(), kFolder);
  EXPECT_TRUE(folders.count("link"));
  EXPECT_TRUE(folders.count("real"));
  EXPECT_FALSE(folders.count("file-link"));
  const std::set<std::string> files = list_all(tree.root(), kNoMask);
  EXPECT_EQ(files, (std::set<std::string>{"target.txt", "file-link", "dangling"}));
  EXPECT_FALSE(File(tree.path("dangling")).is_open());
}

TEST(PosixFiles, UnreadableFileIsSkipped) {
  FixtureTree tree;
  const std::string path = tree.file("secret", "x");
  chmod(path.c_str(), 0);
  // Root reads every file: check with an ordinary user's file rights.
  testing::OrdinaryFileRights rights;
  ASSERT_TRUE(rights.active()) << "file rights could not be dropped";
  File file;
  EXPECT_FALSE(file.open(path));
  EXPECT_TRUE(file.at_end());
}
#endif

}  // namespace
}  // namespace moxun
