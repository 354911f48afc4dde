#pragma once
// Peak resident memory of this process, read from /proc (Linux only): used by
// the engine's memory test and by its benchmark.

#include <fstream>
#include <string>

// Resets the peak to the current resident size; 0 on success, -1 when the
// kernel does not offer the reset.
inline long ResetPeakKiB() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.close();
  return clear ? 0 : -1;
}

// The peak resident size in KiB (VmHWM); -1 when it cannot be read.
inline long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmHWM:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
  }
  return -1;
}
