#include "support/BenchFigures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace kelta::bench {

Times operator-(Times a, Times b) { return {a.cpu - b.cpu, a.wall - b.wall}; }
Times operator/(Times a, double divisor) { return {a.cpu / divisor, a.wall / divisor}; }

Times Now() {
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  const auto wall = std::chrono::steady_clock::now().time_since_epoch();
  return {double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9, std::chrono::duration<double>(wall).count()};
}

Times Measure(const std::function<void()>& work) {
  const Times start = Now();
  work();
  return Now() - start;
}

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && std::atoi(value) >= 0 ? std::atoi(value) : fallback;
}

namespace {

double MedianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

Times Figure::Min() const {
  Times t{Samples_.front().cpu, Samples_.front().wall};
  for (const Times& s : Samples_) t = {std::min(t.cpu, s.cpu), std::min(t.wall, s.wall)};
  return t;
}

Times Figure::Median() const {
  std::vector<double> cpu, wall;
  for (const Times& s : Samples_) {
    cpu.push_back(s.cpu);
    wall.push_back(s.wall);
  }
  return {MedianOf(cpu), MedianOf(wall)};
}

const Figure* Figures::Find(const std::string& name) const {
  const auto it = Figures_.find(name);
  return it == Figures_.end() || it->second.Empty() ? nullptr : &it->second;
}

std::vector<std::string> Figures::Names() const {
  std::vector<std::string> names;
  for (const auto& [name, figure] : Figures_)
    if (!figure.Empty()) names.push_back(name);
  return names;
}

void Figures::PrintTable(const std::string& title, double scale, const char* unit) const {
  std::printf("\n%-62s %21s %21s\n", title.c_str(), "CPU min / median", "wall min / median");
  for (const auto& [name, figure] : Figures_) {
    if (figure.Empty()) continue;
    const Times min = figure.Min(), median = figure.Median();
    std::printf("%-62s %9.3f / %9.3f %9.3f / %9.3f %s (%d runs)\n", name.c_str(), min.cpu * scale, median.cpu * scale,
                min.wall * scale, median.wall * scale, unit, figure.Count());
  }
}

void Figures::PrintRatio(const std::string& name, const std::string& reference, const std::string& goal,
                         bool withWall) const {
  const Figure* figure = Find(name);
  const Figure* base = Find(reference);
  if (!figure || !base) {
    std::printf("%s / %s: not measured (%s missing)\n", name.c_str(), reference.c_str(),
                figure ? reference.c_str() : name.c_str());
    return;
  }
  const Times min = figure->Min(), median = figure->Median(), baseMin = base->Min(), baseMedian = base->Median();
  std::printf("%s / %s: CPU %.2f (min) %.2f (median)", name.c_str(), reference.c_str(), min.cpu / baseMin.cpu,
              median.cpu / baseMedian.cpu);
  if (withWall) std::printf(", wall %.2f (min) %.2f (median)", min.wall / baseMin.wall, median.wall / baseMedian.wall);
  std::printf("%s%s\n", goal.empty() ? "" : "  ", goal.c_str());
}

void FigureReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations <= 0) continue;
    const std::string name = run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
    figures[name].Add(Times{run.cpu_accumulated_time, run.real_accumulated_time} / double(run.iterations));
  }
}

BenchArguments::BenchArguments(int argc, char** argv, int repetitions) {
  auto given = [&](const char* flag) {
    for (int i = 1; i < argc; ++i)
      if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    return false;
  };
  for (int i = 0; i < argc; ++i) Strings_.emplace_back(argv[i]);
  if (!given("--benchmark_repetitions")) Strings_.push_back("--benchmark_repetitions=" + std::to_string(repetitions));
  if (!given("--benchmark_enable_random_interleaving"))
    Strings_.emplace_back("--benchmark_enable_random_interleaving=true");
  for (std::string& s : Strings_) Pointers_.push_back(s.data());
  Argc_ = int(Pointers_.size());
  Pointers_.push_back(nullptr);
}

Figures RunRepeatedBenchmarks(int argc, char** argv, int repetitions) {
  BenchArguments arguments(argc, argv, repetitions);
  benchmark::Initialize(&arguments.argc(), arguments.argv());
  if (benchmark::ReportUnrecognizedArguments(arguments.argc(), arguments.argv())) std::exit(1);
  FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return std::move(reporter.figures);
}

}  // namespace kelta::bench
