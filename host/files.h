// Folder listings and read-only file access.
//
// Paths are UTF-8 texts. Folders passed to a listing end with kPathSeparator, or are ""
// for the process's current folder.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "host/bytes.h"

namespace moxun {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
inline constexpr char kPathSeparatorText[] = {kPathSeparator, '\0'};

// Whether the platform compares file names without regard to ASCII case.
#ifdef _WIN32
inline constexpr bool kFileNamesFoldCase = true;
#else
inline constexpr bool kFileNamesFoldCase = false;
#endif

// Attribute bits of a listed entry.
enum AttributeBits : int {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kFolder = 16,
  kArchive = 32,
};
inline constexpr int kNoMask = 0;

// Whether a mask admits an entry with these attributes: any bit in common, or, for no
// mask, every entry without the folder bit.
bool mask_admits(int mask, int attributes);

// One folder enumeration. "." and ".." are listed as folders where the file system
// lists them.
class FolderListing {
 public:
  FolderListing();
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;

  // Drops what the listing holds, enumerates every entry of folder and answers the
  // bare name of the first entry the mask admits, or "" when there is none (also for
  // a folder that is missing or cannot be read).
  std::string begin(const std::string& folder, int mask);
  // The next admitted name; "" at the end, and again on every later call.
  std::string next(int mask);
  // Ends an open enumeration, if any.
  void release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Identity of a folder on its volume (volume serial and file index on Windows, device
// and inode on POSIX): two paths that reach the same folder give the same identity.
struct FolderIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FolderIdentity&) const = default;
};
std::optional<FolderIdentity> folder_identity(const std::string& folder);

// A file opened for reading only while other programs may go on reading, writing and
// deleting it. Never creates a file. Only regular files open: folders, devices, pipes
// and sockets give a closed file, so no read can block.
class File {
 public:
  File() = default;
  explicit File(const std::string& path) { open(path); }
  ~File() { close(); }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool open(const std::string& path);
  bool is_open() const;
  // True when closed, at or past the current length, or when the length cannot be had.
  bool at_end();
  // Reads up to n bytes at the position into buffer and advances; 0 at the end, for
  // n <= 0 or a closed file. A failed read moves the position to the end.
  std::int64_t read_into(unsigned char* buffer, std::int64_t n);
  // The next chunk of up to n bytes as a new block (empty at the end).
  Bytes read_bytes(std::int64_t n);
  void close();

  std::int64_t position() const { return position_; }

  // The flags of the last open_file call's system request, for tests that make sure
  // files are opened for reading only (access mask on Windows, open flags on POSIX).
  static std::uint32_t last_open_flags();

 private:
  std::intptr_t handle_ = -1;
  std::int64_t position_ = 0;
  std::int64_t known_length_ = 0;
};

}  // namespace moxun
