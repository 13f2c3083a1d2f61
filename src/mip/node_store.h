#ifndef VIDO_MIP_NODE_STORE_H_
#define VIDO_MIP_NODE_STORE_H_

#include <cstdint>
#include <cstdio>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "solver/lp_engine.h"

namespace vido {

// Directions of a bound change.
inline constexpr uint8_t kUpBranch = 0;    // the lower bound is raised ('L')
inline constexpr uint8_t kDownBranch = 1;  // the upper bound is lowered ('U')

struct BoundChange {
  // The column's hash slot: positions move with every pivot and candidate scan, the
  // slot stays the same for the whole search.
  int32_t column = 0;
  int32_t new_bound = 0;
  double old_bound = 0;
  uint8_t direction = kUpBranch;
};

// A saved basis: the columns at positions 1..m, then the non-basic ones at their upper
// bound, by hash slot (positions move, slots do not).
struct BasisSnapshot {
  int32_t factorisations = 0;
  int32_t updates = 0;
  int32_t update_length = 0;
  std::vector<int32_t> columns;

  int32_t Count() const { return static_cast<int32_t>(columns.size()); }
};

struct WaitingNode {
  int32_t fractional_count = 0;
  double branch_value = 0;
  double bound = 0;
  BasisSnapshot snapshot;
  std::vector<int32_t> changes;  // store indices from the root down to the node

  int32_t Depth() const { return static_cast<int32_t>(changes.size()); }
};

// A node of the current dive, created by a branching with its one bound change.
struct PathNode {
  int32_t fractional_count = 0;
  int32_t change_count = 1;
  double branch_value = 0;
  double objective = 0;  // -1e30 [+1e30] when the relaxation is infeasible
  BasisSnapshot snapshot;
  int32_t change = 0;  // store index of the node's bound change
};

// Every bound change of a search, interned: record numbers start at 1 and never move.
// Record r lives in page r / 3200, slot r % 3200; pages of 3201 slots are added one at
// a time, as many as needed.
class BoundChangeStore {
 public:
  static constexpr int32_t kPageRecords = 3200;
  static constexpr int32_t kPageSlots = 3201;

  // Index of the identical record (column, new bound, direction, old bound compared
  // exactly) or of the record appended; `appended` tells which.
  int32_t Intern(const BoundChange& change, bool* appended = nullptr);
  // Record `index`; nullptr when there is no such record.
  const BoundChange* Find(int32_t index) const;
  void Clear();
  int32_t Count() const { return count_; }
  int32_t LastPage() const { return static_cast<int32_t>(pages_.size()) - 1; }
  int64_t Bytes() const;

 private:
  struct Key {
    int32_t column;
    int32_t new_bound;
    double old_bound;
    uint8_t direction;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& key) const;
  };

  std::vector<std::unique_ptr<BoundChange[]>> pages_;
  int32_t count_ = 0;
  // Finds the identical record without walking the store; records are unique, so this
  // is the first identical record a walk from record 1 would meet.
  std::unordered_map<Key, int32_t, KeyHash> index_;
};

struct SwapEntry {
  double bound = 0;
  int32_t position = 0;  // in 4-byte words
};

// Open nodes of a search: the bound-change store, the waiting list (best bound at the
// head) and its overflow in the swap file "FIL", indexed by `swap_index` (best first).
// The swap file never outlives the store: the destructor closes and deletes it.
class NodeStore {
 public:
  NodeStore() = default;
  NodeStore(const NodeStore&) = delete;
  NodeStore& operator=(const NodeStore&) = delete;
  ~NodeStore();

  BoundChangeStore bounds;
  std::list<WaitingNode> waiting;
  std::list<SwapEntry> swap_index;
  int32_t write_position = 0;
  bool file_exists = false;
  bool file_open = false;
  bool swapped_out = false;
  std::string file_name = "FIL";
  std::FILE* file = nullptr;
  int64_t node_bytes = 0;  // what the waiting nodes hold, for the heap query
};

// Bytes a waiting node holds.
int64_t WaitingNodeBytes(const WaitingNode& node);

// Interns a bound change (the count field shows the store's size after an append).
int32_t InternBoundChange(LpEngine& engine, NodeStore& store, const BoundChange& change);
// A copy of record `index`. An index beyond the store is an internal failure.
BoundChange FetchBoundChange(LpEngine& engine, const NodeStore& store, int32_t index);
void ClearBoundChangeStore(NodeStore& store);

// Inserts a node in the waiting list by bound (after the nodes with the same bound) and
// counts it in WaitingCount; then moves the worst nodes to the swap file as needed.
void ParkWaitingNode(LpEngine& engine, NodeStore& store, WaitingNode node);
// Removes a node from the waiting list (WaitingCount is the caller's).
WaitingNode UnlinkWaitingNode(NodeStore& store, std::list<WaitingNode>::iterator node);
// The swapping loop: afterwards at most WaitingLimit nodes wait in memory and none of
// them is worse than the best swapped node.
void BalanceSwapFile(LpEngine& engine, NodeStore& store);

void SwapOutWorst(LpEngine& engine, NodeStore& store);
void SwapInBest(LpEngine& engine, NodeStore& store);
void SwapInWorst(LpEngine& engine, NodeStore& store);
// Drops swapped nodes worse than the cut-off, from the worst end; the count removed.
int32_t PruneSwapIndex(LpEngine& engine, NodeStore& store, double cut_off);
void CloseSwapFile(LpEngine& engine, NodeStore& store);
void DeleteSwapFile(LpEngine& engine, NodeStore& store);

// Pseudo-costs from the file "PSE" when it lies ready: name, up, down per line.
void ReadPseudoCosts(LpEngine& engine);

// True when value a is worse than b in the engine's sense (below when maximising).
inline bool Worse(const LpEngine& engine, double a, double b) {
  return engine.flags.maximise ? a < b : a > b;
}

// The heap query of the search: bytes the search and the factorisation hold. A test can
// replace it; an empty function restores it.
int64_t HeapBytes(const LpEngine& engine, const NodeStore& store);
void SetHeapQueryForTesting(std::function<int64_t()> query);
// True when the memory under MAXMEMORY[MB] left for nodes read back is below 2000000 bytes.
bool HeapShort(const LpEngine& engine, const NodeStore& store);

// The in-memory waiting limit a search starts with (and returns to when its swap file is
// deleted): 2^30, or what a test set to force swapping.
int32_t InitialWaitingLimit();
class ScopedWaitingLimit {
 public:
  explicit ScopedWaitingLimit(int32_t limit);
  ~ScopedWaitingLimit();
  ScopedWaitingLimit(const ScopedWaitingLimit&) = delete;
  ScopedWaitingLimit& operator=(const ScopedWaitingLimit&) = delete;

 private:
  int32_t previous_;
};

}  // namespace vido

#endif  // VIDO_MIP_NODE_STORE_H_
