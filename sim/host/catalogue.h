// The shipped translations of the plug-in's texts: po/<language>.po from the repository,
// embedded in the program at build time (cmake/embed_po.cmake), so the simulated host's
// resource loader knows them without extra files.
//
//   - ParsePo reads the msgid/msgstr pairs of a .po file (the header and untranslated entries
//     are left out).
//   - ShippedCatalogue(language) is the embedded catalogue of one language, or null.
//   - ShownText(text, entries) is what a user would see in that language for a text written in
//     Chinese: the text is cut into catalogued texts (longest first, then the one with more
//     written out; %1, %2, ... stand for values, which stay as written and never cross a line
//     or a "|"), each catalogued text is replaced by its translation with the values put back,
//     and from the first text that is not catalogued the rest of its line or "|" part stays
//     as written (a host's error description after a catalogued text). So an expectation is
//     written in Chinese; values a plug-in passes translated (a right's name) are not.
//     Scenario expectations written in Chinese are compared through it.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using Catalogue = std::map<std::string, std::string>;  // trimmed Chinese text -> translation

Catalogue ParsePo(std::string_view text);
const Catalogue* ShippedCatalogue(std::string_view language);
std::vector<std::string> ShippedLanguages();
std::string ShownText(std::string_view text, const Catalogue& entries);

}  // namespace sim
