// One window stand-in and one search job for an engine test, and checks of the closing
// summary. Shared by the tests that run whole searches.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/files.h"
#include "host/headless_toolkit.h"
#include "search/search_job.h"

namespace moxun::testing {

using Rows = std::vector<std::string>;

inline constexpr int kThreadChoices = 5;  // items of 组合框_最大线程组
inline constexpr int kChunkChoices = 6;   // items of 组合框_单线内存
inline constexpr int k1K = 5;             // the 1K item
inline constexpr int k10M = 4;            // the 10M item
inline constexpr int k20Threads = 4;      // the 20 item

inline Rows sorted(Rows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

class Search {
 public:
  explicit Search(const std::string& folder) {
    init_search_job(window);
    search_job().search_folder = folder;
  }
  Search& text(const std::string& text) {
    window.set_edit_text(Control::文本查找框, text);
    return *this;
  }
  Search& single_folder() {
    window.set_checked(Control::选择框_含子目录, false);
    return *this;
  }
  Search& threads(int choice) {
    window.set_combo_selection(Control::组合框_最大线程组, choice);
    return *this;
  }
  Search& chunk(int choice) {
    window.set_combo_selection(Control::组合框_单线内存, choice);
    return *this;
  }
  // Runs one search as the start button does and answers its rows, sorted.
  Rows run() {
    run_search_job();
    return sorted(window.rows());
  }
  // The same run for a pattern of any bytes, zero bytes and bytes no code page spells
  // included: the job is prepared as the start button does, then given the pattern.
  Rows run_bytes(const std::string& pattern) {
    window.set_edit_text(Control::文本查找框, "");
    prepare_search_job();
    search_job().needle_bytes = pattern;
    if (window.is_checked(Control::选择框_含子目录)) {
      search_folder_tree();
    } else {
      search_single_folder();
    }
    return sorted(window.rows());
  }
  std::string summary() const { return window.status_text(0); }

  HeadlessToolkit window;
};

// "  搜索完毕，总耗时" N "毫秒。找到文件总数" found
inline void expect_summary(const Search& search, int found) {
  const std::string summary = search.summary();
  EXPECT_EQ(summary.rfind(kSummaryStart, 0), 0u) << summary;
  const std::string tail = std::string(kSummaryMiddle) + std::to_string(found);
  ASSERT_GE(summary.size(), tail.size());
  EXPECT_EQ(summary.substr(summary.size() - tail.size()), tail) << summary;
  const std::size_t start = std::string(kSummaryStart).size();
  ASSERT_GE(summary.size(), start + tail.size());
  const std::string elapsed = summary.substr(start, summary.size() - tail.size() - start);
  EXPECT_FALSE(elapsed.empty());
  EXPECT_TRUE(std::all_of(elapsed.begin(), elapsed.end(), [](char c) { return c >= '0' && c <= '9'; }))
      << elapsed;
}

}  // namespace moxun::testing
