// The POSIX calls the simulated host uses that MinGW lacks, for its Windows build only (the
// mingw64-sim preset includes this header in every file). Not part of the plug-in.
#pragma once

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>

// mkdtemp: replaces the trailing XXXXXX of the template and creates that directory.
inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}
#endif
