// The menu bar of a bill or list window: tools (menu commands and toolbar buttons) and bands
// (menus, toolbars and drop-down lists) that show tools in order.
//
// Object model, as the plug-in calls it (all members case-insensitive):
//   MenuBar     TAVTools            the tool collection; TAVTools(key) gives the first tool with
//                                   that key (error 5 when there is none)
//               Bands               the band collection; Bands(key) gives the band
//   TAVTools    Item(key) (default), Add(key) -> new tool (a key may be added twice; Item then
//               finds the first), Count, Exists(key), Remove(key)
//   Bands       Item(key) (default), Add(key) -> new band (an existing key gives that band),
//               Count, Exists(key)
//   Band        Key, Caption, Type (band kind: 0 menu, 1 toolbar, 2 drop-down list), Visible,
//               Tools -> the band's tool list
//   Band.Tools  Count, Item(index 1-based or key), Add(tool) appends,
//               InsertBefore(neighbourKey, tool): puts the tool in front of the neighbour,
//               InsertAfter(neighbourKey, tool): puts it behind the neighbour; a number instead
//               of the key is a position: -1 appends at the end, 0 puts the tool first, n puts
//               it behind the n-th tool. A neighbour that is not in the band raises error 5.
//               A tool already in the band is moved. Remove(key).
//   Tool        Key, Caption, ToolTipText, DescriptionText, Id, Visible, Enabled, BeginGroup,
//               DropDownBand (key of the band dropped down; a Band object may be assigned),
//               PasteFace(maskColor): takes the clipboard's picture as the tool's face,
//               Face (name of the face picture, "" without one), FaceIndex, MaskColor.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/runtime.h"
#include "sim/host/host_object.h"

namespace sim {

class Tool : public HostObject {
 public:
  Tool(Host& host, std::string key);

  std::string key;
  std::string caption;
  std::string toolTipText;
  std::string descriptionText;
  int32_t id = 0;
  bool visible = true;
  bool enabled = true;
  bool beginGroup = false;
  std::optional<ax::Picture> face;
  int32_t maskColor = 0;
  std::string dropDownBand;

  // Sets a property by name as the host's SetToolProperty does; unknown names raise 438.
  void SetProperty(std::string_view name, const ax::Variant& value);
  ax::Variant GetProperty(std::string_view name) const;
};

class Band : public HostObject {
 public:
  Band(Host& host, std::string key, int32_t kind);

  std::string key;
  std::string caption;
  int32_t kind = 0;  // 0 menu, 1 toolbar, 2 drop-down list
  bool visible = true;
  std::vector<std::shared_ptr<Tool>> tools;

  // Position of the first tool with the key; npos when absent.
  size_t Find(std::string_view toolKey) const;
  void Append(std::shared_ptr<Tool> tool);
  void InsertBefore(std::string_view neighbour, std::shared_ptr<Tool> tool);
  void InsertAfter(const ax::Variant& neighbour, std::shared_ptr<Tool> tool);
  std::string KeyList() const;  // the tools' keys in order, joined by ","

 private:
  void Remove(const std::shared_ptr<Tool>& tool);
};

class MenuBar : public HostObject {
 public:
  explicit MenuBar(Host& host);

  std::shared_ptr<Tool> AddTool(const std::string& key);
  std::shared_ptr<Tool> FindTool(std::string_view key) const;  // first with the key, or null
  std::shared_ptr<Band> AddBand(const std::string& key, int32_t kind);
  std::shared_ptr<Band> FindBand(std::string_view key) const;
  const std::vector<std::shared_ptr<Tool>>& Tools() const { return tools_; }
  const std::vector<std::shared_ptr<Band>>& Bands() const { return bands_; }

  // Adds the host's own tools: the band's tools in order, creating tools not yet present.
  void AddHostBand(const std::string& bandKey, int32_t kind,
                   const std::vector<std::pair<std::string, std::string>>& toolsWithCaptions);

  // A readable listing: every band with its tools and their states.
  std::string Describe() const;

 private:
  template <class T, class Find, class Add, class Extend>
  void CollectionMember(const char* name, const char* noun, std::vector<std::shared_ptr<T>> MenuBar::*items,
                        Find find, Add add, Extend extend);

  std::vector<std::shared_ptr<Tool>> tools_;
  std::vector<std::shared_ptr<Band>> bands_;
};

}  // namespace sim
