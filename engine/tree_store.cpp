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
  std::uint32_t& count = parent == kNone ? root_count_ : nodes_[parent].child_count;
  const std::uint32_t row = count++;
  nodes_.push_back(Node{parent, row, 0, static_cast<std::uint32_t>(offset),
                        static_cast<std::uint32_t>(offset >> 32 << 16 | name.size())});
  index_valid_ = false;
  return id;
}

void TreeStore::RemoveChildren(NodeId node) {
  const std::size_t keep = node == kNone ? 0 : std::size_t{node} + 1;
  if (keep >= nodes_.size()) return;
  names_.resize(NameOffset(static_cast<NodeId>(keep)));
  nodes_.resize(keep);
  (node == kNone ? root_count_ : nodes_[node].child_count) = 0;
  index_valid_ = false;
}

void TreeStore::Clear() {
  nodes_.clear();
  names_.clear();
  nodes_.shrink_to_fit();
  names_.shrink_to_fit();
  root_count_ = 0;
  children_index_ = {};
  children_offset_ = {};
  index_valid_ = false;
}

std::uint32_t TreeStore::child_count(NodeId node) const {
  return node == kNone ? root_count_ : nodes_[node].child_count;
}

std::uint64_t TreeStore::NameOffset(NodeId node) const {
  const Node& n = nodes_[node];
  return std::uint64_t{n.name_offset_high_and_length >> 16} << 32 | n.name_offset_low;
}

std::string_view TreeStore::name(NodeId node) const {
  return {names_.data() + NameOffset(node),
          static_cast<std::size_t>(nodes_[node].name_offset_high_and_length & 0xFFFF)};
}

void TreeStore::BuildChildIndex() const {
  // Counting sort of the nodes by parent; within one parent the ids rise in
  // the order the children were added, which is their row order. The offsets
  // serve as fill positions and are moved back one slot afterwards.
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
  for (std::size_t id = 0; id < n; ++id) {
    const std::size_t slot = nodes_[id].parent == kNone ? n : nodes_[id].parent;
    children_index_[children_offset_[slot]++] = static_cast<NodeId>(id);
  }
  // Each offset now holds where the next slot begins.
  for (std::size_t i = children_offset_.size() - 1; i > 0; --i) {
    children_offset_[i] = children_offset_[i - 1];
  }
  children_offset_[0] = 0;
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
