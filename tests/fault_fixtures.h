// Fixture entries that show faults: links, pipes, devices, files held by another
// handle, paths longer than the platform's classic limit, and running with fewer file
// rights. Each maker answers false with the reason when this system cannot make it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace moxun::testing {

// Whether this Windows program runs under Wine (always false on POSIX).
bool running_under_wine();

// A link at `link` to the folder `target` (full paths): a symbolic link on POSIX, a
// junction on Windows. Wine cannot make junctions; there the link is a Unix symbolic
// link, which Wine shows as a folder with the reparse-point bit.
bool make_folder_link(const std::string& link, const std::string& target, std::string& why);
// Removes a link made by the makers here, never what it points to.
void remove_link(const std::string& link);
// A link to a path that does not exist.
bool make_dangling_link(const std::string& link, std::string& why);
// A named pipe. On POSIX and under Wine (through a Unix mkfifo); nowhere else can a
// folder hold one.
bool make_fifo(const std::string& path, std::string& why);
// A link to /dev/zero, a device whose reads never end (POSIX and Wine).
bool make_device_link(const std::string& path, std::string& why);

// Makes the folders one below the other under root (which ends with the separator)
// and a file in the last one, one name at a time, so that no call sees a path longer
// than one name plus the root. Answers the file's full path.
std::string make_deep_file(const std::string& root, const std::vector<std::string>& folders,
                           const std::string& name, const std::string& bytes);
// Makes the empty files f0, f1, ... f(count - 1) in folder (which ends with the
// separator). Under Wine, where every file made costs a round trip to its server, the
// files are made by a Unix command.
void make_empty_files(const std::string& folder, int count);
// Removes a folder and everything in it, however long the paths below it are.
void remove_deep_tree(const std::string& folder);

// Bytes and modification time of every file below a folder, by path, for checking
// that a search changed nothing.
struct FileState {
  std::string path;
  std::string bytes;
  std::int64_t modified = 0;
  bool operator==(const FileState&) const = default;
};
std::vector<FileState> file_states(const std::string& folder);

// Whether open flags (File::last_open_flags) ask for reading only: no writing, creating,
// truncating or appending.
bool opens_for_reading_only(std::uint32_t flags);

#ifndef _WIN32
// For as long as it lives, this thread and the threads it starts check file access as
// an ordinary user ("nobody") instead of root, so file modes apply to them. Nothing
// changes when the process is not root. `active` tells whether the rights could be
// dropped (or never were root's).
class OrdinaryFileRights {
 public:
  OrdinaryFileRights();
  ~OrdinaryFileRights();
  OrdinaryFileRights(const OrdinaryFileRights&) = delete;
  OrdinaryFileRights& operator=(const OrdinaryFileRights&) = delete;
  bool active() const { return active_; }

 private:
  bool was_root_ = false;
  bool active_ = false;
};
#endif

}  // namespace moxun::testing
