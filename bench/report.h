#pragma once

#include <cstdio>

#include "bench/figures.h"

namespace tarnwick::bench {

// The figures of one run, one set per scenario; a scenario that did not run has none.
struct BenchResults {
  int lines = 0;
  Figures reference;       // the plain C++ loop
  Figures engine;          // the download engine with a headless window
  Figures window;          // the whole main window on the offscreen platform
  Figures silent;          // handshake with a target that never answers
  Figures noise;           // handshake with a target that streams noise
  Figures referenceNoise;  // the plain C++ loop against the same noise
  // tarnwick-cli download against targets paced at a real line's rate, one board and eight.
  int pacedLines = 0;
  int pacedBaud = 0;
  Figures oneBoard;
  Figures eightBoards;
};

// The table of figures, the comparisons with the reference, and the goals met or missed.
void PrintReport(const BenchResults& results, std::FILE* out);

}  // namespace tarnwick::bench
