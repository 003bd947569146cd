// Late-bound calls through the COM bridge, with and without the DISPID cache, side by side and
// like for like: an automation object of our own reached through IDispatch, and a system
// component (Scripting.Dictionary); a call without arguments (Count) and a call with a text
// argument and a Boolean result (Exists(key)), the same on both. Then what an object handed
// across costs: a child of one of our objects, and a child of an object of another module, as
// the host's record sets hand out their Fields (the child alone, and the child with a first call
// on its fresh wrapper). Run under Wine by scripts/windows-bench.sh.
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

// An object handing out a child of its own (as a record set hands out its Fields): each call
// brings the child across, into a fresh wrapper that lives for the one use, as the plug-in's
// per-cell handler uses a record set's Fields and Field.
class Parent : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned, ax::Args&) override {
    if (ax::EqualsNoCase(member, "Child")) return child_;
    throw ax::Error(ax::err::kNoMember);
  }
  std::string ClassName() const override { return "Parent"; }

 private:
  ax::Variant child_{ax::DispatchPtr(std::make_shared<Echo>())};
};

// An IDispatch of another module, as the host's objects are to the plug-in: forwards every
// call to one of our served objects but does not let the bridge see that it is ours, so the
// bridge wraps it and looks its members up as it does a host object's.
class Foreign final : public sccom::ComObject<IDispatch> {
 public:
  explicit Foreign(sccom::ComPtr<IDispatch> inner) : inner_(std::move(inner)) {}
  STDMETHODIMP GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
  STDMETHODIMP GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override { return inner_->GetTypeInfo(i, l, t); }
  STDMETHODIMP GetIDsOfNames(REFIID r, LPOLESTR* n, UINT c, LCID l, DISPID* d) override {
    return inner_->GetIDsOfNames(r, n, c, l, d);
  }
  STDMETHODIMP Invoke(DISPID d, REFIID r, LCID l, WORD f, DISPPARAMS* p, VARIANT* v, EXCEPINFO* e,
                      UINT* a) override {
    return inner_->Invoke(d, r, l, f, p, v, e, a);
  }

 protected:
  void* Find(REFIID iid) override {
    return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
  }

 private:
  sccom::ComPtr<IDispatch> inner_;
};

// A host-like parent: each Child is a fresh object of another module (served anew, as the
// simulated host serves an object for each call that hands it over).
class ForeignParent : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned, ax::Args&) override {
    if (!ax::EqualsNoCase(member, "Child")) throw ax::Error(ax::err::kNoMember);
    auto server = sccom::ComPtr<IDispatch>::Attach(new sccom::DispatchServer(child_));
    auto foreign = sccom::MakeCom<Foreign>(server);
    return ax::Variant(sccom::WrapDispatch(foreign.get()).ptr());
  }
  std::string ClassName() const override { return "ForeignParent"; }

 private:
  std::shared_ptr<Echo> child_ = std::make_shared<Echo>();
};

// Child alone (range 0), or Child and then a call on it (range 1).
void TimeChild(benchmark::State& state, const ax::Object& parent) {
  if (state.range(0) == 0) {
    for (auto _ : state) benchmark::DoNotOptimize(parent.GetObj("Child"));
  } else {
    for (auto _ : state) benchmark::DoNotOptimize(parent.GetObj("Child").Get("Count"));
  }
  state.SetLabel(state.range(0) ? "Child, then Count on it" : "Child");
}

void BM_ForeignObjectCrossing(benchmark::State& state) {
  auto server = sccom::ComPtr<IDispatch>::Attach(new sccom::DispatchServer(std::make_shared<ForeignParent>()));
  auto foreign = sccom::MakeCom<Foreign>(server);
  TimeChild(state, ThroughCom(foreign.get()));
}
BENCHMARK(BM_ForeignObjectCrossing)->Arg(0)->Arg(1);

void BM_ObjectCrossing(benchmark::State& state) {
  auto server = sccom::ComPtr<IDispatch>::Attach(new sccom::DispatchServer(std::make_shared<Parent>()));
  TimeChild(state, ThroughCom(server.get()));
}
BENCHMARK(BM_ObjectCrossing)->Arg(0)->Arg(1);

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
