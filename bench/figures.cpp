#include "bench/figures.h"

#include <algorithm>
#include <cstdlib>

namespace tarnwick::bench {

void AddFigureLine(Figures& figures, std::string_view line, std::string_view prefix) {
  auto equals = line.find('=');
  if (equals == std::string_view::npos || equals == 0) return;
  std::string key(prefix);
  key += line.substr(0, equals);
  figures[key] = std::string(line.substr(equals + 1));
}

std::optional<double> Number(const Figures& figures, std::string_view key) {
  auto found = figures.find(key);
  if (found == figures.end() || found->second.empty()) return std::nullopt;
  const char* text = found->second.c_str();
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || *end != '\0') return std::nullopt;
  return value;
}

Figures MedianRun(std::vector<Figures> runs, std::string_view key) {
  std::erase_if(runs, [key](const Figures& run) { return !Number(run, key); });
  if (runs.empty()) return {};
  std::sort(runs.begin(), runs.end(), [key](const Figures& a, const Figures& b) {
    return *Number(a, key) < *Number(b, key);
  });
  Figures median = runs[(runs.size() - 1) / 2];
  median[std::string(key) + ".min"] = runs.front().find(key)->second;
  median[std::string(key) + ".max"] = runs.back().find(key)->second;
  return median;
}

}  // namespace tarnwick::bench
