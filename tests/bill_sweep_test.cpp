// Every host call of a bill-window command made to fail in turn: the command never takes the
// host down, and it never ends silently half-done. Either the user is told (a message or an
// error the host reports) or the work is complete.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "automation/variant.h"
#include "sim/host/bill_window.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"

namespace {

std::string Query(sim::Host& host, const std::string& sql) {
  sim::Rows r = host.Db().QueryNative(sql);
  return r.data.empty() ? "(no rows)" : ax::DisplayText(r.data[0][0]);
}

void Queue(sim::Host& host, const char* kind, const char* verb) {
  sim::Reply reply;
  reply.kind = kind;
  reply.verb = verb;
  dynamic_cast<sim::Harness&>(host.attendant()).QueueReply(reply);
}

struct Flow {
  const char* name;
  std::function<std::shared_ptr<sim::BillWindow>(sim::Host&)> setUp;
  std::function<void(sim::Host&, sim::BillWindow&)> run;
  // Whether the work is complete, for runs that told the user nothing.
  std::function<bool(sim::Host&)> complete;
};

std::shared_ptr<sim::BillWindow> OpenBill(sim::Host& host, int32_t fid) {
  sim::BillOpening opening;
  opening.fid = fid;
  return host.OpenBill(opening);
}

const Flow kFlows[] = {
    {"check",
     [](sim::Host& host) {
       host.settings().user = 3;
       return OpenBill(host, 3);
     },
     [](sim::Host& host, sim::BillWindow& bill) {
       Queue(host, "answer", "yes");
       bill.Click("mnuscCheck");
     },
     [](sim::Host&) { return false; }},  // a check always ends with a message
    {"check with voucher",
     [](sim::Host& host) {
       host.Db().Execute("update t_scTransfer set FCheckerID=0, FReCheckerID=0 where FID=5");
       host.settings().user = 3;
       return OpenBill(host, 5);
     },
     [](sim::Host& host, sim::BillWindow& bill) {
       Queue(host, "answer", "yes");
       Queue(host, "voucher", "complete");
       bill.Click("mnuscCheck");
     },
     [](sim::Host&) { return false; }},
    {"voucher command",
     [](sim::Host& host) { return OpenBill(host, 1); },
     [](sim::Host& host, sim::BillWindow& bill) {
       Queue(host, "voucher", "complete");
       bill.Click("mnuCreateVou");
     },
     [](sim::Host& host) {
       return Query(host, "SELECT FVoucherID FROM t_scTransfer WHERE FID=1") == "302" &&
              Query(host, "SELECT FParameter FROM t_Voucher WHERE FVoucherID=302") == "1";
     }},
    {"save with automatic voucher",
     [](sim::Host& host) {
       host.SetProfileValue("SC", "SCGetBillAutoVch", "0");
       auto bill = host.OpenBill(sim::BillOpening{});
       bill->Edit("FPayAcctID", "01.001");
       bill->Edit("FRecAcctID", "01.002");
       bill->Edit("FAmt", "500");
       return bill;
     },
     [](sim::Host& host, sim::BillWindow& bill) {
       Queue(host, "voucher", "complete");
       bill.Save();
     },
     [](sim::Host& host) {
       return Query(host, "SELECT FVoucherID FROM t_scTransfer WHERE FID=6") == "302" &&
              Query(host, "SELECT FParameter FROM t_Voucher WHERE FVoucherID=302") == "6" &&
              Query(host, "SELECT FBKCommit FROM t_scTransfer WHERE FID=6") == "6";
     }},
    {"account typed",
     [](sim::Host& host) { return host.OpenBill(sim::BillOpening{}); },
     [](sim::Host&, sim::BillWindow& bill) { bill.Edit("FRecAcctID", "02.001"); },
     [](sim::Host&) { return true; }},  // checked below through the fields
};

TEST(BillSweep, EveryFailingHostCallIsToldOrHarmless) {
  for (const Flow& flow : kFlows) {
    SCOPED_TRACE(flow.name);
    uint64_t calls = 0;
    {
      sim::Host host;
      sim::Harness harness(host);
      auto bill = flow.setUp(host);
      uint64_t before = harness.faults().Count();
      flow.run(host, *bill);
      calls = harness.faults().Count() - before;
      ASSERT_FALSE(harness.TakeFailure().has_value());
      ASSERT_TRUE(flow.complete(host) || !harness.Messages().empty());
    }
    ASSERT_GT(calls, 0u);
    for (uint64_t k = 1; k <= calls; ++k) {
      SCOPED_TRACE("failing call " + std::to_string(k));
      sim::Host host;
      sim::Harness harness(host);
      auto bill = flow.setUp(host);
      harness.faults().FailAt(harness.faults().Count() + k);
      EXPECT_NO_THROW(flow.run(host, *bill));
      harness.faults().FailAt(0);
      EXPECT_FALSE(harness.TakeFailure().has_value());
      bool told = !harness.Messages().empty() || !harness.Errors().empty();
      if (!told) {
        EXPECT_TRUE(flow.complete(host));
      }
      if (std::string(flow.name) == "account typed" && !told) {
        // Silently done means done right: the account's name and the currency are there.
        EXPECT_EQ(ax::DisplayText(bill->FieldValue("FBaseProperty1", 1)), "香港公司美元户");
        EXPECT_EQ(ax::DisplayText(bill->FieldValue("FCyID", 3)), "美元");
        EXPECT_EQ(ax::DisplayText(bill->FieldValue("FFcyAmt", 1)), "0");
      }
    }
  }
}

}  // namespace
