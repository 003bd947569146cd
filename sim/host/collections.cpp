// The host library's keyed dictionary and 1-based vector.
#include "sim/host/collections.h"

#include "automation/error.h"

namespace sim {

namespace {

bool Is(std::string_view member, std::string_view name) { return ax::EqualsNoCase(member, name); }

const ax::Variant& Required(const ax::Args& args, size_t i) {
  const ax::Variant& v = ax::ArgAt(args, i);
  if (v.isMissing()) throw ax::Error(ax::err::kWrongArgs);
  return v;
}

// The host's dictionaries are keyed by text: a key of another kind is a type mismatch.
std::string KeyText(const ax::Variant& key) {
  if (key.isMissing()) throw ax::Error(ax::err::kWrongArgs);
  if (key.isNull()) throw ax::Error(ax::err::kInvalidNull);
  if (!key.isString()) throw ax::Error(ax::err::kTypeMismatch);
  return key.asString();
}

// The value of a property put by reference must be an object (or Nothing).
const ax::Variant& RefValue(const ax::Args& args) {
  const ax::Variant& v = ax::PutValue(args);
  if (!v.isObject() && !v.isEmpty()) throw ax::Error(424);
  return v;
}

[[noreturn]] void NoMember(std::string_view className, std::string_view member) {
  throw ax::AutomationError(ax::err::kNoMember, ax::StandardDescription(ax::err::kNoMember),
                            std::string(className) + "." + std::string(member));
}

}  // namespace

// ---- Dictionary -------------------------------------------------------------------------------

const ax::Variant* Dictionary::Find(std::string_view key) const {
  for (const auto& [k, v] : entries_)
    if (ax::EqualsNoCase(k, key)) return &v;
  return nullptr;
}

ax::Variant Dictionary::Get(std::string_view key, const ax::Variant& dflt) const {
  const ax::Variant* v = Find(key);
  return v ? *v : dflt;
}

void Dictionary::Set(std::string_view key, ax::Variant value) {
  for (auto& [k, v] : entries_) {
    if (ax::EqualsNoCase(k, key)) {
      v = std::move(value);
      return;
    }
  }
  entries_.emplace_back(std::string(key), std::move(value));
}

void Dictionary::Remove(std::string_view key) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (ax::EqualsNoCase(it->first, key)) {
      entries_.erase(it);
      return;
    }
  }
}

ax::Variant Dictionary::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  if (member.empty() || Is(member, "Item") || Is(member, "Value")) {
    if (kind & ax::kPutRef) {
      Set(KeyText(ax::ArgAt(args, 0)), RefValue(args));
      return {};
    }
    if (kind & ax::kPut) {
      if (args.size() < 2) throw ax::Error(ax::err::kWrongArgs);
      Set(KeyText(ax::ArgAt(args, 0)), ax::PutValue(args));
      return {};
    }
    // Item reads a key the dictionary holds; GetValue is the member that gives a default.
    const std::string key = KeyText(Required(args, 0));
    const ax::Variant* v = Find(key);
    if (!v) throw ax::Error(ax::err::kInvalidCall, "Dictionary.Item(\"" + key + "\")");
    return *v;
  }
  if (Is(member, "GetValue")) {
    const ax::Variant& dflt = ax::ArgAt(args, 1);
    return Get(KeyText(Required(args, 0)), dflt.isMissing() ? ax::Variant() : dflt);
  }
  if (Is(member, "Exists")) return Exists(KeyText(Required(args, 0)));
  if (Is(member, "Remove")) {
    Remove(KeyText(Required(args, 0)));
    return {};
  }
  if (Is(member, "Count")) return static_cast<int32_t>(entries_.size());
  if (Is(member, "Keys") || Is(member, "Items")) {
    auto v = NewVector();
    bool keys = Is(member, "Keys");
    for (const auto& [k, value] : entries_) v->Add(keys ? ax::Variant(k) : value);
    return ax::Variant(std::static_pointer_cast<ax::Dispatch>(v));
  }
  if (Is(member, "Add")) {
    std::string key = KeyText(Required(args, 0));
    if (Exists(key))
      throw ax::AutomationError(457, "This key is already associated with an element of this collection");
    Set(key, Required(args, 1));
    return {};
  }
  if (Is(member, "Clear")) {
    entries_.clear();
    return {};
  }
  NoMember(ClassName(), member);
}

// ---- Vector -----------------------------------------------------------------------------------

ax::Variant Vector::Invoke(std::string_view member, unsigned kind, ax::Args& args) {
  auto index = [&](const ax::Variant& i) {
    int32_t n = ax::CLng(i);
    if (n < 1 || static_cast<size_t>(n) > items_.size()) throw ax::Error(ax::err::kSubscript);
    return static_cast<size_t>(n - 1);
  };
  if (member.empty() || Is(member, "Item")) {
    if (kind & ax::kPutRef) {
      items_[index(Required(args, 0))] = RefValue(args);
      return {};
    }
    if (kind & ax::kPut) {
      if (args.size() < 2) throw ax::Error(ax::err::kWrongArgs);
      items_[index(ax::ArgAt(args, 0))] = ax::PutValue(args);
      return {};
    }
    return items_[index(Required(args, 0))];
  }
  if (Is(member, "Count")) return static_cast<int32_t>(items_.size());
  if (Is(member, "Add")) {
    Add(Required(args, 0));
    return {};
  }
  if (Is(member, "Remove")) {
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index(Required(args, 0))));
    return {};
  }
  if (Is(member, "Clear")) {
    items_.clear();
    return {};
  }
  NoMember(ClassName(), member);
}

std::shared_ptr<Dictionary> NewDictionary() { return std::make_shared<Dictionary>(); }
std::shared_ptr<Vector> NewVector() { return std::make_shared<Vector>(); }

}  // namespace sim
