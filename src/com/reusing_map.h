// A hash map whose erased nodes are kept for later inserts: a table that gains and loses an
// entry for every object crossing between the host and the plug-in (an object handed over for
// one call) allocates nothing once warm. At most kSpare nodes are kept. Entries come and go only
// through Set and Erase, so that every erased node passes by the spare list; Erase, which the
// owners of the entries call as they die, never throws.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sccom {

template <class K, class V>
class ReusingMap {
  using Map = std::unordered_map<K, V>;

 public:
  using iterator = typename Map::iterator;

  ReusingMap() { spare_.reserve(kSpare); }

  iterator find(const K& key) { return map_.find(key); }
  iterator end() { return map_.end(); }
  const V& at(const K& key) const { return map_.at(key); }
  size_t size() const { return map_.size(); }

  // map[key] = value.
  void Set(const K& key, V value) {
    auto found = map_.find(key);
    if (found != map_.end()) {
      found->second = std::move(value);
      return;
    }
    if (spare_.empty()) {
      map_.emplace(key, std::move(value));
      return;
    }
    typename Map::node_type node = std::move(spare_.back());
    spare_.pop_back();
    node.key() = key;
    node.mapped() = std::move(value);
    map_.insert(std::move(node));
  }

  // Keeping a node allocates nothing: the spare list has room for kSpare from the start.
  void Erase(iterator position) noexcept {
    typename Map::node_type node = map_.extract(position);
    if (spare_.size() >= kSpare) return;  // the node is freed here
    node.mapped() = V();
    spare_.push_back(std::move(node));
  }

 private:
  static constexpr size_t kSpare = 64;
  Map map_;
  std::vector<typename Map::node_type> spare_;
};

}  // namespace sccom
