// The host library's keyed dictionary and 1-based vector, as automation objects.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "automation/object.h"

namespace sim {

inline constexpr const char* kDictionaryProgId = "HostLib.Dictionary";
inline constexpr const char* kVectorProgId = "HostLib.Vector";

// Keyed by text, keys compared without regard to case, insertion order kept.
// Members: Item(key) get/put/putref (default member; reading a missing key gives Empty),
// Value(key) get/put (same as Item), GetValue(key, default), Exists(key), Remove(key), Count,
// Keys (a Vector of the keys), Clear.
class Dictionary : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  std::string ClassName() const override { return "Dictionary"; }

  // Direct access for the simulated host.
  const ax::Variant* Find(std::string_view key) const;
  ax::Variant Get(std::string_view key, const ax::Variant& dflt = {}) const;
  void Set(std::string_view key, ax::Variant value);
  bool Exists(std::string_view key) const { return Find(key) != nullptr; }
  void Remove(std::string_view key);
  const std::vector<std::pair<std::string, ax::Variant>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, ax::Variant>> entries_;
};

// 1-based vector. Members: Count, Item(i) (default member), Add(value), Remove(i), Clear.
class Vector : public ax::Dispatch {
 public:
  ax::Variant Invoke(std::string_view member, unsigned kind, ax::Args& args) override;
  std::string ClassName() const override { return "Vector"; }

  std::vector<ax::Variant>& Items() { return items_; }
  const std::vector<ax::Variant>& Items() const { return items_; }
  void Add(ax::Variant v) { items_.push_back(std::move(v)); }

 private:
  std::vector<ax::Variant> items_;
};

std::shared_ptr<Dictionary> NewDictionary();
std::shared_ptr<Vector> NewVector();

}  // namespace sim
