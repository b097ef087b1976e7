#include "tests/fixture_tree.h"

#include <atomic>
#include <fstream>
#include <random>

#include "host/files.h"

namespace moxun::testing {

std::filesystem::path fs_path(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8_path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

FixtureTree::FixtureTree() {
  static std::atomic<int> serial{0};
  std::random_device seed;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::filesystem::path dir;
  do {
    dir = base / ("moxun-test-" + std::to_string(seed()) + "-" + std::to_string(serial++));
  } while (!std::filesystem::create_directory(dir));
  root_ = utf8_path(std::filesystem::canonical(dir));
  if (root_.back() != kPathSeparator) root_ += kPathSeparator;
}

FixtureTree::~FixtureTree() {
  std::error_code ignored;
  // Give back write permission that a test may have taken away, so the tree goes.
  for (auto it = std::filesystem::recursive_directory_iterator(fs_path(root_), ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (!it->is_symlink(ignored)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
  }
  std::filesystem::permissions(fs_path(root_), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(fs_path(root_), ignored);
}

std::string FixtureTree::row(const std::string& relative) {
  std::string row = relative;
  for (char& c : row) {
    if (c == '/') c = kPathSeparator;
  }
  return row;
}

std::string FixtureTree::path(const std::string& relative) const { return root_ + row(relative); }

std::string FixtureTree::folder(const std::string& relative) {
  const std::string full = path(relative);
  std::filesystem::create_directories(fs_path(full));
  return full;
}

std::string FixtureTree::file(const std::string& relative, const std::string& bytes) {
  const std::string full = path(relative);
  std::filesystem::create_directories(fs_path(full).parent_path());
  std::ofstream out(fs_path(full), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full;
}

}  // namespace moxun::testing
