// The transfer list's ListFillRow, which the host raises for every cell it fills.
//
//   ListFillRow/<case>     one event into the plug-in's entry point with the arguments the host
//                          passes (the row's one-record record set with every list column, the
//                          column's head dictionary, the cell by reference): time per cell
//   ListRefill/transfer    the simulated host refilling a transfer list of N bills: query, row
//                          record sets and one ListFillRow per cell, per cell
//   ListRefill/banksubmit  the same list under the bank-submission class, which does not handle
//                          ListFillRow: what the host's own filling costs per cell
//
// The ratio of the first to the last is the plug-in's weight in filling a list.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "automation/object.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"
#include "sim/host/recordset.h"

namespace {

enum Case { kUnchecked, kCheckedPlain, kSubmitState, kCommitPay, kNoCheckStatus };

void AddBills(sim::Host& host, int n) {
  sim::Database& db = host.Db();
  db.ExecNative("BEGIN");
  for (int i = 0; i < n; ++i) {
    char no[32];
    std::snprintf(no, sizeof no, "HL%06d", i);
    db.ExecNative(
        "INSERT INTO t_scTransfer (FBillNo, FDate, FCheckStatus, FReCheckStatus, FPreparerID,"
        " FCheckerID, FReCheckerID, FPayAcctID, FRecAcctID, FCyID, FAmt, FFcyAmt, FPayBankAcnt,"
        " FRecBankAcnt) VALUES (?, '2026-12-07', ?, 0, 2, ?, 0, 101, 102, 1, ?, ?,"
        " '755900000000001', '755900000000002')",
        {std::string(no), i % 2, i % 2 ? 3 : 0, 100 + i, 100 + i});
  }
  db.ExecNative("COMMIT");
}

void BM_ListFillRow(benchmark::State& state) {
  const Case which = static_cast<Case>(state.range(0));
  sim::Host host;
  std::shared_ptr<sim::ListWindow> list = host.OpenList("transfer");
  auto sink = std::dynamic_pointer_cast<ax::EventSink>(list->Plugin());
  if (!sink) {
    state.SkipWithError("the transfer list has no plug-in");
    return;
  }
  // The row of demo bill 4 (checked, submitted) with every column the list shows.
  sim::Rows one;
  for (const auto& c : list->Columns())
    if (which != kNoCheckStatus || !ax::EqualsNoCase(c, "FCheckStatus")) one.columns.push_back(c);
  const sim::ListWindow::Row* row = list->FindRow(4);
  std::vector<ax::Variant> values;
  for (size_t c = 0; c < list->Columns().size(); ++c) {
    if (which == kNoCheckStatus && ax::EqualsNoCase(list->Columns()[c], "FCheckStatus")) continue;
    ax::Variant v = row->values[c];
    if (which == kUnchecked && ax::EqualsNoCase(list->Columns()[c], "FCheckStatus")) v = 0;
    values.push_back(v);
  }
  one.data.push_back(values);
  ax::DispatchPtr rowData = sim::NewRecordset(std::move(one));
  auto head = sim::NewDictionary();
  const char* column = which == kSubmitState ? "view_BKPaymentTAV.FSubmitState"
                       : which == kCommitPay ? "view_BKPaymentTAV.FCommitPayStatus"
                                             : "t_scTransfer.FAmt";
  head->Set("FFieldNameExt", column);
  const char* cellText = which == kSubmitState ? "SUBMIT_SUCCESSE" : which == kCommitPay ? "1" : "80000";
  for (auto _ : state) {
    ax::Variant cell(cellText), back(16777215), cont(true);
    ax::Args args{ax::Arg(int32_t{1}), ax::Arg(ax::Variant(rowData)), ax::Arg(ax::Variant(ax::DispatchPtr(head))),
                  ax::Arg::byRef(cell), ax::Arg::byRef(back), ax::Arg::byRef(cont)};
    sink->OnEvent("ListFillRow", args);
    benchmark::DoNotOptimize(cell);
  }
  state.counters["columns"] = static_cast<double>(values.size());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ListFillRow)
    ->ArgName("case")
    ->Arg(kUnchecked)
    ->Arg(kCheckedPlain)
    ->Arg(kSubmitState)
    ->Arg(kCommitPay)
    ->Arg(kNoCheckStatus)
    ->Unit(benchmark::kMicrosecond);

void ListRefill(benchmark::State& state, const char* kind) {
  const int n = static_cast<int>(state.range(0));
  sim::Host host;
  AddBills(host, n);
  std::shared_ptr<sim::ListWindow> list = host.OpenList(kind);
  const size_t cells = list->ListRows().size() * list->Columns().size();
  for (auto _ : state) {
    list->Refill();
    benchmark::DoNotOptimize(list->ListRows().size());
  }
  state.counters["cells"] = static_cast<double>(cells);
  state.counters["per_cell"] = benchmark::Counter(
      static_cast<double>(cells), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * cells));
}
void BM_ListRefill_Transfer(benchmark::State& state) { ListRefill(state, "transfer"); }
void BM_ListRefill_BankSubmit(benchmark::State& state) { ListRefill(state, "banksubmit"); }
BENCHMARK(BM_ListRefill_Transfer)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListRefill_BankSubmit)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
