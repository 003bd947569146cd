// sctav: the simulated host on the command line. Runs scenario scripts against the plug-in and
// shows the demo of the settlement centre.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "automation/error.h"
#include "sim/host/catalogue.h"
#include "sim/harness/scenario.h"
#include "sweep.h"
#include "sim/com/via_com.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* kUsage = R"(usage: sctav <command> [options]

A simulated host for the scTAVExt settlement-centre plug-in: it opens transfer-bill windows
and transfer lists with the plug-in attached, plays a scripted user and checks what happens.

commands:
  run [-v] [--db FILE] [--language CODE] [--keys-log FILE] [--recordsets KIND] FILE...
                                 run scenario scripts; exit status 0 only when all pass
  demo [-v] [--language CODE]    run the shipped demo scenario (scenarios/demo.sct) and print
                                 what the user sees (in the language CODE: chs, cht, en)
  sweep [options] FILE...        the fault-injection sweep: every host call of each scenario
                                 failed in turn (`sctav sweep --help`)
  help                           this text (also --help); `sctav run --help` describes the
                                 scenario language

  --via-com (before the command; Windows build only): the plug-in's classes are created by
  ProgID through COM from the registered scTAVExt.dll and reach the host's windows, user
  interface and components through COM (docs/windows.md)
)";

const char* kRunUsage = R"(usage: sctav run [-v] [--db FILE] [--language CODE] [--keys-log FILE]
                 [--sql-log FILE] [--recordsets forwardonly|static] FILE...

Runs each scenario file in a fresh simulated host with the demo settlement centre in memory
and reports PASS or FAIL per file; on failure it prints file:line, the command, what was
expected and what was seen. Exit status: 0 when every file passes, 1 otherwise, 2 for wrong
usage.

options:
  -v, --verbose   print the transcript while running: events raised, message boxes, SQL the
                  plug-in sends, business-log entries, host commands, errors
  --db FILE       keep the database in FILE (recreated for each scenario) to inspect it
                  afterwards; the last scenario's database stays
  --language CODE the user's language from the start (a scenario's `language` still changes
                  it): the shipped translations po/CODE.po serve the resource loader and
                  expected texts the plug-in shows are compared in that language
                  (`catalogue on`)
  --keys-log FILE the key audit: the plug-in is told a language without a resource file
                  ("chs-keys" instead of "chs"), so every text it shows reaches the loader and
                  comes back as written; FILE receives every key the loader was asked for
                  ("key<TAB>text"), every error description the host raised ("raised<TAB>
                  text") and the run-time's own error texts ("runtime<TAB>text"), with
                  backslash, tab and line breaks escaped as \\ \t \n \r
                  (scripts/catalogue.py audit checks it against po/scTAVExt.pot)
  --sql-log FILE  write every SQL text the plug-in hands to the host (statements and the
                  conditions of the lists) to FILE, one JSON object per line:
                  {"file": ..., "through": ..., "sql": ...}
  --recordsets forwardonly|static
                  the record sets every data call of the host hands out from the start, as
                  a scenario's `recordsets forwardonly` (a scenario's own `recordsets` still
                  changes it); static, the default, as ADO's static cursor
  -h, --help      this text

)";

const char* kDemoUsage = R"(usage: sctav demo [-v] [--language CODE]

Runs scenarios/demo.sct (found through the build's scenario folder or next to the program)
and prints a readable transcript of what the user sees: windows, menus, fields, messages,
dialogs and results. -v prints the full transcript instead. --language CODE shows the demo in
that language (cht, en: the translations built into the program; chs is the default), with
every check comparing the texts the plug-in shows in that language.
)";

// Escapes a text for one line of the key log.
std::string LogText(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

bool KnownLanguage(const std::string& code) {
  if (code == "chs") return true;
  for (const auto& l : sim::ShippedLanguages())
    if (l == code) return true;
  return false;
}

std::string ExecutableDir() {
  std::error_code ec;
  auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return p.parent_path().string();
}

std::string FindDemo() {
  std::vector<std::filesystem::path> candidates;
#ifdef SCTAV_SCENARIO_DIR
  candidates.emplace_back(std::filesystem::path(SCTAV_SCENARIO_DIR) / "demo.sct");
#endif
  std::filesystem::path exe = ExecutableDir();
  candidates.push_back(exe / "scenarios" / "demo.sct");
  candidates.push_back(exe / ".." / "scenarios" / "demo.sct");
  candidates.push_back(exe / ".." / ".." / "scenarios" / "demo.sct");
  for (const auto& c : candidates) {
    std::error_code ec;
    if (std::filesystem::exists(c, ec)) return c.string();
  }
  return {};
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// The SQL of one run's transcript ("<way>: <text>" entries) as JSON lines.
void WriteSqlLog(std::ostream& out, const sim::ScenarioResult& r) {
  for (const auto& e : r.transcript) {
    if (e.channel != sim::Channel::Sql) continue;
    size_t colon = e.text.find(": ");
    if (colon == std::string::npos) continue;
    out << "{\"file\":" << JsonString(r.file) << ",\"through\":" << JsonString(e.text.substr(0, colon))
        << ",\"sql\":" << JsonString(e.text.substr(colon + 2)) << "}\n";
  }
}

void PrintFailure(const sim::ScenarioResult& r) {
  std::cout << "FAIL " << r.file << "\n  " << r.failure << "\n";
}

int Run(const std::vector<std::string>& args) {
  bool verbose = false;
  std::string db = ":memory:";
  std::string sqlLog;
  std::string language, keysLog;
  bool forwardOnly = false;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help") {
      std::cout << kRunUsage << sim::ScenarioLanguage();
      return 0;
    } else if (a == "-v" || a == "--verbose") {
      verbose = true;
    } else if (a == "--db") {
      if (i + 1 >= args.size()) {
        std::cerr << "sctav run: --db needs a file name\n";
        return 2;
      }
      db = args[++i];
    } else if (a == "--sql-log") {
      if (i + 1 >= args.size()) {
        std::cerr << "sctav run: --sql-log needs a file name\n";
        return 2;
      }
      sqlLog = args[++i];
    } else if (a == "--recordsets") {
      if (i + 1 >= args.size() || (args[i + 1] != "forwardonly" && args[i + 1] != "static")) {
        std::cerr << "sctav run: --recordsets needs forwardonly or static\n";
        return 2;
      }
      forwardOnly = args[++i] == "forwardonly";
    } else if (a == "--language" || a == "--keys-log") {
      if (i + 1 >= args.size()) {
        std::cerr << "sctav run: " << a << " needs a value\n";
        return 2;
      }
      (a == "--language" ? language : keysLog) = args[++i];
      if (a == "--language" && !KnownLanguage(language)) {
        std::cerr << "sctav run: no translations for the language " << language << "\n";
        return 2;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      std::cerr << "sctav run: unknown option " << a << "\n" << kRunUsage;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    std::cerr << "sctav run: no scenario file given\n" << kRunUsage;
    return 2;
  }
  std::ofstream sqlOut;
  if (!sqlLog.empty()) {
    sqlOut.open(sqlLog, std::ios::binary | std::ios::trunc);
    if (!sqlOut) {
      std::cerr << "sctav run: cannot write " << sqlLog << "\n";
      return 2;
    }
  }
  int passed = 0, failed = 0;
  std::set<std::string> keys, raised;
  for (const auto& file : files) {
    sim::ScenarioOptions options;
    options.dbPath = db;
    options.language = language == "chs" ? std::string() : language;
    options.keyAudit = !keysLog.empty();
    options.forwardOnly = forwardOnly;
    if (verbose) {
      options.live = &std::cout;
      std::cout << "=== " << file << "\n";
    }
    sim::ScenarioResult r = sim::RunScenarioFile(file, options);
    via_com::AfterScenario();
    if (sqlOut.is_open()) WriteSqlLog(sqlOut, r);
    keys.insert(r.loaderKeys.begin(), r.loaderKeys.end());
    raised.insert(r.raised.begin(), r.raised.end());
    if (r.passed) {
      ++passed;
      std::cout << "PASS " << r.file << " (" << r.commands << " commands, " << r.expectations
                << " expectations)\n";
    } else {
      ++failed;
      PrintFailure(r);
    }
  }
  std::cout << passed << " passed, " << failed << " failed\n";
  if (!keysLog.empty()) {
    std::ofstream log(keysLog, std::ios::binary);
    for (const auto& k : keys) log << "key\t" << LogText(k) << "\n";
    for (const auto& e : raised) log << "raised\t" << LogText(e) << "\n";
    // The run-time's own error texts, which the plug-in shows like the host's.
    std::set<std::string> runtime;
    for (int32_t number = 1; number < 65536; ++number)
      runtime.insert(ax::StandardDescription(number));
    for (const auto& e : runtime) log << "runtime\t" << LogText(e) << "\n";
    if (!log) {
      std::cerr << "sctav run: cannot write " << keysLog << "\n";
      return 1;
    }
    std::cout << keys.size() << " keys reached the resource loader (" << keysLog << ")\n";
  }
  if (via_com::LeakedReferences() != 0) {
    std::cout << "via-com: " << via_com::LeakedReferences()
              << " plug-in class(es) kept references to host windows after release\n";
    return 1;
  }
  return failed == 0 ? 0 : 1;
}

int Demo(const std::vector<std::string>& args) {
  bool verbose = false;
  std::string language;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--language") {
      if (i + 1 >= args.size() || !KnownLanguage(args[i + 1])) {
        std::cerr << "sctav demo: --language needs one of chs";
        for (const auto& l : sim::ShippedLanguages()) std::cerr << ", " << l;
        std::cerr << "\n";
        return 2;
      }
      language = args[++i];
      continue;
    }
    if (a == "-h" || a == "--help") {
      std::cout << kDemoUsage;
      return 0;
    }
    if (a == "-v" || a == "--verbose") {
      verbose = true;
      continue;
    }
    std::cerr << "sctav demo: unknown argument " << a << "\n" << kDemoUsage;
    return 2;
  }
  std::string path = FindDemo();
  if (path.empty()) {
    std::cerr << "sctav demo: scenarios/demo.sct not found\n";
    return 1;
  }
  sim::ScenarioOptions options;
  if (language != "chs") options.language = language;
  if (verbose) options.live = &std::cout;
  sim::ScenarioResult r = sim::RunScenarioFile(path, options);
  if (!verbose) {
    std::cout << "scTAVExt demo: the settlement centre as the user sees it\n\n";
    for (const auto& e : r.transcript) {
      if (!sim::Transcript::UserVisible(e.channel)) continue;
      if (e.channel == sim::Channel::Note && e.text.find('\n') == std::string::npos) {
        std::cout << "\n== " << e.text << "\n";
        continue;
      }
      std::cout << sim::Transcript::Format(e) << "\n";
    }
  }
  if (!r.passed) {
    std::cout << "\n";
    PrintFailure(r);
    return 1;
  }
  std::cout << "\ndemo finished: " << r.expectations << " checks held\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--via-com") {
    args.erase(args.begin());
    if (args.empty() || (args[0] != "run" && args[0] != "demo")) {
      std::cerr << "sctav --via-com: run or demo expected\n" << kUsage;
      return 2;
    }
    std::string why = via_com::Start();
    if (!why.empty()) {
      std::cerr << "sctav --via-com: " << why << "\n";
      return 2;
    }
    std::vector<std::string> rest(args.begin() + 1, args.end());
    int status = args[0] == "run" ? Run(rest) : Demo(rest);
    via_com::Stop();
    return status;
  }
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::string command = args[0];
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "run") return Run(rest);
  if (command == "demo") return Demo(rest);
  if (command == "sweep") return SweepCommand(rest);
  std::cerr << "sctav: unknown command " << command << "\n" << kUsage;
  return 2;
}
