// Folder listings and files on POSIX: opendir/readdir, with a stat only where the entry
// type does not tell (links, unknown types), and open(2) for reading only.
#include "host/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace moxun {

namespace {

// The DOS attributes that Wine and Samba keep in the user.DOSATTRIB extended attribute,
// as the text "0x" followed by hex digits; nothing when the attribute is absent.
std::optional<int> dos_attributes(const std::string& path) {
  char value[64];
  const ssize_t size = getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value - 1);
  if (size <= 2) return std::nullopt;
  value[size] = '\0';
  if (value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) return std::nullopt;
  char* end = nullptr;
  const long bits = std::strtol(value + 2, &end, 16);
  if (end == value + 2) return std::nullopt;
  return static_cast<int>(bits);
}

std::atomic<std::uint32_t> g_last_open_flags{0};

// open(2) for any path length. A path too long for one system call (PATH_MAX) is
// opened a piece at a time, each piece relative to the folder the one before it
// reached, as if the walk had gone down step by step.
int open_path(const std::string& path, int flags) {
  if (path.size() < PATH_MAX) return ::open(path.c_str(), flags);
#ifdef O_PATH
  constexpr int kStepFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
  constexpr int kStepFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
  int folder = AT_FDCWD;
  std::size_t start = 0;
  while (path.size() - start >= PATH_MAX) {
    const std::size_t cut = path.rfind('/', start + PATH_MAX - 2);
    if (cut == std::string::npos || cut < start) {
      if (folder != AT_FDCWD) ::close(folder);
      errno = ENAMETOOLONG;
      return -1;
    }
    const std::string piece = path.substr(start, cut + 1 - start);
    const int next = openat(folder, piece.c_str(), kStepFlags);
    if (folder != AT_FDCWD) ::close(folder);
    if (next < 0) return -1;
    folder = next;
    start = cut + 1;
  }
  const int fd = openat(folder, start < path.size() ? path.c_str() + start : ".", flags);
  const int saved = errno;
  if (folder != AT_FDCWD) ::close(folder);
  errno = saved;
  return fd;
}

}  // namespace

struct FolderListing::Impl {
  DIR* dir = nullptr;
  std::string folder;

  void close() {
    if (dir != nullptr) closedir(dir);
    dir = nullptr;
  }

  // Attribute bits of one entry. The folder bit covers links to folders, which are
  // walked as a junction is on Windows; the other bits need a look at the entry only
  // when the mask asks for them.
  int attributes(const dirent& entry, int mask) const {
    // Looked at relative to the open folder, which works however long its path is.
    bool is_folder = entry.d_type == DT_DIR;
    struct stat info {};
    bool have_info = false;
    if (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) {
      have_info = fstatat(dirfd(dir), entry.d_name, &info, 0) == 0;
      is_folder = have_info && S_ISDIR(info.st_mode);
    }
    int bits = is_folder ? kFolder : 0;
    if ((mask & (kReadOnly | kHidden | kSystem | kArchive)) == 0) return bits;
    if (entry.d_name[0] == '.') bits |= kHidden;
    if (!have_info) have_info = fstatat(dirfd(dir), entry.d_name, &info, 0) == 0;
    if (have_info && (info.st_mode & S_IWUSR) == 0) bits |= kReadOnly;
    if (!is_folder) bits |= kArchive;
    // There is no getxattr relative to a folder; a path too long for one call goes
    // through the open folder's entry in /proc.
    const std::string path = folder.size() + std::strlen(entry.d_name) < PATH_MAX
                                 ? folder + entry.d_name
                                 : "/proc/self/fd/" + std::to_string(dirfd(dir)) + "/" + entry.d_name;
    if (const std::optional<int> dos = dos_attributes(path)) {
      bits = (bits & ~(kArchive | kSystem)) | (*dos & (kArchive | kSystem));
    }
    return bits;
  }

  std::string next(int mask) {
    while (dir != nullptr) {
      const dirent* entry = readdir(dir);
      if (entry == nullptr) {
        close();
        break;
      }
      if (mask_admits(mask, attributes(*entry, mask))) return entry->d_name;
    }
    return {};
  }
};

FolderListing::FolderListing() : impl_(std::make_unique<Impl>()) {}
FolderListing::~FolderListing() { impl_->close(); }

std::string FolderListing::begin(const std::string& folder, int mask) {
  impl_->close();
  impl_->folder = folder;
  const int fd = open_path(folder.empty() ? std::string(".") : folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  impl_->dir = fd < 0 ? nullptr : fdopendir(fd);
  if (impl_->dir == nullptr && fd >= 0) ::close(fd);
  return impl_->next(mask);
}

std::string FolderListing::next(int mask) { return impl_->next(mask); }
void FolderListing::release() { impl_->close(); }

std::optional<FolderIdentity> folder_identity(const std::string& folder) {
  struct stat info {};
  if (folder.size() < PATH_MAX) {
    if (stat(folder.empty() ? "." : folder.c_str(), &info) != 0) return std::nullopt;
  } else {
    const int fd = open_path(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool known = fd >= 0 && fstat(fd, &info) == 0;
    if (fd >= 0) ::close(fd);
    if (!known) return std::nullopt;
  }
  return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool File::open(const std::string& path) {
  close();
  // Non-blocking, so that opening a pipe never waits for a writer; no controlling
  // terminal from a device.
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  g_last_open_flags.store(static_cast<std::uint32_t>(flags));
  const int fd = open_path(path, flags);
  if (fd < 0) return false;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  position_ = 0;
  known_length_ = static_cast<std::int64_t>(info.st_size);
  return true;
}

bool File::is_open() const { return handle_ >= 0; }

bool File::at_end() {
  if (!is_open()) return true;
  if (position_ < known_length_) return false;
  // At the length seen so far: the file may have grown since.
  struct stat info {};
  if (fstat(static_cast<int>(handle_), &info) != 0) return true;
  known_length_ = static_cast<std::int64_t>(info.st_size);
  return position_ >= known_length_;
}

std::int64_t File::read_into(unsigned char* buffer, std::int64_t n) {
  if (n <= 0 || !is_open()) return 0;
  ssize_t got;
  do {
    // pread at the position kept here: in a program with several threads, read(2)
    // takes the file's position lock on every call.
    got = ::pread(static_cast<int>(handle_), buffer, static_cast<std::size_t>(n), static_cast<off_t>(position_));
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    // A failed read, or a file cut short since its length was read: the position moves
    // past any length, so the next at_end ends the reading.
    position_ = INT64_MAX;
    return 0;
  }
  position_ += got;
  return got;
}

void File::close() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  position_ = 0;
  known_length_ = 0;
}

std::uint32_t File::last_open_flags() { return g_last_open_flags.load(); }

}  // namespace moxun
