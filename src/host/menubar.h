// Menu bars of the host's windows: tools (TAVTools) and bands (menus and toolbars).
#pragma once

#include <string_view>

#include "automation/object.h"
#include "automation/variant.h"

namespace sc::host {

// MenuBar of a bill or list interface.
ax::Object MenuBar(const ax::Object& billOrList);
// menuBar.TAVTools(key): the tool with that key (an error when there is none).
ax::Object Tool(const ax::Object& menuBar, std::string_view key);
// menuBar.Bands(key): a menu or toolbar band.
ax::Object Band(const ax::Object& menuBar, std::string_view key);
// The tool's Enabled and Visible flags, through the window's menu bar.
void SetToolEnabled(const ax::Object& billOrList, std::string_view key, bool enabled);
void SetToolVisible(const ax::Object& billOrList, std::string_view key, bool visible);

}  // namespace sc::host
