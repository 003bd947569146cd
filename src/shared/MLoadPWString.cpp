#include "shared/MLoadPWString.h"

#include "automation/runtime.h"
#include "host/progids.h"
#include "shared/ProcessState.h"
#include "shared/SysObjects.h"

namespace sc {

namespace {

struct LanguageState {
  std::string language;  // empty until fetched
  ax::Object loader;     // LmResLoader.Loader, once configured
};

LanguageState& Lang() { return ProcessWide<LanguageState>(); }

}  // namespace

std::string GetLanguage() {
  LanguageState& s = Lang();
  if (!s.language.empty()) return s.language;
  try {
    ax::Object info = ax::CreateObject(host::ProgId::LangInfo);
    ax::Variant code = info.Get("CurrentLanguage");
    s.language = code.isNull() ? std::string() : ax::CStr(code);
    return s.language;
  } catch (...) {
    // Shown directly: the message box's own title must not go through the loader that is
    // being set up.
    ax::GetUi().MessageBox("获取语言信息出错", 64, "Norvia提示");
    return "chs";
  }
}

ax::Object GetResLoader() {
  LanguageState& s = Lang();
  if (s.loader.IsNothing()) {
    ax::Object loader = ax::CreateObject(host::ProgId::ResLoader);
    loader.Put("ResFileBaseName", "QOR");
    loader.Put("LanguageID", GetLanguage());
    s.loader = loader;
  }
  return s.loader;
}

std::string LoadPWString(const std::string& text) {
  if (Lang().language == "chs") return text;
  try {
    std::string key = ax::Trim(text);
    if (key.empty()) return text;
    ax::Variant translated = GetResLoader().Get("LoadString", {key});
    if (translated.isNull() || translated.isEmpty()) return text;
    return ax::CStr(translated);
  } catch (...) {
    return text;
  }
}

std::string FormatPWString(const std::string& text, const std::vector<ax::Variant>& params) {
  std::string pattern = LoadPWString(text);
  std::string out;
  out.reserve(pattern.size());
  // One pass: a parameter's own text is never scanned for placeholders again.
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      // The longest run of digits that names a parameter: %12 is the twelfth when there are
      // twelve, otherwise %1 followed by "2".
      size_t j = i + 1;
      size_t number = 0;
      while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9') {
        size_t next = number * 10 + static_cast<size_t>(pattern[j] - '0');
        if (next > params.size()) break;
        number = next;
        ++j;
      }
      if (number >= 1 && number <= params.size()) {
        const ax::Variant& p = params[number - 1];
        if (!p.isNull() && !p.isEmpty() && !p.isMissing()) out += ax::CStr(p);
        i = j - 1;
        continue;
      }
    }
    out += pattern[i];
  }
  return out;
}

std::string GetLangResKey(const std::string& name) {
  std::string language = GetPropsValue("Language");
  if (language != "chs") return ax::Trim(name) + "_" + language;
  return name;
}

}  // namespace sc
