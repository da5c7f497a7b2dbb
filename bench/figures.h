#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::bench {

// The "key=value" lines that one benchmark process printed, by key.
using Figures = std::map<std::string, std::string, std::less<>>;

// Adds one printed line under `prefix` + key; a line without '=' is not a figure.
void AddFigureLine(Figures& figures, std::string_view line, std::string_view prefix = {});

// The figure as a number; nullopt when it is missing or not a number.
std::optional<double> Number(const Figures& figures, std::string_view key);

// Of several runs of one scenario, the one whose `key` is the median (the lower middle of
// an even count), with the smallest and largest `key` of all runs added as `key` + ".min"
// and ".max". Runs without the figure are left out; none at all gives no figures.
Figures MedianRun(std::vector<Figures> runs, std::string_view key);

}  // namespace tarnwick::bench
