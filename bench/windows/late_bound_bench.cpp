// Late-bound calls through the COM bridge, with and without the DISPID cache, side by side and
// like for like: an automation object of our own reached through IDispatch, and a system
// component (Scripting.Dictionary); a call without arguments (Count) and a call with a text
// argument and a Boolean result (Exists(key)), the same on both. Run under Wine by
// scripts/windows-bench.sh.
#include <benchmark/benchmark.h>

#include "automation/error.h"
#include "automation/runtime.h"
#include "bridge.h"
#include "com_dispatch.h"
#include "dispatch_server.h"
#include "server.h"

namespace {

class Echo : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned, ax::Args& args) override {
    if (ax::EqualsNoCase(member, "Echo")) return args.empty() ? ax::Variant() : args[0].value();
    if (ax::EqualsNoCase(member, "Count")) return int32_t{1};
    if (ax::EqualsNoCase(member, "Exists")) return !args.empty() && ax::VarEqual(args[0].value(), "key");
    throw ax::Error(ax::err::kNoMember);
  }
};

// A fresh wrapper per run, so that the cache starts empty as for a newly bound host object.
ax::Object ThroughCom(IDispatch* dispatch) {
  return ax::Object(std::make_shared<sccom::ComDispatch>(sccom::ComPtr<IDispatch>(dispatch),
                                                         static_cast<IUnknown*>(dispatch)));
}

enum Call { kNoArgument, kOneArgument };

const char* Label(const benchmark::State& state) {
  bool cached = state.range(1) != 0;
  if (state.range(0) == kNoArgument) return cached ? "Count, DISPID cache" : "Count, no cache";
  return cached ? "Exists(key), DISPID cache" : "Exists(key), no cache";
}

void BM_OwnObject(benchmark::State& state) {
  sccom::SetDispidCacheEnabled(state.range(1) != 0);
  auto server = sccom::ComPtr<IDispatch>::Attach(new sccom::DispatchServer(std::make_shared<Echo>()));
  ax::Object object = ThroughCom(server.get());
  if (state.range(0) == kNoArgument) {
    for (auto _ : state) benchmark::DoNotOptimize(object.Get("Count"));
  } else {
    for (auto _ : state) benchmark::DoNotOptimize(object.Get("Exists", {"key"}));
  }
  state.SetLabel(Label(state));
  sccom::SetDispidCacheEnabled(true);
}
BENCHMARK(BM_OwnObject)->ArgsProduct({{kNoArgument, kOneArgument}, {0, 1}});

void BM_Dictionary(benchmark::State& state) {
  sccom::SetDispidCacheEnabled(state.range(1) != 0);
  CLSID clsid;
  CLSIDFromProgID(L"Scripting.Dictionary", &clsid);
  sccom::ComPtr<IDispatch> dictionary;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, dictionary.put_void());
  if (!dictionary) {
    state.SkipWithError("Scripting.Dictionary is not available");
    return;
  }
  ax::Object object = ThroughCom(dictionary.get());
  object.Call("Add", {"key", int32_t{1}});
  if (state.range(0) == kNoArgument) {
    for (auto _ : state) benchmark::DoNotOptimize(object.Get("Count"));
  } else {
    for (auto _ : state) benchmark::DoNotOptimize(object.Get("Exists", {"key"}));
  }
  state.SetLabel(Label(state));
  sccom::SetDispidCacheEnabled(true);
}
BENCHMARK(BM_Dictionary)->ArgsProduct({{kNoArgument, kOneArgument}, {0, 1}});

}  // namespace

int main(int argc, char** argv) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  sccom::EnsureEnvironment();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CoUninitialize();
  return 0;
}
