// The entry scan against `du -s --apparent-size -B1` on the same warm tree.
//
//   bench-scan FOLDER [RUNS=5]
//
// Prints the best wall time of each over RUNS alternating runs and their ratio,
// with the tree store filled (as the window does) and without it (as the command
// line does), and the scan's peak memory per entry beyond the names.

#include "bench_support.h"
#include "engine/scan.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace morvick;
using morvick::bench::Clock;

class QuietHost : public ScanHost {
 public:
  std::string ClusterSizeText() override { return "0"; }
  bool CancelRequested() override { return false; }
  void PumpEvents() override { ++pumps; }
  void BeginTreeUpdate() override {}
  void EndTreeUpdate() override {}
  long long pumps = 0;
};

double TimeScan(const std::string& folder, bool with_tree, std::size_t* nodes = nullptr,
                std::size_t* name_bytes = nullptr) {
  QuietHost host;
  EntryList entries;
  TreeStore tree;
  ScanTarget target{host, entries, with_tree ? &tree : nullptr};
  const Clock::time_point start = Clock::now();
  ScanFolder(target, TreeStore::kNone, folder, true);
  const double seconds = bench::SecondsSince(start);
  if (nodes) *nodes = tree.size();
  if (name_bytes) {
    *name_bytes = 0;
    for (TreeStore::NodeId id = 0; id < tree.size(); ++id) *name_bytes += tree.name(id).size();
    for (const TSplitEntry& record : entries) *name_bytes += record.Name().size();
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench-scan FOLDER [RUNS=5]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string du = "du -s --apparent-size -B1 " + bench::ShellQuote(folder);

  // Memory first, in a process that has scanned nothing yet.
  const long long rss_before = bench::CurrentRssBytes();
  std::size_t nodes = 0;
  std::size_t name_bytes = 0;
  TimeScan(folder, true, &nodes, &name_bytes);
  const long long peak = bench::PeakRssBytes() - rss_before;

  if (bench::TimeCommand(du) < 0) {
    std::fprintf(stderr, "bench-scan: du failed on %s\n", folder.c_str());
    return 1;
  }
  double best_du = 1e9, best_tree = 1e9, best_plain = 1e9;
  for (int run = 0; run < runs; ++run) {
    best_du = std::min(best_du, bench::TimeCommand(du));
    best_tree = std::min(best_tree, TimeScan(folder, true));
    best_plain = std::min(best_plain, TimeScan(folder, false));
  }
  std::printf("entries scanned:            %zu\n", nodes);
  std::printf("du -s --apparent-size -B1:  %.3f s\n", best_du);
  std::printf("scan with tree store:       %.3f s  ratio %.2f x du (target <= 1.10)\n", best_tree,
              best_tree / best_du);
  std::printf("scan without tree:          %.3f s  ratio %.2f x du\n", best_plain,
              best_plain / best_du);
  std::printf(
      "peak memory of the scan:    %.1f MB, %.1f bytes per entry beyond %.1f MB of names "
      "(target < 100)\n",
      peak / 1e6,
      nodes ? (static_cast<double>(peak) - static_cast<double>(name_bytes)) /
                  static_cast<double>(nodes)
            : 0.0,
      name_bytes / 1e6);
  return 0;
}
