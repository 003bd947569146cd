// The scenario language as one table: every command with its forms, help and handler. The
// runner dispatches through it, `sctav run --help` prints it and the command tables of
// docs/scenarios.md are generated from it (a test keeps the page current). A component of the
// simulated host that adds a command contributes entries to ComponentCommands()
// (sim/components.cpp); there is no other way to add one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/variant.h"

namespace sim {

class ScenarioRun;
using Tokens = std::vector<std::string>;

struct ScenarioForm {
  const char* usage;  // "open bill <FID>"
  const char* help;   // what it does or when the expectation holds
};

struct ScenarioCommand {
  enum class Section { Setup, Answers, Actions, Expectations };
  Section section;
  // The command word, or "expect <what>" for an expectation; aliases are other spellings.
  std::string name;
  std::vector<ScenarioForm> forms;
  // Called with the whole line's tokens; throws ScenarioFailure.
  void (*handler)(ScenarioRun& run, const Tokens& tokens);
  std::vector<std::string> aliases = {};
};

// Every command, section by section, in the order the reference lists them.
const std::vector<ScenarioCommand>& ScenarioCommands();
// The entry a line's tokens name (t[0], or "expect" t[1]); nullptr when none.
const ScenarioCommand* FindScenarioCommand(const Tokens& tokens);
// The table of one section as Markdown (`| Command | ... |` rows), for docs/scenarios.md.
std::string ScenarioSectionMarkdown(ScenarioCommand::Section section);
// docs/scenarios.md with every generated table replaced by the current one; the tables sit
// between "<!-- commands: <section> -->" and "<!-- end of commands -->".
std::string WithCurrentCommandTables(const std::string& page);

// The parts of the table, each beside its handlers.
std::vector<ScenarioCommand> SetupCommands();
std::vector<ScenarioCommand> AnswerCommands();
std::vector<ScenarioCommand> ActionCommands();
std::vector<ScenarioCommand> ExpectationCommands();
std::vector<ScenarioCommand> ComponentCommands();

// Reading the words of a command; each throws ScenarioFailure with a message for the user.
class Host;
class Window;

namespace words {
[[noreturn]] void Bad(const std::string& what);
std::string Quote(const std::string& s);  // "\"text\"" with line breaks shown
void Need(const Tokens& t, size_t n, const char* usage);
void Max(const Tokens& t, size_t n, const char* usage);
int32_t Number(const std::string& s, const char* what);
bool YesNo(const std::string& s, const char* yes, const char* no);
ax::DateValue DateArg(const std::string& s);  // YYYY-MM-DD
std::vector<int32_t> Fids(const Tokens& t, size_t from, const char* usage);  // ids or "none"
void Expect(bool holds, const std::string& expected, const std::string& seen);
Window& CurrentWindow(Host& host);  // "no window is open" when none
}  // namespace words

}  // namespace sim
