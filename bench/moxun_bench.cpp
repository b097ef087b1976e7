// One search with the real engine and the headless toolkit, for benchmarks and for
// checking results against other tools. Prints each row on stdout in the order the
// rows were added, then, last on stderr, the run's figures.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/files.h"
#include "host/headless_toolkit.h"
#include "search/search_job.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "host/win32/wide.h"
#endif

namespace {

using namespace moxun;

constexpr char kUsage[] =
    "usage: moxun-bench --folder DIR --text TEXT [--single-folder] "
    "[--threads 1|2|5|10|20] [--chunk 256K|512k|1M|2M|10M|1K]\n";

int usage_error(const std::string& message) {
  std::fprintf(stderr, "moxun-bench: %s\n%s", message.c_str(), kUsage);
  return 2;
}

template <typename Items>
int choice_index(const Items& items, const std::string& value) {
  for (std::size_t i = 0; i < std::size(items); ++i) {
    if (value == items[i]) return static_cast<int>(i);
  }
  return -1;
}

int run(const std::vector<std::string>& args) {
  static const char* const kThreadItems[] = {"1", "2", "5", "10", "20"};
  static const char* const kChunkItems[] = {"256K", "512k", "1M", "2M", "10M", "1K"};
  std::string folder;
  std::string text;
  bool have_folder = false, have_text = false, single_folder = false;
  int threads = 4, chunk = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--single-folder") {
      single_folder = true;
    } else if (arg == "--folder" && has_value) {
      folder = args[++i];
      have_folder = true;
    } else if (arg == "--text" && has_value) {
      text = args[++i];
      have_text = true;
    } else if (arg == "--threads" && has_value) {
      threads = choice_index(kThreadItems, args[++i]);
      if (threads < 0) return usage_error("--threads takes 1, 2, 5, 10 or 20");
    } else if (arg == "--chunk" && has_value) {
      chunk = choice_index(kChunkItems, args[++i]);
      if (chunk < 0) return usage_error("--chunk takes 256K, 512k, 1M, 2M, 10M or 1K");
    } else {
      return usage_error("unknown or incomplete argument: " + arg);
    }
  }
  if (!have_folder || !have_text) return usage_error("--folder and --text are required");

  HeadlessToolkit window;
  init_search_job(window);
  SearchJob& job = search_job();
  // As a chosen folder: ending with the separator.
  if (text_right(folder, 1) != kPathSeparatorText) folder += kPathSeparator;
  job.search_folder = folder;
  window.set_edit_text(Control::文本查找框, text);
  window.set_checked(Control::选择框_含子目录, !single_folder);
  window.set_combo_selection(Control::组合框_最大线程组, threads);
  window.set_combo_selection(Control::组合框_单线内存, chunk);

  window.reset_pump_gaps();
  const std::int32_t started = uptime_ms();
  run_search_job();
  const std::int32_t elapsed = uptime_ms() - started;
  // The single-folder search reads its first file without pumping, by design.
  const std::int64_t max_gap = window.max_pump_gap_ms(!single_folder);

  std::string out;
  for (const std::string& row : window.rows()) {
    out += row;
    out += '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  const std::string& status = window.status_text(0);
  if (status.rfind(kSummaryStart, 0) != 0) std::fprintf(stderr, "%s\n", status.c_str());
  const std::string files_listed = single_folder ? std::string("0") : window.status_text(1);
  std::fprintf(stderr, "elapsed_ms=%d files_listed=%s rows=%d max_pump_gap_ms=%lld\n", static_cast<int>(elapsed),
               files_listed.empty() ? "0" : files_listed.c_str(), window.result_count(),
               static_cast<long long>(max_gap));
  return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // Rows are UTF-8 bytes: no text-mode translation on the way out.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(moxun::to_utf8(argv[i]));
  return run(args);
}
#else
int main(int argc, char** argv) {
  // The locale's character set stands for the ANSI code page of the search text.
  std::setlocale(LC_ALL, "");
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
