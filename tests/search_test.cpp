// The engine end to end on small fixture trees, with the headless toolkit standing in
// for the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <set>
#include <vector>

#include "host/files.h"
#include "host/headless_toolkit.h"
#include "search/search_job.h"
#include "tests/fixture_tree.h"
#include "tests/search_helper.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

namespace moxun {
namespace {

using testing::FixtureTree;
using testing::k1K;
using testing::kChunkChoices;
using testing::kThreadChoices;
using testing::Rows;
using testing::Search;
using testing::expect_summary;
using testing::sorted;

// Where the text lies in a file, and whether the file must be found. Every case runs at
// every chunk size and thread count, in both kinds of search.
struct MatchCase {
  const char* name;
  std::string bytes;
  std::string text;
  bool found;
};

std::vector<MatchCase> match_cases() {
  const std::string pad1020(1020, 'x');
  std::string boundaries;
  // The text across the 1K, 256K and 1M boundaries (one file each), then plain.
  return {
      {"at_offset_0", "needle" + std::string(3000, '.'), "needle", true},
      {"at_the_very_end", std::string(300000, '.') + "needle", "needle", true},
      {"across_1K_boundary", pad1020 + "needle" + std::string(100, '.'), "needle", true},
      {"across_256K_boundary", std::string(262144 - 3, '.') + "needle" + "...", "needle", true},
      {"across_1M_boundary", std::string(1048576 - 1, '.') + "needle", "needle", true},
      {"across_512K_boundary", std::string(524288 - 2, '.') + "needle" + "..", "needle", true},
      {"across_2M_boundary", std::string(2097152 - 5, '.') + "needle", "needle", true},
      {"across_10M_boundary", std::string(10485760 - 4, '.') + "needle" + std::string(10, '.'), "needle", true},
      {"across_fifth_1K_boundary", std::string(5 * 1024 - 1, '.') + "needle" + std::string(2000, '.'), "needle", true},
      {"longer_than_1K_across_three_chunks", std::string(1000, '.') + std::string(2100, 'q') + "Z" + std::string(50, '.'),
       std::string(2100, 'q') + "Z", true},
      {"longer_than_1K_one_byte_short", std::string(1000, '.') + std::string(2099, 'q') + "Z", std::string(2100, 'q') + "Z", false},
      {"longer_than_1K_chunk", std::string(10, '.') + std::string(2500, 'q') + "Z", std::string(2500, 'q') + "Z", true},
      {"among_zero_and_ff_bytes", std::string("\x00\xFF", 2) + "needle" + std::string("\xFF\x00", 2), "needle", true},
      {"one_byte_text", std::string(5000, '.') + "#", "#", true},
      {"case_differs", "NEEDLE", "needle", false},
      {"near_miss_only", "needl" + std::string(2000, '.') + "eedle", "needle", false},
      {"empty_file", "", "needle", false},
      {"text_twice_one_row", "needle needle needle", "needle", true},
  };
}

TEST(MatchTable, EveryChunkSizeAndThreadCountFindsExactlyTheFilesHoldingTheText) {
  const std::vector<MatchCase> cases = match_cases();
  FixtureTree tree;
  // Each case in its own folder, so one search per case covers every file kind.
  for (const MatchCase& c : cases) tree.file(std::string(c.name) + "/file.bin", c.bytes);
  for (const MatchCase& c : cases) {
    const std::string folder = tree.path(c.name) + kPathSeparator;
    const Rows expected = c.found ? Rows{"file.bin"} : Rows{};
    for (int chunk = 0; chunk < kChunkChoices; ++chunk) {
      for (int threads = 0; threads < kThreadChoices; threads += 2) {
        Search tree_search(folder);
        EXPECT_EQ(tree_search.text(c.text).chunk(chunk).threads(threads).run(), expected)
            << c.name << " chunk " << chunk << " threads " << threads;
        Search single(folder);
        EXPECT_EQ(single.text(c.text).chunk(chunk).threads(threads).single_folder().run(), expected)
            << c.name << " single folder, chunk " << chunk;
      }
    }
  }
}

TEST(MatchTable, AllFilesOfATreeInOneRunAtEveryThreadCount) {
  const std::vector<MatchCase> cases = match_cases();
  FixtureTree tree;
  Rows expected;
  for (const MatchCase& c : cases) {
    tree.file(std::string("cases/") + c.name, c.bytes + "|" + (c.found ? "" : "-"));
  }
  // A tree of mixed files where "needle" is found in these.
  for (const MatchCase& c : cases) {
    if (c.found && c.text == "needle") expected.push_back(FixtureTree::row(std::string("cases/") + c.name));
  }
  for (int threads = 0; threads < kThreadChoices; ++threads) {
    Search search(tree.root());
    EXPECT_EQ(search.text("needle").threads(threads).chunk(k1K).run(), sorted(expected)) << threads;
    expect_summary(search, static_cast<int>(expected.size()));
  }
}

// The text is searched for as its bytes in the ANSI code page: GBK on a Chinese
// system, so a file in GBK is found and the same words in UTF-8 are not.
#ifdef _WIN32
TEST(Search, GbkTextFindsGbkFilesOnly) {
  FixtureTree tree;
  tree.file("gbk.txt", "xx\xC0\xB6\xE8\xD6yy");
  tree.file("utf8.txt", "xx蓝柚yy");
  Search search(tree.root());
  EXPECT_EQ(search.text("蓝柚").run(), Rows{"gbk.txt"});
}
#endif

TEST(Search, EmptyTextFindsNothing) {
  FixtureTree tree;
  tree.file("a.txt", "anything");
  Search search(tree.root());
  EXPECT_EQ(search.text("").run(), Rows{});
  expect_summary(search, 0);
}

TEST(Search, RowTextsAreRelativeToTheChosenFolder) {
  FixtureTree tree;
  tree.file("top.txt", "hit");
  tree.file("sub/notes.txt", "hit");
  tree.file("sub/deeper/notes.txt", "hit");
  tree.file("sub/deeper/miss.txt", "miss");
  Search nested(tree.root());
  EXPECT_EQ(nested.text("hit").run(),
            sorted({"top.txt", FixtureTree::row("sub/notes.txt"), FixtureTree::row("sub/deeper/notes.txt")}));
  Search single(tree.path("sub") + kPathSeparator);
  EXPECT_EQ(single.text("hit").single_folder().run(), Rows{"notes.txt"});
}

// The chosen folder is removed from the front of a row once, not wherever its text
// occurs again further down the path.
TEST(Search, ChosenFolderIsRemovedOnceFromTheFront) {
  FixtureTree tree;
  const std::string root = tree.root();
  // A subfolder path that repeats the chosen folder's own path text.
  const std::string repeat = root.substr(1);
  tree.file(repeat + "x/f.txt", "hit");
  Search search(root);
  EXPECT_EQ(search.text("hit").run(), Rows{FixtureTree::row(repeat + "x/f.txt")});
}

// With the file system's root as the chosen folder the rows keep their inner
// separators, so the results actions can rebuild the path.
TEST(Search, RootFolderRowsKeepTheirSeparators) {
  FixtureTree tree;
  tree.file("deep/f.txt", "hit");
  std::string full = tree.path("deep/f.txt");
  if (full.size() > 2 && full[1] == ':') full = full.substr(2);  // "\" is the current drive's root
  EXPECT_EQ(row_text(full, kPathSeparatorText), full.substr(1));
  EXPECT_EQ(row_text("C:\\Data\\a.txt", "c:\\data\\"), kFileNamesFoldCase ? "a.txt" : "C:\\Data\\a.txt");
  EXPECT_EQ(row_text("a.txt", ""), "a.txt");
}

TEST(SingleFolder, OnlyFilesDirectlyInTheFolder) {
  FixtureTree tree;
  tree.file("a.txt", "hit");
  tree.file("sub/b.txt", "hit");
  tree.folder("hit");
  Search search(tree.root());
  EXPECT_EQ(search.text("hit").single_folder().run(), Rows{"a.txt"});
  expect_summary(search, 1);
}

TEST(SingleFolder, EmptyOrMissingFolderReportsNoFiles) {
  FixtureTree tree;
  for (const std::string& folder : {tree.root(), tree.path("missing") + kPathSeparator}) {
    Search search(folder);
    search.window.set_status_text(1, "17");
    EXPECT_EQ(search.text("x").single_folder().run(), Rows{});
    expect_summary(search, 0);
    EXPECT_EQ(search.window.status_text(1), "17");  // panel 1 is the folder-tree search's
  }
}

// With 5 slots and 12 files: the first file on the window thread, then batches of 5.
// A stop pressed during batch 1 ends the run after that batch.
TEST(SingleFolder, StopDuringTheFirstBatchEndsAfterIt) {
  FixtureTree tree;
  for (int i = 0; i < 12; ++i) tree.file("f" + std::to_string(i), "hit");
  Search search(tree.root());
  search.text("hit").single_folder().threads(2);
  search.window.on_pump([&] { search_job().stop_requested = 1; });
  EXPECT_EQ(search.run().size(), 6u);
  EXPECT_EQ(search_job().stop_requested, 0);
  expect_summary(search, 6);

  Search whole(tree.root());
  EXPECT_EQ(whole.text("hit").single_folder().threads(2).run().size(), 12u);
}

TEST(SingleFolder, OneFileNeedsNoWorker) {
  FixtureTree tree;
  tree.file("only.txt", "hit");
  Search search(tree.root());
  fail_next_thread_starts(1000);  // any worker would be noticed: it would not start
  EXPECT_EQ(search.text("hit").single_folder().run(), Rows{"only.txt"});
  fail_next_thread_starts(0);
}

#ifndef _WIN32
// Plain files carry the archive bit unless their DOS attributes, kept by Wine and Samba
// in an extended attribute, say otherwise.
TEST(SingleFolder, FilesWithoutTheArchiveBitAreNotSearched) {
  FixtureTree tree;
  tree.file("plain.txt", "hit");
  const std::string no_archive = tree.file("no-archive.txt", "hit");
  if (setxattr(no_archive.c_str(), "user.DOSATTRIB", "0x0", 3, 0) != 0) {
    GTEST_SKIP() << "the temporary folder keeps no user extended attributes";
  }
  Search single(tree.root());
  EXPECT_EQ(single.text("hit").single_folder().run(), Rows{"plain.txt"});
  Search whole(tree.root());
  EXPECT_EQ(whole.text("hit").run(), sorted({"plain.txt", "no-archive.txt"}));
}
#endif

TEST(FolderTree, RunningCountAndBatchesAcrossFolders) {
  FixtureTree tree;
  for (int i = 0; i < 12; ++i) tree.file("d" + std::to_string(i % 4) + "/f" + std::to_string(i), "hit");
  for (int threads : {0, 2, 4}) {
    Search search(tree.root());
    EXPECT_EQ(search.text("hit").threads(threads).run().size(), 12u);
    EXPECT_EQ(search.window.status_text(1), "12");
    expect_summary(search, 12);
  }
}

// 5 slots, 12 files: file 6 starts batch 1 and takes slot 1. A stop during batch 1
// ends the run once file 6 is placed, and file 6 is still examined.
TEST(FolderTree, StopDuringABatchStillExaminesTheFileThatStartedIt) {
  FixtureTree tree;
  for (int i = 0; i < 12; ++i) tree.file("f" + std::to_string(i), "hit");
  Search search(tree.root());
  search.text("hit").threads(2);
  bool pressed = false;
  search.window.on_pump([&] {
    // Once, while batch 1 runs: five files placed, the sixth not yet counted.
    if (!pressed && search.window.status_text(1) == "5") {
      search_job().stop_requested = 1;
      pressed = true;
    }
  });
  EXPECT_EQ(search.run().size(), 6u);
  EXPECT_EQ(search.window.status_text(1), "6");
  EXPECT_EQ(search_job().stop_requested, 0);
}

TEST(FolderTree, EmptyFolderLeavesTheCountAlone) {
  FixtureTree tree;
  Search search(tree.root());
  search.window.set_status_text(1, "kept");
  EXPECT_EQ(search.text("x").run(), Rows{});
  EXPECT_EQ(search.window.status_text(1), "kept");
  expect_summary(search, 0);
}

// Depth-first: a folder's own files, then each subfolder's whole subtree in turn.
TEST(FolderTree, DepthFirstOrder) {
  FixtureTree tree;
  for (const char* name : {"r.txt", "A/a.txt", "A/A1/a1.txt", "B/b.txt", "B/B1/b1.txt", "C/c.txt"}) {
    tree.file(name, "hit");
  }
  Search search(tree.root());
  search.text("hit").threads(0);  // one slot: files are examined in the order handed out
  search.run();
  const Rows rows = search.window.rows();
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "r.txt");
  // Each top folder's subtree is contiguous, its own file before its subfolder's.
  for (const char* top : {"A", "B"}) {
    const auto own = std::find(rows.begin(), rows.end(), FixtureTree::row(std::string(top) + "/" + (top[0] == 'A' ? "a" : "b") + ".txt"));
    ASSERT_NE(own, rows.end());
    ASSERT_NE(own + 1, rows.end());
    EXPECT_EQ(*(own + 1), FixtureTree::row(std::string(top) + "/" + top + "1/" + (top[0] == 'A' ? "a1" : "b1") + ".txt"));
  }
}

// A stop pressed while no search runs, or during the last batch of a folder-tree
// search, belongs to no later search.
TEST(Stop, AStaleStopNeverCutsTheNextSearchShort) {
  FixtureTree tree;
  for (int i = 0; i < 30; ++i) tree.file("f" + std::to_string(i), "hit");
  Search search(tree.root());
  search_job().stop_requested = 1;
  EXPECT_EQ(search.text("hit").threads(0).run().size(), 30u);
  expect_summary(search, 30);

  Search last_batch(tree.root());
  last_batch.text("hit");  // 20 slots: every file in the last batch
  last_batch.window.on_pump([&] {
    if (last_batch.window.status_text(1) == "30") search_job().stop_requested = 1;
  });
  EXPECT_EQ(last_batch.run().size(), 30u);
  last_batch.window.on_pump(nullptr);
  EXPECT_EQ(last_batch.text("hit").single_folder().threads(0).run().size(), 30u);
}

TEST(Batches, WaitForNothingReturnsAtOnce) {
  HeadlessToolkit window;
  init_search_job(window);
  search_job().completed_count = 0;
  wait_for_batch(0);
  EXPECT_EQ(search_job().completed_count.load(), 0);
  EXPECT_EQ(window.pump_count(), 0);
}

// A worker that cannot be created must not hang the batch: its file is examined on
// the window thread. Some starts failing, then none succeeding at all.
TEST(Batches, WorkersThatCannotStartAreExaminedAnyway) {
  FixtureTree tree;
  for (int i = 0; i < 30; ++i) tree.file("d" + std::to_string(i % 2) + "/f" + std::to_string(i), i % 3 ? "hit" : "no");
  for (const int failing : {7, INT_MAX}) {
    for (bool single : {false, true}) {
      const std::string folder = single ? tree.path("d0") + kPathSeparator : tree.root();
      Search search(folder);
      search.text("hit").threads(2);
      if (single) search.single_folder();
      const Rows all = search.run();
      ASSERT_EQ(all.size(), single ? 10u : 20u);
      fail_next_thread_starts(failing);
      const Rows with_failures = search.run();
      fail_next_thread_starts(0);
      EXPECT_EQ(with_failures, all) << failing << " starts failing, " << (single ? "single folder" : "folder tree");
      expect_summary(search, static_cast<int>(all.size()));
    }
  }
}

// Choosing another folder during a search affects only the next one.
TEST(Search, FolderChosenDuringASearchAffectsTheNextOne) {
  FixtureTree tree;
  for (int i = 0; i < 10; ++i) tree.file("first/f" + std::to_string(i), "hit");
  tree.file("second/g", "hit");
  for (bool single : {false, true}) {
    Search search(tree.path("first") + kPathSeparator);
    search.text("hit").threads(0);
    if (single) search.single_folder();
    search.window.on_pump([&] { search_job().search_folder = tree.path("second") + kPathSeparator; });
    const Rows rows = search.run();
    EXPECT_EQ(rows.size(), 10u) << single;
    for (const std::string& row : rows) EXPECT_EQ(row.rfind("f", 0), 0u) << row;
  }
}

TEST(Search, UnspellableTextRunsNoSearch) {
  FixtureTree tree;
  tree.file("a.txt", "hit");
  Search search(tree.root());
  search.window.add_result_row("old row");
#ifdef _WIN32
  const std::string text = "한";  // no Hangul in GBK
#else
  const std::string text = "蓝柚";  // the tests run in the C locale: ASCII only
#endif
  EXPECT_EQ(search.text(text).run(), Rows{});
  EXPECT_EQ(search.summary(), kUnspellableTextHint);
  EXPECT_FALSE(search.window.is_disabled(Control::图形按钮开始));
  EXPECT_TRUE(search.window.is_disabled(Control::图形按钮停止));
}

TEST(Search, ButtonsDuringAndAfterASearch) {
  FixtureTree tree;
  tree.file("a.txt", "hit");
  Search search(tree.root());
  bool start_disabled = false, stop_enabled = false;
  search.window.on_pump([&] {
    start_disabled = search.window.is_disabled(Control::图形按钮开始);
    stop_enabled = !search.window.is_disabled(Control::图形按钮停止);
  });
  search.text("hit").run();
  EXPECT_TRUE(start_disabled);
  EXPECT_TRUE(stop_enabled);
  EXPECT_FALSE(search.window.is_disabled(Control::图形按钮开始));
  EXPECT_TRUE(search.window.is_disabled(Control::图形按钮停止));
}

TEST(Search, RepeatedSearchStartsFromAnEmptyList) {
  FixtureTree tree;
  tree.file("a.txt", "hit");
  Search search(tree.root());
  EXPECT_EQ(search.text("hit").run(), Rows{"a.txt"});
  EXPECT_EQ(search.run(), Rows{"a.txt"});
}

#ifndef _WIN32
// Links that loop back to a folder on their own path are not walked again; other links
// to folders are followed like any folder.
TEST(FolderTree, LinkLoopsEndAndReportEachFileOnce) {
  FixtureTree tree;
  tree.file("a/f.txt", "hit");
  tree.file("b/g.txt", "hit");
  namespace fs = std::filesystem;
  fs::create_directory_symlink(testing::fs_path(tree.root()), testing::fs_path(tree.path("to-root")));
  fs::create_directory_symlink(testing::fs_path(tree.path("a")), testing::fs_path(tree.path("a/up")));
  fs::create_directory_symlink(testing::fs_path(tree.path("b")), testing::fs_path(tree.path("a/to-b")));
  fs::create_symlink(testing::fs_path(tree.path("y")), testing::fs_path(tree.path("x")));
  fs::create_symlink(testing::fs_path(tree.path("x")), testing::fs_path(tree.path("y")));
  Search search(tree.root());
  EXPECT_EQ(search.text("hit").run(),
            sorted({"a/f.txt", "a/to-b/g.txt", "b/g.txt"}));
}

TEST(FolderTree, FilesOver4GiBAreReadToTheirEnd) {
#ifdef MOXUN_THREAD_SANITIZER
  GTEST_SKIP() << "4 GiB of instrumented reads take minutes and test no concurrency";
#endif
  FixtureTree tree;
  const std::string path = tree.file("sparse.bin", "");
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_GE(fd, 0);
  const off_t beyond = (off_t{1} << 32) + 12345;
  ASSERT_EQ(pwrite(fd, "needle", 6, beyond), 6);
  ::close(fd);
  Search search(tree.root());
  EXPECT_EQ(search.text("needle").chunk(4).run(), Rows{"sparse.bin"});
}
#endif

}  // namespace
}  // namespace moxun
