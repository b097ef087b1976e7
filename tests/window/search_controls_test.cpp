// The choose-folder, start and stop buttons and the two hints, driven through the
// real window with real messages on small fixture trees.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "host/win32/wide.h"
#include "search/search_job.h"
#include "tests/fixture_tree.h"
#include "tests/window/window_fixture.h"
#include "window/handlers.h"

namespace moxun::testing {
namespace {

using Rows = std::vector<std::string>;

Rows sorted(Rows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The search text 蓝柚 as GBK bytes (what the search looks for) and as UTF-8 (which
// it must not find).
const std::string kNeedleGbk = "\xC0\xB6\xE8\xD6";
const std::string kNeedleUtf8 = "蓝柚";

class SearchControlsTest : public WindowTest {
 protected:
  // The folder picker answers with the folder, then the choose button is clicked.
  void choose(const std::string& folder) {
    shell_.folder_answers.push_back(folder);
    click(Control::图形按钮选择);
  }

  // Picks a combo item with the keyboard, as a user would.
  void pick(Control combo, int index) {
    HWND box = control(combo);
    SetFocus(box);
    PostMessageW(box, WM_KEYDOWN, VK_HOME, 1);
    for (int i = 0; i < index; ++i) PostMessageW(box, WM_KEYDOWN, VK_DOWN, 1);
    pump();
    ASSERT_EQ(toolkit_->combo_selection(combo), index);
  }

  void set_subfolders(bool ticked) {
    if (toolkit_->is_checked(Control::选择框_含子目录) != ticked) click(Control::选择框_含子目录);
    ASSERT_EQ(toolkit_->is_checked(Control::选择框_含子目录), ticked);
  }

  // Clicks start and waits for the closing summary; answers the rows.
  Rows search() {
    toolkit_->set_status_text(0, "");
    click(Control::图形按钮开始);
    EXPECT_TRUE(wait_until([&] { return status(0).rfind(kSummaryStart, 0) == 0; })) << status(0);
    return rows();
  }

  static void expect_summary(const std::string& text, int found) {
    const std::regex pattern(std::string(kSummaryStart) + "[0-9]+" + kSummaryMiddle + std::to_string(found));
    EXPECT_TRUE(std::regex_match(text, pattern)) << text;
  }

  bool enabled(Control name) const { return IsWindowEnabled(control(name)) != FALSE; }
};

// ---- Choosing the folder ----

struct ChooseCase {
  const char* name;
  std::vector<std::string> answers;  // "" cancels
  std::string folder;                // search_folder afterwards
  std::string path_box;
  std::string panel0;
};

TEST_F(SearchControlsTest, ChoosingRechoosingAndCancellingTheFolder) {
  const std::vector<ChooseCase> cases = {
      {"a folder", {"D:\\data"}, "D:\\data\\", "D:\\data", "D:\\data\\"},
      {"a drive root", {"C:\\"}, "C:\\", "C:\\", "C:\\"},
      {"chosen again", {"D:\\data", "E:\\其他\\文件"}, "E:\\其他\\文件\\", "E:\\其他\\文件", "E:\\其他\\文件\\"},
      {"cancelled before any choice", {""}, "", "C:\\", ""},
      {"cancelled twice after a choice", {"D:\\data", "", ""}, "D:\\data\\", "D:\\data", "D:\\data\\"},
  };
  for (const ChooseCase& c : cases) {
    SCOPED_TRACE(c.name);
    search_job().search_folder.clear();
    toolkit_->set_edit_text(Control::编辑框_目录路径, "C:\\");
    shell_.prompts.clear();
    for (const std::string& answer : c.answers) choose(answer);
    EXPECT_EQ(search_job().search_folder, c.folder);
    EXPECT_EQ(toolkit_->edit_text(Control::编辑框_目录路径), c.path_box);
    EXPECT_EQ(status(0), c.panel0);
    EXPECT_EQ(shell_.prompts, std::vector<std::string>(c.answers.size(), "Please choose a catalogue"));
  }
}

TEST_F(SearchControlsTest, ThePickerIsModalAndTheWindowComesBackAsItWas) {
  bool disabled_while_open = false;
  shell_.while_picking = [&] { disabled_while_open = !IsWindowEnabled(main_window()); };
  choose("D:\\data");
  EXPECT_TRUE(disabled_while_open);
  EXPECT_EQ(shell_.owners, std::vector<HWND>{main_window()});
  EXPECT_TRUE(IsWindowEnabled(main_window()));
}

// ---- Searching ----

class SearchTree {
 public:
  SearchTree() {
    tree.file("a.txt", "one " + kNeedleGbk + " two");
    tree.file("b.txt", "nothing here");
    tree.file("utf8.txt", kNeedleUtf8);
    tree.file("empty.txt", "");
    tree.file("sub/c.txt", kNeedleGbk);
    tree.file("sub/deeper/d.txt", "x" + kNeedleGbk);
    tree.file("z/e.bin", std::string("\0\1", 2) + kNeedleGbk);
  }
  FixtureTree tree;
  // The files of the tree, which a folder-tree search lists one by one.
  static constexpr int kFiles = 7;
  Rows tree_rows() const {
    return sorted({"a.txt", FixtureTree::row("sub/c.txt"), FixtureTree::row("sub/deeper/d.txt"),
                   FixtureTree::row("z/e.bin")});
  }
  Rows single_rows() const { return {"a.txt"}; }
};

TEST_F(SearchControlsTest, EitherKindOfSearchWithEverySettingFindsTheFilesThatHoldTheTextsBytes) {
  ASSERT_EQ(GetACP(), 936u) << "the tests expect the GBK code page (LC_ALL=zh_CN.UTF-8 under Wine)";
  SearchTree fixture;
  choose(fixture.tree.root().substr(0, fixture.tree.root().size() - 1));
  type(Control::文本查找框, L"蓝柚");
  struct Setting {
    int threads;
    int chunk;
  };
  std::vector<Setting> settings;
  for (int t = 0; t < 5; ++t) settings.push_back({t, 0});
  for (int c = 1; c < 6; ++c) settings.push_back({4, c});
  for (bool subfolders : {true, false}) {
    set_subfolders(subfolders);
    for (const Setting& s : settings) {
      SCOPED_TRACE(std::string(subfolders ? "folder tree" : "single folder") + ", threads item " +
                   std::to_string(s.threads) + ", chunk item " + std::to_string(s.chunk));
      pick(Control::组合框_最大线程组, s.threads);
      pick(Control::组合框_单线内存, s.chunk);
      toolkit_->set_status_text(1, "before");
      const Rows found = sorted(search());
      EXPECT_EQ(found, subfolders ? fixture.tree_rows() : fixture.single_rows());
      expect_summary(status(0), static_cast<int>(found.size()));
      // Panel 1: the folder-tree search's running count; the other leaves it alone.
      EXPECT_EQ(status(1), subfolders ? std::to_string(SearchTree::kFiles) : "before");
      EXPECT_TRUE(enabled(Control::图形按钮开始));
      EXPECT_FALSE(enabled(Control::图形按钮停止));
    }
  }
}

TEST_F(SearchControlsTest, WithOneWorkerTheTreeIsSearchedDepthFirstEachFoldersFilesFirst) {
  FixtureTree tree;
  tree.file("r.txt", "hit");
  tree.file("A/a.txt", "hit");
  tree.file("A/A1/a1.txt", "hit");
  tree.file("B/b.txt", "hit");
  choose(tree.root());
  type(Control::文本查找框, L"hit");
  pick(Control::组合框_最大线程组, 0);
  // R's own files, then its subfolders in the reverse of their listing, each subtree
  // before the next sibling.
  EXPECT_EQ(search(), (Rows{"r.txt", FixtureTree::row("B/b.txt"), FixtureTree::row("A/a.txt"),
                            FixtureTree::row("A/A1/a1.txt")}));
}

TEST_F(SearchControlsTest, AnEmptySearchBoxFindsNothingAndStartingAgainRepeatsFromAnEmptyList) {
  FixtureTree tree;
  tree.file("a.txt", "abc");
  choose(tree.root());
  EXPECT_EQ(search(), Rows{});
  expect_summary(status(0), 0);
  type(Control::文本查找框, L"abc");
  EXPECT_EQ(search(), Rows{"a.txt"});
  EXPECT_EQ(search(), Rows{"a.txt"});
  expect_summary(status(0), 1);
}

TEST_F(SearchControlsTest, ATextTheCodePageCannotSpellRunsNoSearch) {
  ASSERT_EQ(GetACP(), 936u) << "the tests expect the GBK code page (LC_ALL=zh_CN.UTF-8 under Wine)";
  FixtureTree tree;
  tree.file("a.txt", "abc?");
  choose(tree.root());
  toolkit_->add_result_row("left from before");
  // A Thai letter: no GBK byte spells it, and a stand-in "?" would find a.txt.
  type(Control::文本查找框, L"abc\u0E01");
  toolkit_->set_status_text(1, "7");
  click(Control::图形按钮开始);
  EXPECT_TRUE(wait_until([&] { return status(0) == kUnspellableTextHint; })) << status(0);
  EXPECT_EQ(rows(), Rows{});
  EXPECT_EQ(status(1), "7");
  EXPECT_TRUE(enabled(Control::图形按钮开始));
  EXPECT_FALSE(enabled(Control::图形按钮停止));
}

// ---- While a search runs ----

// Runs a callback on the window thread each time a row goes into the results list.
class RowWatch {
 public:
  RowWatch(HWND list, std::function<void(int)> on_row) : list_(list), on_row_(std::move(on_row)) {
    SetWindowSubclass(list_, procedure, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  ~RowWatch() { RemoveWindowSubclass(list_, procedure, 1); }
  RowWatch(const RowWatch&) = delete;
  RowWatch& operator=(const RowWatch&) = delete;

 private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                    DWORD_PTR self) {
    const LRESULT result = DefSubclassProc(hwnd, message, wparam, lparam);
    if (message == LVM_INSERTITEMW) {
      auto* watch = reinterpret_cast<RowWatch*>(self);
      watch->on_row_(++watch->rows_);
    }
    return result;
  }
  HWND list_;
  std::function<void(int)> on_row_;
  int rows_ = 0;
};

TEST_F(SearchControlsTest, StartAndStopAreEnabledAsTheSearchGoes) {
  FixtureTree tree;
  tree.file("a.txt", "hit");
  choose(tree.root());
  type(Control::文本查找框, L"hit");
  // Before the first search both are usable.
  EXPECT_TRUE(enabled(Control::图形按钮开始));
  EXPECT_TRUE(enabled(Control::图形按钮停止));
  bool start_during = true;
  bool stop_during = false;
  RowWatch watch(control(Control::超级列表框_结果列表), [&](int) {
    start_during = enabled(Control::图形按钮开始);
    stop_during = enabled(Control::图形按钮停止);
  });
  EXPECT_EQ(search(), Rows{"a.txt"});
  EXPECT_FALSE(start_during);
  EXPECT_TRUE(stop_during);
  EXPECT_TRUE(enabled(Control::图形按钮开始));
  EXPECT_FALSE(enabled(Control::图形按钮停止));
}

TEST_F(SearchControlsTest, AStopDuringARunEndsItAfterTheRunningBatch) {
  FixtureTree tree;
  for (int i = 0; i < 10; ++i) tree.file("f" + std::to_string(i) + ".txt", "hit");
  choose(tree.root());
  type(Control::文本查找框, L"hit");
  pick(Control::组合框_最大线程组, 0);  // one worker: one file per batch
  for (int presses : {1, 2}) {
    SCOPED_TRACE(std::to_string(presses) + " stop presses");
    // The stop is pressed while the first batch runs: once its worker's row is in.
    RowWatch watch(control(Control::超级列表框_结果列表), [&](int row) {
      if (row != 1) return;
      for (int i = 0; i < presses; ++i) post_click(Control::图形按钮停止);
    });
    // The first batch finishes; the file that started it waits in slot 1 and is still
    // examined; nothing after it is.
    EXPECT_EQ(search().size(), 2u);
    expect_summary(status(0), 2);
    EXPECT_EQ(status(1), "2");
  }
}

TEST_F(SearchControlsTest, AFolderChosenDuringASearchCountsFromTheNextSearchOn) {
  FixtureTree first;
  first.file("a.txt", "hit");
  first.file("b.txt", "hit");
  first.file("c.txt", "hit");
  FixtureTree second;
  second.file("other.txt", "hit");
  choose(first.root());
  type(Control::文本查找框, L"hit");
  pick(Control::组合框_最大线程组, 0);
  const std::string second_folder = second.root().substr(0, second.root().size() - 1);
  RowWatch watch(control(Control::超级列表框_结果列表), [&](int row) {
    if (row != 1) return;
    shell_.folder_answers.push_back(second_folder);
    post_click(Control::图形按钮选择);
  });
  EXPECT_EQ(sorted(search()), (Rows{"a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(search_job().search_folder, second.root());
  EXPECT_EQ(toolkit_->edit_text(Control::编辑框_目录路径), second_folder);
  EXPECT_EQ(shell_.prompts.size(), 2u);
}

// ---- Hints ----

TEST_F(SearchControlsTest, TheCheckBoxShowsItsHintWhicheverStateTheClickLeaves) {
  for (bool ticked_after : {false, true}) {
    toolkit_->set_status_text(0, "");
    click(Control::选择框_含子目录);
    EXPECT_EQ(toolkit_->is_checked(Control::选择框_含子目录), ticked_after);
    EXPECT_EQ(status(0), "  请尽量减少搜索范围。文件多的情况下非常慢！");
  }
}

TEST_F(SearchControlsTest, EveryLeftPressInTheSearchBoxShowsItsHintTheKeyboardDoesNot) {
  HWND box = control(Control::文本查找框);
  SetFocus(control(Control::编辑框_目录路径));
  toolkit_->set_status_text(0, "");
  SetFocus(box);  // moving in with the keyboard
  pump();
  EXPECT_EQ(status(0), "");
  for (int press = 0; press < 2; ++press) {
    SCOPED_TRACE(press);
    toolkit_->set_status_text(0, "");
    click(Control::文本查找框);
    EXPECT_EQ(status(0), "  在此输入你要查找的内容，比如 蓝柚");
    EXPECT_EQ(GetFocus(), box);  // the box took the press as usual
  }
}

}  // namespace
}  // namespace moxun::testing
