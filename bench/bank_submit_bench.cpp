// Bulk submission to the bank: the user selects N approved bills in the bank-submission list
// and clicks "mnuSubmit"; the plug-in reads the bills, checks each for a payment, hands each to
// the bank link, marks it and shows the result dialog, and the list is refilled.
//
//   BulkSubmission/N   the click as the host sees it (everything from the click to the refilled
//                      list), with a fresh database of N approved bills for each iteration
//
// scripts/bench-callgrind.sh runs this under callgrind and prints which share of the
// instructions is the plug-in's own (everything inside its event entry points except the calls
// into the host's objects). SCTAV_SUBMIT_BILLS changes N (default 5000).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "sim/harness/bulk_data.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"

namespace {

int BillCount() {
  const char* env = std::getenv("SCTAV_SUBMIT_BILLS");
  int n = env ? std::atoi(env) : 0;
  return n > 0 ? n : 5000;
}


// The measured part, kept out of line so that callgrind can collect exactly it
// (--toggle-collect='*ClickSubmit*').
[[gnu::noinline]] void ClickSubmit(sim::ListWindow& list) { list.Click("mnuSubmit"); }

void BM_BulkSubmission(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto host = std::make_unique<sim::Host>();
    std::vector<int32_t> ids = sim::AddApprovedBills(host->Db(), n);
    std::shared_ptr<sim::ListWindow> list = host->OpenList("banksubmit");
    list->Select(ids);
    state.ResumeTiming();

    ClickSubmit(*list);

    state.PauseTiming();
    sim::Rows submitted = host->Db().QueryNative("SELECT COUNT(*) FROM t_BK_Payment WHERE FSourceNumber LIKE 'HS%'");
    if (ax::CLng(submitted.data.at(0).at(0)) != n) state.SkipWithError("every bill is submitted");
    list.reset();
    host.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_BulkSubmission)->Arg(BillCount())->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
