// Reading values for the fuzz targets out of libFuzzer's input.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstddef>
#include <cstring>
#include <string>

// Any double, bit for bit: NaNs, infinities and denormals included.
inline double RawDouble(FuzzedDataProvider& p) {
  uint64_t bits = p.ConsumeIntegral<uint64_t>();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

// A huge text: a short fuzzed seed (fallback when the input gives none) repeated up to a
// fuzzed length of at most maxLength bytes.
inline std::string RepeatedText(FuzzedDataProvider& p, size_t seedLength, const char* fallback, size_t maxLength) {
  std::string seed = p.ConsumeRandomLengthString(seedLength);
  if (seed.empty()) seed = fallback;
  size_t n = p.ConsumeIntegralInRange<size_t>(0, maxLength);
  std::string out;
  while (out.size() < n) out += seed;
  return out;
}
