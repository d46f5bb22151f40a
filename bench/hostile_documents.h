#pragma once
// The worst documents up to the size limit, for the benchmarks that hold
// opening, checking, showing and printing to 10 s and 1 GB; and the peak
// memory of work done in this process or in a program it runs.
#include <string>
#include <vector>

namespace velmora::bench {

struct HostileShape {
  const char* name;
  // The largest application with the text of one element replaced by
  // `repeat` copies of `unit` (`tail` after them), or with `repeat` copies of
  // `unit` put in before the root's end tag when `element` is empty.
  const char* element;
  const char* unit;
  std::size_t repeat;
  const char* tail = "";
};

// Every shape the benchmarks measure, the largest first.
const std::vector<HostileShape>& hostileShapes();

std::string hostileDocument(const HostileShape& shape);

// Writes the shape's document to a file of this process in /tmp; returns its path.
std::string writeHostileDocument(const HostileShape& shape);

// Peak resident memory of this process since the last reset, in MB (VmHWM;
// the reset writes 5 to /proc/self/clear_refs).
void resetPeakMemory();
double peakMemoryMB();

// Runs a program to its end; its exit code (-1 if it was killed), wall time
// and peak resident memory (ru_maxrss of it and the programs it waited for).
struct ProgramRun {
  int exit = -1;
  double seconds = 0;
  double peakMB = 0;
};
ProgramRun runProgram(const std::vector<std::string>& argv);

}  // namespace velmora::bench
