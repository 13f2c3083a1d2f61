#include "mip/node_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/fake_user_port.h"
#include "mip/scratch_folder.h"
#include "support/engine_failure.h"
#include "support/engine_folder.h"

namespace vido {
namespace {

class NodeStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LpCreate(engine, port);
    engine.problem_name = "MIPSolver";
  }

  WaitingNode Node(double bound, int32_t seed) {
    WaitingNode node;
    node.fractional_count = seed % 7;
    node.branch_value = bound / 3 + seed * 0.001;
    node.bound = bound;
    node.snapshot.factorisations = seed;
    node.snapshot.updates = seed % 5;
    node.snapshot.update_length = 10 + seed;
    for (int k = 0; k < 3 + seed % 4; ++k) node.snapshot.columns.push_back(100 * seed + k);
    for (int k = 0; k < 1 + seed % 6; ++k) node.changes.push_back(seed + k);
    return node;
  }

  static void ExpectSameNode(const WaitingNode& a, const WaitingNode& b) {
    EXPECT_EQ(a.fractional_count, b.fractional_count);
    EXPECT_EQ(a.Depth(), b.Depth());
    EXPECT_EQ(a.branch_value, b.branch_value);
    EXPECT_EQ(a.bound, b.bound);
    EXPECT_EQ(a.changes, b.changes);
    EXPECT_EQ(a.snapshot.factorisations, b.snapshot.factorisations);
    EXPECT_EQ(a.snapshot.updates, b.snapshot.updates);
    EXPECT_EQ(a.snapshot.update_length, b.snapshot.update_length);
    EXPECT_EQ(a.snapshot.columns, b.snapshot.columns);
  }

  testing::ScratchFolder scratch;
  testing::FakeUserPort port;
  LpEngine engine;
};

TEST_F(NodeStoreTest, InterningReusesIdenticalRecordsAndPagesGrowAsNeeded) {
  NodeStore store;
  const BoundChange a{7, 1, 0.0, kUpBranch};
  EXPECT_EQ(InternBoundChange(engine, store, a), 1);
  EXPECT_EQ(InternBoundChange(engine, store, {7, 0, 1.0, kDownBranch}), 2);
  EXPECT_EQ(InternBoundChange(engine, store, a), 1);
  // The old bound is part of the identity, compared exactly; -0 equals 0.
  EXPECT_EQ(InternBoundChange(engine, store, {7, 1, 0.5, kUpBranch}), 3);
  EXPECT_EQ(InternBoundChange(engine, store, {7, 1, -0.0, kUpBranch}), 1);
  EXPECT_EQ(store.bounds.LastPage(), 0);

  // Record 3199 is the last of page 0, record 3200 the first slot of page 1; the store
  // keeps growing past the 35199 records of eleven pages.
  for (int32_t k = store.bounds.Count() + 1; k <= 40000; ++k) {
    InternBoundChange(engine, store, {k, k % 9, static_cast<double>(k), kDownBranch});
    if (k == 3199) {
      EXPECT_EQ(store.bounds.LastPage(), 0);
    }
    if (k == 3200) {
      EXPECT_EQ(store.bounds.LastPage(), 1);
    }
  }
  EXPECT_EQ(store.bounds.Count(), 40000);
  EXPECT_EQ(FetchBoundChange(engine, store, 3200).column, 3200);
  EXPECT_EQ(FetchBoundChange(engine, store, 40000).old_bound, 40000.0);
  EXPECT_EQ(FetchBoundChange(engine, store, 2).direction, kDownBranch);

  try {
    FetchBoundChange(engine, store, 40001);
    ADD_FAILURE() << "an index beyond the store must fail";
  } catch (const EngineFailure& failure) {
    EXPECT_STREQ(failure.what(), "I > nbounds 40001 40000");
  }
  ClearBoundChangeStore(store);
  EXPECT_EQ(store.bounds.Count(), 0);
  EXPECT_EQ(store.bounds.LastPage(), -1);
  EXPECT_EQ(InternBoundChange(engine, store, a), 1);
}

TEST_F(NodeStoreTest, SwappedNodeComesBackEqualAndTheRecordHasItsLayout) {
  {
    NodeStore store;
    engine.search.WaitingLimit = 1;
    WaitingNode best = Node(10, 3);
    WaitingNode worst = Node(-2.5, 8);
    worst.branch_value = 0.1;
    ParkWaitingNode(engine, store, best);
    ParkWaitingNode(engine, store, worst);
    // Two in memory exceed the limit of one: the worst went to "FIL".
    EXPECT_EQ(engine.search.WaitingCount, 1);
    EXPECT_EQ(engine.search.SwappedCount, 1);
    ASSERT_TRUE(store.file_exists);
    ASSERT_TRUE(std::filesystem::exists(EngineFolder() + "FIL"));
    std::fflush(store.file);

    std::ifstream file(EngineFolder() + "FIL", std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), {});
    auto word = [&bytes](int k) {
      return static_cast<int32_t>(bytes[4 * k] | bytes[4 * k + 1] << 8 | bytes[4 * k + 2] << 16 |
                                  bytes[4 * k + 3] << 24);
    };
    const int32_t length = worst.snapshot.Count();
    ASSERT_EQ(bytes.size(), 4u * (8 + length + worst.Depth()));
    EXPECT_EQ(word(0), worst.fractional_count);
    EXPECT_EQ(word(1), worst.snapshot.factorisations);
    EXPECT_EQ(word(2), worst.Depth());
    EXPECT_EQ(word(3), worst.snapshot.updates);
    EXPECT_EQ(word(4), worst.snapshot.update_length);
    EXPECT_EQ(word(5), length);
    // 0.1 = 0x3FB999999999999A, low word first.
    EXPECT_EQ(static_cast<uint32_t>(word(6)), 0x9999999Au);
    EXPECT_EQ(static_cast<uint32_t>(word(7)), 0x3FB99999u);
    for (int k = 0; k < length; ++k) EXPECT_EQ(word(8 + k), worst.snapshot.columns[k]);
    for (int k = 0; k < worst.Depth(); ++k) EXPECT_EQ(word(8 + length + k), worst.changes[k]);

    SwapInBest(engine, store);
    EXPECT_EQ(engine.search.WaitingCount, 2);
    EXPECT_EQ(engine.search.SwappedCount, 0);
    ASSERT_EQ(store.waiting.size(), 2u);
    ExpectSameNode(store.waiting.front(), best);
    ExpectSameNode(store.waiting.back(), worst);
    // The index emptied: the file is gone and the limit is back to its start value.
    EXPECT_FALSE(store.file_exists);
    EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"));
    EXPECT_EQ(engine.search.WaitingLimit, 1073741824);
  }
  EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"));
}

TEST_F(NodeStoreTest, SwapFileAlwaysHoldsTheWorstNodes) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> bound(-100, 100);
  NodeStore store;
  engine.search.WaitingLimit = 4;
  std::vector<WaitingNode> parked;
  for (int k = 0; k < 60; ++k) {
    parked.push_back(Node(std::round(bound(rng)), k));
    ParkWaitingNode(engine, store, parked.back());
    ASSERT_LE(engine.search.WaitingCount, 4);
    ASSERT_EQ(engine.search.WaitingCount + engine.search.SwappedCount, k + 1);
    for (auto it = store.waiting.begin(); std::next(it) != store.waiting.end(); ++it) {
      ASSERT_GE(it->bound, std::next(it)->bound);  // best first
    }
    for (auto it = store.swap_index.begin(); std::next(it) != store.swap_index.end(); ++it) {
      ASSERT_GE(it->bound, std::next(it)->bound);
    }
    if (!store.swap_index.empty() && engine.search.WaitingCount >= 2) {
      ASSERT_GE(store.waiting.back().bound, store.swap_index.front().bound);
    }
  }
  // Pruning drops the swapped nodes below the cut-off, from the worst end.
  auto middle = store.swap_index.begin();
  std::advance(middle, store.swap_index.size() / 2);
  const double cut_off = middle->bound;
  int32_t expected = 0;
  for (const SwapEntry& entry : store.swap_index) expected += entry.bound < cut_off ? 1 : 0;
  EXPECT_EQ(PruneSwapIndex(engine, store, cut_off), expected);
  for (const SwapEntry& entry : store.swap_index) EXPECT_GE(entry.bound, cut_off);

  // With MIN-NODES = 2 one node at most comes back at a time.
  engine.settings.min_nodes = 2;
  const int32_t swapped = engine.search.SwappedCount;
  ASSERT_GT(swapped, 1);
  const double head = store.swap_index.front().bound;
  SwapInBest(engine, store);
  EXPECT_EQ(engine.search.SwappedCount, swapped - 1);
  EXPECT_EQ(store.waiting.back().bound, head);

  // Every node read back equals the node parked with its bound.
  const double tail = store.swap_index.back().bound;
  SwapInWorst(engine, store);
  EXPECT_EQ(store.waiting.back().bound, tail);
  for (const WaitingNode& node : store.waiting) {
    bool found = false;
    for (const WaitingNode& original : parked) {
      if (original.snapshot.factorisations != node.snapshot.factorisations) continue;
      ExpectSameNode(node, original);
      found = true;
    }
    EXPECT_TRUE(found);
  }
  DeleteSwapFile(engine, store);
  EXPECT_EQ(engine.search.SwappedCount, 0);
  EXPECT_FALSE(std::filesystem::exists(EngineFolder() + "FIL"));
}

TEST_F(NodeStoreTest, ThePseudoCostFileSetsKnownColumnsOnly) {
  ASSERT_TRUE(LpDefineRow(engine, "OBJ", 'N'));
  ASSERT_TRUE(LpDefineRow(engine, "R1", 'L'));
  LpSetElement(engine, "R1", "x", 1);
  LpSetElement(engine, "R1", "y", 2);
  {
    std::ofstream file(EngineFolder() + "PSE", std::ios::binary);
    file << "x 1.5 .25\r\nnobody 7 7\ny 3E2 4.\n";
  }
  ReadPseudoCosts(engine);
  std::filesystem::remove(EngineFolder() + "PSE");
  EXPECT_FLOAT_EQ(engine.Column(LpLookupColumn(engine, "x")).pseudo_cost_up, 1.5f);
  EXPECT_FLOAT_EQ(engine.Column(LpLookupColumn(engine, "x")).pseudo_cost_down, 0.25f);
  EXPECT_FLOAT_EQ(engine.Column(LpLookupColumn(engine, "y")).pseudo_cost_up, 300.0f);
  EXPECT_FLOAT_EQ(engine.Column(LpLookupColumn(engine, "y")).pseudo_cost_down, 4.0f);
  EXPECT_EQ(LpLookupColumn(engine, "nobody"), 0);
  EXPECT_TRUE(port.engine_messages.empty());
  // No file: nothing happens.
  ReadPseudoCosts(engine);
  EXPECT_TRUE(port.engine_messages.empty());
}

}  // namespace
}  // namespace vido
