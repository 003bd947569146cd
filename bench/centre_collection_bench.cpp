// Centre collection at the size of a large centre: accounts are matched to their balance entries
// in one pass, so the plug-in's own work grows linearly and stays small beside the host
// components' calls.
//
//   BuildCollectionList/SimComponents   the whole computation with the simulated host's
//                                       components (SQL for the accounts, balances and the two
//                                       pending sums per account)
//   BuildCollectionList/CheapComponents the same with components that answer from prepared
//                                       record sets and constant sums: what remains is the
//                                       plug-in's own work
//   NestedMatch                         the literal search a naive version would do (for every
//                                       account, scan the balances for the first entry with its
//                                       id), over the same host vectors, for comparison
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "automation/object.h"
#include "host/collections.h"
#include "sim/host/collections.h"
#include "sim/harness/bulk_data.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/recordset.h"
#include "translist/dlgBalSum.h"

namespace {

// A centre with n member accounts collected into account 101, each with a balance.
void LargeCentre(sim::Host& host, int n) {
  sim::Database& db = host.Db();
  sim::AddMemberAccounts(db, n, [](int i) { return 5000 + i % 100; });
}

sim::Rows AccountRows(int n) {
  sim::Rows rows;
  rows.columns = {"FID",        "FAccountID",       "FNumber",     "FName",
                  "FBank",      "FAcntNo",          "FTransAcctID", "FTransAcctNumber",
                  "FTransBank", "FTransAcntNo",     "FTransBound", "FTransMin",
                  "FCurrencyID", "FCurNumber",      "FCurName"};
  for (int i = 0; i < n; ++i)
    rows.data.push_back({1000 + i, 1000 + i, "09." + std::to_string(i), "成员", "招商银行",
                         std::to_string(700000000 + i), 101, "01.001", "招商银行深圳分行",
                         "755900000000001", 1000.0, 100.0, 1, "RMB", "人民币"});
  return rows;
}

sim::Rows BalanceRows(int n) {
  sim::Rows rows;
  rows.columns = {"FClientID", "FClientNumber", "FClientName", "FAccntSum"};
  // Balances in the opposite order of the accounts: a search per account scans far.
  for (int i = n - 1; i >= 0; --i)
    rows.data.push_back({1000 + i, "09." + std::to_string(i), "成员", 5000.0 + i % 100});
  return rows;
}

class CheapAcctInfo : public sim::HostObject {
 public:
  CheapAcctInfo(sim::Host& host, std::shared_ptr<const sim::Rows> accounts)
      : HostObject(host, "FENRMTAVExt.cAcctInfo", "cAcctInfo") {
    Method("GetAcctList", [accounts](ax::Args&) -> ax::Variant {
      return ax::DispatchPtr(sim::NewRecordset(*accounts));
    });
    Method("GetScTransferSum", [](ax::Args&) -> ax::Variant { return 0.0; });
  }
};

class CheapLedger : public sim::HostObject {
 public:
  CheapLedger(sim::Host& host, std::shared_ptr<const sim::Rows> balances)
      : HostObject(host, "FENRFundSum.LedgerSum", "LedgerSum") {
    Method("GetBalSum", [balances](ax::Args&) -> ax::Variant {
      return ax::DispatchPtr(sim::NewRecordset(*balances));
    });
    Method("GetAllAcnt", [](ax::Args&) -> ax::Variant { return {}; });
  }
};

void UseCheapComponents(sim::Host& host, int n) {
  auto accounts = std::make_shared<const sim::Rows>(AccountRows(n));
  auto balances = std::make_shared<const sim::Rows>(BalanceRows(n));
  host.Register("FENRMTAVExt.cAcctInfo", [accounts](sim::Host& h) -> ax::DispatchPtr {
    return std::make_shared<CheapAcctInfo>(h, accounts);
  });
  host.Register("FENRFundSum.LedgerSum", [balances](sim::Host& h) -> ax::DispatchPtr {
    return std::make_shared<CheapLedger>(h, balances);
  });
}

void BM_BuildCollectionList_SimComponents(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  sim::Host host;
  LargeCentre(host, n);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  dlg.C("txtStartAcct").text = "09";
  for (auto _ : state) {
    ax::Object items = dlg.BuildCollectionList();
    if (sc::host::Count(items) != n) state.SkipWithError("every member account is collected");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BuildCollectionList_SimComponents)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_BuildCollectionList_CheapComponents(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  sim::Host host;
  UseCheapComponents(host, n);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  for (auto _ : state) {
    ax::Object items = dlg.BuildCollectionList();
    if (sc::host::Count(items) != n) state.SkipWithError("every member account is collected");
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}
BENCHMARK(BM_BuildCollectionList_CheapComponents)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The literal search: for each account, the balances from the first until one has its id.
void BM_NestedMatch(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  sim::Host host;
  UseCheapComponents(host, n);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  ax::Object accounts = dlg.GetAutoCollectAccounts();
  ax::Object balances = dlg.GetAccountBalances();
  for (auto _ : state) {
    int matched = 0;
    int32_t accountCount = sc::host::Count(accounts);
    int32_t balanceCount = sc::host::Count(balances);
    for (int32_t i = 1; i <= accountCount; ++i) {
      int32_t id = ax::CLng(accounts.ItemObj(i).Item("FAcntID"));
      for (int32_t j = 1; j <= balanceCount; ++j) {
        if (ax::VarEqual(balances.ItemObj(j).Item("FAcntID"), id)) {
          ++matched;
          break;
        }
      }
    }
    benchmark::DoNotOptimize(matched);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_NestedMatch)
    ->RangeMultiplier(2)
    ->Range(1000, 4000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNSquared);

}  // namespace
