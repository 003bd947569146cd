#include "sim/host/catalogue.h"

#include <cstddef>
#include <optional>

#include "automation/variant.h"

namespace sim {

struct EmbeddedPo {
  const char* language;
  const char* text;
};
extern const EmbeddedPo kEmbeddedPo[];
extern const std::size_t kEmbeddedPoCount;

namespace {

// The text of one "..." of a .po line, escapes resolved; nullopt when the line holds none.
std::optional<std::string> Quoted(std::string_view line) {
  size_t open = line.find('"');
  size_t close = line.rfind('"');
  if (open == std::string_view::npos || close == open) return std::nullopt;
  std::string out;
  for (size_t i = open + 1; i < close; ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < close) {
      char e = line[++i];
      out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
    } else {
      out += c;
    }
  }
  return out;
}

bool IsPlaceholder(std::string_view s, size_t i) {
  return s[i] == '%' && i + 1 < s.size() && s[i + 1] >= '1' && s[i + 1] <= '9';
}

bool EndsValue(char c) { return c == '\n' || c == '\r' || c == '|'; }

// Matches the catalogued text key at text[pos...]; on success returns the length matched and
// the values of its placeholders (by number, 1-based).
std::optional<size_t> Match(std::string_view key, size_t k, std::string_view text, size_t pos,
                            std::map<int, std::string>& values) {
  if (k == key.size()) return pos;
  if (IsPlaceholder(key, k)) {
    int number = key[k + 1] - '0';
    size_t after = k + 2;
    // A value is as short as the rest allows; at the end of the text it runs to the line's end.
    size_t limit = pos;
    while (limit < text.size() && !EndsValue(text[limit])) ++limit;
    if (after == key.size()) {
      values[number] = std::string(text.substr(pos, limit - pos));
      return limit;
    }
    for (size_t end = pos; end <= limit; ++end) {
      std::map<int, std::string> inner = values;
      inner[number] = std::string(text.substr(pos, end - pos));
      if (auto m = Match(key, after, text, end, inner)) {
        values = std::move(inner);
        return m;
      }
    }
    return std::nullopt;
  }
  if (pos < text.size() && text[pos] == key[k]) return Match(key, k + 1, text, pos + 1, values);
  return std::nullopt;
}

std::string PutValues(std::string_view pattern, const std::map<int, std::string>& values) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (IsPlaceholder(pattern, i)) {
      auto it = values.find(pattern[i + 1] - '0');
      if (it != values.end()) {
        out += it->second;
        ++i;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace

Catalogue ParsePo(std::string_view text) {
  Catalogue out;
  std::string msgid, msgstr;
  enum { kNone, kId, kStr } field = kNone;
  auto flush = [&] {
    if (field == kStr && !msgid.empty() && !msgstr.empty()) out[ax::Trim(msgid)] = msgstr;
    msgid.clear();
    msgstr.clear();
    field = kNone;
  };
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.rfind("msgid ", 0) == 0) {
      flush();
      msgid = Quoted(line).value_or("");
      field = kId;
    } else if (line.rfind("msgstr ", 0) == 0) {
      msgstr = Quoted(line).value_or("");
      field = kStr;
    } else if (!line.empty() && line[0] == '"') {
      std::string more = Quoted(line).value_or("");
      if (field == kId) msgid += more;
      if (field == kStr) msgstr += more;
    }
    start = end + 1;
  }
  flush();
  return out;
}

const Catalogue* ShippedCatalogue(std::string_view language) {
  static const std::map<std::string, Catalogue, std::less<>> catalogues = [] {
    std::map<std::string, Catalogue, std::less<>> all;
    for (std::size_t i = 0; i < kEmbeddedPoCount; ++i)
      all[kEmbeddedPo[i].language] = ParsePo(kEmbeddedPo[i].text);
    return all;
  }();
  for (const auto& [code, catalogue] : catalogues)
    if (ax::EqualsNoCase(code, language)) return &catalogue;
  return nullptr;
}

std::vector<std::string> ShippedLanguages() {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < kEmbeddedPoCount; ++i) out.emplace_back(kEmbeddedPo[i].language);
  return out;
}

std::string ShownText(std::string_view text, const Catalogue& entries) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    // The longest match wins; of two that match as far, the one that spells more of it out
    // (a fixed reason rather than "%2").
    size_t bestEnd = pos, bestKey = 0;
    std::string best;
    for (const auto& [key, translation] : entries) {
      if (key.empty() || key[0] != text[pos]) continue;
      std::map<int, std::string> values;
      auto end = Match(key, 0, text, pos, values);
      if (end && (*end > bestEnd || (*end == bestEnd && key.size() > bestKey))) {
        bestEnd = *end;
        bestKey = key.size();
        best = PutValues(translation, values);
      }
    }
    if (bestEnd > pos) {
      out += best;
      pos = bestEnd;
    } else if (EndsValue(text[pos])) {
      out += text[pos++];
    } else {
      // Text that is not catalogued (a host's error description after a catalogued text):
      // the rest of the line or "|" part stays as written.
      while (pos < text.size() && !EndsValue(text[pos])) out += text[pos++];
    }
  }
  return out;
}

}  // namespace sim
