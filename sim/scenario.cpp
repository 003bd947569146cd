#include "sim/scenario.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "automation/error.h"
#include "sim/bill_window.h"
#include "sim/host.h"
#include "sim/list_window.h"

namespace sim {

namespace {

using Tokens = std::vector<std::string>;

[[noreturn]] void Bad(const std::string& what) { throw ScenarioFailure(what); }

std::string Quote(const std::string& s) { return "\"" + ShowLines(s) + "\""; }

void Need(const Tokens& t, size_t n, const char* usage) {
  if (t.size() < n) Bad(std::string("usage: ") + usage);
}

void Max(const Tokens& t, size_t n, const char* usage) {
  if (t.size() > n) Bad(std::string("too many words; usage: ") + usage);
}

int32_t Number(const std::string& s, const char* what) {
  try {
    size_t used = 0;
    long long v = std::stoll(s, &used);
    if (used != s.size() || v < INT32_MIN || v > INT32_MAX) throw std::invalid_argument(s);
    return static_cast<int32_t>(v);
  } catch (const std::exception&) {
    Bad(std::string(what) + " must be a whole number, not \"" + s + "\"");
  }
}

bool YesNo(const std::string& s, const char* yes, const char* no) {
  if (s == yes) return true;
  if (s == no) return false;
  Bad("expected " + std::string(yes) + " or " + no + ", not \"" + s + "\"");
}

ax::DateValue DateArg(const std::string& s) {
  if (s.size() != 10 || s[4] != '-' || s[7] != '-') Bad("a date is written YYYY-MM-DD, not \"" + s + "\"");
  try {
    return ax::CDate(ax::Variant(s));
  } catch (const ax::AutomationError&) {
    Bad("not a date: \"" + s + "\"");
  }
}

std::vector<int32_t> Fids(const Tokens& t, size_t from, const char* usage) {
  Need(t, from + 1, usage);
  std::vector<int32_t> out;
  if (t.size() == from + 1 && t[from] == "none") return out;
  for (size_t i = from; i < t.size(); ++i) out.push_back(Number(t[i], "a bill id"));
  return out;
}

void Expect(bool holds, const std::string& expected, const std::string& seen) {
  if (!holds) Bad("expected " + expected + "\n    saw " + seen);
}

// ---- setup ------------------------------------------------------------------------------------

void QueueAnswer(Host& host, const Tokens& t) {
  Reply r;
  r.where = host.Where();
  const std::string& head = t[0];
  if (head == "answer") {
    Need(t, 2, "answer yes|no|ok|cancel [\"<question text>\"]");
    Max(t, 3, "answer yes|no|ok|cancel [\"<question text>\"]");
    if (t[1] != "yes" && t[1] != "no" && t[1] != "ok" && t[1] != "cancel")
      Bad("answer is yes, no, ok or cancel, not \"" + t[1] + "\"");
    r.kind = "answer";
    r.verb = t[1];
    if (t.size() == 3) {
      r.text = t[2];
      r.hasText = true;
    }
  } else if (head == "voucher") {
    Need(t, 2, "voucher complete|cancel");
    Max(t, 2, "voucher complete|cancel");
    YesNo(t[1], "complete", "cancel");
    r.kind = "voucher";
    r.verb = t[1];
  } else if (head == "pick") {
    Need(t, 3, "pick account <code>|cancel, pick purpose \"<text>\"|cancel");
    Max(t, 3, "pick account <code>|cancel, pick purpose \"<text>\"|cancel");
    if (t[1] != "account" && t[1] != "purpose") Bad("pick account or pick purpose, not pick " + t[1]);
    r.kind = "pick " + t[1];
    r.verb = t[2] == "cancel" ? "cancel" : "pick";
    r.text = t[2] == "cancel" ? std::string() : t[2];
    r.hasText = t[2] != "cancel";
  } else if (head == "bank") {
    Need(t, 2, "bank accept|refuse \"<reason>\"");
    Max(t, 3, "bank accept|refuse \"<reason>\"");
    YesNo(t[1], "accept", "refuse");
    r.kind = "bank";
    r.verb = t[1];
    if (t.size() == 3) {
      r.text = t[2];
      r.hasText = true;
    }
  } else if (head == "cancelpayment") {
    Need(t, 2, "cancelpayment true|false|error \"<description>\"");
    Max(t, 3, "cancelpayment true|false|error \"<description>\"");
    if (t[1] != "true" && t[1] != "false" && t[1] != "error")
      Bad("cancelpayment true, false or error, not \"" + t[1] + "\"");
    r.kind = "cancelpayment";
    r.verb = t[1];
    if (t.size() == 3) {
      r.text = t[2];
      r.hasText = true;
    }
  } else if (head == "dialog") {
    Need(t, 3, "dialog centre|bank [options] ok|cancel");
    if (t[1] != "centre" && t[1] != "bank") Bad("dialog centre or dialog bank, not dialog " + t[1]);
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
  } else if (head == "picker") {
    Need(t, 2, "picker <FRecSettID>...|cancel");
    r.kind = "picker";
    if (t.size() == 2 && t[1] == "cancel") {
      r.verb = "cancel";
    } else {
      r.verb = "ids";
      for (size_t i = 1; i < t.size(); ++i) {
        Number(t[i], "a receipt id");
        r.values.push_back(t[i]);
      }
    }
  }
  host.QueueReply(std::move(r));
}

// ---- expectations -----------------------------------------------------------------------------

std::string ToolState(const Tool& t) {
  std::string s = t.enabled ? "enabled" : "disabled";
  s += t.visible ? ", visible" : ", hidden";
  return s;
}

void ExpectTool(Host& host, const Tokens& t) {
  Need(t, 4, "expect tool <key> enabled|disabled|visible|hidden|absent|present, or expect tool <key> <property> \"<value>\"");
  Window* w = host.Current();
  if (!w) Bad("no window is open");
  auto tool = w->Menu().FindTool(t[2]);
  const std::string& what = t[3];
  if (what == "absent" || what == "present") {
    Expect((tool != nullptr) == (what == "present"), "tool " + t[2] + " " + what,
           tool ? "it is there (" + ToolState(*tool) + ")" : "no such tool");
    return;
  }
  if (!tool) Bad("expected tool " + t[2] + " " + what + "\n    saw no such tool");
  if (what == "enabled" || what == "disabled") {
    Expect(tool->enabled == (what == "enabled"), "tool " + t[2] + " " + what, ToolState(*tool));
    return;
  }
  if (what == "visible" || what == "hidden") {
    Expect(tool->visible == (what == "visible"), "tool " + t[2] + " " + what, ToolState(*tool));
    return;
  }
  static const std::pair<const char*, const char*> props[] = {
      {"caption", "Caption"}, {"tooltip", "ToolTipText"}, {"description", "DescriptionText"},
      {"id", "Id"},           {"begingroup", "BeginGroup"}, {"face", "Face"},
      {"mask", "MaskColor"},  {"dropdown", "DropDownBand"}};
  for (const auto& [word, name] : props) {
    if (what == word) {
      Need(t, 5, "expect tool <key> <property> \"<value>\"");
      std::string seen = ax::DisplayText(tool->GetProperty(name));
      // Captions and tips are texts the plug-in shows; the other properties are not.
      bool text = what == "caption" || what == "tooltip" || what == "description";
      std::string want = text ? host.Shown(t[4]) : t[4];
      Expect(seen == want, "tool " + t[2] + " " + what + " " + Quote(want), Quote(seen));
      return;
    }
  }
  Bad("expect tool: unknown state or property " + what);
}

void ExpectBand(Host& host, const Tokens& t) {
  Need(t, 4, "expect band <key> \"<tool keys, comma separated>\" | kind <n> | visible|hidden");
  Window* w = host.Current();
  if (!w) Bad("no window is open");
  auto band = w->Menu().FindBand(t[2]);
  if (!band) Bad("expected band " + t[2] + "\n    saw no such band");
  if (t[3] == "kind") {
    Need(t, 5, "expect band <key> kind <n>");
    Expect(band->kind == Number(t[4], "a band kind"), "band " + t[2] + " kind " + t[4],
           "kind " + std::to_string(band->kind));
  } else if (t[3] == "visible" || t[3] == "hidden") {
    Expect(band->visible == (t[3] == "visible"), "band " + t[2] + " " + t[3],
           band->visible ? "visible" : "hidden");
  } else {
    Expect(band->KeyList() == t[3], "band " + t[2] + " to hold " + Quote(t[3]), Quote(band->KeyList()));
  }
}

void ExpectFirstColumn(Host& host, const Tokens& t, bool rows) {
  sim::Rows r;
  try {
    r = host.Db().Query(t[2]);
  } catch (const ax::AutomationError& e) {
    Bad("the query failed: " + e.Description());
  }
  if (rows) {
    int32_t n = Number(t[3], "a row count");
    Expect(static_cast<int32_t>(r.data.size()) == n, std::to_string(n) + " rows",
           std::to_string(r.data.size()) + " rows");
    return;
  }
  std::string seen = r.data.empty() || r.data[0].empty() ? std::string("(no rows)") : ax::DisplayText(r.data[0][0]);
  Expect(seen == t[3], Quote(t[3]), r.data.empty() ? seen : Quote(seen));
}

void ExpectCall(Host& host, const std::string& kind, const std::vector<std::string>& values) {
  auto& calls = host.Calls();
  for (auto it = calls.begin(); it != calls.end(); ++it) {
    if (it->kind != kind) continue;
    RecordedCall c = *it;
    calls.erase(it);
    std::string want, seen;
    for (const auto& v : values) want += " " + Quote(v);
    for (const auto& v : c.values) seen += " " + Quote(v);
    Expect(c.values == values, kind + want, kind + seen);
    return;
  }
  std::string want;
  for (const auto& v : values) want += " " + Quote(v);
  Bad("expected " + kind + want + "\n    saw no " + kind + " call");
}

void RunExpect(Host& host, const Tokens& t) {
  Need(t, 2, "expect <what> ...");
  const std::string& what = t[1];
  auto& messages = host.Messages();
  if (what == "message" || what == "result") {
    Need(t, 3, "expect message \"<text>\" [<flags>] | expect result \"<text>\"");
    Max(t, what == "message" ? 4 : 3, "expect message \"<text>\" [<flags>] | expect result \"<text>\"");
    bool result = what == "result";
    if (messages.empty()) Bad("expected " + what + " " + Quote(t[2]) + "\n    saw nothing shown");
    ShownMessage m = messages.front();
    if (m.result != result)
      Bad("expected " + what + " " + Quote(t[2]) + "\n    saw " + (m.result ? "result " : "message ") + Quote(m.text));
    messages.pop_front();
    Expect(m.text == host.Shown(t[2]), what + " " + Quote(host.Shown(t[2])),
           what + " " + Quote(m.text));
    if (t.size() == 4) {
      int32_t flags = Number(t[3], "message flags");
      Expect(m.flags == flags, "message " + Quote(t[2]) + " with flags " + t[3],
             "flags " + std::to_string(m.flags));
    }
  } else if (what == "messages") {
    Need(t, 3, "expect messages none");
    if (t[2] != "none") Bad("usage: expect messages none");
    if (!messages.empty())
      Bad("expected no unread message\n    saw " + std::string(messages.front().result ? "result " : "message ") +
          Quote(messages.front().text));
  } else if (what == "field" || what == "display" || what == "code") {
    Need(t, 4, "expect field|display|code <FieldKey> \"<text>\"");
    BillWindow* bill = host.CurrentBill();
    BillWindow::Field& f = bill->FieldOrFail(t[2]);
    std::string seen;
    if (what == "field") seen = ax::DisplayText(f.value);
    else seen = ax::DisplayText(bill->FieldValue(f.key, what == "display" ? 3 : 2));
    Expect(seen == t[3], what + " " + f.key + " " + Quote(t[3]), Quote(seen));
  } else if (what == "locked") {
    Need(t, 4, "expect locked <FieldKey> yes|no");
    BillWindow::Field& f = host.CurrentBill()->FieldOrFail(t[2]);
    bool want = YesNo(t[3], "yes", "no");
    Expect(f.locked == want, f.key + (want ? " locked" : " not locked"), f.locked ? "locked" : "not locked");
  } else if (what == "tool") {
    ExpectTool(host, t);
  } else if (what == "band") {
    ExpectBand(host, t);
  } else if (what == "status" || what == "editstatus") {
    Need(t, 3, "expect status <n> | expect editstatus <n>");
    BillWindow* bill = host.CurrentBill();
    int32_t seen = what == "status" ? bill->billStatus : bill->editStatus;
    Expect(seen == Number(t[2], "a status"), what + " " + t[2], what + " " + std::to_string(seen));
  } else if (what == "changed") {
    Need(t, 3, "expect changed yes|no");
    BillWindow* bill = host.CurrentBill();
    bool want = YesNo(t[2], "yes", "no");
    Expect(bill->changed == want, want ? "unsaved changes" : "no unsaved changes",
           bill->changed ? "unsaved changes" : "no unsaved changes");
  } else if (what == "cancelled") {
    Need(t, 3, "expect cancelled yes|no");
    Window* w = host.Current();
    if (!w) Bad("no window is open");
    bool seen = w->IsBill() ? static_cast<BillWindow*>(w)->lastCancelled : static_cast<ListWindow*>(w)->lastCancelled;
    bool want = YesNo(t[2], "yes", "no");
    Expect(seen == want, want ? "cancelled by the plug-in" : "not cancelled",
           seen ? "cancelled by the plug-in" : "not cancelled");
  } else if (what == "query" || what == "rows") {
    Need(t, 4, "expect query \"<select>\" \"<text>\" | expect rows \"<select>\" <n>");
    ExpectFirstColumn(host, t, what == "rows");
  } else if (what == "log") {
    Need(t, 3, "expect log \"<text>\"");
    auto unread = host.UnreadLog();
    if (unread.empty()) Bad("expected log " + Quote(t[2]) + "\n    saw no further log entry");
    host.LogReadPos() = unread.front().first;
    Expect(unread.front().second == host.Shown(t[2]), "log " + Quote(host.Shown(t[2])),
           "log " + Quote(unread.front().second));
  } else if (what == "error") {
    Need(t, 3, "expect error \"<description>\"");
    const auto& errors = host.Errors();
    size_t& pos = host.ErrorReadPos();
    if (pos >= errors.size()) Bad("expected error " + Quote(t[2]) + "\n    saw no further error");
    const ax::AutomationError& e = errors[pos++];
    Expect(e.Description() == t[2], "error " + Quote(t[2]),
           "error " + std::to_string(e.Number()) + " " + Quote(e.Description()));
  } else if (what == "errors") {
    Need(t, 3, "expect errors none");
    const auto& errors = host.Errors();
    size_t pos = host.ErrorReadPos();
    if (pos < errors.size())
      Bad("expected no further error\n    saw error " + std::to_string(errors[pos].Number()) + " " +
          Quote(errors[pos].Description()));
  } else if (what == "windows") {
    Need(t, 3, "expect windows <n>");
    int32_t n = Number(t[2], "a window count");
    Expect(host.OpenBillCount() == n, std::to_string(n) + " open bill windows",
           std::to_string(host.OpenBillCount()));
  } else if (what == "listed") {
    std::vector<int32_t> want = Fids(t, 2, "expect listed <FID>...|none");
    ListWindow* list = host.CurrentList();
    std::vector<int32_t> seen;
    for (const auto& r : list->ListRows()) seen.push_back(r.fid);
    auto text = [](std::vector<int32_t> v) {
      std::sort(v.begin(), v.end());
      std::string s;
      for (int32_t f : v) s += (s.empty() ? "" : " ") + std::to_string(f);
      return s.empty() ? std::string("none") : s;
    };
    Expect(text(want) == text(seen), "listed " + text(want), "listed " + text(seen));
  } else if (what == "row") {
    Need(t, 5, "expect row <FID> color <n>");
    if (t[3] != "color") Bad("usage: expect row <FID> color <n>");
    ListWindow* list = host.CurrentList();
    const ListWindow::Row* row = list->FindRow(Number(t[2], "a bill id"));
    if (!row) Bad("the list does not show bill " + t[2]);
    Expect(row->backColor == Number(t[4], "a colour"), "row " + t[2] + " color " + t[4],
           "color " + std::to_string(row->backColor));
  } else if (what == "cell") {
    Need(t, 5, "expect cell <FID> \"<column>\" \"<text>\"");
    ListWindow* list = host.CurrentList();
    const ListWindow::Row* row = list->FindRow(Number(t[2], "a bill id"));
    if (!row) Bad("the list does not show bill " + t[2]);
    auto cell = list->Cell(*row, t[3]);
    if (!cell) Bad("the list has no column " + t[3]);
    Expect(*cell == host.Shown(t[4]), "cell " + t[3] + " of bill " + t[2] + " " + Quote(host.Shown(t[4])),
           Quote(*cell));
  } else if (what == "export") {
    Need(t, 6, "expect export \"<bank key>\" \"<subsystem>\" \"<ids>\" \"<bill kind>\"");
    Max(t, 6, "expect export \"<bank key>\" \"<subsystem>\" \"<ids>\" \"<bill kind>\"");
    ExpectCall(host, "export", {t[2], t[3], t[4], t[5]});
  } else if (what == "call") {
    Need(t, 3, "expect call <kind> \"<value>\"...");
    ExpectCall(host, t[2], std::vector<std::string>(t.begin() + 3, t.end()));
  } else if (what == "calls") {
    Need(t, 4, "expect calls <kind> none");
    if (t[3] != "none") Bad("usage: expect calls <kind> none");
    for (const auto& c : host.Calls()) {
      if (c.kind != t[2]) continue;
      std::string seen;
      for (const auto& v : c.values) seen += " " + Quote(v);
      Bad("expected no further " + t[2] + " call\n    saw " + t[2] + seen);
    }
  } else if (what == "sql" || what == "nosql") {
    Need(t, 3, "expect sql \"<text>\" | expect nosql \"<text>\"");
    const auto& sent = host.SentSql();
    size_t& pos = host.SqlReadPos();
    for (size_t i = pos; i < sent.size(); ++i) {
      if (sent[i].find(t[2]) == std::string::npos) continue;
      if (what == "nosql") Bad("expected no SQL containing " + Quote(t[2]) + "\n    saw " + Quote(sent[i]));
      pos = i + 1;
      return;
    }
    if (what == "sql") Bad("expected SQL containing " + Quote(t[2]) + "\n    saw none among the statements sent since");
  } else if (what == "foreground") {
    Need(t, 3, "expect foreground <n>|main");
    intptr_t want = 0;
    if (t[2] == "main") {
      want = host.MainHwnd();
    } else {
      size_t n = static_cast<size_t>(Number(t[2], "a window number"));
      if (n == 0 || n > host.Windows().size()) Bad("there is no window " + t[2]);
      want = host.Windows()[n - 1]->Hwnd();
    }
    Expect(host.Foreground() == want, "window " + t[2] + " in front", host.HwndName(host.Foreground()) + " in front");
  } else if (const Host::CommandHandler* h = host.FindExpectation(what)) {
    (*h)(host, Tokens(t.begin() + 2, t.end()));
  } else {
    Bad("unknown expectation: expect " + what);
  }
}

// ---- commands ---------------------------------------------------------------------------------

void Show(Host& host, const Tokens& t) {
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
    Window* w = host.Current();
    if (!w) Bad("no window is open");
    text = "menus of window " + std::to_string(w->Number()) + ":\n" + w->Menu().Describe();
  } else if (what == "list") {
    ListWindow* list = host.CurrentList();
    text = "rows of window " + std::to_string(list->Number()) + ":\n" + list->DescribeRows();
  } else if (what == "messages") {
    text = "unread messages:";
    for (const auto& m : host.Messages())
      text += "\n" + std::string(m.result ? "result " : "message ") + Quote(m.text);
    if (host.Messages().empty()) text += " none";
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

void Run(Host& host, const Tokens& t, int* expectations) {
  const std::string& c = t[0];
  if (c == "expect") {
    if (expectations) ++*expectations;
    RunExpect(host, t);
  } else if (c == "database") {
    Need(t, 2, "database demo|empty");
    host.Db().Reset(YesNo(t[1], "demo", "empty"));
    host.LogReadPos() = 0;
  } else if (c == "sql") {
    Need(t, 2, "sql \"<statements>\"");
    try {
      host.Db().Execute(t[1]);
    } catch (const ax::AutomationError& e) {
      Bad("the statements failed: " + e.Description());
    }
  } else if (c == "today") {
    Need(t, 2, "today YYYY-MM-DD");
    host.settings().today = DateArg(t[1]);
  } else if (c == "user") {
    Need(t, 2, "user <id>");
    int32_t id = Number(t[1], "a user id");
    if (host.UserName(id).empty()) Bad("there is no user " + t[1]);
    host.settings().user = id;
  } else if (c == "language") {
    Need(t, 2, "language <code>");
    host.settings().language = t[1];
  } else if (c == "translate") {
    Need(t, 3, "translate \"<text>\" \"<translation>\"");
    host.settings().translations[ax::Trim(t[1])] = t[2];
  } else if (c == "catalogue") {
    Need(t, 2, "catalogue on|off");
    host.settings().catalogue = YesNo(t[1], "on", "off");
  } else if (c == "right") {
    Need(t, 4, "right <user> <code> allow|deny");
    host.settings().rights[{Number(t[1], "a user id"), Number(t[2], "a right code")}] =
        YesNo(t[3], "allow", "deny");
  } else if (c == "security") {
    Need(t, 2, "security allow|deny");
    host.settings().security = YesNo(t[1], "allow", "deny");
  } else if (c == "admin") {
    Need(t, 3, "admin <user> yes|no");
    int32_t id = Number(t[1], "a user id");
    if (host.UserName(id).empty()) Bad("there is no user " + t[1]);
    host.SetAdministrator(id, YesNo(t[2], "yes", "no"));
  } else if (c == "profile") {
    Need(t, 4, "profile <category> <key> \"<value>\"");
    host.SetProfileValue(t[1], t[2], t[3]);
  } else if (c == "setting") {
    Need(t, 3, "setting SCGetVoucherAfterBank|SCGetBillAutoVch true|false");
    if (!ax::EqualsNoCase(t[1], "SCGetVoucherAfterBank") && !ax::EqualsNoCase(t[1], "SCGetBillAutoVch"))
      Bad("setting SCGetVoucherAfterBank or SCGetBillAutoVch, not " + t[1]);
    host.SetProfileValue("SC", t[1], YesNo(t[2], "true", "false") ? "1" : "0");
  } else if (c == "fail") {
    Need(t, 2, "fail <ProgID or Bill or List or LmLib>.<member> [\"<description>\"] [<number>]");
    size_t dot = t[1].rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == t[1].size())
      Bad("fail names <object>.<member>, not " + t[1]);
    int32_t number = t.size() > 3 ? Number(t[3], "an error number") : ax::err::kAppDefined;
    host.PlantFailure(t[1].substr(0, dot), t[1].substr(dot + 1), t.size() > 2 ? t[2] : "", number);
  } else if (c == "answer" || c == "voucher" || c == "pick" || c == "bank" || c == "cancelpayment" ||
             c == "dialog" || c == "picker") {
    QueueAnswer(host, t);
  } else if (c == "new") {
    Need(t, 2, "new bill");
    if (t[1] != "bill") Bad("usage: new bill");
    host.OpenBill(BillOpening{});
  } else if (c == "open") {
    Need(t, 3, "open bill <FID> | open list transfer|banksubmit");
    if (t[1] == "bill") {
      BillOpening o;
      o.fid = Number(t[2], "a bill id");
      try {
        host.OpenBill(o);
      } catch (const ax::AutomationError& e) {
        Bad(e.Description());
      }
    } else if (t[1] == "list") {
      host.OpenList(t[2]);
    } else {
      Bad("open bill <FID> or open list transfer|banksubmit");
    }
  } else if (c == "window") {
    Need(t, 2, "window <n>");
    host.SetCurrent(static_cast<size_t>(Number(t[1], "a window number")));
  } else if (c == "close") {
    host.CloseCurrent();
  } else if (c == "edit") {
    Need(t, 3, "edit <FieldKey> \"<value>\"");
    host.CurrentBill()->Edit(t[1], t[2]);
  } else if (c == "lookup") {
    Need(t, 2, "lookup <FieldKey>");
    host.CurrentBill()->Lookup(t[1]);
  } else if (c == "click") {
    Need(t, 2, "click <toolKey>");
    Window* w = host.Current();
    if (!w) Bad("no window is open");
    if (auto* bill = dynamic_cast<BillWindow*>(w)) bill->Click(t[1]);
    else static_cast<ListWindow*>(w)->Click(t[1]);
  } else if (c == "save") {
    host.CurrentBill()->Save();
  } else if (c == "load") {
    Need(t, 2, "load <FID>");
    int32_t fid = Number(t[1], "a bill id");
    try {
      host.CurrentBill()->LoadOther(fid);
    } catch (const ax::AutomationError& e) {
      Bad(e.Description());
    }
  } else if (c == "refresh") {
    ListWindow* list = host.CurrentList();
    host.Note(Channel::Host, "window " + std::to_string(list->Number()) + ": the user refreshes the list");
    list->Refill();
  } else if (c == "select") {
    host.CurrentList()->Select(Fids(t, 1, "select <FID>...|none"));
  } else if (c == "bankstate") {
    Need(t, 3, "bankstate <FBillNo> <status code>");
    Database& db = host.Db();
    if (db.QueryNative("SELECT FID FROM t_scTransfer WHERE FBillNo=?", {t[1]}).data.empty())
      Bad("there is no transfer bill " + t[1]);
    db.ExecNative("UPDATE t_BK_Payment SET FStatus=? WHERE FSource='SCTransfer' AND FSourceNumber=?", {t[2], t[1]});
    db.ExecNative("UPDATE t_scTransfer SET FBaseProperty6=? WHERE FBillNo=?", {t[2], t[1]});
    host.Note(Channel::Host, "the bank reports " + t[2] + " for " + t[1]);
  } else if (c == "minimise" || c == "minimize") {
    Need(t, 2, "minimise <n>|main");
    intptr_t hwnd = 0;
    if (t[1] == "main") {
      hwnd = host.MainHwnd();
    } else {
      size_t n = static_cast<size_t>(Number(t[1], "a window number"));
      if (n == 0 || n > host.Windows().size()) Bad("there is no window " + t[1]);
      hwnd = host.Windows()[n - 1]->Hwnd();
    }
    host.SetIconic(hwnd, true);
  } else if (c == "say") {
    Need(t, 2, "say \"<text>\"");
    host.Note(Channel::Note, t[1]);
  } else if (c == "show") {
    Show(host, t);
  } else if (const Host::CommandHandler* h = host.FindCommand(c)) {
    (*h)(host, Tokens(t.begin() + 1, t.end()));
  } else {
    Bad("unknown command " + c);
  }
}

std::string Strip(const std::string& line) {
  size_t b = line.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  size_t e = line.find_last_not_of(" \t\r");
  return line.substr(b, e - b + 1);
}

}  // namespace

std::vector<std::string> Tokenize(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size()) {
    char ch = line[i];
    if (ch == ' ' || ch == '\t' || ch == '\r') {
      ++i;
      continue;
    }
    std::string token;
    if (ch == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d != '\\') {
          token += d;
          continue;
        }
        if (i >= line.size()) break;
        char e = line[i++];
        switch (e) {
          case '"': token += '"'; break;
          case '\\': token += '\\'; break;
          case 'r': token += '\r'; break;
          case 'n': token += '\n'; break;
          case 't': token += '\t'; break;
          default: Bad(std::string("unknown escape \\") + e + " in a quoted text");
        }
      }
      if (!closed) Bad("a quoted text is not closed");
      if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
        Bad("a quoted text must be followed by a blank");
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') token += line[i++];
    }
    out.push_back(std::move(token));
  }
  return out;
}

void RunScenarioCommand(Host& host, const std::vector<std::string>& tokens, int* expectations) {
  if (tokens.empty()) return;
  Run(host, tokens, expectations);
}

void ForEachScriptLine(const std::string& text, const std::string& name, int& lineNo,
                       const std::function<bool(const ScriptLine&)>& fn) {
  std::istringstream in(text);
  std::string raw;
  lineNo = 0;
  while (std::getline(in, raw)) {
    ++lineNo;
    ScriptLine line{lineNo, Strip(raw), ""};
    if (line.text.empty() || line.text[0] == '#') continue;
    line.where = name + ":" + std::to_string(lineNo);
    if (!fn(line)) return;
  }
}

LineOutcome RunScriptLine(Host& host, const ScriptLine& line, int* expectations) {
  LineOutcome out;
  host.SetWhere(line.where);
  host.Note(Channel::Command, line.text);
  try {
    std::vector<std::string> tokens = Tokenize(line.text);
    out.parsed = true;
    if (!tokens.empty()) out.word = tokens[0];
    RunScenarioCommand(host, tokens, expectations);
  } catch (const ScenarioFailure& f) {
    out.failure = f.what();
  } catch (const ax::AutomationError& e) {
    out.failure = "unexpected automation error " + std::to_string(e.Number()) + ": " + e.Description();
  } catch (const std::exception& e) {
    out.failure = std::string("internal error: ") + e.what();
    out.internal = e.what();
  }
  if (auto recorded = host.TakeFailure()) out.failure = *recorded;
  return out;
}

ScenarioResult RunScenarioText(const std::string& text, const std::string& name,
                               const ScenarioOptions& options) {
  ScenarioResult result;
  result.file = name;
  Host::Options hostOptions;
  hostOptions.dbPath = options.dbPath;
  hostOptions.live = options.live;
  hostOptions.language = options.language;
  hostOptions.keyAudit = options.keyAudit;
  std::string failure;
  try {
    Host host(hostOptions);
    int lineNo = 0;
    ForEachScriptLine(text, name, lineNo, [&](const ScriptLine& line) {
      LineOutcome outcome = RunScriptLine(host, line, &result.expectations);
      if (outcome.parsed) ++result.commands;
      if (!outcome.failure.empty()) failure = line.where + ": " + line.text + "\n    " + outcome.failure;
      return failure.empty();
    });
    if (failure.empty()) {
      std::string end = name + ": at the end of the file";
      if (!host.Messages().empty()) {
        const ShownMessage& m = host.Messages().front();
        failure = end + "\n    unread " + (m.result ? "result " : "message ") + Quote(m.text) +
                  (host.Messages().size() > 1 ? " and " + std::to_string(host.Messages().size() - 1) + " more" : "");
      } else if (auto unused = host.UnusedReplies(); !unused.empty()) {
        failure = end + "\n    an answer was never asked for: " + unused.front();
      }
    }
    host.CloseAll();
    result.transcript = host.transcript().Entries();
    result.loaderKeys.assign(host.LoaderKeys().begin(), host.LoaderKeys().end());
    result.raised.assign(host.RaisedDescriptions().begin(), host.RaisedDescriptions().end());
  } catch (const std::exception& e) {
    // The host itself could not start (a database file that cannot be written, ...).
    failure = name + ": the simulated host could not start: " + e.what();
  }
  result.passed = failure.empty();
  result.failure = failure;
  return result;
}

ScenarioResult RunScenarioFile(const std::string& path, const ScenarioOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ScenarioResult r;
    r.file = path;
    r.failure = path + ": cannot read the file";
    return r;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return RunScenarioText(text.str(), path, options);
}

const char* ScenarioLanguage() {
  return R"HELP(Scenario files (.sct)
  One command per line; a line starting with # is a comment. Words are separated by blanks; a
  double-quoted word may hold blanks and the escapes \" \\ \r \n \t. Each file runs in a fresh
  host (a new process) with the demo settlement centre in memory. Windows are numbered 1, 2, ...
  in opening order (bill windows the plug-in opens included); the last window opened by a
  command is current, and after `close` the last window still open is. The first command that
  fails stops the file with file:line, the expectation and what was seen. At the end of a file,
  a message or result never read, or an answer never asked for, fails it.

Setup
  database demo|empty          the demo centre, or the schema alone
  sql "<statements>"           run Transact-SQL directly (CR LF separates statements)
  today YYYY-MM-DD             the computer's date (default 2026-12-08)
  user <id>                    the logged-in user for windows opened from now on (default 2)
  language <code>              the user's language (default chs)
  translate "<text>" "<translation>"   a resource string of the current language
  catalogue on|off             the shipped translations (po/<language>.po) serve the resource
                               loader too, `translate` entries first; with it on, expected
                               texts the plug-in shows (message, result, answer, tool caption,
                               tooltip and description, cell, log) are written in Chinese and
                               compared in the user's language (off by default; on under
                               sctav --language)
  right <user> <code> allow|deny       an object right (every right is allowed by default)
  security allow|deny          the function security test (default allow)
  admin <user> yes|no          administrator flag (user 1 is one)
  profile <category> <key> "<value>"   a system-profile entry (SC SCDailyEnd "0" by default)
  setting SCGetVoucherAfterBank|SCGetBillAutoVch true|false   (defaults false, true)
  fail <ProgID|Bill|List|LmLib|MenuBar|Band|Tool>.<member> ["<description>"] [<number>]
                               the next call of that member raises an automation error
                               (member CreateObject: creating the component fails)

Queued answers (consumed in order when the plug-in asks; none queued fails the run)
  answer yes|no|ok|cancel ["<question text>"]
  voucher complete|cancel
  pick account <code>|cancel       pick purpose "<text>"|cancel
  bank accept|refuse ["<reason>"]  cancelpayment true|false|error ["<description>"]
  dialog centre [date D] [from "<code>"] [to "<code>"] [unposted yes|no] [bydate yes|no] ok|cancel
  dialog bank [from D] [to D] ok|cancel
  picker <FRecSettID>...|cancel

Actions
  new bill                     open a window on a new transfer bill
  open bill <FID>              open a window on an existing bill
  open list transfer|banksubmit
  window <n>                   make window n current
  close                        close the current window (unsaved changes are discarded)
  load <FID>                   show another existing bill in the current bill window
  edit <FieldKey> "<value>"    BeginEdit, the host stores the value (accounts by code, the
                               currency by number), then Change; a locked field fails the run
  lookup <FieldKey>            BeginEdit, then MenuBarClick of mnuDataLookUp; the host's
                               look-up follows unless cancelled
  click <toolKey>              MenuBarClick (whether or not the tool exists or is enabled);
                               unless cancelled the host runs its own command: mnuFileSave
                               saves, mnuEditModify opens the current row's bill, others are
                               recorded (expect call command "<key>")
  save                         the host's save: BeforeSave, store, AfterSave
  select <FID>...|none         the list's selection; the first is the current row
  refresh                      the host's own refresh of the current list
  bankstate <FBillNo> <code>   the bank reports a status for the bill's payment
  minimise <n>|main            minimise a window
  say "<text>"                 a line of narration in the transcript
  show fields [<FieldKey>...]|tools|list|messages|windows   print the state into the
                               transcript

Expectations
  expect message "<text>" [<flags>]   the next unread message box
  expect result "<text>"              the next unread result display (lines joined by \n)
  expect messages none
  expect field <FieldKey> "<text>"    stored value (as CStr shows it; NULL for Null)
  expect display <FieldKey> "<text>"  display text (kind 3)
  expect code <FieldKey> "<text>"     look-up text (kind 2)
  expect locked <FieldKey> yes|no
  expect status <n>                   BillStatus        expect editstatus <n>
  expect changed yes|no               unsaved changes of the current bill
  expect tool <key> enabled|disabled|visible|hidden|absent|present
  expect tool <key> caption|tooltip|description|id|begingroup|face|mask|dropdown "<value>"
  expect band <key> "<tool keys in order, comma separated>"
  expect band <key> kind <n>          expect band <key> visible|hidden
  expect cancelled yes|no             the plug-in vetoed the last click or save
  expect query "<select>" "<text>"    first column of the first row ("(no rows)")
  expect rows "<select>" <n>
  expect log "<text>"                 the next business-log entry
  expect error "<description>"        the next error the host reported
  expect errors none
  expect windows <n>                  open bill windows
  expect listed <FID>...|none         exactly the bills the current list shows
  expect row <FID> color <n>          the row's last BackColor
  expect cell <FID> "<column>" "<text>"
  expect export "<bank key>" "<subsystem>" "<ids>" "<bill kind>"
  expect call <kind> "<value>"...     the next recorded call of that kind (command, lookup,
                                      listop, window, export, ...)
  expect calls <kind> none
  expect sql "<text>"                 a later statement the plug-in sent contains the text
  expect nosql "<text>"               no statement sent since the last `expect sql` does
  expect foreground <n>|main          the window in front
  expect bankdialog <from> <to>       the dates the last bank-collection dialog opened with
  expect centredialog <item> "<text>" what the last centre-collection dialog showed: date,
                                      mindate, from, to, unposted, bydate, currency
  expect offered <FRecSettID>...|none the receipts the last receipt picker offered, in order
)HELP";
}

}  // namespace sim
