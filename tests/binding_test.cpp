// Binding of the plug-in classes to the simulated host's windows: Show takes only the host's
// own interface, by-reference parameters come back to the host, and the class holds the host
// object exactly as long as it lives.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "automation/error.h"
#include "plugin/plugin_class.h"
#include "sim/host/bill_window.h"
#include "sim/host/collections.h"
#include "sim/host/host.h"
#include "sim/host/host_object.h"
#include "sim/host/list_window.h"

namespace {

// An object with events that is not a host window: Show must not connect to it.
class EventfulStranger : public sim::HostObject {
 public:
  explicit EventfulStranger(sim::Host& host) : HostObject(host, "Stranger") {}
  std::unique_ptr<ax::Connection> Advise(ax::EventSink& sink) override {
    ++advised;
    return hub.Connect(sink);
  }
  int advised = 0;
  sim::EventHub hub;
};

void Show(const ax::DispatchPtr& plugin, const ax::Variant& arg) {
  ax::Args args{ax::Arg(arg)};
  plugin->Invoke("Show", ax::kMethod, args);
}

TEST(Binding, ShowWithAnythingButTheHostInterfaceIsATypeMismatchAndStaysUnbound) {
  sim::Host host;
  auto stranger = std::make_shared<EventfulStranger>(host);
  auto list = std::make_shared<sim::ListWindow>(host, "transfer", 2);
  auto bill = std::make_shared<sim::BillWindow>(host, 2);
  struct Case {
    const char* progId;
    ax::Variant arg;
  };
  const Case cases[] = {
      {sc::kProgIdBill.data(), ax::Variant(std::static_pointer_cast<ax::Dispatch>(stranger))},
      {sc::kProgIdBill.data(), ax::Variant(std::static_pointer_cast<ax::Dispatch>(list))},
      {sc::kProgIdBill.data(), ax::Variant("a text")},
      {sc::kProgIdBill.data(), ax::Variant()},
      {sc::kProgIdList.data(), ax::Variant(std::static_pointer_cast<ax::Dispatch>(bill))},
      {sc::kProgIdList.data(), ax::Variant(std::static_pointer_cast<ax::Dispatch>(sim::NewDictionary()))},
      {sc::kProgIdList1.data(), ax::Variant(std::static_pointer_cast<ax::Dispatch>(stranger))},
      {sc::kProgIdList1.data(), ax::Variant(int32_t{7})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.progId) + " with " + ax::DisplayText(c.arg));
    ax::DispatchPtr plugin = sc::CreatePluginClass(c.progId);
    ASSERT_TRUE(plugin);
    try {
      Show(plugin, c.arg);
      FAIL() << "Show accepted it";
    } catch (const ax::AutomationError& e) {
      EXPECT_EQ(e.Number(), 13);
      EXPECT_EQ(e.Description(), "Type mismatch");
    }
    auto* cls = dynamic_cast<sc::PluginClass*>(plugin.get());
    ASSERT_NE(cls, nullptr);
  }
  // Nothing connected to the stranger, so its events reach no one.
  EXPECT_EQ(stranger->advised, 0);
  EXPECT_FALSE(stranger->hub.HasSinks());
}

TEST(Binding, ReleaseBeforeShowIsHarmless) {
  sim::Host host;
  for (auto id : {sc::kProgIdBill, sc::kProgIdList, sc::kProgIdList1}) {
    ax::DispatchPtr plugin = sc::CreatePluginClass(id);
    ASSERT_TRUE(plugin);
    EXPECT_NO_THROW(plugin.reset());
  }
  // Through the registry as well, by any spelling.
  ax::Object created = ax::CreateObject("SCTAVEXT.SCTRANSFERLISTEXT1");
  EXPECT_EQ(created.TypeName(), "scTransferListExt1");
  EXPECT_NO_THROW(created.Reset());
}

TEST(Binding, TerminationDropsTheHostObject) {
  sim::Host host;
  struct Case {
    std::string_view progId;
    bool bill;
  };
  for (const Case& c : {Case{sc::kProgIdBill, true}, Case{sc::kProgIdList, false}, Case{sc::kProgIdList1, false}}) {
    SCOPED_TRACE(std::string(c.progId));
    ax::DispatchPtr window = c.bill ? ax::DispatchPtr(std::make_shared<sim::BillWindow>(host, 2))
                                    : ax::DispatchPtr(std::make_shared<sim::ListWindow>(host, "transfer", 2));
    long before = window.use_count();
    ax::DispatchPtr plugin = sc::CreatePluginClass(c.progId);
    Show(plugin, ax::Variant(window));
    EXPECT_EQ(window.use_count(), before + 1);  // held as the event source
    plugin.reset();
    EXPECT_EQ(window.use_count(), before);
  }
}

TEST(Binding, ClosingAWindowReleasesThePlugInAndItsHoldOnTheWindow) {
  sim::Host host;
  sim::BillOpening o;
  o.fid = 3;
  std::shared_ptr<sim::BillWindow> w = host.OpenBill(o);
  std::weak_ptr<ax::Dispatch> plugin = w->Plugin();
  ASSERT_FALSE(plugin.expired());
  long open = w.use_count();
  host.CloseCurrent();
  EXPECT_TRUE(plugin.expired());
  EXPECT_EQ(w.use_count(), open - 1);
}

TEST(Binding, ByReferenceParametersComeBackToTheHost) {
  sim::Host host;
  // Cancel: the transfer list takes the delete command over and always cancels the host's own.
  auto list = host.OpenList("transfer");
  list->Click("mnuEditDelete");
  EXPECT_TRUE(list->lastCancelled);
  // A command the plug-in leaves to the host keeps Cancel as the host passed it.
  list->Click("mnuFilePreview");
  EXPECT_FALSE(list->lastCancelled);
  // BackColor: unchecked rows are coloured by the plug-in, the others keep theirs.
  EXPECT_EQ(list->FindRow(3)->backColor, 16777200);
  EXPECT_EQ(list->FindRow(1)->backColor, 16777215);
  // CellData: the bank-submission column becomes a text.
  EXPECT_EQ(list->Cell(*list->FindRow(4), "FCommitPayStatus").value_or("?"), "已提交");

  // The bank-submission list has no row handler: cells and colours stay as the host filled them.
  auto submit = host.OpenList("banksubmit");
  EXPECT_EQ(submit->Cell(*submit->FindRow(4), "FCommitPayStatus").value_or("?"), "1");
  EXPECT_EQ(submit->FindRow(3)->backColor, 16777215);
}

TEST(Binding, EventsReachEverySinkWithWriteBack) {
  sim::Host host;
  auto w = std::make_shared<sim::BillWindow>(host, 2);
  struct Sink : ax::EventSink {
    std::vector<std::string> seen;
    void OnEvent(std::string_view name, ax::Args& args) override {
      seen.emplace_back(name);
      if (name == "MenuBarClick") args[1].value() = true;
    }
  } sink;
  {
    auto connection = w->Advise(sink);
    w->Click("mnuFilePreview");
    EXPECT_TRUE(w->lastCancelled);
    EXPECT_EQ(sink.seen, std::vector<std::string>{"MenuBarClick"});
  }
  // Disconnected: no further event arrives.
  w->Click("mnuFilePreview");
  EXPECT_FALSE(w->lastCancelled);
  EXPECT_EQ(sink.seen.size(), 1u);
}

}  // namespace
