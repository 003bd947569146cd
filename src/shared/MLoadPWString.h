// Texts in the user's language. The program's texts are written in Simplified Chinese ("chs");
// the host's resource loader maps a trimmed Chinese text to its translation.
#pragma once

#include <string>
#include <vector>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc {

// The user's language code, fetched once per process. When it cannot be read the user is told
// ("获取语言信息出错") and "chs" is returned without being kept, so the next call asks again.
std::string GetLanguage();
// The resource loader (base name "QOR", the user's language), configured on first use.
ax::Object GetResLoader();
// The text for display in the user's language; any failure gives the text unchanged.
std::string LoadPWString(const std::string& text);
// LoadPWString(text) with %1, %2, … replaced by params[0], params[1], … (Null and Empty as "").
std::string FormatPWString(const std::string& text, const std::vector<ax::Variant>& params);
// A resource key for the context's language: "<trimmed name>_<code>", or the name itself for
// "chs".
std::string GetLangResKey(const std::string& name);

// Marks a text that reaches LoadPWString later (a table entry, a text chosen at run time), so
// that the message catalogue (po/scTAVExt.pot) lists it. The text itself is unchanged.
constexpr const char* N_(const char* text) { return text; }

}  // namespace sc
