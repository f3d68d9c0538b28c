// Tile bytes that say which tile they are, and running a step in a child
// process that ends without any clean-up (as a crash does).
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/render/GridCacheEntry.h"

namespace test {

inline std::vector<unsigned char> TileBytes(int seed, int size) {
  std::vector<unsigned char> bytes(static_cast<size_t>(size));
  for (int i = 0; i < size; ++i) {
    bytes[static_cast<size_t>(i)] = static_cast<unsigned char>(seed * 31 + i * 7 + (i >> 8));
  }
  return bytes;
}

struct TileKey {
  unsigned short units[mapengine::tagGridCacheEntry::kKeyUnits];
  explicit TileKey(int n, int level = 12) { mapengine::FormatTileKey(units, level, n, n + 1); }
  operator const unsigned short*() const { return units; }
};

// Runs the step in a child that leaves with _exit (no destructor, no save).
// The child's exit status, or -1 when it was killed.
inline int RunInChild(const std::function<void()>& step) {
  pid_t child = fork();
  if (child == 0) {
    step();
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) {
    return -2;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test
