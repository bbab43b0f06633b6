// What the benchmark programs share: the real time of every case (the median, when the
// cases are repeated) kept so that ratios can be printed after the table, and the run
// itself, headless.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

using CaseTimes = std::map<std::string, double>;

class CaseTimesReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // A repeated case's median comes after its runs and so replaces their times.
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
        times_[r.run_name.str()] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const CaseTimes& times() const { return times_; }

 private:
  CaseTimes times_;
};

// Runs the registered cases. On the console printRatios follows the table; another
// output format (--benchmark_format=json) gets the library's own reporter alone.
inline int runBenchmarks(int argc, char** argv, void (*printRatios)(const CaseTimes&)) {
  bool console = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--benchmark_format=", 0) == 0 && arg != "--benchmark_format=console")
      console = false;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (console) {
    CaseTimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.times());
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return 0;
}
