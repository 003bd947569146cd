// A hash map whose erased nodes are kept for later inserts: a table that gains and loses an
// entry for every object crossing between the host and the plug-in (an object handed over for
// one call) allocates nothing once warm. At most kSpare nodes are kept.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sccom {

template <class K, class V>
class ReusingMap : public std::unordered_map<K, V> {
 public:
  using Base = std::unordered_map<K, V>;

  // map[key] = value.
  void Set(const K& key, V value) {
    auto found = this->find(key);
    if (found != this->end()) {
      found->second = std::move(value);
      return;
    }
    if (spare_.empty()) {
      this->emplace(key, std::move(value));
      return;
    }
    typename Base::node_type node = std::move(spare_.back());
    spare_.pop_back();
    node.key() = key;
    node.mapped() = std::move(value);
    this->insert(std::move(node));
  }

  void Erase(typename Base::iterator position) {
    typename Base::node_type node = this->extract(position);
    if (spare_.size() >= kSpare) return;  // the node is freed here
    node.mapped() = V();
    spare_.push_back(std::move(node));
  }

 private:
  static constexpr size_t kSpare = 64;
  std::vector<typename Base::node_type> spare_;
};

}  // namespace sccom
