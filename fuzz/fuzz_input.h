// Reading values for the fuzz targets out of libFuzzer's input.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>

// Any double, bit for bit: NaNs, infinities and denormals included.
inline double RawDouble(FuzzedDataProvider& p) {
  uint64_t bits = p.ConsumeIntegral<uint64_t>();
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
