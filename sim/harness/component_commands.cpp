// The scenario commands that read or set up the host's components (the bank link's orders,
// the payment-file export's folder and files), and the players of the plug-in's forms.
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "sim/harness/harness.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"
#include "sim/host/call_check.h"
#include "sim/host/components/bank_link.h"
#include "sim/host/components/payment_export.h"
#include "sim/host/components/trace_log.h"
#include "sim/host/components/voucher.h"
#include "sim/host/host.h"

namespace sim {

namespace {

const std::vector<std::pair<std::string, ax::Variant>>& LastOrder(ScenarioRun& run) {
  const auto& orders = run.host.Extension<BankOrders>()->orders;
  if (orders.empty()) words::Bad("expected a payment order\n    saw none handed to the bank link");
  return orders.back().items;
}

void ExpectPayment(ScenarioRun& run, const Tokens& t) {
  const char* usage = "expect payment keys \"<key> ...\" | expect payment <key> \"<value>\" <kind>";
  words::Need(t, 4, usage);
  const auto& order = LastOrder(run);
  if (t[2] == "keys") {
    words::Max(t, 4, usage);
    std::string keys;
    for (const auto& entry : order) keys += (keys.empty() ? "" : " ") + entry.first;
    words::Expect(keys == t[3], "payment order keys " + words::Quote(t[3]), "keys " + words::Quote(keys));
    return;
  }
  words::Need(t, 5, usage);
  words::Max(t, 5, usage);
  for (const auto& [key, value] : order) {
    if (key != t[2]) continue;
    const std::string text = value.isNull() ? std::string("NULL") : ax::DisplayText(value);
    words::Expect(text == run.host.Shown(t[3]) && KindName(value) == t[4],
                  "payment " + t[2] + " " + words::Quote(run.host.Shown(t[3])) + " " + t[4],
                  "payment " + t[2] + " " + words::Quote(text) + " " + KindName(value));
    return;
  }
  words::Bad("expected payment " + t[2] + "\n    saw no item with that key");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  std::string text = s.str(), out;
  for (char c : text)
    if (c != '\r') out += c;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// `output "<folder>"`: where the export writes from now on.
void OutputCommand(ScenarioRun& run, const Tokens& line) {
  if (line.size() != 2) throw ScenarioFailure("usage: output \"<folder>\"");
  auto state = run.host.Extension<ExportState>();
  std::error_code ec;
  std::filesystem::create_directories(line[1], ec);
  if (ec) throw ScenarioFailure("cannot create the folder " + line[1] + ": " + ec.message());
  if (state->temporary) std::filesystem::remove_all(state->folder, ec);
  state->folder = line[1];
  state->temporary = false;
}

void ExpectPayFile(ScenarioRun& run, const Tokens& line) {
  if (line.size() != 3) throw ScenarioFailure("usage: expect payfile \"<text>\"");
  auto state = run.host.Extension<ExportState>();
  if (state->lastFile.empty()) throw ScenarioFailure("no payment file was written");
  const std::string seen = ReadFile(state->lastFile);
  if (seen != line[2]) throw ScenarioFailure("expected payment file \"" + line[2] + "\", saw \"" + seen + "\"");
}


}  // namespace

std::vector<ScenarioCommand> BankLinkCommands() {
  return {{ScenarioCommand::Section::Expectations, "expect payment",
           {{"expect payment keys \"<key> ...\"", "the keys of the last payment order handed to the bank link, in order, exactly"},
            {"expect payment <key> \"<value>\" <kind>", "an item of the last payment order: its text (NULL for Null) and automation kind (String, Long, Double, Currency, Integer, Boolean, Date, Empty, Null)"}},
           ExpectPayment}};
}

namespace {

// `expect trace "<name>" [ended 0|1|open]` finds the first trace started since the one the last
// `expect trace` found; `expect notrace "<name>"` looks over what the latest one looked over and on,
// as `expect sql` and `expect nosql` do.
std::string TraceEnding(const TraceEntries::Entry& e) {
  return e.failed ? "ended " + std::to_string(*e.failed) : std::string("open");
}

void ExpectTrace(ScenarioRun& run, const Tokens& t) {
  const char* usage = "expect trace \"<name>\" [ended 0|1|open] | expect notrace \"<name>\"";
  words::Need(t, 3, usage);
  const bool none = t[1] == "notrace";
  words::Max(t, none ? 3 : 5, usage);
  std::optional<std::string> ending;
  if (t.size() == 4) words::Bad(std::string("usage: ") + usage);
  if (t.size() == 5) {
    if (t[3] != "ended" || (t[4] != "0" && t[4] != "1" && t[4] != "open")) words::Bad(std::string("usage: ") + usage);
    ending = t[4] == "open" ? std::string("open") : "ended " + t[4];
  }
  const auto& entries = run.host.Extension<TraceEntries>()->entries;
  for (size_t i = none ? run.traceFrom : run.traceRead; i < entries.size(); ++i) {
    if (entries[i].name != t[2]) continue;
    if (none) words::Bad("expected no trace " + words::Quote(t[2]) + "\n    saw it started (" + TraceEnding(entries[i]) + ")");
    run.traceFrom = run.traceRead;
    run.traceRead = i + 1;
    if (ending)
      words::Expect(TraceEnding(entries[i]) == *ending, "trace " + words::Quote(t[2]) + " " + *ending,
                    "trace " + words::Quote(t[2]) + " " + TraceEnding(entries[i]));
    return;
  }
  if (!none) words::Bad("expected trace " + words::Quote(t[2]) + "\n    saw none started since");
}

// An item of what the voucher window was handed: its text (NULL for Null) and kind.
void ExpectItem(const std::string& what, const VoucherItems& items, const Tokens& t, size_t at) {
  const std::string& key = t[at];
  const std::string want = t[at + 1];
  const std::string& kind = t[at + 2];
  for (const auto& [k, value] : items) {
    if (!ax::EqualsNoCase(k, key)) continue;
    const std::string text = value.isNull() ? std::string("NULL") : ax::DisplayText(value);
    words::Expect(text == want && KindName(value) == kind, what + " " + key + " " + words::Quote(want) + " " + kind,
                  what + " " + key + " " + words::Quote(text) + " " + KindName(value));
    return;
  }
  words::Bad("expected " + what + " " + key + "\n    saw no item with that key");
}

void ExpectBillInfo(ScenarioRun& run, const Tokens& t) {
  const char* usage = "expect billinfo <key> \"<value>\" <kind>";
  words::Need(t, 5, usage);
  words::Max(t, 5, usage);
  const auto& infos = run.host.Extension<VoucherWindows>()->billInfos;
  if (infos.empty()) words::Bad("expected bill information\n    saw no voucher window of Add or Edit");
  ExpectItem("billinfo", infos.back(), t, 2);
}

void ExpectVoucherLine(ScenarioRun& run, const Tokens& t) {
  const char* usage = "expect voucherline <n> <key> \"<value>\" <kind>";
  words::Need(t, 6, usage);
  words::Max(t, 6, usage);
  const auto& stored = run.host.Extension<VoucherWindows>()->storedLines;
  if (stored.empty()) words::Bad("expected a stored voucher line\n    saw no voucher stored");
  int32_t n = words::Number(t[2], "a line number");
  if (n < 1 || static_cast<size_t>(n) > stored.back().size())
    words::Bad("the last voucher stored has " + std::to_string(stored.back().size()) + " lines, not a line " + t[2]);
  ExpectItem("voucher line " + t[2], stored.back()[static_cast<size_t>(n - 1)], t, 3);
}

}  // namespace

std::vector<ScenarioCommand> VoucherCommands() {
  return {
      {ScenarioCommand::Section::Expectations, "expect billinfo",
       {{"expect billinfo <key> \"<value>\" <kind>", "an item of the bill information the last voucher window of Add or Edit worked from: its text (NULL for Null) and automation kind (as for expect payment)"}},
       ExpectBillInfo},
      {ScenarioCommand::Section::Expectations, "expect voucherline",
       {{"expect voucherline <n> <key> \"<value>\" <kind>", "an item of line n of the last voucher a window stored, as the plug-in's line held it (FAccountID, FDC, FCurrencyID, FExchangeRate, FAmountFor, FAmount, FExplanation, FSettleTypeID, FSettleNo): its text (NULL for Null, an item the line lacks is Empty) and automation kind"}},
       ExpectVoucherLine},
  };
}

std::vector<ScenarioCommand> TraceLogCommands() {
  return {
      {ScenarioCommand::Section::Expectations, "expect trace",
       {{"expect trace \"<name>\" [ended 0|1|open]", "a trace (PWLogMsg.Log.LogStart) started since the one the last expect trace found has that name; with ended, its LogEnd came with that failed flag, or open: none came yet"}},
       ExpectTrace},
      {ScenarioCommand::Section::Expectations, "expect notrace",
       {{"expect notrace \"<name>\"", "no trace of that name among those the latest expect trace looked over (the one it found included) and those started since; before any expect trace, among all"}},
       ExpectTrace},
  };
}

std::vector<ScenarioCommand> PaymentExportCommands() {
  return {
      {ScenarioCommand::Section::Setup, "output",
       {{"output \"<folder>\"", "where the payment-file export writes (created when missing, kept after the run); without it, a temporary folder of the run's own, removed when the run ends"}},
       OutputCommand},
      {ScenarioCommand::Section::Expectations, "expect payfile",
       {{"expect payfile \"<text>\"", "the last payment file written holds exactly these lines (joined by \\n)"}},
       ExpectPayFile},
  };
}


std::vector<ScenarioCommand> CentreDialogCommands();
std::vector<ScenarioCommand> BankCollectDialogCommands();
std::vector<ScenarioCommand> ReceiptListCommands();
std::vector<ScenarioCommand> FormKeyCommands();
std::vector<ScenarioCommand> FormViewCommands();

// The scenario commands of the components and the plug-in's forms, each beside its code.
std::vector<ScenarioCommand> ComponentCommands() {
  std::vector<ScenarioCommand> all;
  for (auto part : {PaymentExportCommands, CentreDialogCommands, BankCollectDialogCommands, ReceiptListCommands,
                BankLinkCommands, TraceLogCommands, VoucherCommands, FormKeyCommands, FormViewCommands})
    for (auto& c : part()) all.push_back(std::move(c));
  return all;
}

void RegisterCentreDialogPlayer(Harness& harness);
void RegisterBankCollectDialogPlayer(Harness& harness);
void RegisterBankSendPlayer(Harness& harness);
void RegisterReceiptPickerPlayer(Harness& harness);
void RegisterFormKeys(Harness& harness);
void RegisterFormView(Harness& harness);

namespace {

// What must be true of every order the plug-in handed to the bank link: the bank maps an order
// of version "1.0.0" by the exact keys of its items.
std::string CheckBankOrders(Harness& harness, size_t& checked) {
  const auto& orders = harness.host().Extension<BankOrders>()->orders;
  while (checked < orders.size()) {
    const BankOrders::Order& order = orders[checked++];  // each order is told once
    std::string number;
    for (const auto& [key, value] : order.items)
      if (key == "FSourceNumber") number = ax::DisplayText(value);
    const std::string which = "the payment order" + (number.empty() ? std::string() : " for " + number);
    if (order.version != kBankOrderVersion)
      return which + " was handed over with the bank link's Version \"" + order.version +
             "\"; the bank takes version \"" + kBankOrderVersion + "\"";
    for (const char* key : kBankOrderItems) {
      bool exact = false;
      for (const auto& entry : order.items) exact = exact || entry.first == key;
      if (!exact) return which + " has no item \"" + key + "\" under that exact key, which the bank maps";
    }
  }
  return {};
}

// What must be true of the vouchers the plug-in filed: each one's lines balance and name
// accounts that exist, the bill information named existing key accounts, and no voucher
// outlives the bill it was made for. Vouchers that were
// so before the plug-in filed them (the centre's data, a file's own set-up) are not its work.
struct VoucherCheck {
  std::set<std::string> known;
  size_t keysChecked = 0;
  int64_t lastChanges = -1;

  // A file that rebuilds the voucher tables skips the check.
  std::vector<std::pair<std::string, std::string>> Wrong(Host& host) const {
    try {
      return Unchecked(host);
    } catch (const ax::AutomationError&) {
      return {};
    }
  }
  std::vector<std::pair<std::string, std::string>> Unchecked(Host& host) const {
    std::vector<std::pair<std::string, std::string>> out;
    Rows unbalanced = host.Db().QueryNative(
        "SELECT v.FVoucherID, v.FWord || '-' || v.FNumber, "
        "SUM(CASE WHEN e.FDC=1 THEN e.FAmount ELSE 0 END), "
        "SUM(CASE WHEN e.FDC=1 THEN 0 ELSE e.FAmount END) FROM t_Voucher v "
        "JOIN t_VoucherEntry e ON e.FVoucherID=v.FVoucherID GROUP BY v.FVoucherID "
        "HAVING ABS(SUM(CASE WHEN e.FDC=1 THEN e.FAmount ELSE -e.FAmount END)) > 0.005");
    for (const auto& r : unbalanced.data)
      out.push_back({"balance " + ax::DisplayText(r[0]),
                     "voucher " + ax::DisplayText(r[1]) + " does not balance: debit " +
                         ax::DisplayText(r[2]) + ", credit " + ax::DisplayText(r[3])});
    Rows missing = host.Db().QueryNative(
        "SELECT v.FVoucherID, v.FWord || '-' || v.FNumber, e.FEntryID, e.FAccountID FROM t_Voucher v "
        "JOIN t_VoucherEntry e ON e.FVoucherID=v.FVoucherID WHERE NOT EXISTS "
        "(SELECT 1 FROM t_Account a WHERE a.FAccountID=e.FAccountID)");
    for (const auto& r : missing.data)
      out.push_back({"account " + ax::DisplayText(r[0]) + "/" + ax::DisplayText(r[2]),
                     "line " + ax::DisplayText(r[2]) + " of voucher " + ax::DisplayText(r[1]) +
                         " names account " + ax::DisplayText(r[3]) + ", which does not exist"});
    Rows orphans = host.Db().QueryNative(
        "SELECT v.FVoucherID, v.FWord || '-' || v.FNumber, v.FParameter FROM t_Voucher v "
        "WHERE v.FParameter > 0 AND NOT EXISTS (SELECT 1 FROM t_scTransfer b WHERE b.FID=v.FParameter)");
    for (const auto& r : orphans.data)
      out.push_back({"orphan " + ax::DisplayText(r[0]),
                     "voucher " + ax::DisplayText(r[1]) + " remains for bill " + ax::DisplayText(r[2]) +
                         ", which was deleted"});
    return out;
  }
  void Rebase(Host& host) {
    for (const auto& [key, text] : Wrong(host)) known.insert(key);
  }
  std::string Check(Host& host) {
    const auto& keys = host.Extension<VoucherKeyAccounts>()->accounts;
    while (keysChecked < keys.size()) {
      const auto [debit, credit] = keys[keysChecked++];
      for (double account : {debit, credit}) {
        bool exists = true;
        try {
          exists = !host.Db().QueryNative("SELECT 1 FROM t_Account WHERE FAccountID=?", {account}).data.empty();
        } catch (const ax::AutomationError&) {
        }
        if (!exists)
          return "the voucher window was handed the key account " + ax::DisplayText(ax::Variant(account)) +
                 ", which does not exist";
      }
    }
    // Nothing written since the last look: no voucher can have changed.
    const int64_t changes = host.Db().ChangeCount();
    if (changes == lastChanges) return {};
    lastChanges = changes;
    for (const auto& [key, text] : Wrong(host))
      if (known.insert(key).second) return text;
    return {};
  }
};

// Every entry the plug-in writes to the business log names the transfer bill's object code.
// Entries already there at the start (or after a file's own set-up) are not its work.
struct LogCodeCheck {
  int64_t lastLog = 0;
  int64_t lastChanges = -1;

  void Rebase(Host& host) {
    try {
      Rows r = host.Db().QueryNative("SELECT MAX(FLogID) FROM t_Log");
      lastLog = r.data.empty() || r.data[0][0].isNull() ? 0 : ax::CLng(r.data[0][0]);
    } catch (const ax::AutomationError&) {
      lastLog = 0;
    }
  }
  std::string Check(Host& host) {
    const int64_t changes = host.Db().ChangeCount();
    if (changes == lastChanges) return {};
    lastChanges = changes;
    Rows r;
    try {
      r = host.Db().QueryNative("SELECT FLogID, FObjectCode, FText FROM t_Log WHERE FLogID>? ORDER BY FLogID",
                                {lastLog});
    } catch (const ax::AutomationError&) {
      return {};  // a file that rebuilds the log table skips the check
    }
    for (const auto& row : r.data) {
      lastLog = ax::CLng(row[0]);
      if (ax::DisplayText(row[1]) != "DJPT100001")
        return "the business-log entry \"" + ax::DisplayText(row[2]) + "\" names the object code \"" +
               ax::DisplayText(row[1]) + "\"; the transfer bill's is \"DJPT100001\"";
    }
    return {};
  }
};

}  // namespace

void RegisterWorkChecks(Harness& harness) {
  auto checked = std::make_shared<size_t>(0);
  harness.AddWorkCheck([checked](Harness& h) { return CheckBankOrders(h, *checked); });
  auto vouchers = std::make_shared<VoucherCheck>();
  vouchers->Rebase(harness.host());
  harness.AddWorkCheck([vouchers](Harness& h) { return vouchers->Check(h.host()); },
                       [vouchers](Harness& h) { vouchers->Rebase(h.host()); });
  auto log = std::make_shared<LogCodeCheck>();
  log->Rebase(harness.host());
  harness.AddWorkCheck([log](Harness& h) { return log->Check(h.host()); },
                       [log](Harness& h) { log->Rebase(h.host()); });
}

void RegisterFormPlayers(Harness& harness) {
  RegisterBankSendPlayer(harness);
  RegisterReceiptPickerPlayer(harness);
  RegisterBankCollectDialogPlayer(harness);
  RegisterCentreDialogPlayer(harness);
  RegisterFormKeys(harness);
  RegisterFormView(harness);
}

}  // namespace sim
