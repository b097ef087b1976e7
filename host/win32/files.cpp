// Folder listings and files on Windows: FindFirstFileExW / FindNextFileW, and CreateFileW
// for reading only with every kind of sharing, so other programs can go on reading,
// writing and deleting the file.
#include "host/files.h"

#include <windows.h>

#include <atomic>

#include "host/win32/wide.h"

namespace moxun {

namespace {

std::atomic<std::uint32_t> g_last_open_flags{0};

}  // namespace

struct FolderListing::Impl {
  HANDLE find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  bool have_data = false;  // data holds an entry not yet handed out

  void close() {
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    find = INVALID_HANDLE_VALUE;
    have_data = false;
  }

  std::string next(int mask) {
    while (find != INVALID_HANDLE_VALUE) {
      if (!have_data && !FindNextFileW(find, &data)) {
        close();
        break;
      }
      have_data = false;
      if (mask_admits(mask, static_cast<int>(data.dwFileAttributes))) return to_utf8(data.cFileName);
    }
    return {};
  }
};

FolderListing::FolderListing() : impl_(std::make_unique<Impl>()) {}
FolderListing::~FolderListing() { impl_->close(); }

std::string FolderListing::begin(const std::string& folder, int mask) {
  impl_->close();
  const std::wstring pattern = file_system_path(folder + "*");
  impl_->find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &impl_->data, FindExSearchNameMatch,
                                 nullptr, FIND_FIRST_EX_LARGE_FETCH);
  impl_->have_data = impl_->find != INVALID_HANDLE_VALUE;
  return impl_->next(mask);
}

std::string FolderListing::next(int mask) { return impl_->next(mask); }
void FolderListing::release() { impl_->close(); }

std::optional<FolderIdentity> folder_identity(const std::string& folder) {
  const std::wstring path = file_system_path(folder.empty() ? std::string(".") : folder);
  // Attributes only: a folder is never opened for reading or writing its contents.
  HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL ok = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool File::open(const std::string& path) {
  close();
  const DWORD access = GENERIC_READ;
  g_last_open_flags.store(access);
  const std::wstring wide = file_system_path(path);
  HANDLE handle = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length{};
  // Disk files only: a pipe or device could block a read.
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length)) {
    CloseHandle(handle);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  position_ = 0;
  known_length_ = length.QuadPart;
  return true;
}

bool File::is_open() const { return handle_ != -1; }

bool File::at_end() {
  if (!is_open()) return true;
  if (position_ < known_length_) return false;
  // At the length seen so far: the file may have grown since.
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &length)) return true;
  known_length_ = length.QuadPart;
  return position_ >= known_length_;
}

std::int64_t File::read_into(unsigned char* buffer, std::int64_t n) {
  if (n <= 0 || !is_open()) return 0;
  constexpr std::int64_t kLargestRead = 1 << 30;
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(n < kLargestRead ? n : kLargestRead);
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, want, &got, nullptr) || got == 0) {
    // A failed read, or a file cut short since its length was read: the position moves
    // past any length, so the next at_end ends the reading.
    position_ = INT64_MAX;
    return 0;
  }
  position_ += got;
  return got;
}

void File::close() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  position_ = 0;
  known_length_ = 0;
}

std::uint32_t File::last_open_flags() { return g_last_open_flags.load(); }

}  // namespace moxun
