#pragma once
// What every benchmark reports: for each measurement its CPU time beside its
// wall time, the minimum and the median over several repetitions, and each
// figure as a ratio to a named reference measured in the same run. The
// minimum shows the code with the least disturbance from the rest of a shared
// machine; the median shows what a typical run gets.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kelta::bench {

// Seconds of CPU time (every thread of the process, or of a child process)
// and of wall time.
struct Times {
  double cpu = 0, wall = 0;
};
Times operator-(Times a, Times b);
Times operator/(Times a, double divisor);

// This process's CPU time and the wall clock, now.
Times Now();
// What `work` takes, CPU and wall.
Times Measure(const std::function<void()>& work);
// A whole number of at least 0 from the environment variable `name`, or
// `fallback` when it is not set to one.
int EnvInt(const char* name, int fallback);

// The repetitions of one measurement.
class Figure {
 public:
  void Add(Times t) { Samples_.push_back(t); }
  bool Empty() const { return Samples_.empty(); }
  int Count() const { return int(Samples_.size()); }
  // Of CPU and wall time each on its own.
  Times Min() const;
  Times Median() const;

 private:
  std::vector<Times> Samples_;
};

class Figures {
 public:
  Figure& operator[](const std::string& name) { return Figures_[name]; }
  const Figure* Find(const std::string& name) const;
  // The names of every measured figure, sorted.
  std::vector<std::string> Names() const;

  // One line per figure: CPU and wall time, minimum and median, each time
  // multiplied by `scale` and printed in `unit`.
  void PrintTable(const std::string& title, double scale, const char* unit) const;
  // "name / reference": the ratio of the minima and of the medians, CPU and
  // (unless `withWall` is false, for paced figures) wall, with `goal` after
  // it when given. Prints why when either figure is missing.
  void PrintRatio(const std::string& name, const std::string& reference, const std::string& goal = {},
                  bool withWall = true) const;

 private:
  std::map<std::string, Figure> Figures_;
};

// Google Benchmark's console report, filing the time per iteration of every
// repetition under the benchmark's name (without the repetition suffixes).
// CPU time is what the benchmark measured: the main thread, or the whole
// process for benchmarks registered with MeasureProcessCPUTime().
class FigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  Figures figures;
};

// argv with "--benchmark_repetitions=N" and random interleaving of the
// repetitions added unless the command line sets them: references and figures
// then share the machine's ups and downs. The strings live as long as the
// returned object.
class BenchArguments {
 public:
  BenchArguments(int argc, char** argv, int repetitions);
  int& argc() { return Argc_; }
  char** argv() { return Pointers_.data(); }

 private:
  std::vector<std::string> Strings_;
  std::vector<char*> Pointers_;
  int Argc_ = 0;
};

// Runs the registered benchmarks `repetitions` times each, interleaved, unless
// the command line says otherwise, and returns their figures. Ends the
// process with status 1 when the command line holds an argument it does not
// know.
Figures RunRepeatedBenchmarks(int argc, char** argv, int repetitions);

}  // namespace kelta::bench
