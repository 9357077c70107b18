// Investigate of a folder through the real main window (offscreen), against
// the engine's scan alone on the same warm tree.
//
//   bench-window FOLDER [RUNS=3] [RATIO STALL_MS BYTES]
//
// Prints the best wall time of each over RUNS alternating runs and their
// ratio; the longest stall of the event loop during the whole Investigate,
// measured by a 1 ms timer (the time between two of its firings, until a
// quarter of a second after the click, so that the views' first layout and
// paint count); the
// time to scroll to the last entry; and the window's peak memory after the
// first investigation. Each figure is printed beside its target, the last
// three arguments (default: those of a tree of folders).
// bench/ui/bench-window.sh runs the three folders of the targets.

#include "bench_support.h"
#include "engine_scan_timing.h"
#include "ui/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace morvick;
using morvick::bench::Clock;

// Answers every box as its default button would and remembers the last text,
// so that a refusal shows in the output instead of blocking.
class QuietPrompter : public Prompter {
 public:
  Answer Ask(BoxKind, std::string_view text, unsigned buttons) override {
    last_text = text;
    ++boxes;
    return (buttons & kButtonOk) ? Answer::Ok : Answer::Yes;
  }
  std::string last_text;
  int boxes = 0;
};

using morvick::bench::TimeEngineScan;

struct WindowRun {
  double seconds = 0;
  double longest_stall_ms = 0;  // between two timer firings, the first after the click included
  double final_stall_ms = 0;    // from the last firing in the click to the first after it
  long long timer_firings = 0;
};

// One click of "分割調査" with a 1 ms timer watching the event loop, until the
// loop is live again after it.
WindowRun TimeWindowInvestigate(ui::TForm1& form) {
  QElapsedTimer clock;
  qint64 last_firing_ns = 0;
  qint64 longest_gap_ns = 0;
  qint64 last_gap_ns = 0;
  long long firings = 0;
  QTimer watch;
  watch.setTimerType(Qt::PreciseTimer);
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, &form, [&] {
    const qint64 now = clock.nsecsElapsed();
    last_gap_ns = now - last_firing_ns;
    longest_gap_ns = std::max(longest_gap_ns, last_gap_ns);
    last_firing_ns = now;
    ++firings;
  });
  watch.start();
  clock.start();
  const Clock::time_point start = Clock::now();
  form.Button1Click();
  WindowRun run;
  run.seconds = bench::SecondsSince(start);
  run.timer_firings = firings;
  // The gap from the last firing in the click to the first after it, then a
  // quarter of a second of the loop, so that the layouts and paints the click
  // left behind count too.
  const long long firings_in_click = firings;
  while (firings == firings_in_click) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  run.final_stall_ms = static_cast<double>(last_gap_ns) / 1e6;
  const qint64 settle_until_ns = clock.nsecsElapsed() + 250'000'000;
  while (clock.nsecsElapsed() < settle_until_ns) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  run.longest_stall_ms = static_cast<double>(longest_gap_ns) / 1e6;
  watch.stop();
  return run;
}

// Scrolls the entry list to its last row and paints it; returns milliseconds.
double TimeScrollToEnd(ui::TForm1& form) {
  auto* entries = form.findChild<QAbstractItemView*>(QStringLiteral("ListView1"));
  if (entries == nullptr || entries->model()->rowCount() == 0) return 0;
  const Clock::time_point start = Clock::now();
  entries->scrollTo(entries->model()->index(entries->model()->rowCount() - 1, 0));
  entries->viewport()->repaint();
  QCoreApplication::processEvents();
  return bench::SecondsSince(start) * 1e3;
}

const char* Verdict(bool met) { return met ? "met" : "NOT MET"; }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2 && argc != 3 && argc != 6) {
    std::fprintf(stderr, "usage: bench-window FOLDER [RUNS=3] [RATIO STALL_MS BYTES]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const double target_ratio = argc > 3 ? std::atof(argv[3]) : 1.1;
  const double target_stall_ms = argc > 3 ? std::atof(argv[4]) : 100;
  const double target_bytes = argc > 3 ? std::atof(argv[5]) : 60;
  // Warm the file-system caches so that neither side pays for the disk.
  if (bench::TimeCommand("du -s " + bench::ShellQuote(folder)) < 0) {
    std::fprintf(stderr, "bench-window: du failed on %s\n", folder.c_str());
    return 1;
  }

  // Settings and presets that do not exist: the window starts on its defaults
  // and never writes them (it is not closed through its prompt).
  const std::string missing = "/nonexistent/morvick-bench";
  QuietPrompter prompter;
  ui::TForm1 form(prompter, ui::WindowFiles{missing + ".ini", missing + ".dat", missing + ".html",
                                            missing + "-journals"});
  form.FormCreate();
  form.show();
  QCoreApplication::processEvents();
  form.SetEditText(2, folder);
  prompter.boxes = 0;
  const long long rss_window = bench::CurrentRssBytes();

  // Memory first, before the engine's own scans raise the high-water mark.
  WindowRun first = TimeWindowInvestigate(form);
  const long long peak = bench::PeakRssBytes();
  if (prompter.boxes > 0 || !form.state().SearchDone) {
    std::fprintf(stderr, "bench-window: Investigate did not complete: %s\n",
                 prompter.last_text.c_str());
    return 1;
  }
  const std::size_t top_level = form.state().EntryList->size();
  const double scroll_ms = TimeScrollToEnd(form);

  std::size_t nodes = 0;
  double best_engine = 1e9;
  WindowRun best_window = first;
  double longest_stall = first.longest_stall_ms;
  double longest_final_stall = first.final_stall_ms;
  for (int run = 0; run < runs; ++run) {
    best_engine = std::min(best_engine, TimeEngineScan(folder, &nodes));
    const WindowRun window = TimeWindowInvestigate(form);
    if (window.seconds < best_window.seconds) best_window = window;
    longest_stall = std::max(longest_stall, window.longest_stall_ms);
    longest_final_stall = std::max(longest_final_stall, window.final_stall_ms);
  }

  const double ratio = best_window.seconds / best_engine;
  const double bytes_per_entry =
      nodes ? static_cast<double>(peak - rss_window) / static_cast<double>(nodes) : 0.0;
  std::printf("entries scanned:                %zu (%zu top level)\n", nodes, top_level);
  std::printf("engine scan with tree store:    %.3f s\n", best_engine);
  std::printf(
      "Investigate through the window: %.3f s, ratio %.2f x the scan   (target <= %.2f: %s)\n",
      best_window.seconds, ratio, target_ratio, Verdict(ratio <= target_ratio));
  std::printf("event-loop timer firings:       %lld in the fastest run\n",
              best_window.timer_firings);
  std::printf("longest stall, whole Investigate: %.1f ms   (target < %.0f: %s)\n", longest_stall,
              target_stall_ms, Verdict(longest_stall < target_stall_ms));
  std::printf("  of which after the scan:      %.1f ms\n", longest_final_stall);
  std::printf("scroll to the last entry:       %.1f ms\n", scroll_ms);
  std::printf("window before investigating:    %.1f MB resident\n", rss_window / 1e6);
  std::printf(
      "peak after the investigation:   %.1f MB, %.1f bytes per entry above the window   "
      "(target < %.0f: %s)\n",
      peak / 1e6, bytes_per_entry, target_bytes, Verdict(bytes_per_entry < target_bytes));
  return 0;
}
