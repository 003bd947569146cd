// Fuzzes the event entry points of the three plug-in classes against the simulated host: a bill
// window (new or existing) or one of the two lists is opened as the host opens it, then the
// plug-in's event sink receives events of the host's event table (and unknown ones) with
// arbitrary argument counts, kinds and values: Empty, Null, omitted, wrong types, Nothing,
// dictionaries with hostile entries, foreign objects, huge and malformed texts, by value or by
// reference. Show itself is fed arbitrary values too. An entry point may only return or raise
// an AutomationError; an exception of another kind that an entry point had to contain, a
// crash or a sanitizer report is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "automation/error.h"
#include "fuzz_input.h"
#include "automation/object.h"
#include "automation/variant.h"
#include "plugin/plugin_class.h"
#include "sim/host/bill_window.h"
#include "sim/host/collections.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"
#include "sim/host/menu_bar.h"
#include "sim/host/recordset.h"

namespace {

void OnForeign(const char* what) {
  std::fprintf(stderr, "events_fuzz finding: an entry point contained a foreign exception: %s\n", what);
  std::abort();
}

const char* const kEvents[] = {"AfterLoadBill", "AfterNewBill", "BeforLoadBillFillData", "BeginEdit",
                               "Change",        "BeforeSave",   "AfterSave",             "MenuBarInitialize",
                               "MenuBarClick",  "ListFillRow"};

const char* const kKeys[] = {"FKey",          "FFieldName",   "FFieldNameExt", "FCheckStatus",
                             "FBaseProperty6_DSPName", "FID", "FBillNo",      "FPayAcctID",
                             "FRecAcctID",    "FCyID",        "FAmt",         "FExchRate",
                             "FPaytran",      "FVoucherID",   "FSource",      "FRecSettID"};

const char* const kTools[] = {"mnuscCheck",      "mnuscReCheck",   "mnuscUnCheck",  "mnuscUnReCheck",
                              "mnuCreateVou",    "mnuViewVou",     "mnuFileSave",   "mnuDataLookUp",
                              "mnuEditDelete",   "mnuEditModify",  "mnuSubmit",     "mnuUnSubmit",
                              "mnuscCenterCollect", "mnuscBankCollect", "mnuExportPayBill_CMB01",
                              "mnuExportPayBill_", "mnuEditCheck"};

std::string Text(FuzzedDataProvider& p) {
  switch (p.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      return kKeys[p.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)];
    case 1:
      return kTools[p.ConsumeIntegralInRange<size_t>(0, std::size(kTools) - 1)];
    case 2:  // a huge text
      return RepeatedText(p, 6, "'", 1 << 16);
    case 3:
      return std::to_string(p.ConsumeIntegralInRange<int>(-2, 700));
    default:  // anything, malformed UTF-8 and quotes included
      return p.ConsumeRandomLengthString(48);
  }
}

struct Context {
  sim::Host* host = nullptr;
  std::shared_ptr<sim::Window> window;
  ax::DispatchPtr self;  // the window as the host's object
};

ax::Variant Value(FuzzedDataProvider& p, const Context& c, int depth = 0);

ax::DispatchPtr Object(FuzzedDataProvider& p, const Context& c, int depth) {
  switch (p.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      return nullptr;  // Nothing
    case 1:
    case 2: {  // a dictionary: a field or row dictionary, a head dictionary
      auto d = sim::NewDictionary();
      int n = p.ConsumeIntegralInRange<int>(0, 6);
      for (int i = 0; i < n; ++i) {
        std::string key = p.ConsumeBool() ? kKeys[p.ConsumeIntegralInRange<size_t>(0, std::size(kKeys) - 1)]
                                          : p.ConsumeRandomLengthString(12);
        d->Set(key, depth < 2 ? Value(p, c, depth + 1) : ax::Variant(Text(p)));
      }
      return d;
    }
    case 3: {  // a tool, known to the menu bar or not
      std::string key = Text(p);
      if (c.window && p.ConsumeBool())
        if (auto t = c.window->Menu().FindTool(key)) return t;
      return std::make_shared<sim::Tool>(*c.host, key);
    }
    case 4:
      return c.window ? std::static_pointer_cast<ax::Dispatch>(c.window->MenuPtr()) : nullptr;
    case 5:
      return c.self;  // the window itself where something else is expected
    case 6: {
      auto v = sim::NewVector();
      int n = p.ConsumeIntegralInRange<int>(0, 3);
      for (int i = 0; i < n; ++i) v->Add(depth < 2 ? Value(p, c, depth + 1) : ax::Variant(Text(p)));
      return v;
    }
    default: {  // a record set with one row
      sim::Rows rows;
      rows.columns = {"FID", "FCheckStatus", "FBillNo"};
      rows.data.push_back({Value(p, c, 2), Value(p, c, 2), Value(p, c, 2)});
      return sim::NewRecordset(std::move(rows));
    }
  }
}

ax::Variant Value(FuzzedDataProvider& p, const Context& c, int depth) {
  switch (p.ConsumeIntegralInRange<int>(0, 12)) {
    case 0: return {};
    case 1: return ax::Variant::null();
    case 2: return ax::Variant::missing();
    case 3: return ax::Variant(p.ConsumeBool());
    case 4: return ax::Variant(p.ConsumeIntegral<int16_t>());
    case 5: return ax::Variant(p.ConsumeIntegral<int32_t>());
    case 6: return ax::Variant(p.ConsumeIntegralInRange<int32_t>(-1, 8));
    case 7: return ax::Variant(RawDouble(p));
    case 8: return ax::Variant(ax::CurrencyValue{p.ConsumeIntegral<int64_t>()});
    case 9: return ax::Variant(ax::DateValue{RawDouble(p)});
    case 10: return ax::Variant(Object(p, c, depth));
    default: return ax::Variant(Text(p));
  }
}

// By-reference arguments point into store, which must outlive the call.
ax::Args Arguments(FuzzedDataProvider& p, const Context& c, std::deque<ax::Variant>& store) {
  ax::Args args;
  int n = p.ConsumeIntegralInRange<int>(0, 7);
  for (int i = 0; i < n; ++i) {
    ax::Variant v = Value(p, c);
    if (p.ConsumeBool()) {
      store.push_back(std::move(v));
      args.push_back(ax::Arg::byRef(store.back()));
    } else {
      args.push_back(ax::Arg(std::move(v)));
    }
  }
  return args;
}

void Deliver(ax::EventSink& sink, std::string_view name, ax::Args& args) {
  try {
    sink.OnEvent(name, args);
  } catch (const ax::AutomationError&) {
    // What the host reports; the plug-in returned.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ax::SetForeignExceptionObserver(&OnForeign);
  FuzzedDataProvider p(data, size);
  sim::Host host;
  sim::Harness harness(host);
  Context c;
  c.host = &host;
  if (p.ConsumeBool()) host.settings().language = p.PickValueInArray({"chs", "cht", "en"});
  host.settings().user = p.ConsumeIntegralInRange<int32_t>(1, 5);

  int target = p.ConsumeIntegralInRange<int>(0, 4);
  ax::DispatchPtr plugin;
  try {
    if (target == 0 || target == 1) {
      sim::BillOpening opening;
      if (target == 1) opening.fid = p.ConsumeIntegralInRange<int32_t>(1, 5);
      auto w = host.OpenBill(opening);
      c.window = w;
      c.self = w;
    } else if (target == 2 || target == 3) {
      auto w = host.OpenList(target == 2 ? "transfer" : "banksubmit");
      c.window = w;
      c.self = w;
    }
  } catch (const ax::AutomationError&) {
  }
  (void)harness.TakeFailure();

  if (c.window) {
    plugin = c.window->Plugin();
  } else {
    // Show with whatever the caller passes.
    const char* progIds[] = {"scTAVExt.scTransferBillExt", "scTAVExt.scTransferListExt",
                             "scTAVExt.scTransferListExt1"};
    plugin = sc::CreatePluginClass(progIds[p.ConsumeIntegralInRange<int>(0, 2)]);
    std::deque<ax::Variant> store;
    ax::Args args = Arguments(p, c, store);
    try {
      plugin->Invoke(p.ConsumeBool() ? "Show" : Text(p), p.ConsumeIntegralInRange<unsigned>(0, 15), args);
    } catch (const ax::AutomationError&) {
    }
  }
  auto sink = std::dynamic_pointer_cast<ax::EventSink>(plugin);
  if (sink) {
    int events = p.ConsumeIntegralInRange<int>(1, 6);
    for (int i = 0; i < events && p.remaining_bytes() > 0; ++i) {
      std::string name = p.ConsumeIntegralInRange<int>(0, 12) == 0
                             ? Text(p)
                             : kEvents[p.ConsumeIntegralInRange<size_t>(0, std::size(kEvents) - 1)];
      std::deque<ax::Variant> store;
      ax::Args args = Arguments(p, c, store);
      Deliver(*sink, name, args);
      (void)harness.TakeFailure();  // a question nobody answers fails the call, not the process
    }
  }
  sink.reset();
  plugin.reset();
  c = Context{};
  host.CloseAll();
  return 0;
}
