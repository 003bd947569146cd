// The scenario expectations: what a file states about the host's state and what the plug-in did.
#include <algorithm>
#include <optional>

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

std::string ToolState(const Tool& t) {
  std::string s = t.enabled ? "enabled" : "disabled";
  s += t.visible ? ", visible" : ", hidden";
  return s;
}

void ExpectTool(ScenarioRun& run, const Tokens& t) {
  Host& host = run.host;
  Need(t, 4, "expect tool <key> enabled|disabled|visible|hidden|absent|present, or expect tool <key> <property> \"<value>\"");
  Window* w = &CurrentWindow(host);
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

void ExpectBand(ScenarioRun& run, const Tokens& t) {
  Host& host = run.host;
  Need(t, 4, "expect band <key> \"<tool keys, comma separated>\" | kind <n> | visible|hidden");
  Window* w = &CurrentWindow(host);
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

Rows QueryOrFail(Host& host, const std::string& select) {
  try {
    return host.Db().Query(select);
  } catch (const ax::AutomationError& e) {
    Bad("the query failed: " + e.Description());
  }
}

void ExpectFirstColumn(Host& host, const Tokens& t, bool rows) {
  sim::Rows r = QueryOrFail(host, t[2]);
  if (rows) {
    int32_t n = Number(t[3], "a row count");
    Expect(static_cast<int32_t>(r.data.size()) == n, std::to_string(n) + " rows",
           std::to_string(r.data.size()) + " rows");
    return;
  }
  std::string seen = r.data.empty() || r.data[0].empty() ? std::string("(no rows)") : ax::DisplayText(r.data[0][0]);
  Expect(seen == t[3], Quote(t[3]), r.data.empty() ? seen : Quote(seen));
}

// Recorded calls whose later values a shorter form may leave unstated: the kind and how many
// values its shortest form states. The ledger summary's query was first stated by its dates alone.
struct ShortForm {
  const char* kind;
  size_t stated;
};
constexpr ShortForm kShortForms[] = {{"balsum", 2}};

void ExpectCall(Harness& harness, const std::string& kind, const std::vector<std::string>& values) {
  auto& calls = harness.Calls();
  for (auto it = calls.begin(); it != calls.end(); ++it) {
    if (it->kind != kind) continue;
    RecordedCall c = *it;
    calls.erase(it);
    for (const ShortForm& f : kShortForms)
      if (kind == f.kind && values.size() == f.stated && c.values.size() > f.stated) c.values.resize(f.stated);
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

// A whole result as `expect table` writes it: rows joined by "\n", columns by "|", NULL for a
// Null and "(empty)" for an empty text, so that neither can pass for the other.
std::string TableText(const Rows& r) {
  std::string out;
  for (size_t i = 0; i < r.data.size(); ++i) {
    if (i) out += "\n";
    for (size_t c = 0; c < r.data[i].size(); ++c) {
      if (c) out += "|";
      const ax::Variant& v = r.data[i][c];
      std::string text = v.isNull() ? std::string("NULL") : ax::DisplayText(v);
      out += !v.isNull() && text.empty() ? std::string("(empty)") : text;
    }
  }
  return out;
}

void ExpectMessage(ScenarioRun& run, const Tokens& tokens) {
  const std::string& what = tokens[1];
  auto& messages = run.harness.Messages();
  const char* usage = "expect message \"<text>\" [<flags>] [title \"<title>\"] | expect result \"<text>\"";
  // An optional trailing `title "<title>"` (message boxes only).
  Tokens t = tokens;
  std::optional<std::string> title;
  if (what == "message" && t.size() >= 5 && t[t.size() - 2] == "title") {
    title = t.back();
    t.resize(t.size() - 2);
  }
  Need(t, 3, usage);
  Max(t, what == "message" ? 4 : 3, usage);
  bool result = what == "result";
  if (messages.empty()) Bad("expected " + what + " " + Quote(t[2]) + "\n    saw nothing shown");
  ShownMessage m = messages.front();
  if (m.result != result)
    Bad("expected " + what + " " + Quote(t[2]) + "\n    saw " + (m.result ? "result " : "message ") + Quote(m.text));
  messages.pop_front();
  const std::string want = run.host.Shown(t[2]);
  Expect(m.text == want, what + " " + Quote(want), what + " " + Quote(m.text));
  if (t.size() == 4) {
    int32_t flags = Number(t[3], "message flags");
    Expect(m.flags == flags, "message " + Quote(t[2]) + " with flags " + t[3], "flags " + std::to_string(m.flags));
  }
  if (title) {
    const std::string wantTitle = run.host.Shown(*title);
    Expect(m.title == wantTitle, "message " + Quote(t[2]) + " titled " + Quote(wantTitle),
           "title " + Quote(m.title));
  }
}

void ExpectMessagesNone(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect messages none");
  if (t[2] != "none") Bad("usage: expect messages none");
  const auto& messages = run.harness.Messages();
  if (!messages.empty())
    Bad("expected no unread message\n    saw " + std::string(messages.front().result ? "result " : "message ") +
        Quote(messages.front().text));
}

void ExpectField(ScenarioRun& run, const Tokens& t) {
  const std::string& what = t[1];
  Need(t, 4, "expect field|display|code <FieldKey> \"<text>\"");
  BillWindow* bill = run.host.CurrentBill();
  BillWindow::Field& f = bill->FieldOrFail(t[2]);
  std::string seen;
  if (what == "field") seen = ax::DisplayText(f.value);
  else seen = ax::DisplayText(bill->FieldValue(f.key, what == "display" ? 3 : 2));
  Expect(seen == t[3], what + " " + f.key + " " + Quote(t[3]), Quote(seen));
}

void ExpectLocked(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "expect locked <FieldKey> yes|no");
  BillWindow::Field& f = run.host.CurrentBill()->FieldOrFail(t[2]);
  bool want = YesNo(t[3], "yes", "no");
  Expect(f.locked == want, f.key + (want ? " locked" : " not locked"), f.locked ? "locked" : "not locked");
}

void ExpectStatus(ScenarioRun& run, const Tokens& t) {
  const std::string& what = t[1];
  Need(t, 3, "expect status <n> | expect editstatus <n>");
  BillWindow* bill = run.host.CurrentBill();
  int32_t seen = what == "status" ? bill->billStatus : bill->editStatus;
  Expect(seen == Number(t[2], "a status"), what + " " + t[2], what + " " + std::to_string(seen));
}

void ExpectChanged(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect changed yes|no");
  BillWindow* bill = run.host.CurrentBill();
  bool want = YesNo(t[2], "yes", "no");
  Expect(bill->changed == want, want ? "unsaved changes" : "no unsaved changes",
         bill->changed ? "unsaved changes" : "no unsaved changes");
}

void ExpectCancelled(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect cancelled yes|no");
  Window* w = &CurrentWindow(run.host);
  bool want = YesNo(t[2], "yes", "no");
  Expect(w->lastCancelled == want, want ? "cancelled by the plug-in" : "not cancelled",
         w->lastCancelled ? "cancelled by the plug-in" : "not cancelled");
}

void ExpectQuery(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "expect query \"<select>\" \"<text>\" | expect rows \"<select>\" <n>");
  ExpectFirstColumn(run.host, t, t[1] == "rows");
}

void ExpectTable(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "expect table \"<select>\" \"<rows>\"");
  Max(t, 4, "expect table \"<select>\" \"<rows>\"");
  std::string seen = TableText(QueryOrFail(run.host, t[2]));
  Expect(seen == t[3], "table " + Quote(t[3]), "table " + Quote(seen));
}

void ExpectLog(ScenarioRun& run, const Tokens& t) {
  const char* usage = "expect log \"<text>\" [kind <kind>] [code \"<object code>\"] | expect log none";
  Need(t, 3, usage);
  std::optional<std::string> kind, code;
  for (size_t i = 3; i < t.size(); i += 2) {
    if (i + 1 >= t.size()) Bad(std::string("usage: ") + usage);
    if (t[i] == "kind")
      kind = t[i + 1];
    else if (t[i] == "code")
      code = t[i + 1];
    else
      Bad(std::string("usage: ") + usage);
  }
  auto unread = run.host.UnreadLog(run.logRead);
  if (t[2] == "none") {
    if (!unread.empty()) Bad("expected no further log entry\n    saw log " + Quote(unread.front().second));
    return;
  }
  if (unread.empty()) Bad("expected log " + Quote(t[2]) + "\n    saw no further log entry");
  run.logRead = unread.front().first;
  const std::string want = run.host.Shown(t[2]);
  Expect(unread.front().second == want, "log " + Quote(want), "log " + Quote(unread.front().second));
  if (kind || code) {
    Rows r = run.host.Db().QueryNative("SELECT FObjectCode, FKind FROM t_Log WHERE FLogID=?",
                                       {ax::Variant(static_cast<double>(run.logRead))});
    const std::string seenCode = ax::DisplayText(r.data.at(0)[0]);
    const std::string seenKind = ax::DisplayText(r.data.at(0)[1]);
    if (kind) Expect(seenKind == *kind, "log " + Quote(want) + " of kind " + *kind, "kind " + seenKind);
    if (code) Expect(seenCode == *code, "log " + Quote(want) + " with object code " + Quote(*code), "object code " + Quote(seenCode));
  }
}

std::string ErrorText(const ax::AutomationError& e) {
  return "error " + std::to_string(e.Number()) + " " + Quote(e.Description());
}

void ExpectError(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect error \"<description>\"");
  const auto& errors = run.harness.Errors();
  if (run.errorRead >= errors.size()) Bad("expected error " + Quote(t[2]) + "\n    saw no further error");
  const ax::AutomationError& e = errors[run.errorRead++];
  Expect(e.Description() == t[2], "error " + Quote(t[2]), ErrorText(e));
}

void ExpectErrorsNone(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect errors none");
  const auto& errors = run.harness.Errors();
  if (run.errorRead < errors.size()) Bad("expected no further error\n    saw " + ErrorText(errors[run.errorRead]));
}

void ExpectWindows(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect windows <n>");
  int32_t n = Number(t[2], "a window count");
  Expect(run.host.OpenBillCount() == n, std::to_string(n) + " open bill windows", std::to_string(run.host.OpenBillCount()));
}

void ExpectListed(ScenarioRun& run, const Tokens& t) {
  std::vector<int32_t> want = Fids(t, 2, "expect listed <FID>...|none");
  ListWindow* list = run.host.CurrentList();
  std::vector<int32_t> seen;
  for (const auto& r : list->ListRows()) seen.push_back(r.fid);
  auto text = [](std::vector<int32_t> v) {
    std::sort(v.begin(), v.end());
    std::string s;
    for (int32_t f : v) s += (s.empty() ? "" : " ") + std::to_string(f);
    return s.empty() ? std::string("none") : s;
  };
  Expect(text(want) == text(seen), "listed " + text(want), "listed " + text(seen));
}

const ListWindow::Row& RowOrFail(ListWindow* list, const std::string& fid) {
  const ListWindow::Row* row = list->FindRow(Number(fid, "a bill id"));
  if (!row) Bad("the list does not show bill " + fid);
  return *row;
}

void ExpectRow(ScenarioRun& run, const Tokens& t) {
  Need(t, 5, "expect row <FID> color <n>");
  if (t[3] != "color") Bad("usage: expect row <FID> color <n>");
  const ListWindow::Row& row = RowOrFail(run.host.CurrentList(), t[2]);
  Expect(row.backColor == Number(t[4], "a colour"), "row " + t[2] + " color " + t[4],
         "color " + std::to_string(row.backColor));
}

void ExpectCell(ScenarioRun& run, const Tokens& t) {
  Need(t, 5, "expect cell <FID> \"<column>\" \"<text>\"");
  ListWindow* list = run.host.CurrentList();
  const ListWindow::Row& row = RowOrFail(list, t[2]);
  auto cell = list->Cell(row, t[3]);
  if (!cell) Bad("the list has no column " + t[3]);
  const std::string want = run.host.Shown(t[4]);
  Expect(*cell == want, "cell " + t[3] + " of bill " + t[2] + " " + Quote(want), Quote(*cell));
}

void ExpectExport(ScenarioRun& run, const Tokens& t) {
  Need(t, 6, "expect export \"<bank key>\" \"<subsystem>\" \"<ids>\" \"<bill kind>\"");
  Max(t, 6, "expect export \"<bank key>\" \"<subsystem>\" \"<ids>\" \"<bill kind>\"");
  ExpectCall(run.harness, "export", {t[2], t[3], t[4], t[5]});
}

void ExpectCallOf(ScenarioRun& run, const Tokens& t) {
  Need(t, 3, "expect call <kind> \"<value>\"...");
  ExpectCall(run.harness, t[2], std::vector<std::string>(t.begin() + 3, t.end()));
}

void ExpectCallsNone(ScenarioRun& run, const Tokens& t) {
  Need(t, 4, "expect calls <kind> none");
  if (t[3] != "none") Bad("usage: expect calls <kind> none");
  for (const auto& c : run.harness.Calls()) {
    if (c.kind != t[2]) continue;
    std::string seen;
    for (const auto& v : c.values) seen += " " + Quote(v);
    Bad("expected no further " + t[2] + " call\n    saw " + t[2] + seen);
  }
}

void ExpectSql(ScenarioRun& run, const Tokens& t) {
  const std::string& what = t[1];
  Need(t, 3, "expect sql \"<text>\" | expect nosql \"<text>\"");
  const auto& sent = run.harness.SentSql();
  // expect sql looks on from the statement after the one it found last time; expect nosql looks
  // over all that the latest expect sql looked over, the statement it found included, and on.
  const bool none = what == "nosql";
  for (size_t i = none ? run.sqlFrom : run.sqlRead; i < sent.size(); ++i) {
    if (sent[i].find(t[2]) == std::string::npos) continue;
    if (none) Bad("expected no SQL containing " + Quote(t[2]) + "\n    saw " + Quote(sent[i]));
    run.sqlFrom = run.sqlRead;
    run.sqlRead = i + 1;
    return;
  }
  if (what == "sql") Bad("expected SQL containing " + Quote(t[2]) + "\n    saw none among the statements sent since");
}

void ExpectForeground(ScenarioRun& run, const Tokens& t) {
  Host& host = run.host;
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
}

}  // namespace

std::vector<ScenarioCommand> ExpectationCommands() {
  const auto E = Section::Expectations;
  return {
      {E, "expect message", {{"expect message \"<text>\" [<flags>] [title \"<title>\"]", "the next unread message box has that text (and flags, and title)"}}, ExpectMessage},
      {E, "expect result", {{"expect result \"<text>\"", "the next unread result display has that text (its lines joined by \\n)"}}, ExpectMessage},
      {E, "expect messages", {{"expect messages none", "no message or result is left unread"}}, ExpectMessagesNone},
      {E, "expect field", {{"expect field <FieldKey> \"<text>\"", "the stored value prints so (as CStr; NULL for Null, nothing for Empty)"}}, ExpectField},
      {E, "expect display", {{"expect display <FieldKey> \"<text>\"", "the display text (kind 3)"}}, ExpectField},
      {E, "expect code", {{"expect code <FieldKey> \"<text>\"", "the look-up text (kind 2)"}}, ExpectField},
      {E, "expect locked", {{"expect locked <FieldKey> yes|no", "the field's lock"}}, ExpectLocked},
      {E, "expect status", {{"expect status <n>", "BillStatus of the current bill window"}}, ExpectStatus},
      {E, "expect editstatus", {{"expect editstatus <n>", "EditStatus of the current bill window"}}, ExpectStatus},
      {E, "expect changed", {{"expect changed yes|no", "the bill has unsaved changes"}}, ExpectChanged},
      {E, "expect tool", {{"expect tool <key> enabled|disabled|visible|hidden|absent|present", "the tool's state"},
                          {"expect tool <key> caption|tooltip|description|id|begingroup|face|mask|dropdown \"<value>\"", "a tool property"}}, ExpectTool},
      {E, "expect band", {{"expect band <key> \"<tool keys>\"", "the band's tools in order, comma separated"},
                          {"expect band <key> kind <n>", "the band's kind"},
                          {"expect band <key> visible|hidden", "the band's visibility"}}, ExpectBand},
      {E, "expect cancelled", {{"expect cancelled yes|no", "the plug-in vetoed the last click or save"}}, ExpectCancelled},
      {E, "expect query", {{"expect query \"<select>\" \"<text>\"", "the first column of the first row ((no rows) when none)"}}, ExpectQuery},
      {E, "expect rows", {{"expect rows \"<select>\" <n>", "the number of rows"}}, ExpectQuery},
      {E, "expect table", {{"expect table \"<select>\" \"<rows>\"", "the whole result, rows in order joined by \\n, columns by |; a Null is NULL, an empty text (empty)"}}, ExpectTable},
      {E, "expect log", {{"expect log \"<text>\" [kind <kind>] [code \"<object code>\"]", "the next business-log entry, in order (and its kind and object code)"},
                         {"expect log none", "no business-log entry is left unread"}}, ExpectLog},
      {E, "expect error", {{"expect error \"<description>\"", "the next error the host reported"}}, ExpectError},
      {E, "expect errors", {{"expect errors none", "no error the host reported is left unread"}}, ExpectErrorsNone},
      {E, "expect windows", {{"expect windows <n>", "the number of open bill windows"}}, ExpectWindows},
      {E, "expect listed", {{"expect listed <FID>...|none", "exactly these bills are in the current list"}}, ExpectListed},
      {E, "expect row", {{"expect row <FID> color <n>", "the row's last BackColor"}}, ExpectRow},
      {E, "expect cell", {{"expect cell <FID> \"<column>\" \"<text>\"", "a cell's final text (column bare or as table.column)"}}, ExpectCell},
      {E, "expect export", {{"expect export \"<bank key>\" \"<subsystem>\" \"<ids>\" \"<bill kind>\"", "the next export call"}}, ExpectExport},
      {E, "expect call", {{"expect call <kind> \"<value>\"...", "the next recorded call of that kind (command, lookup, listop, window, export, balsum, display, ...); display \"<cols>\" \"<titles>\" \"<col>:<width>,...\" \"<mode>\" is a result display shown; balsum \"<start>\" \"<end>\" [\"<unposted>\" \"<bydate>\"] is the ledger summary's query (dates YYYY-MM-DD; its two flags, include unposted and by business date, yes or no, stated or left off)"}}, ExpectCallOf},
      {E, "expect calls", {{"expect calls <kind> none", "no recorded call of that kind is left"}}, ExpectCallsNone},
      {E, "expect sql", {{"expect sql \"<text>\"", "a statement sent since the one the last expect sql found contains the text (the statements are the SQL texts --sql-log writes: those sent through LmLib, Appconnection and Iteminfo, and the conditions given to the transfer lists and the receipt picker)"}}, ExpectSql},
      {E, "expect nosql", {{"expect nosql \"<text>\"", "no statement among those the latest expect sql looked over (the one it found included) and those sent since contains the text; before any expect sql, among all sent"}}, ExpectSql},
      {E, "expect foreground", {{"expect foreground <n>|main", "the window in front"}}, ExpectForeground},
  };
}

}  // namespace sim
