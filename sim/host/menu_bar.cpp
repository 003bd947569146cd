#include "sim/host/menu_bar.h"

#include "automation/error.h"
#include "sim/host/host.h"

namespace sim {

namespace {

[[noreturn]] void NoSuch(const std::string& what, const std::string& source) {
  throw ax::AutomationError(ax::err::kInvalidCall,
                            ax::StandardDescription(ax::err::kInvalidCall) + " (" + what + ")",
                            source);
}

template <class T>
std::shared_ptr<T> Lock(const std::weak_ptr<T>& weak, const char* source) {
  auto p = weak.lock();
  if (!p) throw ax::Error(ax::err::kObjectNotSet, source);
  return p;
}

std::shared_ptr<Tool> ToolArg(const ax::Args& args, size_t i, const char* source) {
  const ax::Variant& v = ax::ArgAt(args, i);
  if (!v.isObject() || !v.asObject()) throw ax::Error(ax::err::kTypeMismatch, source);
  auto tool = std::dynamic_pointer_cast<Tool>(v.asObject());
  if (!tool) throw ax::Error(ax::err::kTypeMismatch, source);
  return tool;
}

std::string KeyOf(const ax::Variant& v) {
  if (v.isObject()) {
    if (auto tool = std::dynamic_pointer_cast<Tool>(v.asObject())) return tool->key;
    if (auto band = std::dynamic_pointer_cast<Band>(v.asObject())) return band->key;
    throw ax::Error(ax::err::kTypeMismatch);
  }
  return ax::CStr(v);
}

}  // namespace

// ---- Tool -------------------------------------------------------------------------------------

Tool::Tool(Host& host, std::string toolKey) : HostObject(host, "Tool", "TAVTool"), key(std::move(toolKey)) {
  auto text = [this](std::string Tool::*field) {
    return std::make_pair([this, field]() -> ax::Variant { return this->*field; },
                          [this, field](const ax::Variant& v) { this->*field = ax::CStr(v); });
  };
  auto flag = [this](bool Tool::*field) {
    return std::make_pair([this, field]() -> ax::Variant { return this->*field; },
                          [this, field](const ax::Variant& v) { this->*field = ax::CBool(v); });
  };
  {
    auto [g, p] = text(&Tool::key);
    Property("Key", g, p);
  }
  {
    auto [g, p] = text(&Tool::caption);
    Property("Caption", g, p);
  }
  {
    auto [g, p] = text(&Tool::toolTipText);
    Property("ToolTipText", g, p);
  }
  {
    auto [g, p] = text(&Tool::descriptionText);
    Property("DescriptionText", g, p);
  }
  {
    auto [g, p] = flag(&Tool::visible);
    Property("Visible", g, p);
  }
  {
    auto [g, p] = flag(&Tool::enabled);
    Property("Enabled", g, p);
  }
  {
    auto [g, p] = flag(&Tool::beginGroup);
    Property("BeginGroup", g, p);
  }
  Property("Id", [this]() -> ax::Variant { return id; },
           [this](const ax::Variant& v) { id = ax::CLng(v); });
  Property("DropDownBand", [this]() -> ax::Variant { return dropDownBand; },
           [this](const ax::Variant& v) { dropDownBand = KeyOf(v); });
  Method("PasteFace", [this](ax::Args& args) -> ax::Variant {
    face = this->host().ClipboardPicture();
    maskColor = ArgLong(args, 0, 0);
    return {};
  });
  Property("Face", [this]() -> ax::Variant { return face ? face->name : std::string(); });
  Property("FaceIndex", [this]() -> ax::Variant { return face ? face->imageIndex : 0; });
  Property("MaskColor", [this]() -> ax::Variant { return maskColor; });
}

void Tool::SetProperty(std::string_view name, const ax::Variant& value) {
  if (ax::EqualsNoCase(name, "Enabled")) enabled = ax::CBool(value);
  else if (ax::EqualsNoCase(name, "Visible")) visible = ax::CBool(value);
  else if (ax::EqualsNoCase(name, "BeginGroup")) beginGroup = ax::CBool(value);
  else if (ax::EqualsNoCase(name, "Caption")) caption = ax::CStr(value);
  else if (ax::EqualsNoCase(name, "ToolTipText")) toolTipText = ax::CStr(value);
  else if (ax::EqualsNoCase(name, "DescriptionText")) descriptionText = ax::CStr(value);
  else if (ax::EqualsNoCase(name, "Id")) id = ax::CLng(value);
  else if (ax::EqualsNoCase(name, "DropDownBand")) dropDownBand = KeyOf(value);
  else
    throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                              "TAVTool." + std::string(name));
}

ax::Variant Tool::GetProperty(std::string_view name) const {
  if (ax::EqualsNoCase(name, "Enabled")) return enabled;
  if (ax::EqualsNoCase(name, "Visible")) return visible;
  if (ax::EqualsNoCase(name, "BeginGroup")) return beginGroup;
  if (ax::EqualsNoCase(name, "Caption")) return caption;
  if (ax::EqualsNoCase(name, "ToolTipText")) return toolTipText;
  if (ax::EqualsNoCase(name, "DescriptionText")) return descriptionText;
  if (ax::EqualsNoCase(name, "Id")) return id;
  if (ax::EqualsNoCase(name, "DropDownBand")) return dropDownBand;
  if (ax::EqualsNoCase(name, "Face")) return face ? face->name : std::string();
  if (ax::EqualsNoCase(name, "FaceIndex")) return face ? face->imageIndex : 0;
  if (ax::EqualsNoCase(name, "MaskColor")) return maskColor;
  if (ax::EqualsNoCase(name, "Key")) return key;
  throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                            "TAVTool." + std::string(name));
}

// ---- Band -------------------------------------------------------------------------------------

Band::Band(Host& host, std::string bandKey, int32_t bandKind)
    : HostObject(host, "Band"), key(std::move(bandKey)), kind(bandKind) {
  Property("Key", [this]() -> ax::Variant { return key; });
  Property("Caption", [this]() -> ax::Variant { return caption; },
           [this](const ax::Variant& v) { caption = ax::CStr(v); });
  Property("Type", [this]() -> ax::Variant { return kind; },
           [this](const ax::Variant& v) { kind = ax::CLng(v); });
  Property("Visible", [this]() -> ax::Variant { return visible; },
           [this](const ax::Variant& v) { visible = ax::CBool(v); });
  Property("Tools", [this]() -> ax::Variant {
    // The tool list holds the band weakly: a list kept beyond the window fails cleanly.
    std::weak_ptr<Band> weak = std::static_pointer_cast<Band>(shared_from_this());
    auto list = std::make_shared<BasicObject>(this->host(), "Band", "Tools");
    list->Property("Count", [weak]() -> ax::Variant {
      return static_cast<int32_t>(Lock(weak, "Tools.Count")->tools.size());
    });
    list->Member("Item", [weak](unsigned, ax::Args& args) -> ax::Variant {
      auto band = Lock(weak, "Tools.Item");
      const ax::Variant& which = ax::ArgAt(args, 0);
      if (which.isNumeric()) {
        int32_t i = ax::CLng(which);
        if (i < 1 || static_cast<size_t>(i) > band->tools.size())
          throw ax::Error(ax::err::kSubscript, "Tools.Item");
        return ax::DispatchPtr(band->tools[static_cast<size_t>(i - 1)]);
      }
      size_t pos = band->Find(KeyOf(which));
      if (pos == std::string::npos) NoSuch("no tool " + KeyOf(which) + " in band " + band->key, "Tools.Item");
      return ax::DispatchPtr(band->tools[pos]);
    });
    list->Method("Add", [weak](ax::Args& args) -> ax::Variant {
      auto band = Lock(weak, "Tools.Add");
      band->Append(ToolArg(args, 0, "Tools.Add"));
      return {};
    });
    list->Method("InsertBefore", [weak](ax::Args& args) -> ax::Variant {
      auto band = Lock(weak, "Tools.InsertBefore");
      band->InsertBefore(KeyOf(ax::ArgAt(args, 0)), ToolArg(args, 1, "Tools.InsertBefore"));
      return {};
    });
    list->Method("InsertAfter", [weak](ax::Args& args) -> ax::Variant {
      auto band = Lock(weak, "Tools.InsertAfter");
      band->InsertAfter(ax::ArgAt(args, 0), ToolArg(args, 1, "Tools.InsertAfter"));
      return {};
    });
    list->Method("Remove", [weak](ax::Args& args) -> ax::Variant {
      auto band = Lock(weak, "Tools.Remove");
      size_t pos = band->Find(KeyOf(ax::ArgAt(args, 0)));
      if (pos != std::string::npos) band->tools.erase(band->tools.begin() + static_cast<long>(pos));
      return {};
    });
    return ax::DispatchPtr(list);
  });
}

size_t Band::Find(std::string_view toolKey) const {
  for (size_t i = 0; i < tools.size(); ++i)
    if (ax::EqualsNoCase(tools[i]->key, toolKey)) return i;
  return std::string::npos;
}

void Band::Remove(const std::shared_ptr<Tool>& tool) {
  std::erase(tools, tool);
}

void Band::Append(std::shared_ptr<Tool> tool) {
  Remove(tool);
  tools.push_back(std::move(tool));
}

void Band::InsertBefore(std::string_view neighbour, std::shared_ptr<Tool> tool) {
  Remove(tool);
  size_t pos = Find(neighbour);
  // Where a tool goes whose neighbour the band lacks is the host's own: at the end.
  if (pos == std::string::npos) pos = tools.size();
  tools.insert(tools.begin() + static_cast<long>(pos), std::move(tool));
}

void Band::InsertAfter(const ax::Variant& neighbour, std::shared_ptr<Tool> tool) {
  Remove(tool);
  if (neighbour.isNumeric()) {
    int32_t position = ax::CLng(neighbour);
    if (position < -1) NoSuch("position " + std::to_string(position), "Tools.InsertAfter");
    if (position == -1 || static_cast<size_t>(position) >= tools.size())
      tools.push_back(std::move(tool));
    else
      tools.insert(tools.begin() + position, std::move(tool));
    return;
  }
  std::string neighbourKey = KeyOf(neighbour);
  size_t pos = Find(neighbourKey);
  // Where a tool goes whose neighbour the band lacks is the host's own: at the end.
  tools.insert(pos == std::string::npos ? tools.end() : tools.begin() + static_cast<long>(pos + 1),
               std::move(tool));
}

std::string Band::KeyList() const {
  std::string out;
  for (const auto& t : tools) {
    if (!out.empty()) out += ",";
    out += t->key;
  }
  return out;
}

// ---- MenuBar ----------------------------------------------------------------------------------

// The member of the menu bar that hands out one of its keyed collections (its tools or its
// bands), as the host's own: with an argument, the item of that key; without, the collection
// with Item (1-based index or key), Add(key), Count and Exists(key). extend adds members only
// one of the two collections has.
template <class T, class Find, class Add, class Extend>
void MenuBar::CollectionMember(const char* name, const char* noun,
                               std::vector<std::shared_ptr<T>> MenuBar::*items, Find find, Add add,
                               Extend extend) {
  const std::string item = std::string(name) + ".Item", adding = std::string(name) + ".Add",
                    count = std::string(name) + ".Count", exists = std::string(name) + ".Exists";
  Member(name, [=, this](unsigned, ax::Args& args) -> ax::Variant {
    std::weak_ptr<MenuBar> weak = std::static_pointer_cast<MenuBar>(shared_from_this());
    if (ArgGiven(args, 0)) {
      std::string key = KeyOf(ax::ArgAt(args, 0));
      auto found = find(*this, key);
      if (!found) NoSuch(std::string("no ") + noun + " " + key, name);
      return ax::DispatchPtr(found);
    }
    auto list = std::make_shared<BasicObject>(this->host(), "MenuBar", name);
    list->Member("Item", [=](unsigned, ax::Args& a) -> ax::Variant {
      auto bar = Lock(weak, item.c_str());
      const ax::Variant& which = ax::ArgAt(a, 0);
      const auto& all = (*bar).*items;
      if (which.isNumeric()) {
        int32_t i = ax::CLng(which);
        if (i < 1 || static_cast<size_t>(i) > all.size()) throw ax::Error(ax::err::kSubscript, item);
        return ax::DispatchPtr(all[static_cast<size_t>(i - 1)]);
      }
      auto found = find(*bar, KeyOf(which));
      if (!found) NoSuch(std::string("no ") + noun + " " + KeyOf(which), item);
      return ax::DispatchPtr(found);
    });
    list->Method("Add", [=](ax::Args& a) -> ax::Variant {
      auto bar = Lock(weak, adding.c_str());
      std::string key = ArgText(a, 0);
      if (key.empty()) throw ax::Error(ax::err::kInvalidCall, adding);
      return ax::DispatchPtr(add(*bar, key));
    });
    list->Property("Count", [=]() -> ax::Variant {
      return static_cast<int32_t>(((*Lock(weak, count.c_str())).*items).size());
    });
    list->Method("Exists", [=](ax::Args& a) -> ax::Variant {
      return find(*Lock(weak, exists.c_str()), ArgText(a, 0)) != nullptr;
    });
    extend(*list, weak);
    return ax::DispatchPtr(list);
  });
}

MenuBar::MenuBar(Host& host) : HostObject(host, "MenuBar") {
  CollectionMember(
      "TAVTools", "tool", &MenuBar::tools_,
      [](MenuBar& bar, const std::string& key) { return bar.FindTool(key); },
      [](MenuBar& bar, const std::string& key) { return bar.AddTool(key); },
      [](BasicObject& list, const std::weak_ptr<MenuBar>& weak) {
        list.Method("Remove", [weak](ax::Args& a) -> ax::Variant {
          auto bar = Lock(weak, "TAVTools.Remove");
          auto tool = bar->FindTool(ArgText(a, 0));
          if (tool) {
            std::erase(bar->tools_, tool);
            for (auto& band : bar->bands_) std::erase(band->tools, tool);
          }
          return {};
        });
      });
  CollectionMember(
      "Bands", "band", &MenuBar::bands_,
      [](MenuBar& bar, const std::string& key) { return bar.FindBand(key); },
      [](MenuBar& bar, const std::string& key) { return bar.AddBand(key, 0); },
      [](BasicObject&, const std::weak_ptr<MenuBar>&) {});
}

std::shared_ptr<Tool> MenuBar::AddTool(const std::string& key) {
  auto tool = std::make_shared<Tool>(host(), key);
  tools_.push_back(tool);
  return tool;
}

// Keys compare without regard to case, as the host's own tool collection does (a written
// decision: TAVTools("mnuscCheck") and TAVTools("MNUSCCHECK") are the same tool to the host).
std::shared_ptr<Tool> MenuBar::FindTool(std::string_view key) const {
  for (const auto& t : tools_)
    if (ax::EqualsNoCase(t->key, key)) return t;
  return nullptr;
}

std::shared_ptr<Band> MenuBar::AddBand(const std::string& key, int32_t kind) {
  if (auto existing = FindBand(key)) return existing;
  auto band = std::make_shared<Band>(host(), key, kind);
  bands_.push_back(band);
  return band;
}

std::shared_ptr<Band> MenuBar::FindBand(std::string_view key) const {
  for (const auto& b : bands_)
    if (ax::EqualsNoCase(b->key, key)) return b;
  return nullptr;
}

void MenuBar::AddHostBand(const std::string& bandKey, int32_t kind,
                          const std::vector<std::pair<std::string, std::string>>& toolsWithCaptions) {
  auto band = AddBand(bandKey, kind);
  for (const auto& [key, caption] : toolsWithCaptions) {
    auto tool = FindTool(key);
    if (!tool) {
      tool = AddTool(key);
      tool->caption = caption;
      tool->toolTipText = caption;
      tool->descriptionText = caption;
    }
    band->Append(tool);
  }
}

std::string MenuBar::Describe() const {
  std::string out;
  for (const auto& band : bands_) {
    if (!out.empty()) out += "\n";
    out += "band " + band->key + " (kind " + std::to_string(band->kind) +
           (band->visible ? "" : ", hidden") + "): ";
    bool first = true;
    for (const auto& t : band->tools) {
      out += first ? "" : ", ";
      first = false;
      out += t->key;
      if (!t->caption.empty() && t->caption != t->key) out += " \"" + t->caption + "\"";
      std::string flags;
      if (!t->visible) flags += " hidden";
      if (!t->enabled) flags += " disabled";
      if (t->beginGroup) flags += " group";
      if (t->face) flags += " face=" + t->face->name;
      if (!t->dropDownBand.empty()) flags += " dropdown=" + t->dropDownBand;
      if (!flags.empty()) out += " [" + flags.substr(1) + "]";
    }
  }
  return out;
}

}  // namespace sim
