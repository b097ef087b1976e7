#include "tests/fault_fixtures.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "host/files.h"
#include "tests/fixture_tree.h"

#ifdef _WIN32
#include <windows.h>
#include <winioctl.h>

#include "host/win32/wide.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace moxun::testing {

std::vector<FileState> file_states(const std::string& folder) {
  namespace fs = std::filesystem;
  std::vector<FileState> states;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(fs_path(folder), error); it != fs::recursive_directory_iterator();
       it.increment(error)) {
    if (it->is_symlink(error) || !it->is_regular_file(error)) continue;
    std::ifstream in(it->path(), std::ios::binary);
    FileState state;
    state.path = utf8_path(it->path());
    state.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    state.modified = fs::last_write_time(it->path(), error).time_since_epoch().count();
    states.push_back(std::move(state));
  }
  std::sort(states.begin(), states.end(), [](const FileState& a, const FileState& b) { return a.path < b.path; });
  return states;
}

#ifdef _WIN32

namespace {

template <typename Function>
Function wine_export(const char* module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

// The Unix path of a Windows path, through Wine's own mapping.
std::string unix_path(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = wine_export<ToUnix>("kernel32.dll", "wine_get_unix_file_name");
  if (to_unix == nullptr) return {};
  char* unix = to_unix(to_wide(path).c_str());
  if (unix == nullptr) return {};
  std::string result(unix);
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::wstring dos_path(const std::string& unix) {
  using ToDos = wchar_t*(CDECL*)(const char*);
  const auto to_dos = wine_export<ToDos>("kernel32.dll", "wine_get_dos_file_name");
  if (to_dos == nullptr) return {};
  wchar_t* dos = to_dos(unix.c_str());
  if (dos == nullptr) return {};
  std::wstring result(dos);
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// Runs a Unix shell command from inside Wine, which starts Unix programs like any
// other. The handle of a Unix process says nothing about its end, so the command
// leaves a marker file when done, and this waits for it (at most 30 s).
bool run_unix(const std::string& command, std::string& why) {
  const std::wstring shell = dos_path("/bin/sh");
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  static int serial = 0;
  const std::string marker = to_utf8(temp) + "moxun-unix-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(serial++);
  const std::string unix_marker = unix_path(marker);
  if (shell.empty() || unix_marker.empty()) {
    why = "Wine does not map the Unix paths";
    return false;
  }
  std::wstring line = L"/bin/sh -c \"" + to_wide(command + "; touch " + quoted(unix_marker)) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(shell.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    why = "Wine did not start /bin/sh";
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const std::wstring wide_marker = to_wide(marker);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (GetFileAttributesW(wide_marker.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (std::chrono::steady_clock::now() > deadline) {
      why = "the Unix command did not finish: " + command;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  DeleteFileW(wide_marker.c_str());
  return true;
}

// The mount-point reparse data of a junction.
struct MountPointData {
  DWORD tag;
  WORD data_length;
  WORD reserved;
  WORD substitute_offset;
  WORD substitute_length;
  WORD print_offset;
  WORD print_length;
  wchar_t names[2048];
};

bool make_junction(const std::string& link, const std::string& target) {
  const std::wstring path = file_system_path(link);
  if (!CreateDirectoryW(path.c_str(), nullptr)) return false;
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  bool made = false;
  const std::wstring substitute = L"\\??\\" + to_wide(target);
  if (handle != INVALID_HANDLE_VALUE && substitute.size() < 2000) {
    MountPointData data{};
    data.tag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD bytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    std::copy(substitute.begin(), substitute.end(), data.names);
    data.substitute_length = bytes;
    data.print_offset = static_cast<WORD>(bytes + sizeof(wchar_t));
    data.data_length = static_cast<WORD>(8 + bytes + 2 * sizeof(wchar_t));
    DWORD returned = 0;
    made = DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, &data, 8 + data.data_length, nullptr, 0, &returned,
                           nullptr) != 0;
  }
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  if (!made) RemoveDirectoryW(path.c_str());
  return made;
}

bool make_unix_link(const std::string& link, const std::string& unix_target, std::string& why) {
  const std::string unix_link = unix_path(link);
  if (unix_link.empty()) {
    why = "Wine does not map the link's path";
    return false;
  }
  return run_unix("ln -s " + quoted(unix_target) + " " + quoted(unix_link), why);
}

void remove_tree_wide(const std::wstring& folder) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      const bool folder_entry = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (folder_entry && !link) {
        remove_tree_wide(path);
      } else if (folder_entry) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring long_form(const std::string& path) {
  std::wstring wide = to_wide(path);
  while (!wide.empty() && wide.back() == L'\\') wide.pop_back();
  return L"\\\\?\\" + wide;
}

}  // namespace

bool running_under_wine() { return wine_export<void*>("ntdll.dll", "wine_get_version") != nullptr; }

bool make_folder_link(const std::string& link, const std::string& target, std::string& why) {
  if (make_junction(link, target)) return true;
  if (!running_under_wine()) {
    why = "no junction could be made";
    return false;
  }
  // Wine 8 answers FSCTL_SET_REPARSE_POINT with ERROR_NOT_SUPPORTED.
  return make_unix_link(link, unix_path(target), why);
}

void remove_link(const std::string& link) {
  const std::wstring path = file_system_path(link);
  if (RemoveDirectoryW(path.c_str()) || DeleteFileW(path.c_str())) return;
  std::string why;
  if (running_under_wine()) run_unix("rm -f " + quoted(unix_path(link)), why);
}

bool make_dangling_link(const std::string& link, std::string& why) {
  if (make_junction(link, link + "-missing-target")) return true;
  if (!running_under_wine()) {
    why = "no junction could be made";
    return false;
  }
  return make_unix_link(link, unix_path(link) + "-missing-target", why);
}

bool make_fifo(const std::string& path, std::string& why) {
  if (!running_under_wine()) {
    why = "a Windows folder cannot hold a named pipe";
    return false;
  }
  return run_unix("mkfifo " + quoted(unix_path(path)), why);
}

bool make_device_link(const std::string& path, std::string& why) {
  if (!running_under_wine()) {
    why = "a Windows folder cannot hold a device";
    return false;
  }
  return make_unix_link(path, "/dev/zero", why);
}

std::string make_deep_file(const std::string& root, const std::vector<std::string>& folders,
                           const std::string& name, const std::string& bytes) {
  std::string path = root;
  for (const std::string& folder : folders) {
    path += folder;
    CreateDirectoryW(long_form(path).c_str(), nullptr);
    path += '\\';
  }
  path += name;
  HANDLE file = CreateFileW(long_form(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  return path;
}

void make_empty_files(const std::string& folder, int count) {
  std::string why;
  if (running_under_wine() &&
      run_unix("cd " + quoted(unix_path(folder)) + " && seq 0 " + std::to_string(count - 1) +
                   " | sed 's/^/f/' | xargs touch",
               why)) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    HANDLE file = CreateFileW(file_system_path(folder + "f" + std::to_string(i)).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
}

void remove_deep_tree(const std::string& folder) {
  std::string why;
  if (running_under_wine() && run_unix("rm -rf " + quoted(unix_path(folder)), why)) return;
  remove_tree_wide(long_form(folder));
}

#else  // POSIX

namespace {

void remove_below(int parent, const char* name) {
  const int fd = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    unlinkat(parent, name, 0);
    return;
  }
  fchmod(fd, 0700);
  if (DIR* dir = fdopendir(dup(fd))) {
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
      const std::string entry_name = entry->d_name;
      if (entry_name != "." && entry_name != "..") names.push_back(entry_name);
    }
    closedir(dir);
    for (const std::string& entry_name : names) remove_below(fd, entry_name.c_str());
  }
  close(fd);
  unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace

bool running_under_wine() { return false; }

bool make_folder_link(const std::string& link, const std::string& target, std::string& why) {
  if (symlink(target.c_str(), link.c_str()) == 0) return true;
  why = "symlink failed";
  return false;
}

void remove_link(const std::string& link) { unlink(link.c_str()); }

bool make_dangling_link(const std::string& link, std::string& why) {
  return make_folder_link(link, link + "-missing-target", why);
}

bool make_fifo(const std::string& path, std::string& why) {
  // Open to all, so that a search with an ordinary user's rights reaches the pipe.
  if (mkfifo(path.c_str(), 0666) == 0 && chmod(path.c_str(), 0666) == 0) return true;
  why = "mkfifo failed";
  return false;
}

bool make_device_link(const std::string& path, std::string& why) {
  if (symlink("/dev/zero", path.c_str()) == 0) return true;
  why = "symlink failed";
  return false;
}

std::string make_deep_file(const std::string& root, const std::vector<std::string>& folders,
                           const std::string& name, const std::string& bytes) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::string path = root;
  for (const std::string& folder : folders) {
    mkdirat(fd, folder.c_str(), 0755);
    const int below = openat(fd, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = below;
    path += folder + "/";
  }
  const int file = openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file >= 0) {
    if (write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) path.clear();
    close(file);
  }
  if (fd >= 0) close(fd);
  return path + name;
}

void make_empty_files(const std::string& folder, int count) {
  for (int i = 0; i < count; ++i) {
    const int fd = ::open((folder + "f" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) close(fd);
  }
}

void remove_deep_tree(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.rfind('/');
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  const int fd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  remove_below(fd, path.substr(slash + 1).c_str());
  close(fd);
}

OrdinaryFileRights::OrdinaryFileRights() : was_root_(geteuid() == 0) {
  if (!was_root_) {
    active_ = true;
    return;
  }
  // The file-system ids belong to this thread alone, and threads it starts inherit
  // them. Leaving id 0 also drops the capability to override file modes.
  constexpr unsigned kNobody = 65534;
  setfsgid(kNobody);
  setfsuid(kNobody);
  active_ = setfsuid(static_cast<uid_t>(-1)) == kNobody;
}

OrdinaryFileRights::~OrdinaryFileRights() {
  if (!was_root_) return;
  setfsuid(0);
  setfsgid(0);
}

#endif

bool opens_for_reading_only(std::uint32_t flags) {
#ifdef _WIN32
  return flags == static_cast<std::uint32_t>(GENERIC_READ);
#else
  return (flags & O_ACCMODE) == O_RDONLY && (flags & (O_CREAT | O_TRUNC | O_APPEND)) == 0;
#endif
}

}  // namespace moxun::testing
