// LoadPWString, which every caption and message goes through: in "chs" the program's own text
// is returned as it is; in another language each call asks the host's resource loader.
//
//   LoadPWString/chs             the text unchanged
//   LoadPWString/en_translated   a text the loader knows
//   LoadPWString/en_missing      a text the loader does not know (the text itself comes back)
//   FormatPWString/chs|en        a result line with its parameter
#include <benchmark/benchmark.h>

#include <string>

#include "automation/variant.h"
#include "shared/MLoadPWString.h"
#include "sim/host/host.h"

namespace {

void LoadPW(benchmark::State& state, const char* language, const std::string& text, bool translated) {
  sim::Host host;
  host.settings().language = language;
  if (translated) host.settings().translations[text] = "You have no right to do this!";
  sc::LoadPWString(text);  // language and loader are fetched once per process
  for (auto _ : state) benchmark::DoNotOptimize(sc::LoadPWString(text));
}

const std::string kNoRight = "对不起，你没有相应的权限！";

void BM_LoadPWString_chs(benchmark::State& state) { LoadPW(state, "chs", kNoRight, false); }
void BM_LoadPWString_en_translated(benchmark::State& state) { LoadPW(state, "en", kNoRight, true); }
void BM_LoadPWString_en_missing(benchmark::State& state) { LoadPW(state, "en", kNoRight, false); }
BENCHMARK(BM_LoadPWString_chs);
BENCHMARK(BM_LoadPWString_en_translated);
BENCHMARK(BM_LoadPWString_en_missing);

void FormatPW(benchmark::State& state, const char* language) {
  sim::Host host;
  host.settings().language = language;
  const std::string line = "单据 %1 提交成功！";
  host.settings().translations[line] = "Bill %1 submitted!";
  std::vector<ax::Variant> params{ax::Variant("HB000001")};
  sc::FormatPWString(line, params);
  for (auto _ : state) benchmark::DoNotOptimize(sc::FormatPWString(line, params));
}
void BM_FormatPWString_chs(benchmark::State& state) { FormatPW(state, "chs"); }
void BM_FormatPWString_en(benchmark::State& state) { FormatPW(state, "en"); }
BENCHMARK(BM_FormatPWString_chs);
BENCHMARK(BM_FormatPWString_en);

}  // namespace
