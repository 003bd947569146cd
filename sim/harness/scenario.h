// Scenario scripts (.sct): the scripted user of the simulated host. One command per line, run
// in a fresh host (a fresh process with the demo database in memory) per file. The language is
// one table (sim/harness/scenario_language.h) from which `sctav run --help` and the command tables of
// docs/scenarios.md are generated.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "sim/harness/harness.h"
#include "sim/host/transcript.h"

namespace sim {

class ContractLog;
class Host;

struct ScenarioOptions {
  std::string dbPath = ":memory:";  // `--db FILE` keeps the database in a file
  std::ostream* live = nullptr;     // `-v`: print the transcript as it runs
  ContractLog* contract = nullptr;  // notes every call the plug-in makes into the host
  std::string language;             // `--language CODE`: the user's language, catalogue on
  bool keyAudit = false;            // `--keys-log FILE`: every text reaches the loader
  bool forwardOnly = false;         // `--recordsets forwardonly`: every data call's record sets
};

struct ScenarioResult {
  std::string file;
  bool passed = false;
  std::string failure;  // "file:line: command\n    what was expected and what was seen"
  int commands = 0;
  int expectations = 0;
  std::vector<TranscriptEntry> transcript;
  std::vector<std::string> loaderKeys;  // every key the resource loader was asked for
  std::vector<std::string> raised;      // every error description the host raised
};

ScenarioResult RunScenarioFile(const std::string& path, const ScenarioOptions& options = {});
// Runs script text; name stands for the file in failure messages.
ScenarioResult RunScenarioText(const std::string& text, const std::string& name,
                               const ScenarioOptions& options = {});

// Splits a line into tokens: blanks separate tokens, a double-quoted token may hold blanks and
// the escapes \" \\ \r \n \t. Throws ScenarioFailure for an unterminated quote or an unknown
// escape.
std::vector<std::string> Tokenize(const std::string& line);

// A command line of a script: its number (from 1), its text without surrounding blanks and
// "file:line".
struct ScriptLine {
  int number = 0;
  std::string text;
  std::string where;
};

// Calls fn for every command line of text in order (blank lines and comments are skipped) until
// fn returns false; lineNo follows the line being run.
void ForEachScriptLine(const std::string& text, const std::string& name, int& lineNo,
                       const std::function<bool(const ScriptLine&)>& fn);

// What running one line gave: the command word, whether the line split into tokens, what went
// wrong ("" when the command held) and, for an exception other than a scenario failure or an
// automation error, its text.
struct LineOutcome {
  std::string word;
  bool parsed = false;
  std::string failure;
  std::string internal;
};

// One file being played against a host: the commands run so far and how far the file has read
// what the host only ever appends to (the errors it reported, the business log, the SQL sent).
class ScenarioRun {
 public:
  ScenarioRun(Host& host, Harness& harness) : host(host), harness(harness) {}

  // Runs one command line (without the end-of-file checks); throws ScenarioFailure when it
  // fails.
  void Command(const std::vector<std::string>& tokens);
  // Runs one line as a script runs it: the host is pointed at the line and notes it, then the
  // command runs. A failure recorded inside the plug-in's call (a missing answer, a dialog
  // without driver) counts first: it is the cause of whatever followed.
  LineOutcome Line(const ScriptLine& line);
  // What the end of the file finds left unread or unused ("" when nothing): a message or
  // result, an error the host reported, an answer never asked for.
  std::string AtEnd(const std::string& name) const;

  Host& host;
  Harness& harness;
  int expectations = 0;
  size_t errorRead = 0;  // errors the host reported that the file has read
  int64_t logRead = 0;   // business-log rowid the file has read up to
  size_t sqlRead = 0;    // statements `expect sql` has passed
  size_t sqlFrom = 0;    // where the latest `expect sql` began to look (`expect nosql` looks from there)
  size_t traceRead = 0;  // traces `expect trace` has passed
  size_t traceFrom = 0;  // where the latest `expect trace` began to look (`expect notrace` too)
};

// The reference of the scenario language, for --help.
std::string ScenarioLanguage();

}  // namespace sim
