// Small folder trees built in a fresh temporary folder for one test, removed after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace moxun::testing {

// A file-system path from a UTF-8 text, and back.
std::filesystem::path fs_path(const std::string& utf8);
std::string utf8_path(const std::filesystem::path& path);

class FixtureTree {
 public:
  FixtureTree();
  ~FixtureTree();
  FixtureTree(const FixtureTree&) = delete;
  FixtureTree& operator=(const FixtureTree&) = delete;

  // The root folder, ending with the path separator, as a chosen folder does.
  const std::string& root() const { return root_; }
  // Writes a file below the root ('/' separates folders in relative), making its folders.
  std::string file(const std::string& relative, const std::string& bytes);
  std::string folder(const std::string& relative);
  // The full path of a relative name, with the platform's separators.
  std::string path(const std::string& relative) const;
  // The platform's row text for a relative name: its separators.
  static std::string row(const std::string& relative);

 private:
  std::string root_;
};

}  // namespace moxun::testing
