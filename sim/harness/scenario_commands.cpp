// The scenario commands: setting the host up, queueing answers and what the user does.
#include <algorithm>
#include <set>
#include <sstream>

#include "automation/error.h"
#include "sim/host/bill_window.h"
#include "sim/host/host.h"
#include "sim/host/list_window.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"

namespace sim {

using namespace words;

namespace {

using Section = ScenarioCommand::Section;

// ---- setup ------------------------------------------------------------------------------------

void DatabaseCommand(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "database demo|empty");
  run.host.Db().Reset(YesNo(t[1], "demo", "empty"));
  run.logRead = 0;
}

void Sql(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "sql \"<statements>\"");
  try {
    run.host.Db().Execute(t[1]);
  } catch (const ax::AutomationError& e) {
    Bad("the statements failed: " + e.Description());
  }
}

void Today(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "today YYYY-MM-DD");
  run.host.settings().today = DateArg(t[1]);
}

void User(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "user <id>");
  int32_t id = Number(t[1], "a user id");
  if (run.host.UserName(id).empty()) Bad("there is no user " + t[1]);
  run.host.settings().user = id;
}

void Language(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "language <code>");
  run.host.settings().language = t[1];
}

void Translate(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "translate \"<text>\" \"<translation>\"");
  run.host.settings().translations[ax::Trim(t[1])] = t[2];
}

void Catalogue(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "catalogue on|off");
  run.host.settings().catalogue = YesNo(t[1], "on", "off");
}

void Right(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "right <user> <code> allow|deny");
  run.host.settings().rights[{Number(t[1], "a user id"), Number(t[2], "a right code")}] =
      YesNo(t[3], "allow", "deny");
}

void Security(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "security [<function code>] allow|deny");
  if (t.size() == 2) {
    run.host.settings().security = YesNo(t[1], "allow", "deny");
    run.host.settings().securityCodes.clear();
    return;
  }
  Need(t, 3, "security [<function code>] allow|deny");
  run.host.settings().securityCodes[Number(t[1], "a function code")] = YesNo(t[2], "allow", "deny");
}

void Admin(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "admin <user> yes|no");
  int32_t id = Number(t[1], "a user id");
  if (run.host.UserName(id).empty()) Bad("there is no user " + t[1]);
  run.host.SetAdministrator(id, YesNo(t[2], "yes", "no"));
}

void Profile(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "profile <category> <key> \"<value>\"");
  run.host.SetProfileValue(t[1], t[2], t[3]);
}

void Setting(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "setting SCGetVoucherAfterBank|SCGetBillAutoVch true|false");
  if (!ax::EqualsNoCase(t[1], "SCGetVoucherAfterBank") && !ax::EqualsNoCase(t[1], "SCGetBillAutoVch"))
    Bad("setting SCGetVoucherAfterBank or SCGetBillAutoVch, not " + t[1]);
  run.host.SetProfileValue("SC", t[1], YesNo(t[2], "true", "false") ? "1" : "0");
}

void RecordSets(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "recordsets forwardonly|static [<ProgID or LmLib>…]");
  bool forwardOnly = YesNo(t[1], "forwardonly", "static");
  Settings& s = run.host.settings();
  if (!forwardOnly) {
    s.forwardOnly = false;
    s.forwardOnlyObjects.clear();
  } else if (t.size() == 2) {
    s.forwardOnly = true;
  } else {
    s.forwardOnlyObjects.insert(s.forwardOnlyObjects.end(), t.begin() + 2, t.end());
  }
}

void Fail(ScenarioRun& run, const Tokens& t) {
  const char* usage =
      "fail <ProgID or Bill or List or LmLib>.<member> [\"<description>\"] [<number>] [skip <n>]";
  Need(t, 2, usage);
  size_t dot = t[1].rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == t[1].size())
    Bad("fail names <object>.<member>, not " + t[1]);
  std::vector<std::string> rest(t.begin() + 2, t.end());
  int32_t skip = 0;
  if (rest.size() >= 2 && rest[rest.size() - 2] == "skip") {
    skip = Number(rest.back(), "a number of calls to skip");
    if (skip < 0) Bad("skip takes a number of calls, not " + rest.back());
    rest.resize(rest.size() - 2);
  }
  int32_t number = rest.size() > 1 ? Number(rest[1], "an error number") : ax::err::kAppDefined;
  run.harness.faults().Plant(t[1].substr(0, dot), t[1].substr(dot + 1), rest.empty() ? "" : rest[0], number, skip);
}

// ---- queued answers ---------------------------------------------------------------------------

// A reply of one kind whose verb is one of the words allowed, with an optional text after it.
Reply VerbReply(ScenarioRun& run, const Tokens& t, const char* usage,
                std::initializer_list<const char*> verbs) {
  Need(t, 2, usage);
  Max(t, 3, usage);
  std::string allowed;
  bool known = false;
  for (const char* v : verbs) {
    known = known || t[1] == v;
    allowed += (allowed.empty() ? "" : ", ") + std::string(v);
  }
  if (!known) Bad(t[0] + " is " + allowed + ", not \"" + t[1] + "\"");
  Reply r;
  r.where = run.harness.Where();
  r.kind = t[0];
  r.verb = t[1];
  if (t.size() == 3) {
    r.text = t[2];
    r.hasText = true;
  }
  return r;
}

void Answer(ScenarioRun& run, const Tokens& t) {
  run.harness.QueueReply(VerbReply(run, t, "answer yes|no|ok|cancel [\"<question text>\"]", {"yes", "no", "ok", "cancel"}));
}

void Voucher(ScenarioRun& run, const Tokens& t) {
  Max(t, 2, "voucher complete|cancel");
  run.harness.QueueReply(VerbReply(run, t, "voucher complete|cancel", {"complete", "cancel"}));
}

void Pick(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "pick account <code>|cancel, pick purpose \"<text>\"|cancel");
  Max(t, 3, "pick account <code>|cancel, pick purpose \"<text>\"|cancel");
  if (t[1] != "account" && t[1] != "purpose") Bad("pick account or pick purpose, not pick " + t[1]);
  Reply r;
  r.where = run.harness.Where();
  r.kind = "pick " + t[1];
  r.verb = t[2] == "cancel" ? "cancel" : "pick";
  r.text = t[2] == "cancel" ? std::string() : t[2];
  r.hasText = t[2] != "cancel";
  run.harness.QueueReply(std::move(r));
}

void Bank(ScenarioRun& run, const Tokens& t) {
  run.harness.QueueReply(VerbReply(run, t, "bank accept|refuse \"<reason>\"", {"accept", "refuse"}));
}

void CancelPayment(ScenarioRun& run, const Tokens& t) {
  run.harness.QueueReply(VerbReply(run, t, "cancelpayment true|false|error \"<description>\"", {"true", "false", "error"}));
}

void Dialog(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "dialog centre|bank [options] ok|cancel");
  if (t[1] != "centre" && t[1] != "bank") Bad("dialog centre or dialog bank, not dialog " + t[1]);
  Reply r;
  r.where = run.harness.Where();
  r.kind = "dialog " + t[1];
  r.verb = t.back();
  if (r.verb != "ok" && r.verb != "cancel") Bad("a dialog answer ends with ok or cancel");
  std::set<std::string> allowed = t[1] == "centre"
                                      ? std::set<std::string>{"date", "from", "to", "unposted", "bydate"}
                                      : std::set<std::string>{"from", "to"};
  if ((t.size() - 3) % 2 != 0) Bad("dialog options come in pairs: name value");
  for (size_t i = 2; i < t.size() - 1; i += 2) {
    if (!allowed.count(t[i])) Bad("dialog " + t[1] + " has no option " + t[i]);
    const std::string& v = t[i + 1];
    if (t[i] == "date" || (t[1] == "bank" && (t[i] == "from" || t[i] == "to"))) DateArg(v);
    if (t[i] == "unposted" || t[i] == "bydate") YesNo(v, "yes", "no");
    r.options[t[i]] = v;
  }
  run.harness.QueueReply(std::move(r));
}

void Picker(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "picker <FRecSettID>...|none|cancel");
  Reply r;
  r.where = run.harness.Where();
  r.kind = "picker";
  if (t.size() == 2 && t[1] == "cancel") {
    r.verb = "cancel";
  } else if (t.size() == 2 && t[1] == "none") {
    r.verb = "ids";  // confirmed with no receipt marked
  } else {
    r.verb = "ids";
    for (size_t i = 1; i < t.size(); ++i) {
      Number(t[i], "a receipt id");
      r.values.push_back(t[i]);
    }
  }
  run.harness.QueueReply(std::move(r));
}

// ---- actions ----------------------------------------------------------------------------------

void NewBill(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "new bill [here]");
  Max(t, 3, "new bill [here]");
  if (t[1] != "bill" || (t.size() == 3 && t[2] != "here")) Bad("usage: new bill [here]");
  if (t.size() == 3)
    run.host.CurrentBill()->NewHere();
  else
    run.host.OpenBill(BillOpening{});
}

void Open(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "open bill <FID> | open list transfer|banksubmit");
  if (t[1] == "bill") {
    BillOpening o;
    o.fid = Number(t[2], "a bill id");
    try {
      run.host.OpenBill(o);
    } catch (const ax::AutomationError& e) {
      Bad(e.Description());
    }
  } else if (t[1] == "list") {
    run.host.OpenList(t[2]);
  } else {
    Bad("open bill <FID> or open list transfer|banksubmit");
  }
}

void WindowCommand(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "window <n>");
  run.host.SetCurrent(static_cast<size_t>(Number(t[1], "a window number")));
}

void Close(ScenarioRun& run, const Tokens&) { run.host.CloseCurrent(); }

void Edit(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "edit <FieldKey> \"<value>\"");
  run.host.CurrentBill()->Edit(t[1], t[2]);
}

void Lookup(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "lookup <FieldKey>");
  run.host.CurrentBill()->Lookup(t[1]);
}

void Click(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "click <toolKey>");
  Window* w = &CurrentWindow(run.host);
  w->Click(t[1]);
}

void Save(ScenarioRun& run, const Tokens&) { run.host.CurrentBill()->Save(); }

void Load(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "load <FID>");
  int32_t fid = Number(t[1], "a bill id");
  try {
    run.host.CurrentBill()->LoadOther(fid);
  } catch (const ax::AutomationError& e) {
    Bad(e.Description());
  }
}

void Refresh(ScenarioRun& run, const Tokens&) {
  ListWindow* list = run.host.CurrentList();
  run.host.Note(Channel::Host, "window " + std::to_string(list->Number()) + ": the user refreshes the list");
  list->Refill();
}

void Select(ScenarioRun& run, const Tokens& t) {
  const char* usage = "select <FID>...|none [ids <FID>...|none]";
  auto apart = std::find(t.begin(), t.end(), "ids");
  if (apart == t.end()) {
    run.host.CurrentList()->Select(Fids(t, 1, usage));
    return;
  }
  Tokens rows(t.begin(), apart), ids(apart, t.end());
  run.host.CurrentList()->Select(Fids(rows, 1, usage), Fids(ids, 1, usage));
}

void Current(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "current <FID>|none");
  Max(t, 2, "current <FID>|none");
  run.host.CurrentList()->SetCurrentRow(t[1] == "none" ? std::nullopt
                                                       : std::optional<int32_t>(Number(t[1], "a bill id")));
}

void BankState(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "bankstate <FBillNo> <status code>");
  Database& db = run.host.Db();
  if (db.QueryNative("SELECT FID FROM t_scTransfer WHERE FBillNo=?", {t[1]}).data.empty())
    Bad("there is no transfer bill " + t[1]);
  db.ExecNative("UPDATE t_BK_Payment SET FStatus=? WHERE FSource='SCTransfer' AND FSourceNumber=?", {t[2], t[1]});
  db.ExecNative("UPDATE t_scTransfer SET FBaseProperty6=? WHERE FBillNo=?", {t[2], t[1]});
  run.host.Note(Channel::Host, "the bank reports " + t[2] + " for " + t[1]);
}

void Minimise(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "minimise <n>|main");
  intptr_t hwnd = 0;
  if (t[1] == "main") {
    hwnd = run.host.MainHwnd();
  } else {
    size_t n = static_cast<size_t>(Number(t[1], "a window number"));
    if (n == 0 || n > run.host.Windows().size()) Bad("there is no window " + t[1]);
    hwnd = run.host.Windows()[n - 1]->Hwnd();
  }
  run.host.SetIconic(hwnd, true);
}

void Say(ScenarioRun& run, const Tokens& t) {
  Need(t, 2, "say \"<text>\"");
  run.host.Note(Channel::Note, t[1]);
}

void Show(ScenarioRun& run, const Tokens& t) {
  Host& host = run.host;
  Need(t, 2, "show fields [<FieldKey>...]|tools|list|messages|windows");
  const std::string& what = t[1];
  std::string text;
  if (what == "fields") {
    BillWindow* bill = host.CurrentBill();
    std::string fields = bill->DescribeFields();
    if (t.size() > 2) {
      // Only the fields named, in the order named.
      std::string chosen;
      for (size_t i = 2; i < t.size(); ++i) {
        BillWindow::Field& f = bill->FieldOrFail(t[i]);
        std::istringstream lines(fields);
        std::string line;
        while (std::getline(lines, line))
          if (line.rfind(f.key + " = ", 0) == 0) chosen += (chosen.empty() ? "" : "\n") + line;
      }
      fields = chosen;
    }
    text = "fields of window " + std::to_string(bill->Number()) + ":\n" + fields;
  } else if (what == "tools") {
    Window* w = &CurrentWindow(host);
    text = "menus of window " + std::to_string(w->Number()) + ":\n" + w->Menu().Describe();
  } else if (what == "list") {
    ListWindow* list = host.CurrentList();
    text = "rows of window " + std::to_string(list->Number()) + ":\n" + list->DescribeRows();
  } else if (what == "messages") {
    text = "unread messages:";
    for (const auto& m : run.harness.Messages())
      text += "\n" + std::string(m.result ? "result " : "message ") + Quote(m.text);
    if (run.harness.Messages().empty()) text += " none";
  } else if (what == "windows") {
    text = "windows:";
    for (const auto& w : host.Windows())
      text += "\n" + std::to_string(w->Number()) + " " + w->Title() + (w->IsOpen() ? "" : " (closed)") +
              (w.get() == host.Current() ? " [current]" : "");
  } else {
    Bad("show fields, tools, list, messages or windows");
  }
  host.Note(Channel::Note, text);
}

}  // namespace

std::vector<ScenarioCommand> SetupCommands() {
  const auto S = Section::Setup;
  return {
      {S, "database", {{"database demo|empty", "the demo centre, or the schema alone"}}, DatabaseCommand},
      {S, "sql", {{"sql \"<statements>\"", "Transact-SQL run directly through the compatibility layer (CR LF separates statements)"}}, Sql},
      {S, "today", {{"today YYYY-MM-DD", "the computer's date (default 2026-12-08)"}}, Today},
      {S, "user", {{"user <id>", "the logged-in user for every window opened from then on (default 2)"}}, User},
      {S, "language", {{"language <code>", "the user's language (default chs)"}}, Language},
      {S, "translate", {{"translate \"<text>\" \"<translation>\"", "a resource string of the current language (by trimmed Chinese text)"}}, Translate},
      {S, "catalogue", {{"catalogue on|off", "the shipped translations (po/<language>.po) serve the resource loader too, translate entries first; with it on, expected texts the plug-in shows (message, result, answer, tool caption, tooltip and description, cell, log) are written in Chinese and compared in the user's language (off by default; on under sctav --language)"}}, Catalogue},
      {S, "right", {{"right <user> <code> allow|deny", "an object right of the permission test (every right is allowed by default)"}}, Right},
      {S, "security", {{"security allow|deny", "the function security test for every function code (default allow); forgets the codes set one by one"},
                       {"security <code> allow|deny", "the function security test for one function code (512 withdrawal, 256 submission)"}}, Security},
      {S, "recordsets", {{"recordsets forwardonly|static [<ProgID|LmLib>...]", "the record sets the host's data calls hand out from then on (LmLib.GetData, GetAnyRecordSet, GetList, GetAcctList, GetBalSum, Execute, GetExportConfig), those of the objects named (names as for fail) or of all: forward-only as an ADO forward-only cursor (RecordCount and AbsolutePosition -1; MovePrevious, MoveLast and setting AbsolutePosition raise error 3251), or static (the default; recordsets static makes them all static again)"}}, RecordSets},
      {S, "admin", {{"admin <user> yes|no", "administrator flag (t_User.FIsAdmin; user 1 is one)"}}, Admin},
      {S, "profile", {{"profile <category> <key> \"<value>\"", "a system-profile entry (t_SystemProfile; SC SCDailyEnd \"0\" by default)"}}, Profile},
      {S, "setting", {{"setting SCGetVoucherAfterBank|SCGetBillAutoVch true|false", "the two voucher settings (defaults false, true)"}}, Setting},
      {S, "fail", {{"fail <object>.<member> [\"<description>\"] [<number>] [skip <n>]", "the next call of that member raises an automation error; with skip n the next n calls still succeed and the one after them fails (member CreateObject: creating the component fails)"}}, Fail},
  };
}

std::vector<ScenarioCommand> AnswerCommands() {
  const auto A = Section::Answers;
  return {
      {A, "answer", {{"answer yes|no|ok|cancel [\"<question text>\"]", "one question; with a text, the question must be exactly it"}}, Answer},
      {A, "voucher", {{"voucher complete|cancel", "the voucher window"}}, Voucher},
      {A, "pick", {{"pick account <code>|cancel", "the account look-up"}, {"pick purpose \"<text>\"|cancel", "the purpose list"}}, Pick},
      {A, "bank", {{"bank accept|refuse [\"<reason>\"]", "the bank link's import of a payment order"}}, Bank},
      {A, "cancelpayment", {{"cancelpayment true|false|error [\"<description>\"]", "the bank link's cancellation"}}, CancelPayment},
      {A, "dialog", {{"dialog centre [date D] [from \"<code>\"] [to \"<code>\"] [unposted yes|no] [bydate yes|no] ok|cancel", "the centre collection dialog"},
                     {"dialog bank [from D] [to D] ok|cancel", "the bank collection dialog"}}, Dialog},
      {A, "picker", {{"picker <FRecSettID>...|cancel", "the receipt picker"},
                     {"picker none", "the receipt picker confirmed with no receipt marked"}}, Picker},
  };
}

std::vector<ScenarioCommand> ActionCommands() {
  const auto C = Section::Actions;
  return {
      {C, "new", {{"new bill", "a window on a new transfer bill"},
                  {"new bill here", "the host's new bill in the current bill window: the fields to a new bill's defaults, BillStatus and EditStatus 1, AfterNewBill; the menus and the window's plug-in stay"}}, NewBill},
      {C, "open", {{"open bill <FID>", "a window on an existing bill"},
                   {"open list transfer|banksubmit", "the transfer list or the bank-submission list"}}, Open},
      {C, "window", {{"window <n>", "make window n current"}}, WindowCommand},
      {C, "close", {{"close", "close the current window; unsaved changes are discarded and the plug-in released"}}, Close},
      {C, "load", {{"load <FID>", "show another existing bill in the current bill window (the load events again)"}}, Load},
      {C, "edit", {{"edit <FieldKey> \"<value>\"", "BeginEdit, the host stores the value (accounts by code, the currency by number), Change; a locked field fails the run. FKey reaches the plug-in spelled as written"}}, Edit},
      {C, "lookup", {{"lookup <FieldKey>", "BeginEdit, then MenuBarClick of mnuDataLookUp; unless cancelled the host's own look-up follows (recorded as lookup)"}}, Lookup},
      {C, "click", {{"click <toolKey>", "MenuBarClick, whether or not the tool exists or is enabled; unless cancelled the host runs its own command: mnuFileSave saves, mnuEditModify opens the current row's bill, any other is recorded (expect call command \"<key>\")"}}, Click},
      {C, "save", {{"save", "the host's save: BeforeSave, insert or update of t_scTransfer (a new bill gets the next FID and \"HB\" with six digits), AfterSave"}}, Save},
      {C, "select", {{"select <FID>...|none", "the list's selection; the first is the current row"},
                     {"select <FID>...|none ids <FID>...|none", "the selection (the selected rows, the current row) set apart from what the list's GetSelectedBillID answers: the bills after ids, in that order"}}, Select},
      {C, "current", {{"current <FID>|none", "the list's current row alone (List.RsId, the host's modify), the selection unchanged"}}, Current},
      {C, "refresh", {{"refresh", "the host's own refresh of the current list"}}, Refresh},
      {C, "bankstate", {{"bankstate <FBillNo> <status code>", "the bank reports a status: the payment's state and the bill's FBaseProperty6"}}, BankState},
      {C, "minimise", {{"minimise <n>|main", "minimise a window (also spelled minimize)"}}, Minimise, {"minimize"}},
      {C, "say", {{"say \"<text>\"", "a line of narration in the transcript (a heading in the demo)"}}, Say},
      {C, "show", {{"show fields [<FieldKey>...]|tools|list|messages|windows", "print the state into the transcript"}}, Show},
  };
}

}  // namespace sim
