// The engine under bad input and faults: entries that cannot be read, a tree that
// changes while it is searched, very large and strangely named trees, link loops, odd
// patterns, scarce resources and the program's fatal ends. In every case the search
// reports exactly the files that hold the text, ends, and writes nothing.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "host/bytes.h"
#include "host/files.h"
#include "host/process.h"
#include "search/search_job.h"
#include "tests/fault_fixtures.h"
#include "tests/fixture_tree.h"
#include "tests/search_helper.h"

#ifdef _WIN32
#include <windows.h>

#include "host/win32/wide.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace moxun {
namespace {

using namespace moxun::testing;
namespace fs = std::filesystem;

std::string row(const std::string& relative) { return FixtureTree::row(relative); }

Rows rows_of(const std::vector<std::string>& relatives) {
  Rows rows;
  for (const std::string& relative : relatives) rows.push_back(row(relative));
  return sorted(rows);
}

std::set<std::string> listed(const std::string& folder, int mask) {
  std::set<std::string> names;
  FolderListing listing;
  for (std::string name = listing.begin(folder, mask); !name.empty(); name = listing.next(mask)) names.insert(name);
  return names;
}

// Releases what a fixture holds open (handles that lock a file, a pipe's writer) when
// the test ends.
struct Holds {
  std::vector<std::function<void()>> releases;
  ~Holds() {
    for (auto& release : releases) release();
  }
};

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs_path(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A sparse file of `size` bytes that holds `text` at `offset` and zero bytes elsewhere.
void sparse_file(const std::string& path, std::int64_t size, std::int64_t offset, const std::string& text) {
  write_file(path, "");
  fs::resize_file(fs_path(path), static_cast<std::uintmax_t>(size));
  std::fstream out(fs_path(path), std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(offset);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// ---------------------------------------------------------------------------------
// Entries that cannot be read

// An entry that the search cannot or must not read, made at `path`. make answers false
// with the reason when this system cannot hold such an entry.
struct BadEntry {
  const char* name;
  bool (*make)(const std::string& path, std::string& why, Holds& holds);
  int listing_mask;  // the listing that hands the entry out
};

#ifdef _WIN32
bool locked(const std::string& path, DWORD access, std::string& why, Holds& holds) {
  write_file(path, "hit");
  HANDLE handle = CreateFileW(file_system_path(path).c_str(), access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    why = "the file could not be opened without sharing";
    return false;
  }
  holds.releases.push_back([handle] { CloseHandle(handle); });
  return true;
}
#endif

std::vector<BadEntry> bad_entries() {
  std::vector<BadEntry> entries = {
      {"dangling_link",
       [](const std::string& p, std::string& why, Holds& holds) {
         holds.releases.push_back([p] { remove_link(p); });
         return make_dangling_link(p, why);
       },
       kNoMask},
      {"fifo_without_writer",
       [](const std::string& p, std::string& why, Holds& holds) {
         holds.releases.push_back([p] { remove_link(p); });
         return make_fifo(p, why);
       },
       kNoMask},
      {"link_to_endless_device",
       [](const std::string& p, std::string& why, Holds& holds) {
         holds.releases.push_back([p] { remove_link(p); });
         return make_device_link(p, why);
       },
       kNoMask},
#ifdef _WIN32
      {"locked_without_sharing",
       [](const std::string& p, std::string& why, Holds& holds) { return locked(p, GENERIC_READ, why, holds); },
       kNoMask},
      {"locked_for_writing_without_sharing",
       [](const std::string& p, std::string& why, Holds& holds) { return locked(p, GENERIC_WRITE, why, holds); },
       kNoMask},
      // The single-folder search lists a folder that carries the archive bit.
      {"folder_with_archive_bit",
       [](const std::string& p, std::string& why, Holds&) {
         fs::create_directory(fs_path(p));
         write_file(p + "\\inner.txt", "hit");
         const std::wstring path = file_system_path(p);
         SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
         if ((GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_ARCHIVE) != 0) return true;
         why = "the folder did not keep the archive bit";
         return false;
       },
       kArchive},
#else
      {"fifo_with_an_idle_writer",
       [](const std::string& p, std::string& why, Holds& holds) {
         if (!make_fifo(p, why)) return false;
         chmod(p.c_str(), 0666);
         // A writer that never writes: a blocking read would wait for it forever.
         const int writer = ::open(p.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
         if (writer < 0) {
           why = "the pipe could not be opened";
           return false;
         }
         holds.releases.push_back([writer] { ::close(writer); });
         return true;
       },
       kNoMask},
      {"unix_socket",
       [](const std::string& p, std::string& why, Holds& holds) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         if (p.size() >= sizeof address.sun_path) {
           why = "the temporary folder's path is too long for a socket";
           return false;
         }
         std::copy(p.begin(), p.end(), address.sun_path);
         const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
         if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
           why = "no socket could be bound";
           if (fd >= 0) ::close(fd);
           return false;
         }
         holds.releases.push_back([fd] { ::close(fd); });
         return true;
       },
       kNoMask},
      {"links_to_each_other",
       [](const std::string& p, std::string& why, Holds&) {
         return make_folder_link(p, p + "-partner", why) && make_folder_link(p + "-partner", p, why);
       },
       kNoMask},
      {"no_read_permission",
       [](const std::string& p, std::string&, Holds&) {
         write_file(p, "hit");
         chmod(p.c_str(), 0);
         return true;
       },
       kNoMask},
      // A folder that cannot be listed is passed over; its files are not found.
      {"folder_without_permission",
       [](const std::string& p, std::string&, Holds&) {
         fs::create_directory(fs_path(p));
         write_file(p + "/inner.txt", "hit");
         chmod(p.c_str(), 0);
         return true;
       },
       kFolder},
      // The single-folder search lists a folder whose DOS attributes carry the archive bit.
      {"folder_with_archive_bit",
       [](const std::string& p, std::string& why, Holds&) {
         fs::create_directory(fs_path(p));
         write_file(p + "/inner.txt", "hit");
         if (setxattr(p.c_str(), "user.DOSATTRIB", "0x30", 4, 0) == 0) return true;
         why = "the temporary folder keeps no user extended attributes";
         return false;
       },
       kArchive},
#endif
  };
  return entries;
}

// Each entry sits in a folder of its own beside a file that holds the text; the search
// finds exactly those files, ends, and never blocks on the entry.
TEST(Unreadable, EntriesThatCannotBeReadAreSkippedAndTheRestIsFound) {
  FixtureTree tree;
  Holds holds;
  std::vector<std::string> made;
  std::string skipped;
  tree.file("top.txt", "hit");
  for (const BadEntry& entry : bad_entries()) {
    const std::string folder = tree.folder(entry.name) + kPathSeparator;
    tree.file(std::string(entry.name) + "/ok.txt", "hit");
    std::string why;
    if (!entry.make(folder + "entry", why, holds)) {
      skipped += std::string(" ") + entry.name + " (" + why + ")";
      std::error_code ignored;
      fs::remove_all(fs_path(folder), ignored);
      continue;
    }
    made.push_back(entry.name);
  }
  if (!skipped.empty()) std::cout << "entries this system cannot hold:" << skipped << "\n";

#ifndef _WIN32
  // As root every mode is overridden: search with an ordinary user's file rights.
  OrdinaryFileRights rights;
  ASSERT_TRUE(rights.active()) << "file rights could not be dropped";
  ASSERT_FALSE(File(tree.path("no_read_permission/entry")).is_open()) << "the mode does not keep the file shut";
#endif

  std::vector<std::string> expected = {"top.txt"};
  const std::vector<BadEntry> entries = bad_entries();
  for (const std::string& name : made) {
    const std::string folder = tree.path(name) + kPathSeparator;
    const BadEntry& entry =
        *std::find_if(entries.begin(), entries.end(), [&](const BadEntry& e) { return e.name == name; });
    // Wine does not list a link that leads nowhere; every other entry must be handed out.
    if (!(running_under_wine() && name == "dangling_link")) {
      EXPECT_TRUE(listed(folder, entry.listing_mask).count("entry")) << name << " is never handed out";
    }
    expected.push_back(name + "/ok.txt");
    // A folder among the entries is walked like any other by the folder-tree search.
    if (name == "folder_with_archive_bit") expected.push_back(name + "/entry/inner.txt");

    Search single(folder);
    for (int threads : {0, k20Threads}) {
      EXPECT_EQ(single.text("hit").single_folder().threads(threads).run(), Rows{"ok.txt"}) << name;
      expect_summary(single, 1);
    }
  }
  for (int threads : {0, 2, k20Threads}) {
    Search search(tree.root());
    EXPECT_EQ(search.text("hit").threads(threads).run(), rows_of(expected)) << "threads " << threads;
  }
}

// ---------------------------------------------------------------------------------
// The tree changing under the search

// The folder-tree search lists the chosen folder's subfolders, pumps the window's
// events, then lists its files into the slots, and reads them only when a batch
// starts. The first pump changes subfolders that are listed but not yet walked; the
// second (the next folder's) changes files that are listed but not yet read.
TEST(ChangingTree, EntriesChangedBetweenListingAndReading) {
  FixtureTree tree;
  for (const char* folder : {"gone-folder", "renamed-folder", "folder-became-file", "stays"}) {
    tree.file(std::string(folder) + "/hit.txt", "hit");
  }
  const std::vector<std::string> files = {"deleted.txt",          "renamed.txt",         "emptied.txt",
                                          "cut-before-the-text.txt", "replaced-by-a-miss.txt",
                                          "replaced-by-a-hit.txt", "became-a-folder.txt", "kept.txt"};
  for (const std::string& name : files) {
    tree.file(name, name == "replaced-by-a-hit.txt" ? "miss" : name == "cut-before-the-text.txt" ? "......hit" : "hit");
  }
  FixtureTree elsewhere;
  Search search(tree.root());
  int pumps = 0;
  search.window.on_pump([&] {
    ++pumps;
    if (pumps == 1) {
      fs::remove_all(fs_path(tree.path("gone-folder")));
      fs::rename(fs_path(tree.path("renamed-folder")), fs_path(elsewhere.path("renamed-folder")));
      fs::remove_all(fs_path(tree.path("folder-became-file")));
      tree.file("folder-became-file", "hit");  // listed as a file: the files are listed next
    } else if (pumps == 2) {
      fs::remove(fs_path(tree.path("deleted.txt")));
      fs::rename(fs_path(tree.path("renamed.txt")), fs_path(elsewhere.path("renamed.txt")));
      fs::resize_file(fs_path(tree.path("emptied.txt")), 0);
      fs::resize_file(fs_path(tree.path("cut-before-the-text.txt")), 6);
      fs::remove(fs_path(tree.path("replaced-by-a-miss.txt")));
      tree.file("replaced-by-a-miss.txt", "miss");
      fs::remove(fs_path(tree.path("replaced-by-a-hit.txt")));
      tree.file("replaced-by-a-hit.txt", "hit");
      fs::remove(fs_path(tree.path("became-a-folder.txt")));
      tree.folder("became-a-folder.txt");
    }
  });
  // 20 slots: nothing is read before the walk ends.
  EXPECT_EQ(search.text("hit").threads(k20Threads).run(),
            rows_of({"kept.txt", "replaced-by-a-hit.txt", "folder-became-file", "stays/hit.txt"}));
  EXPECT_GE(pumps, 2);
  // Every root file, the folder that became one and the file in stays were handed out.
  EXPECT_EQ(search.window.status_text(1), std::to_string(files.size() + 2));
}

// The single-folder search examines the first entry at once, then hands out the rest
// as it lists them. Entries changed after the first pump are handed out by the names
// the listing already holds.
TEST(ChangingTree, SingleFolderEntriesChangedWhileListed) {
  FixtureTree tree;
  const std::string folder = tree.folder("flat") + kPathSeparator;
  tree.folder("elsewhere");
  for (int i = 0; i < 9; ++i) tree.file("flat/e" + std::to_string(i), "");
  std::vector<std::string> order;
  {
    FolderListing listing;
    for (std::string name = listing.begin(folder, kArchive); !name.empty(); name = listing.next(kArchive)) {
      order.push_back(name);
    }
  }
  ASSERT_EQ(order.size(), 9u);
  // order[0] is read before any pump, order[1] by the first worker while the change is
  // made; the rest are changed before they are handed out.
  const std::vector<std::string> roles = {"first",    "racing",   "deleted",         "renamed", "emptied",
                                          "cut",      "replaced", "became-a-folder", "kept"};
  for (std::size_t i = 0; i < order.size(); ++i) {
    write_file(folder + order[i], roles[i] == "racing" ? "miss" : roles[i] == "cut" ? "......hit" : "hit");
  }
  auto at = [&](const char* role) {
    return folder + order[static_cast<std::size_t>(std::find(roles.begin(), roles.end(), role) - roles.begin())];
  };
  Search search(folder);
  int pumps = 0;
  search.window.on_pump([&] {
    if (++pumps != 1) return;
    fs::remove(fs_path(at("deleted")));
    fs::rename(fs_path(at("renamed")), fs_path(tree.path("elsewhere/renamed")));
    fs::resize_file(fs_path(at("emptied")), 0);
    fs::resize_file(fs_path(at("cut")), 6);
    fs::remove(fs_path(at("replaced")));
    write_file(at("replaced"), "miss");
    fs::remove(fs_path(at("became-a-folder")));
    fs::create_directory(fs_path(at("became-a-folder")));
  });
  EXPECT_EQ(search.text("hit").single_folder().threads(0).run(), sorted({order[0], order[8]}));
  expect_summary(search, 2);
}

#ifdef _WIN32
// Whether another handle has the file open for reading: then an open that refuses to
// share reading fails.
bool held_open_elsewhere(const std::string& path) {
  HANDLE probe = CreateFileW(file_system_path(path).c_str(), GENERIC_READ, FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}
#else
bool held_open_elsewhere(const std::string& path) {
  const std::string wanted = fs::canonical(path).string();
  DIR* fds = opendir("/proc/self/fd");
  if (fds == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(fds)) {
    char target[4096];
    const std::string link = std::string("/proc/self/fd/") + entry->d_name;
    const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
    if (size > 0 && std::string(target, static_cast<std::size_t>(size)) == wanted) found = true;
  }
  closedir(fds);
  return found;
}
#endif

// A worker that reaches the length the file had when it was opened asks again: text
// appended meanwhile is found. The file is large and read in 1K chunks, so the worker
// is still reading when the window thread, at its next pump, sees the file open and
// appends the text.
TEST(ChangingTree, AFileGrowingWhileReadIsReadToItsNewEnd) {
  FixtureTree tree;
  const std::string path = tree.path("growing.log");
  sparse_file(path, std::int64_t{256} << 20, 0, "");
  bool grew = false;
  Rows rows;
  for (int attempt = 0; attempt < 3 && !grew; ++attempt) {
    Search search(tree.root());
    search.window.on_pump([&] {
      if (grew || !held_open_elsewhere(path)) return;
      std::ofstream(fs_path(path), std::ios::binary | std::ios::app) << "needle";
      grew = true;
    });
    rows = search.text("needle").chunk(k1K).threads(0).run();
  }
  ASSERT_TRUE(grew) << "the worker was never seen holding the file open";
  EXPECT_EQ(rows, Rows{"growing.log"});
}

// ---------------------------------------------------------------------------------
// Big and odd trees

// Under Wine a thread start costs milliseconds, and 100,000 of them would take many
// minutes: there every file is examined on the window thread instead, as the engine
// does for a worker that cannot be started. The listing and the batches are the same.
TEST(BigTree, AHundredThousandFilesInOneFolder) {
  FixtureTree tree;
  const std::string folder = tree.folder("many") + kPathSeparator;
  struct Remove {
    std::string folder;
    ~Remove() { remove_deep_tree(folder); }
  } remove{folder};
  constexpr int kFiles = 100000;
  // Nearly all empty: they cost no reading, only their listing and a worker each.
  make_empty_files(folder, kFiles);
  std::vector<std::string> expected;
  for (int i = 17; i < kFiles; i += 9973) {
    write_file(folder + "f" + std::to_string(i), "hit");
    expected.push_back("f" + std::to_string(i));
  }
  ASSERT_EQ(listed(folder, kNoMask).size(), static_cast<std::size_t>(kFiles));
  if (running_under_wine()) fail_next_thread_starts(INT_MAX);
  Search whole(tree.root());
  std::vector<std::string> below;
  for (const std::string& name : expected) below.push_back("many/" + name);
  EXPECT_EQ(whole.text("hit").threads(k20Threads).run(), rows_of(below));
  EXPECT_EQ(whole.window.status_text(1), std::to_string(kFiles));
  Search single(folder);
  EXPECT_EQ(single.text("hit").single_folder().threads(k20Threads).run(), sorted(expected));
  fail_next_thread_starts(0);
}

// Paths below a tree 300 folders deep are longer than Windows' classic 260-character
// limit; the folders are made one name at a time.
TEST(BigTree, ThreeHundredFoldersDeep) {
  FixtureTree tree;
  const std::string top = tree.root() + "deep";
  struct Remove {
    std::string folder;
    ~Remove() { remove_deep_tree(folder); }
  } remove{top};
  std::vector<std::string> chain = {"deep"};
  std::vector<std::string> expected;
  for (int depth = 1; depth <= 300; ++depth) {
    chain.push_back("d");
    if (depth == 1 || depth == 150 || depth == 299 || depth == 300) {
      make_deep_file(tree.root(), chain, "level" + std::to_string(depth) + ".txt", "hit");
      std::string relative;
      for (const std::string& name : chain) relative += name + "/";
      expected.push_back(relative + "level" + std::to_string(depth) + ".txt");
    }
  }
  make_deep_file(tree.root(), chain, "miss.txt", "miss");
  Search search(tree.root());
  EXPECT_EQ(search.text("hit").threads(2).run(), rows_of(expected));
  EXPECT_EQ(search.window.status_text(1), "5");
}

// Paths longer than the platform allows one call to take: 260 characters on Windows,
// 4,096 bytes on POSIX. Both searches reach them, from the top and from inside.
TEST(BigTree, PathsLongerThanThePlatformLimit) {
  FixtureTree tree;
#ifdef _WIN32
  constexpr std::size_t kLimit = 260;
  constexpr std::size_t kNameLength = 100;
#else
  constexpr std::size_t kLimit = 4096;
  constexpr std::size_t kNameLength = 250;
#endif
  std::vector<std::string> chain;
  std::string relative;
  while ((tree.root() + relative).size() <= kLimit + kNameLength) {
    std::string name = "L" + std::to_string(chain.size());
    name += std::string(kNameLength - name.size(), 'x');
    chain.push_back(name);
    relative += name + "/";
  }
  struct Remove {
    std::string folder;
    ~Remove() { remove_deep_tree(folder); }
  } remove{tree.root() + chain.front()};
  const std::string deepest = make_deep_file(tree.root(), chain, "far.txt", "hit");
  make_deep_file(tree.root(), chain, "far-miss.txt", "miss");
  ASSERT_GT(deepest.size(), kLimit + kNameLength);
  Search whole(tree.root());
  EXPECT_EQ(whole.text("hit").run(), Rows{row(relative + "far.txt")});
  const std::string inside = deepest.substr(0, deepest.size() - std::string("far.txt").size());
  ASSERT_GT(inside.size(), kLimit);
  for (bool single : {false, true}) {
    Search search(inside);
    if (single) search.single_folder();
    EXPECT_EQ(search.text("hit").run(), Rows{"far.txt"}) << (single ? "single folder" : "folder tree");
  }
}

// Names that trip up text handling: blanks, leading dots, '%' sequences, characters
// outside ASCII and outside the ANSI code page, and on POSIX bytes that are not UTF-8.
TEST(OddNames, AreSearchedAndShownAsTheyAre) {
  std::vector<std::string> names = {
      "with space.txt", " leading blank", ".leading-dot", "..two-dots", "100% done",
      "%s%n%x%d",       "%20%00",         "蓝柚 notes.txt", "日本語ファイル", "a;b,c=d[e]{f}", "#&'+@!~",
      "ünïcødé",        "한국어.txt",      "emoji 😀",        "ᐊᐃᐅ",           "𝄞 clef",
  };
#ifndef _WIN32
  // A name is bytes on POSIX: backslashes, control characters and bytes that form no
  // UTF-8 are all allowed.
  // (Win32 drops a trailing blank from a name; POSIX keeps it.)
  for (const char* name : {"trailing blank ", "back\\slash", "new\nline", "tab\tname", "\xFF\xFE invalid", "bad\x80utf8",
                           "\xC3(", "\xED\xA0\x80 surrogate", "\xE8\x93"}) {
    names.push_back(name);
  }
#endif
  FixtureTree tree;
  std::vector<std::string> files, nested;
  for (const std::string& name : names) {
    write_file(tree.folder("odd") + kPathSeparator + name, "hit");
    fs::create_directory(fs_path(tree.path("odd/" + name + ".d")));
    write_file(tree.path("odd/" + name + ".d") + kPathSeparator + "inner", "hit");
    files.push_back(name);
    nested.push_back("odd/" + name);
    nested.push_back("odd/" + name + ".d/inner");
  }
  ASSERT_EQ(listed(tree.path("odd") + kPathSeparator, kNoMask).size(), names.size());
  for (int threads : {0, k20Threads}) {
    Search whole(tree.root());
    EXPECT_EQ(whole.text("hit").threads(threads).run(), rows_of(nested));
    Search single(tree.path("odd") + kPathSeparator);
    EXPECT_EQ(single.text("hit").single_folder().threads(threads).run(), sorted(files));
    // A chosen folder with an odd name of its own.
    Search inside(tree.path("odd/" + names[5] + ".d") + kPathSeparator);
    EXPECT_EQ(inside.text("hit").run(), Rows{"inner"});
  }
}

#ifdef _WIN32
// Positions past 4 GiB: a 32-bit position would wrap and never reach the text. (The
// POSIX build has the same case among the search tests.)
TEST(BigTree, SparseFileWithTheTextOnlyBeyond4GiB) {
  FixtureTree tree;
  sparse_file(tree.path("sparse.bin"), (std::int64_t{1} << 32) + 65536, (std::int64_t{1} << 32) + 12345, "needle");
  Search search(tree.root());
  EXPECT_EQ(search.text("needle").chunk(k10M).run(), Rows{"sparse.bin"});
}
#endif

// ---------------------------------------------------------------------------------
// Loops

// Links to folders on their own path are not walked again; links to folders elsewhere
// are followed. Every row appears once and the walk ends, also when the chosen folder
// is itself reached through a link.
TEST(Loops, LinksBackUpTheTreeEndTheWalk) {
  FixtureTree tree;
  FixtureTree outside;
  outside.file("o.txt", "hit");
  for (const char* name : {"r.txt", "a/f.txt", "a/b/g.txt", "x/xf.txt", "y/yf.txt"}) tree.file(name, "hit");
  struct Link {
    std::string link, target;
  };
  const std::string root = tree.root().substr(0, tree.root().size() - 1);
  const std::string outside_root = outside.root().substr(0, outside.root().size() - 1);
  const std::vector<Link> links = {
      {tree.path("self"), root},                  // the chosen folder itself
      {tree.path("a/b/up"), tree.path("a")},       // an ancestor
      {tree.path("a/b/top"), root},               // the chosen folder, from below
      {tree.path("x/to_y"), tree.path("y")},       // two folders linked to each other
      {tree.path("y/to_x"), tree.path("x")},
      {tree.path("out"), outside_root},           // elsewhere: followed
  };
  struct RemoveLinks {
    const std::vector<Link>& links;
    ~RemoveLinks() {
      for (const Link& link : links) remove_link(link.link);
    }
  } remove{links};
  for (const Link& link : links) {
    std::string why;
    if (!make_folder_link(link.link, link.target, why)) GTEST_SKIP() << "no link to a folder: " << why;
  }
  const Rows expected = rows_of({"r.txt", "a/f.txt", "a/b/g.txt", "x/xf.txt", "x/to_y/yf.txt", "y/yf.txt",
                                 "y/to_x/xf.txt", "out/o.txt"});
  for (int threads : {0, k20Threads}) {
    Search search(tree.root());
    EXPECT_EQ(search.text("hit").threads(threads).run(), expected);
    expect_summary(search, static_cast<int>(expected.size()));
    Search through_link(tree.path("self") + kPathSeparator);
    EXPECT_EQ(through_link.text("hit").threads(threads).run(), expected);
  }
}

// ---------------------------------------------------------------------------------
// Patterns of any bytes

struct BytesCase {
  const char* name;
  std::string bytes;
  std::string pattern;
  bool found;
};

TEST(Patterns, ZeroAndFFBytesAtEveryChunkSize) {
  const std::string z(1, '\0');
  const std::vector<BytesCase> cases = {
      {"zero_byte_inside", "abc" + z + "def", z, true},
      {"no_zero_byte", "abcdef", z, false},
      {"ff_bytes", "xx\xFF\xFF\xFEyy", "\xFF\xFE", true},
      {"ff_then_zero_at_offset_0", "\xFF" + z + std::string(5000, '.'), "\xFF" + z, true},
      {"ff_zero_ff_at_the_very_end", std::string(300000, '.') + "\xFF" + z + "\xFF", "\xFF" + z + "\xFF", true},
      {"zeros_across_1K_boundary", std::string(1023, 'x') + std::string(3, '\0') + "x", std::string(3, '\0'), true},
      {"zeros_longer_than_1K_chunk", std::string(3000, '\0'), std::string(2000, '\0'), true},
      {"one_zero_short_of_the_pattern", "." + std::string(1999, '\0') + ".", std::string(2000, '\0'), false},
      {"zeros_but_not_zero_ff", std::string(5000, '\0') + "\xFE", z + "\xFF", false},
  };
  FixtureTree tree;
  for (const BytesCase& c : cases) tree.file(std::string(c.name) + "/file.bin", c.bytes);
  for (const BytesCase& c : cases) {
    const std::string folder = tree.path(c.name) + kPathSeparator;
    const Rows expected = c.found ? Rows{"file.bin"} : Rows{};
    for (int chunk = 0; chunk < kChunkChoices; ++chunk) {
      for (int threads : {0, k20Threads}) {
        Search whole(folder);
        EXPECT_EQ(whole.chunk(chunk).threads(threads).run_bytes(c.pattern), expected) << c.name << " chunk " << chunk;
        Search single(folder);
        EXPECT_EQ(single.chunk(chunk).threads(threads).single_folder().run_bytes(c.pattern), expected)
            << c.name << " single folder, chunk " << chunk;
      }
    }
  }
}

#ifdef _WIN32
// A text typed on a GBK system is looked for as its GBK bytes, wherever they lie: a
// two-byte character split by a chunk's end included.
TEST(Patterns, GbkTextAtEveryChunkSize) {
  ASSERT_EQ(GetACP(), 936u) << "the test expects the GBK code page (LC_ALL=zh_CN.UTF-8 under Wine)";
  const std::string gbk = "\xC0\xB6\xE8\xD6";  // 蓝柚
  FixtureTree tree;
  tree.file("at_offset_0.txt", gbk + std::string(3000, '.'));
  tree.file("lead_byte_ends_the_first_1K.txt", std::string(1023, '.') + gbk);
  tree.file("at_the_very_end.txt", std::string(300000, '.') + gbk);
  tree.file("the_same_words_in_utf8.txt", std::string(1023, '.') + "蓝柚");
  tree.file("half_a_character.txt", std::string(1023, '.') + gbk.substr(0, 3));
  for (int chunk = 0; chunk < kChunkChoices; ++chunk) {
    Search search(tree.root());
    EXPECT_EQ(search.text("蓝柚").chunk(chunk).run(),
              sorted({"at_offset_0.txt", "lead_byte_ends_the_first_1K.txt", "at_the_very_end.txt"}))
        << "chunk " << chunk;
  }
}
#endif

// ---------------------------------------------------------------------------------
// Resources

// 20 workers each holding a 10M chunk; files whose text lies beyond the first chunk or
// across its end, in batches that overflow the slots twice.
TEST(Resources, TwentyThreadsWithTenMegabyteChunks) {
  constexpr std::int64_t kChunk = 10485760;
  FixtureTree tree;
  std::vector<std::string> expected;
  for (int i = 0; i < 45; ++i) {
    const std::string name = "d" + std::to_string(i % 3) + "/f" + std::to_string(i);
    const std::string path = tree.path(name);
    tree.file(name, "");
    if (i % 3 == 0) {
      sparse_file(path, kChunk + 4096, kChunk + 100, "needle");  // in the second chunk
      expected.push_back(name);
    } else if (i % 3 == 1) {
      sparse_file(path, kChunk + 4096, kChunk - 3, "needle");  // across the first chunk's end
      expected.push_back(name);
    } else {
      sparse_file(path, kChunk + 4096, kChunk - 3, "need!e");
    }
  }
  Search search(tree.root());
  EXPECT_EQ(search.text("needle").threads(k20Threads).chunk(k10M).run(), rows_of(expected));
  ASSERT_EQ(search_job().slot_buffers.size(), 20u);
  for (const Bytes& buffer : search_job().slot_buffers) EXPECT_EQ(buffer.size(), kChunk);
}

// fatal_error's ends: the error box (here written to the error stream) states the fault,
// and the process ends with exit code -1 without the exit routine.
#ifdef _WIN32
constexpr int kFatalExitCode = -1;
#else
constexpr int kFatalExitCode = 255;  // -1 as a POSIX exit status
#endif

void box_to_stderr(const std::string& text) {
  std::fprintf(stderr, "box: %s\n", text.c_str());
  std::fflush(stderr);
}

void exit_routine_ran() {
  std::fprintf(stderr, "the exit routine ran\n");
  std::fflush(stderr);
}

class FatalEndDeathTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FatalEndDeathTest, SlotBuffersThatCannotBeHad) {
  EXPECT_EXIT(
      {
        set_fatal_error_box(box_to_stderr);
        set_exit_routine(exit_routine_ran);
        HeadlessToolkit window;
        init_search_job(window);
        window.set_combo_selection(Control::组合框_单线内存, k10M);
        fail_allocations_above(1 << 20);
        prepare_search_job();
      },
      ::testing::ExitedWithCode(kFatalExitCode), "box: 内存不足：申请 10485760 字节失败");
}

TEST_F(FatalEndDeathTest, ATextThatCannotBeHad) {
#ifdef MOXUN_SANITIZED
  GTEST_SKIP() << "the sanitizers' allocator answers for every allocation but the byte blocks";
#endif
  EXPECT_EXIT(
      {
        set_fatal_error_box(box_to_stderr);
        fail_allocations_above(1000);
        Text path;
        path.reserve(5000);  // 5000 characters and the terminating zero
      },
      ::testing::ExitedWithCode(kFatalExitCode), "box: 内存不足：申请 5001 字节失败");
}

// This test program's own file: one that exists wherever the test runs, so that a
// death test's child (which never cleans up) needs no fixture.
std::string this_program() {
#ifdef _WIN32
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return to_utf8(path);
#else
  return fs::read_symlink("/proc/self/exe").string();
#endif
}

// A worker that cannot have the memory it needs ends the program from its own thread.
TEST_F(FatalEndDeathTest, MemoryAWorkerCannotHave) {
#ifdef MOXUN_SANITIZED
  GTEST_SKIP() << "the sanitizers' allocator answers for every allocation but the byte blocks";
#endif
  EXPECT_EXIT(
      {
        set_fatal_error_box(box_to_stderr);
        HeadlessToolkit window;
        init_search_job(window);
        window.set_combo_selection(Control::组合框_单线内存, k1K);
        prepare_search_job();
        // A pattern far longer than the limit: the worker's seam cannot be had.
        std::string pattern(20000, 'p');
        search_job().needle_bytes = std::move(pattern);
        search_job().slot_name(1) = this_program();
        fail_allocations_above(10000);
        start_worker(1);
        wait_for_batch(1);
      },
      ::testing::ExitedWithCode(kFatalExitCode), "box: 内存不足：申请 .* 字节失败");
}

TEST_F(FatalEndDeathTest, ASettingOutsideItsTable) {
  EXPECT_EXIT(
      {
        set_fatal_error_box(box_to_stderr);
        set_exit_routine(exit_routine_ran);
        HeadlessToolkit window;
        init_search_job(window);
        window.set_combo_selection(Control::组合框_最大线程组, 7);
        prepare_search_job();
      },
      ::testing::ExitedWithCode(kFatalExitCode), "box: 错误 9");
}

// ---------------------------------------------------------------------------------
// Read-only guarantee

TEST(ReadOnly, SearchesChangeNoFileAndOpenForReadingOnly) {
  FixtureTree tree;
  tree.file("hit.txt", "hit");
  tree.file("miss.txt", "miss");
  tree.file("empty", "");
  tree.file("sub/big.bin", std::string(300000, '.') + "hit");
  tree.file("sub/deeper/.hidden", "hit");
  const std::vector<FileState> before = file_states(tree.root());
  ASSERT_EQ(before.size(), 5u);
  for (int chunk = 0; chunk < kChunkChoices; ++chunk) {
    for (bool single : {false, true}) {
      Search search(tree.root());
      search.text("hit").chunk(chunk).threads(2);
      if (single) search.single_folder();
      EXPECT_FALSE(search.run().empty());
      const std::uint32_t flags = File::last_open_flags();
      EXPECT_TRUE(opens_for_reading_only(flags)) << std::hex << flags;
    }
  }
  EXPECT_EQ(file_states(tree.root()), before);
}

#ifdef _WIN32
// Files that others hold open against writing, and files marked read-only, can still be
// read: only an open that asked to write would be refused.
TEST(ReadOnly, FilesThatRefuseWritingAreSearched) {
  FixtureTree tree;
  const std::string held = tree.file("held-against-writing.txt", "hit");
  const std::string marked = tree.file("marked-read-only.txt", "hit");
  HANDLE handle = CreateFileW(file_system_path(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileAttributesW(file_system_path(marked).c_str(), FILE_ATTRIBUTE_READONLY));
  // The fixture refuses writing indeed.
  HANDLE writer = CreateFileW(file_system_path(held).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  for (bool single : {false, true}) {
    Search search(tree.root());
    if (single) search.single_folder();
    EXPECT_EQ(search.text("hit").run(), sorted({"held-against-writing.txt", "marked-read-only.txt"}));
  }
  CloseHandle(handle);
  SetFileAttributesW(file_system_path(marked).c_str(), FILE_ATTRIBUTE_NORMAL);
}
#else
// A tree in which nothing may be written is searched whole.
TEST(ReadOnly, ATreeWithoutWriteRightsIsSearchedWhole) {
  FixtureTree tree;
  for (const char* name : {"a.txt", "sub/b.txt", "sub/deeper/c.txt"}) tree.file(name, "hit");
  tree.file("sub/miss.txt", "miss");
  for (const auto& entry : fs::recursive_directory_iterator(fs_path(tree.root()))) {
    chmod(entry.path().c_str(), entry.is_directory() ? 0555 : 0444);
  }
  chmod(tree.root().c_str(), 0555);
  const std::vector<FileState> before = file_states(tree.root());
  OrdinaryFileRights rights;
  ASSERT_TRUE(rights.active()) << "file rights could not be dropped";
  const int writer = ::open(tree.path("a.txt").c_str(), O_WRONLY | O_CLOEXEC);
  EXPECT_LT(writer, 0) << "the tree takes writes";
  if (writer >= 0) ::close(writer);
  for (bool single : {false, true}) {
    Search search(tree.root());
    if (single) search.single_folder();
    EXPECT_EQ(search.text("hit").run(), single ? Rows{"a.txt"} : rows_of({"a.txt", "sub/b.txt", "sub/deeper/c.txt"}));
  }
  EXPECT_EQ(file_states(tree.root()), before);
}
#endif

}  // namespace
}  // namespace moxun
