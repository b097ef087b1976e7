// The cost of the reads alone: every file read to its end in calls of CHUNK bytes, each
// on a thread of its own and all at once, as a search of a few large files reads them,
// with nothing searched. scripts/bench sets it beside the searches with the smallest
// chunk, where the calls, not the bytes, are the cost.
//
//   moxun-read-floor CHUNK FILE...
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "host/bytes.h"
#include "host/files.h"
#include "host/process.h"

namespace {

using namespace moxun;

void read_whole(const char* path, std::int64_t chunk) {
  File file;
  file.open(path);
  Bytes buffer = zero_bytes(chunk);
  while (!file.at_end()) file.read_into(buffer.data(), chunk);
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t chunk = argc > 1 ? std::atoll(argv[1]) : 0;
  if (chunk < 1 || argc < 3) {
    std::fprintf(stderr, "usage: moxun-read-floor CHUNK FILE...\n");
    return 2;
  }
  const std::int32_t start = uptime_ms();
  std::vector<std::thread> readers;
  for (int i = 2; i < argc; ++i) readers.emplace_back(read_whole, argv[i], chunk);
  for (std::thread& reader : readers) reader.join();
  std::fprintf(stderr, "elapsed_ms=%d files=%d\n", static_cast<int>(uptime_ms() - start), argc - 2);
  return 0;
}
