#include "host/menubar.h"

#include <string>

namespace sc::host {

ax::Object MenuBar(const ax::Object& billOrList) { return billOrList.GetObj("MenuBar"); }

ax::Object Tool(const ax::Object& menuBar, std::string_view key) {
  return menuBar.GetObj("TAVTools", {std::string(key)});
}

ax::Object Band(const ax::Object& menuBar, std::string_view key) {
  return menuBar.GetObj("Bands", {std::string(key)});
}

void SetToolEnabled(const ax::Object& billOrList, std::string_view key, bool enabled) {
  Tool(MenuBar(billOrList), key).Put("Enabled", enabled);
}

void SetToolVisible(const ax::Object& billOrList, std::string_view key, bool visible) {
  Tool(MenuBar(billOrList), key).Put("Visible", visible);
}

}  // namespace sc::host
