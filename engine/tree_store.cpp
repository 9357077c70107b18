#include "engine/tree_store.h"

#include <algorithm>
#include <stdexcept>

namespace morvick {
namespace {

constexpr std::size_t kMaxNameLength = 0xFFFF;

}  // namespace

TreeStore::NodeId TreeStore::AddChild(NodeId parent, std::string_view name) {
  if (nodes_.size() >= kNone) throw std::length_error("tree store full");
  if (name.size() > kMaxNameLength) name = name.substr(0, kMaxNameLength);
  const auto id = static_cast<NodeId>(nodes_.size());
  const std::uint64_t offset = names_.size();
  names_.insert(names_.end(), name.begin(), name.end());

  NodeId* first = &root_first_;
  NodeId* last = &root_last_;
  std::uint32_t* count = &root_count_;
  if (parent != kNone) {
    Node& p = nodes_[parent];
    first = &p.first_child;
    last = &p.last_child;
    count = &p.child_count;
  }
  const std::uint32_t row = *count;
  // Read the links before push_back: it may move the array they point into.
  const NodeId previous = *last;
  const bool had_children = *first != kNone;
  nodes_.push_back(Node{parent, kNone, kNone, kNone, row, 0, offset << 16 | name.size()});

  Node* p = parent == kNone ? nullptr : &nodes_[parent];
  if (had_children) {
    nodes_[previous].next_sibling = id;
  } else if (p) {
    p->first_child = id;
  } else {
    root_first_ = id;
  }
  if (p) {
    p->last_child = id;
    ++p->child_count;
  } else {
    root_last_ = id;
    ++root_count_;
  }
  index_valid_ = false;
  return id;
}

void TreeStore::RemoveChildren(NodeId node) {
  const NodeId first = first_child(node);
  if (first == kNone) return;
  // Nodes are appended, so `first` and every node after it lie below `node`.
  names_.resize(nodes_[first].name >> 16);
  nodes_.resize(first);
  if (node == kNone) {
    root_first_ = root_last_ = kNone;
    root_count_ = 0;
  } else {
    Node& p = nodes_[node];
    p.first_child = p.last_child = kNone;
    p.child_count = 0;
  }
  index_valid_ = false;
}

void TreeStore::Clear() {
  nodes_.clear();
  names_.clear();
  nodes_.shrink_to_fit();
  names_.shrink_to_fit();
  root_first_ = root_last_ = kNone;
  root_count_ = 0;
  children_index_ = {};
  children_offset_ = {};
  index_valid_ = false;
}

TreeStore::NodeId TreeStore::first_child(NodeId node) const {
  return node == kNone ? root_first_ : nodes_[node].first_child;
}

std::uint32_t TreeStore::child_count(NodeId node) const {
  return node == kNone ? root_count_ : nodes_[node].child_count;
}

std::string_view TreeStore::name(NodeId node) const {
  const std::uint64_t packed = nodes_[node].name;
  return {names_.data() + (packed >> 16), static_cast<std::size_t>(packed & 0xFFFF)};
}

void TreeStore::BuildChildIndex() const {
  // Counting sort of the nodes by parent; within one parent the ids rise in
  // the order the children were added, which is their row order.
  const std::size_t n = nodes_.size();
  children_offset_.assign(n + 2, 0);
  for (const Node& node : nodes_) {
    const std::size_t slot = node.parent == kNone ? n : node.parent;
    ++children_offset_[slot + 1];
  }
  for (std::size_t i = 1; i < children_offset_.size(); ++i) {
    children_offset_[i] += children_offset_[i - 1];
  }
  children_index_.resize(n);
  std::vector<std::uint32_t> fill(children_offset_.begin(), children_offset_.end() - 1);
  for (std::size_t id = 0; id < n; ++id) {
    const std::size_t slot = nodes_[id].parent == kNone ? n : nodes_[id].parent;
    children_index_[fill[slot]++] = static_cast<NodeId>(id);
  }
  index_valid_ = true;
}

TreeStore::NodeId TreeStore::child(NodeId node, std::uint32_t row) const {
  if (row >= child_count(node)) return kNone;
  if (!index_valid_) BuildChildIndex();
  const std::size_t slot = node == kNone ? nodes_.size() : node;
  return children_index_[children_offset_[slot] + row];
}

std::size_t TreeStore::memory_bytes() const {
  return nodes_.capacity() * sizeof(Node) + names_.capacity() +
         children_index_.capacity() * sizeof(NodeId) +
         children_offset_.capacity() * sizeof(std::uint32_t);
}

}  // namespace morvick
