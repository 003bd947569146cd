// Prefilled bills for the host's bill window: what is read and written, in which order, and what
// a failure leaves behind; and the one reading of a value as text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "host/bill_template.h"
#include "host/progids.h"
#include "host/transfer_bill.h"

namespace sc {
namespace {

using sctest::CallLog;
using sctest::FakePtr;

class PrefilledBillTest : public sctest::FakeHostTest {
 protected:
  using Base = sctest::FakeHostTest;
  void SetUp() override {
    Base::SetUp();
    // "Map" gives every field the key "k" + field; all entries of the page answer as one.
    map->On("Item", [](ax::Args& a) -> ax::Variant { return "k" + ax::CStr(a[0].value()); });
    page->On("Item", [this](ax::Args&) -> ax::Variant { return ax::Object(entry).AsVariant(); });
    bill->On("Item", [this](ax::Args& a) -> ax::Variant {
      return a.size() == 1 ? ax::Object(page).AsVariant() : ax::Variant();
    });
    tableInfo->On("Item", [this](ax::Args& a) -> ax::Variant {
      if (a.size() != 1) return {};
      return ax::CStr(a[0].value()) == "Map" ? ax::Object(map).AsVariant()
                                             : ax::Object(description).AsVariant();
    });
    entry->On("Item", [](ax::Args&) -> ax::Variant { return {}; });
    description->On("Item", [](ax::Args&) -> ax::Variant { return {}; });
    dataService->On("GetEmptyBill", [this](ax::Args&) -> ax::Variant {
      return ax::Object(bill).AsVariant();
    });
    dataService->On("TableInfo", [this](ax::Args&) -> ax::Variant {
      return ax::Object(tableInfo).AsVariant();
    });
    values->On("Item", [this](ax::Args& a) -> ax::Variant {
      std::string key = ax::CStr(a[0].value());
      if (key == "FPurpose") return ax::Variant::null();
      if (key == "FSettleNo") return ax::Variant();
      return key == "FAmt" ? ax::Variant(150.5) : ax::Variant(42);
    });
  }

  FakePtr dataService = env.Make("DataSrv");
  FakePtr bill = env.Make("Bill");
  FakePtr tableInfo = env.Make("TableInfo");
  FakePtr map = env.Make("Map");
  FakePtr page = env.Make("Page1");
  FakePtr entry = env.Make("Entry");
  FakePtr description = env.Make("Description");
  FakePtr values = env.Make("Values");
};

TEST_F(PrefilledBillTest, OpensTheTemplateAndCarriesItemsBeforeThePage) {
  host::PrefilledBill prefilled{ax::Object(dataService), ax::Object(values), {"FRecSettID"}};
  EXPECT_EQ(prefilled.Bill().TypeName(), "Bill");
  EXPECT_EQ(env.Take(), (CallLog{"DataSrv.GetEmptyBill()", "DataSrv.TableInfo()",
                                 "TableInfo.Item(\"Map\")", "Values.Item(\"FRecSettID\")",
                                 "Bill.Item(\"FRecSettID\")=42", "Bill.Item(\"Page1\")"}));
}

TEST_F(PrefilledBillTest, EachValueIsReadJustBeforeItIsWritten) {
  host::PrefilledBill prefilled{ax::Object(dataService), ax::Object(values)};
  env.Take();
  const host::BillFill steps[] = {
      {"FAmt", "FFld", "FAmt"},
      {"FAmt", host::kLock},
      {"FCyID", "FFND", "FCyNo"},
  };
  prefilled.Fill(steps);
  EXPECT_EQ(env.Take(), (CallLog{
                            "Values.Item(\"FAmt\")", "Map.Item(\"FAmt\")",
                            "Page1.Item(\"kFAmt\")", "Entry.Item(\"FFld\")=150.5",
                            // A lock writes the field's description, never its page entry.
                            "Map.Item(\"FAmt\")", "TableInfo.Item(\"kFAmt\")",
                            "Description.Item(\"FLock\")=1",
                            "Values.Item(\"FCyNo\")", "Map.Item(\"FCyID\")",
                            "Page1.Item(\"kFCyID\")", "Entry.Item(\"FFND\")=42",
                        }));
}

TEST_F(PrefilledBillTest, OnlyANullItemMarkedSoBecomesEmptyText) {
  struct Case {
    const char* item;
    bool nullAsEmpty;
    const char* written;
  };
  const Case cases[] = {
      {"FPurpose", true, "Entry.Item(\"FFld\")=\"\""},
      {"FPurpose", false, "Entry.Item(\"FFld\")=NULL"},
      // Empty is not Null: it is written as it came.
      {"FSettleNo", true, "Entry.Item(\"FFld\")="},
      {"FAmt", true, "Entry.Item(\"FFld\")=150.5"},
  };
  host::PrefilledBill prefilled{ax::Object(dataService), ax::Object(values)};
  for (const Case& c : cases) {
    env.Take();
    const host::BillFill step[] = {{"FExplanation", "FFld", c.item, c.nullAsEmpty}};
    prefilled.Fill(step);
    CallLog calls = env.Take();
    ASSERT_FALSE(calls.empty()) << c.item;
    EXPECT_EQ(calls.back(), c.written) << c.item << " nullAsEmpty " << c.nullAsEmpty;
  }
}

TEST_F(PrefilledBillTest, BillWindowOnItsDataServiceAndAFailureKeepsWhatExists) {
  FakePtr service = env.Make("DataSrv");
  FakePtr window = env.Make("ClassInfoManager");
  service->Prop("ClassTypeID", 0);
  window->Prop("dataSrv", ax::Variant()).Prop("FormShowStatus", 0);
  window->On("Show", [](ax::Args&) -> ax::Variant { return {}; });
  env.Register(std::string(host::ProgId::DataSrv), [service] { return ax::Object(service); });
  env.Register(std::string(host::ProgId::ClassInfoManager), [window] { return ax::Object(window); });

  ax::Object dataSrv, manager;
  host::NewBillWindow(host::kTransferClassTypeID, dataSrv, manager);
  host::ShowBill(manager, ax::Object(bill));
  EXPECT_EQ(env.Take(), (CallLog{"DataSrv.ClassTypeID=1006007", "ClassInfoManager.dataSrv=DataSrv",
                                 "ClassInfoManager.FormShowStatus=1",
                                 "ClassInfoManager.Show(<omitted>,<omitted>,<omitted>,Bill)"}));

  // A data service that refuses its class type stays with its holder; no window is made.
  service->On("ClassTypeID", [](ax::Args&) -> ax::Variant { throw ax::Error(ax::err::kInternal); });
  ax::Object failedSrv, failedWindow;
  EXPECT_EQ(sctest::ErrorOf([&] {
              host::NewBillWindow(host::kTransferClassTypeID, failedSrv, failedWindow);
            }),
            "error 51");
  EXPECT_FALSE(failedSrv.IsNothing());
  EXPECT_TRUE(failedWindow.IsNothing());
}

TEST(TransferBillText, NullAndEmptyReadAsNoText) {
  struct Case {
    ax::Variant value;
    const char* text;
  };
  const Case cases[] = {
      {ax::Variant::null(), ""},   {ax::Variant(), ""},          {ax::Variant(""), ""},
      {ax::Variant(12), "12"},     {ax::Variant(0.5), "0.5"},    {ax::Variant(true), "True"},
      {ax::Variant("01.002"), "01.002"},
  };
  for (const Case& c : cases) EXPECT_EQ(host::TextOf(c.value), c.text) << ax::DisplayText(c.value);
  EXPECT_EQ(std::string("a") + host::kCrLf + "b", "a\r\nb");
}

}  // namespace
}  // namespace sc
