#pragma once

// The folder tree of one scan, stored compactly: nodes in one contiguous array
// linked by indices, names in one byte arena. A million nodes cost a few tens of
// megabytes and no allocation per node. The window's tree model presents it.

#include <cstdint>
#include <string_view>
#include <vector>

namespace morvick {

class TreeStore {
 public:
  using NodeId = std::uint32_t;
  static constexpr NodeId kNone = 0xFFFFFFFFu;  // the invisible root level

  // Appends a node as the last child of `parent` (kNone: the root level).
  NodeId AddChild(NodeId parent, std::string_view name);
  // Removes the children of `node` (kNone: the root level) and everything below
  // them. They must be the nodes added last, as while `node` is being filled:
  // every node added after `node` lies below it.
  void RemoveChildren(NodeId node);
  void Clear();

  std::size_t size() const { return nodes_.size(); }
  NodeId parent(NodeId node) const { return nodes_[node].parent; }
  std::uint32_t row(NodeId node) const { return nodes_[node].row; }  // index among siblings
  std::uint32_t child_count(NodeId node) const;                      // node may be kNone
  // The child at `row` of `node` (kNone: the root level); kNone when out of range.
  NodeId child(NodeId node, std::uint32_t row) const;
  std::string_view name(NodeId node) const;  // native bytes, not decoded

  // Bytes held by the store (arrays and arena), for the memory figures.
  std::size_t memory_bytes() const;

 private:
  // 20 bytes a node; the children are found through the row index, not through
  // links. Names are at most 64 KiB long (file names are at most 255 bytes), so
  // their length shares a word with the top of the 48-bit arena offset.
  struct Node {
    NodeId parent;
    std::uint32_t row;
    std::uint32_t child_count;
    std::uint32_t name_offset_low;
    std::uint32_t name_offset_high_and_length;  // offset >> 32 << 16 | length
  };
  std::uint64_t NameOffset(NodeId node) const;
  void BuildChildIndex() const;

  std::vector<Node> nodes_;
  std::vector<char> names_;
  std::uint32_t root_count_ = 0;
  // Random access to children by row, built on the first child() after a change:
  // the children of node p are children_index_[children_offset_[p] ...], the
  // root level's at the end (offset children_offset_[size()]).
  mutable std::vector<NodeId> children_index_;
  mutable std::vector<std::uint32_t> children_offset_;
  mutable bool index_valid_ = false;
};

}  // namespace morvick
