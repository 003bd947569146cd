// The scenario runner: plays a file's lines against a fresh host, checks what the end of the
// file leaves unread, and prints the language from its table.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "automation/error.h"
#include "sim/harness/harness.h"
#include "sim/host/host.h"
#include "sim/harness/scenario.h"
#include "sim/harness/scenario_language.h"

namespace sim {

using namespace words;

const std::vector<ScenarioCommand>& ScenarioCommands() {
  static const std::vector<ScenarioCommand> table = [] {
    std::vector<ScenarioCommand> all;
    for (auto part : {SetupCommands, AnswerCommands, ActionCommands, ExpectationCommands, ComponentCommands})
      for (auto& c : part()) all.push_back(std::move(c));
    std::stable_sort(all.begin(), all.end(),
                     [](const ScenarioCommand& a, const ScenarioCommand& b) { return a.section < b.section; });
    return all;
  }();
  return table;
}

const ScenarioCommand* FindScenarioCommand(const Tokens& t) {
  if (t.empty()) return nullptr;
  std::string name = t[0] == "expect" && t.size() > 1 ? "expect " + t[1] : t[0];
  for (const auto& c : ScenarioCommands()) {
    if (c.name == name) return &c;
    for (const auto& a : c.aliases)
      if (a == name) return &c;
  }
  return nullptr;
}

void ScenarioRun::Command(const Tokens& t) {
  if (t.empty()) return;
  if (t[0] == "expect") {
    ++expectations;
    Need(t, 2, "expect <what> ...");
  }
  const ScenarioCommand* c = FindScenarioCommand(t);
  if (!c) Bad(t[0] == "expect" ? "unknown expectation: expect " + t[1] : "unknown command " + t[0]);
  c->handler(*this, t);
}

LineOutcome ScenarioRun::Line(const ScriptLine& line) {
  LineOutcome out;
  harness.SetWhere(line.where);
  host.Note(Channel::Command, line.text);
  try {
    std::vector<std::string> tokens = Tokenize(line.text);
    out.parsed = true;
    if (!tokens.empty()) out.word = tokens[0];
    Command(tokens);
  } catch (const ScenarioFailure& f) {
    out.failure = f.what();
  } catch (const HostCommandError& f) {
    out.failure = f.what();
  } catch (const ax::AutomationError& e) {
    out.failure = "unexpected automation error " + std::to_string(e.Number()) + ": " + e.Description();
  } catch (const std::exception& e) {
    out.failure = std::string("internal error: ") + e.what();
    out.internal = e.what();
  }
  if (auto recorded = harness.TakeFailure()) out.failure = *recorded;
  // A file's own data set-up is the new starting point of the checks of the plug-in's work.
  if (out.word == "sql" || out.word == "database") harness.RebaseWork();
  if (out.failure.empty()) out.failure = harness.CheckWork();
  return out;
}

std::string ScenarioRun::AtEnd(const std::string& name) const {
  std::string end = name + ": at the end of the file";
  const auto& messages = harness.Messages();
  if (!messages.empty()) {
    const ShownMessage& m = messages.front();
    return end + "\n    unread " + (m.result ? "result " : "message ") + Quote(m.text) +
           (messages.size() > 1 ? " and " + std::to_string(messages.size() - 1) + " more" : "");
  }
  // An error that reached the host is a fact the file must state (expect error).
  const auto& errors = harness.Errors();
  if (errorRead < errors.size()) {
    const ax::AutomationError& e = errors[errorRead];
    return end + "\n    unread error " + std::to_string(e.Number()) + " " + Quote(e.Description()) +
           (errors.size() - errorRead > 1 ? " and " + std::to_string(errors.size() - errorRead - 1) + " more" : "");
  }
  if (auto unused = harness.UnusedReplies(); !unused.empty())
    return end + "\n    an answer was never asked for: " + unused.front();
  return {};
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
    Harness harness(host);
    harness.SetContractLog(options.contract);
    host.settings().forwardOnly = options.forwardOnly;
    ScenarioRun run(host, harness);
    int lineNo = 0;
    ForEachScriptLine(text, name, lineNo, [&](const ScriptLine& line) {
      LineOutcome outcome = run.Line(line);
      if (outcome.parsed) ++result.commands;
      if (!outcome.failure.empty()) failure = line.where + ": " + line.text + "\n    " + outcome.failure;
      return failure.empty();
    });
    result.expectations = run.expectations;
    if (failure.empty()) failure = run.AtEnd(name);
    host.CloseAll();
    result.transcript = host.transcript().Entries();
    result.loaderKeys.assign(harness.LoaderKeys().begin(), harness.LoaderKeys().end());
    result.raised.assign(harness.RaisedDescriptions().begin(), harness.RaisedDescriptions().end());
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

// ---- the reference ----------------------------------------------------------------------------

namespace {

using Section = ScenarioCommand::Section;

struct SectionText {
  Section section;
  const char* title;     // in --help
  const char* slug;      // in docs/scenarios.md's markers
  const char* helpHead;  // the second column's heading in the page
};

constexpr SectionText kSections[] = {
    {Section::Setup, "Setup", "setup", "Effect"},
    {Section::Answers, "Queued answers (consumed in order when the plug-in asks; none queued fails the run)",
     "answers", "Answers"},
    {Section::Actions, "Actions", "actions", "Effect"},
    {Section::Expectations, "Expectations", "expectations", "Holds when"},
};

// Breaks text into lines of at most width characters (counting UTF-8 code points).
std::vector<std::string> Wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string word, line;
  auto length = [](const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  };
  while (in >> word) {
    if (!line.empty() && length(line) + 1 + length(word) > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string MarkdownCell(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

}  // namespace

std::string ScenarioLanguage() {
  std::string out = R"HELP(Scenario files (.sct)
  One command per line; a line starting with # is a comment. Words are separated by blanks; a
  double-quoted word may hold blanks and the escapes \" \\ \r \n \t. Each file runs in a fresh
  host (a new process) with the demo settlement centre in memory. Windows are numbered 1, 2, ...
  in opening order (bill windows the plug-in opens included); the last window opened by a
  command is current, and after `close` the last window still open is. The first command that
  fails stops the file with file:line, the expectation and what was seen. At the end of a file,
  a message or result never read, an error the host reported that no `expect error` read, or an
  answer never asked for, fails it.
)HELP";
  constexpr size_t kUsageWidth = 36, kWidth = 98;
  for (const SectionText& s : kSections) {
    out += std::string("\n") + s.title + "\n";
    for (const auto& c : ScenarioCommands()) {
      if (c.section != s.section) continue;
      for (const ScenarioForm& f : c.forms) {
        std::string usage = std::string("  ") + f.usage;
        std::vector<std::string> help = Wrap(f.help, kWidth - kUsageWidth - 3);
        size_t at = 0;
        if (usage.size() + 1 < kUsageWidth + 2) {
          usage.resize(kUsageWidth + 2, ' ');
          out += usage + " " + (help.empty() ? "" : help[at++]) + "\n";
        } else {
          out += usage + "\n";
        }
        for (; at < help.size(); ++at) out += std::string(kUsageWidth + 3, ' ') + help[at] + "\n";
      }
    }
  }
  return out;
}

std::string ScenarioSectionMarkdown(Section section) {
  const SectionText* s = nullptr;
  for (const SectionText& t : kSections)
    if (t.section == section) s = &t;
  std::string out = std::string("| Command | ") + s->helpHead + " |\n|---|---|\n";
  for (const auto& c : ScenarioCommands()) {
    if (c.section != section) continue;
    for (const ScenarioForm& f : c.forms)
      out += "| `" + MarkdownCell(f.usage) + "` | " + MarkdownCell(f.help) + " |\n";
  }
  return out;
}

std::string WithCurrentCommandTables(const std::string& page) {
  std::string out = page;
  for (const SectionText& s : kSections) {
    const std::string begin = std::string("<!-- commands: ") + s.slug + " -->\n";
    const std::string end = "<!-- end of commands -->";
    size_t b = out.find(begin);
    if (b == std::string::npos) continue;
    b += begin.size();
    size_t e = out.find(end, b);
    if (e == std::string::npos) continue;
    out.replace(b, e - b, ScenarioSectionMarkdown(s.section));
  }
  return out;
}

}  // namespace sim
