// Calls into the host per item of the per-item loops: per member account of the centre
// collection and per bill of the bulk bank submission. Each is measured as the difference
// between a run over few items and one over more, so the fixed calls of a run cancel out.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/collections.h"
#include "sim/harness/bulk_data.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"
#include "sim/host/recordset.h"
#include "translist/dlgBalSum.h"

namespace {

struct Calls {
  uint64_t host = 0;       // every host call: objects, components, record sets, dictionaries
  uint64_t recordset = 0;  // of them, record sets, their Fields and Field objects
};

Calls Now(sim::Harness& harness) { return {harness.faults().Count(), sim::RecordsetCalls()}; }

Calls PerItem(Calls fewStart, Calls fewEnd, Calls manyStart, Calls manyEnd, int extraItems) {
  auto per = [extraItems](uint64_t few, uint64_t many) {
    EXPECT_EQ((many - few) % static_cast<uint64_t>(extraItems), 0u) << "calls grow per item";
    return (many - few) / static_cast<uint64_t>(extraItems);
  };
  return {per(fewEnd.host - fewStart.host, manyEnd.host - manyStart.host),
          per(fewEnd.recordset - fewStart.recordset, manyEnd.recordset - manyStart.recordset)};
}

// n member accounts collected into account 101, each with a balance above its minimum.
void MemberAccounts(sim::Host& host, int n) {
  sim::Database& db = host.Db();
  db.Execute("delete from t_scTransfer");
  db.Execute("update t_Acnt set FAutoTransfer=0");
  sim::AddMemberAccounts(db, n, [](int i) { return 5000 + i; });
}

Calls CollectionCalls(int accounts, Calls& end) {
  sim::Host host;
  sim::Harness harness(host);
  MemberAccounts(host, accounts);
  sc::dlgBalSum& dlg = sc::dlgBalSum::Instance();
  dlg.EnsureLoaded();
  Calls start = Now(harness);
  ax::Object items = dlg.BuildCollectionList();
  end = Now(harness);
  EXPECT_EQ(sc::host::Count(items), accounts);
  return start;
}

TEST(ItemCalls, CentreCollectionPerAccount) {
  Calls fewEnd, manyEnd;
  Calls fewStart = CollectionCalls(2, fewEnd);
  Calls manyStart = CollectionCalls(6, manyEnd);
  Calls per = PerItem(fewStart, fewEnd, manyStart, manyEnd, 4);
  // Record sets: 14 values of the account and 4 of its balance, each record's EOF and MoveNext.
  // Reading every value as Fields(name).Value took 56 calls for the same.
  EXPECT_EQ(per.recordset, 14u + 4u + 2u * 2u);
  // Host calls: the two pending sums of the account, the three dictionaries made for it (the
  // account, its balance entry and its collection item), the record set calls above, and 57
  // calls that put the account's values into those dictionaries and read them back.
  EXPECT_EQ(per.host, 2u + 3u + per.recordset + 57u);
}


Calls SubmissionCalls(int bills, Calls& end) {
  sim::Host host;
  sim::Harness harness(host);
  std::vector<int32_t> ids = sim::AddApprovedBills(host.Db(), bills);
  std::shared_ptr<sim::ListWindow> list = host.OpenList("banksubmit");
  list->Select(ids);
  Calls start = Now(harness);
  list->Click("mnuSubmit");
  end = Now(harness);
  sim::Rows submitted =
      host.Db().QueryNative("SELECT COUNT(*) FROM t_BK_Payment WHERE FSourceNumber LIKE 'HS%'");
  EXPECT_EQ(ax::CLng(submitted.data.at(0).at(0)), bills);
  return start;
}

TEST(ItemCalls, BulkSubmissionPerBill) {
  Calls fewEnd, manyEnd;
  Calls fewStart = SubmissionCalls(2, fewEnd);
  Calls manyStart = SubmissionCalls(5, manyEnd);
  Calls per = PerItem(fewStart, fewEnd, manyStart, manyEnd, 3);
  // Record sets: the bill's 25 values (not 75 calls as Fields(name).Value), its record's EOF and
  // MoveNext, and the size of the bill's payment query.
  EXPECT_EQ(per.recordset, 25u + 2u + 1u);
  // Host calls: the payment query, the currency and its name, the payment order's dictionary,
  // the import into the bank link and the update of the bill; the record set calls above; and
  // the 21 calls that fill the payment order.
  EXPECT_EQ(per.host, 6u + per.recordset + 21u);
}

}  // namespace
