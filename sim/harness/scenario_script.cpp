#include "sim/harness/scenario.h"

#include <sstream>
#include <stdexcept>

#include "automation/error.h"
#include "sim/host/host.h"
#include "sim/harness/scenario_language.h"
#include "sim/host/window.h"

// Reading scripts: lines, words and the values written in them.
namespace sim {

namespace words {

void Bad(const std::string& what) { throw ScenarioFailure(what); }

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

Window& CurrentWindow(Host& host) {
  Window* w = host.Current();
  if (!w) Bad("no window is open");
  return *w;
}

void Expect(bool holds, const std::string& expected, const std::string& seen) {
  if (!holds) Bad("expected " + expected + "\n    saw " + seen);
}

}  // namespace words

using namespace words;

namespace {

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

}  // namespace sim
