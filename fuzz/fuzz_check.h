#pragma once

// What every fuzz target's oracle uses: a failed check is a crash the fuzzer reports.
inline void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}
