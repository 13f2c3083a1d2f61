#include "analysis/hitting_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vido {
namespace {

using Sets = std::vector<std::vector<int>>;
using Pairs = std::vector<std::pair<int, int>>;

bool Meets(const std::vector<int>& chosen, const std::vector<int>& set) {
  return std::any_of(set.begin(), set.end(), [&](int e) {
    return std::find(chosen.begin(), chosen.end(), e) != chosen.end();
  });
}

bool Contains(const std::vector<int>& chosen, const std::vector<int>& set) {
  return std::all_of(set.begin(), set.end(), [&](int e) {
    return std::find(chosen.begin(), chosen.end(), e) != chosen.end();
  });
}

bool Valid(const std::vector<int>& chosen, const Sets& conflicts, const Sets& excluded) {
  for (const auto& c : conflicts)
    if (!Meets(chosen, c)) return false;
  for (const auto& x : excluded)
    if (Contains(chosen, x)) return false;
  return true;
}

// The size of the smallest valid set that holds f wherever it holds e, for every pair
// (e, f) implied, by trying every subset; -1 when there is none.
int SmallestByEnumeration(int n, const Sets& conflicts, const Sets& excluded,
                          const Pairs& implied) {
  auto masks = [](const Sets& sets) {
    std::vector<unsigned> out;
    for (const auto& set : sets) {
      unsigned mask = 0;
      for (const int e : set) mask |= 1u << e;
      out.push_back(mask);
    }
    return out;
  };
  const std::vector<unsigned> meet = masks(conflicts);
  const std::vector<unsigned> avoid = masks(excluded);
  int smallest = -1;
  for (unsigned mask = 0; mask < (1u << n); ++mask) {
    const int size = __builtin_popcount(mask);
    if (smallest >= 0 && size >= smallest) continue;
    const bool valid =
        std::all_of(meet.begin(), meet.end(), [&](unsigned c) { return (mask & c) != 0; }) &&
        std::none_of(avoid.begin(), avoid.end(), [&](unsigned x) { return (mask & x) == x; }) &&
        std::none_of(implied.begin(), implied.end(), [&](const std::pair<int, int>& i) {
          return (mask >> i.first & 1) != 0 && (mask >> i.second & 1) == 0;
        });
    if (valid) smallest = size;
  }
  return smallest;
}

// The least sets of a family, each sorted, in the order they first came: what a caller
// that keeps its family minimal hands over.
Sets LeastSets(Sets sets) {
  for (std::vector<int>& set : sets) {
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
  }
  Sets least;
  for (size_t k = 0; k < sets.size(); ++k) {
    bool kept = true;
    for (size_t j = 0; j < sets.size() && kept; ++j) {
      const bool within =
          std::includes(sets[k].begin(), sets[k].end(), sets[j].begin(), sets[j].end());
      kept = !within || (sets[j] == sets[k] && j >= k);
    }
    if (kept) least.push_back(sets[k]);
  }
  return least;
}

// The search against enumeration on one family, with and without its local search (the
// branch and bound's bounds alone must not cut the smallest set), and without it with
// every anchor the packing's linear optimum. With implications the
// local search's set, not closed under them, may be smaller than the smallest closed one
// and is answered when the search finds none below it. Split among three threads from
// its first node, a search must answer the very set it answers alone, also when it runs
// on a thread of its own beside the caller's (as with a check).
void CheckAgainstEnumeration(int n, const Sets& conflicts, const Sets& excluded,
                             std::mt19937& random, const Pairs& implied = {}) {
  const int expected = SmallestByEnumeration(n, conflicts, excluded, implied);
  struct Mode {
    bool local;
    bool exact_anchors;
    int threads;
    bool checked = false;  // a check that finds nothing: the search on a thread of its own
  };
  std::vector<int> alone[2];  // by local search
  for (const auto [local, exact_anchors, threads, checked] :
       {Mode{true, false, 1}, Mode{false, false, 1}, Mode{false, true, 1}, Mode{true, false, 3},
        Mode{false, false, 3}, Mode{false, false, 3, true}, Mode{false, true, 3, true}}) {
    SCOPED_TRACE(testing::Message()
                 << "local search " << local << ", exact anchors " << exact_anchors << ", threads "
                 << threads << ", checked " << checked);
    HittingSet search(n, conflicts, excluded, implied);
    search.SetLocalSearch(local);
    if (exact_anchors) search.SetExactAnchorGap(0);
    search.SetThreads(threads, 0);
    if (checked) search.SetCheck([](const std::vector<int>&) { return std::vector<int>{}; });
    std::vector<int> found;
    const HittingSet::Result result = search.Solve(n + 1, 0, {}, found, {});
    if (threads == 1 && !exact_anchors) alone[local] = found;
    if (threads > 1 && !exact_anchors) {
      EXPECT_EQ(found, alone[local]);
    }
    if (threads == 1 && local) {
      // Given as the least sets, the family is searched the same way.
      HittingSet least(n, LeastSets(conflicts), excluded, implied, {}, true);
      std::vector<int> same;
      least.Solve(n + 1, 0, {}, same, {});
      EXPECT_EQ(same, found);
    }
    if (local && !implied.empty()) {
      const int any = SmallestByEnumeration(n, conflicts, excluded, {});
      ASSERT_EQ(result, any < 0 ? HittingSet::Result::kNone : HittingSet::Result::kFound);
      if (any < 0) continue;
      EXPECT_GE(static_cast<int>(found.size()), any);
      if (expected >= 0) {
        EXPECT_LE(static_cast<int>(found.size()), expected);
      }
      EXPECT_TRUE(Valid(found, conflicts, excluded));
      continue;
    }
    if (expected < 0) {
      EXPECT_EQ(result, HittingSet::Result::kNone);
      continue;
    }
    ASSERT_EQ(result, HittingSet::Result::kFound);
    EXPECT_EQ(static_cast<int>(found.size()), expected);
    EXPECT_TRUE(Valid(found, conflicts, excluded));
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end()));
    for (const auto& [e, f] : implied) EXPECT_TRUE(!Meets(found, {e}) || Meets(found, {f}));
    // Only sets smaller than the limit count; a second solve starts afresh, and one told
    // the smallest size ends at a set of that size.
    EXPECT_EQ(search.Solve(expected, 0, {}, found, {}), HittingSet::Result::kNone);
    EXPECT_EQ(search.Solve(expected + 1, expected, {}, found, {}), HittingSet::Result::kFound);
    EXPECT_TRUE(Valid(found, conflicts, excluded));
    // A hint, however poor, is only a start: the answer stays the smallest.
    std::vector<int> hint;
    for (int e = 0; e < n; ++e) {
      if (random() % 2 == 0) hint.push_back(e);
    }
    ASSERT_EQ(search.Solve(n + 1, 0, hint, found, {}), HittingSet::Result::kFound);
    EXPECT_EQ(static_cast<int>(found.size()), expected);
    EXPECT_TRUE(Valid(found, conflicts, excluded));
    // The local search alone: a valid set below the limit when it finds one, never one
    // smaller than the smallest.
    if (local && search.Guess(n + 1, 0, hint, found) == HittingSet::Result::kFound) {
      EXPECT_GE(static_cast<int>(found.size()), expected);
      EXPECT_TRUE(Valid(found, conflicts, excluded));
    }
    // A solve on the same terms goes on from the guess.
    ASSERT_EQ(search.Solve(n + 1, 0, hint, found, {}), HittingSet::Result::kFound);
    EXPECT_EQ(static_cast<int>(found.size()), expected);
  }
}

TEST(HittingSet, SmallestSetOnRandomFamiliesAgreesWithEnumeration) {
  std::mt19937 random(20261209);
  for (int trial = 0; trial < 400; ++trial) {
    const int n = 3 + static_cast<int>(random() % 10);
    auto draw = [&](int count, int largest) {
      Sets sets;
      for (int s = 0; s < count; ++s) {
        std::vector<int> set;
        const int size = 1 + static_cast<int>(random() % largest);
        for (int t = 0; t < size; ++t) set.push_back(static_cast<int>(random() % n));
        sets.push_back(set);  // repeats and unsorted on purpose
      }
      return sets;
    };
    const Sets conflicts = draw(static_cast<int>(random() % 12), 4);
    const Sets excluded = draw(static_cast<int>(random() % 4), 4);
    // Half the families with implications as well, cycles and repeats among them.
    Pairs implied;
    const int pairs = trial % 2 == 0 ? 0 : static_cast<int>(random() % 7);
    for (int t = 0; t < pairs; ++t) {
      const int e = static_cast<int>(random() % n);
      const int f = static_cast<int>(random() % n);
      if (e != f) implied.emplace_back(e, f);
    }
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    CheckAgainstEnumeration(n, conflicts, excluded, random, implied);
  }
}

// The shape the drop search meets after its first suggestion: a few "wrong" elements, all
// of them excluded together, each in many conflicts with three or four of the others, so
// that the set keeps one wrong element and meets its conflicts otherwise, where the
// packing is far below the smallest set.
TEST(HittingSet, SmallestSetKeepingOneOfAnExcludedSetAgreesWithEnumeration) {
  std::mt19937 random(20261210);
  for (int trial = 0; trial < 20; ++trial) {
    const int n = 18 + static_cast<int>(random() % 4);
    const int wrong = 2 + static_cast<int>(random() % 2);
    Sets conflicts;
    std::vector<int> all_wrong;
    for (int w = 0; w < wrong; ++w) {
      all_wrong.push_back(w);
      for (int s = 0; s < 30; ++s) {
        std::vector<int> set = {w};
        const int size = 3 + static_cast<int>(random() % 2);
        for (int t = 0; t < size; ++t)
          set.push_back(wrong + static_cast<int>(random() % (n - wrong)));
        conflicts.push_back(set);
      }
    }
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    CheckAgainstEnumeration(n, conflicts, {all_wrong}, random);
  }
}

// Searches that check the elements their nodes leave out against conflicts only the
// check knows, each learnt a few nodes after it was asked: the answer meets the
// conflicts given and is no smaller than their smallest set, nor larger than the smallest
// set that meets the check's conflicts too. It is the very set whether the checks are
// answered at once or by the caller's thread while the search runs on another, and the
// checks and the exact anchors' simplex run on the caller's thread.
TEST(HittingSet, ChecksOnTheWayGiveTheSameSetOnAnyThreads) {
  std::mt19937 random(20261213);
  auto draw = [&](int n, int count, int size) {
    Sets sets(count);
    for (std::vector<int>& set : sets) {
      for (int t = 0; t < size; ++t) set.push_back(static_cast<int>(random() % n));
      std::sort(set.begin(), set.end());
      set.erase(std::unique(set.begin(), set.end()), set.end());
    }
    return sets;
  };
  int learnt = 0;
  int raised = 0;  // answers above the given conflicts' least size
  for (int trial = 0; trial < 100; ++trial) {
    SCOPED_TRACE(testing::Message() << "trial " << trial);
    const int n = 14 + static_cast<int>(random() % 5);
    const Sets given = draw(n, 16, 3);
    const Sets hidden = draw(n, 16, 2 + trial % 2);
    Sets all = given;
    all.insert(all.end(), hidden.begin(), hidden.end());
    const int least = SmallestByEnumeration(n, given, {}, {});
    const int most = SmallestByEnumeration(n, all, {}, {});
    std::vector<int> found[2];
    for (const int threads : {1, 2}) {
      HittingSet search(n, given, {});
      search.SetLocalSearch(false);
      if (trial % 2 == 0) search.SetExactAnchorGap(0);
      search.SetThreads(threads, 0);
      const std::thread::id caller = std::this_thread::get_id();
      bool elsewhere = false;
      search.SetCheck(
          [&](const std::vector<int>& left_out) {
            elsewhere = elsewhere || std::this_thread::get_id() != caller;
            for (const std::vector<int>& set : hidden) {
              if (Contains(left_out, set)) {
                ++learnt;
                return set;
              }
            }
            return std::vector<int>{};
          },
          1, trial % 3, true);
      std::vector<int>& set = found[threads - 1];
      ASSERT_EQ(search.Solve(n + 1, 0, {}, set, {}), HittingSet::Result::kFound);
      EXPECT_FALSE(elsewhere);
      EXPECT_TRUE(Valid(set, given, {}));
      EXPECT_GE(static_cast<int>(set.size()), least);
      EXPECT_LE(static_cast<int>(set.size()), most);
    }
    EXPECT_EQ(found[0], found[1]);
    raised += static_cast<int>(found[0].size()) > least;
  }
  EXPECT_GT(learnt, 100);
  EXPECT_GT(raised, 3);
}

// Alone, or with helpers, or with checks, that the caller's thread tells to stop: at once,
// or asked the third time (the larger family takes far longer than that).
TEST(HittingSet, AStopRequestEndsALongSearch) {
  // Random triples, many to an element: a search of many nodes.
  auto triples = [](int n, int count) {
    std::mt19937 random(20261212);
    Sets conflicts(count);
    for (std::vector<int>& set : conflicts) {
      for (int t = 0; t < 3; ++t) set.push_back(static_cast<int>(random() % n));
    }
    return conflicts;
  };
  const Sets small = triples(60, 200);
  const Sets large = triples(90, 400);
  for (const int threads : {1, 3}) {
    SCOPED_TRACE(testing::Message() << "threads " << threads);
    HittingSet search(60, small, {});
    search.SetThreads(threads, 0);
    search.SetLocalSearch(false);
    std::vector<int> found;
    EXPECT_EQ(search.Solve(61, 0, {}, found, [] { return true; }), HittingSet::Result::kStopped);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(search.Solve(61, 0, {}, found, [] { return false; }), HittingSet::Result::kFound);
    EXPECT_TRUE(Valid(found, small, {}));
    // Also with checks: the search on a thread of its own, asked by the caller's.
    for (const bool checked : {false, true}) {
      HittingSet longer(90, large, {});
      longer.SetThreads(threads, 0);
      longer.SetLocalSearch(false);
      if (checked)
        longer.SetCheck([](const std::vector<int>&) { return std::vector<int>{}; }, 4, 16, true);
      int asked = 0;
      EXPECT_EQ(longer.Solve(91, 0, {}, found, [&] { return ++asked == 3; }),
                HittingSet::Result::kStopped);
      EXPECT_EQ(asked, 3);
    }
  }
}

// Searches in the drop search's way: each told the least size found before and given
// the parts the earlier ones went through, after each set found either a conflict that
// set misses joins the family or the set is excluded. Every answer must stay the
// smallest, by enumeration, and be the very set a search alone without the parts finds,
// also where the parts come from searches split among threads.
class ExploredParts : public ::testing::TestWithParam<int> {};

TEST_P(ExploredParts, SearchesSkippingThemFindTheSmallestSets) {
  std::mt19937 random(20261211);
  int skipped = 0;  // searches given parts to skip
  for (int trial = 0; trial < 60; ++trial) {
    const int n = 12 + static_cast<int>(random() % 5);
    Sets conflicts;
    Sets excluded;
    for (int s = 0; s < 14; ++s) {
      std::vector<int> set;
      for (int t = 0; t < 3; ++t) set.push_back(static_cast<int>(random() % n));
      conflicts.push_back(set);
    }
    std::vector<HittingSet::Explored> explored;
    int smallest = 0;
    for (int round = 0; round < 12; ++round) {
      SCOPED_TRACE(testing::Message() << "trial " << trial << ", round " << round);
      const int expected = SmallestByEnumeration(n, conflicts, excluded, {});
      HittingSet search(n, conflicts, excluded, {}, explored);
      search.SetLocalSearch(false);
      search.SetExploredNodesLeast(0);
      search.SetThreads(GetParam(), 0);
      std::vector<int> found;
      const HittingSet::Result result = search.Solve(n + 1, smallest, {}, found, {});
      if (expected < 0) {
        EXPECT_EQ(result, HittingSet::Result::kNone);
        break;
      }
      ASSERT_EQ(result, HittingSet::Result::kFound);
      ASSERT_EQ(static_cast<int>(found.size()), expected);
      EXPECT_TRUE(Valid(found, conflicts, excluded));
      HittingSet afresh(n, conflicts, excluded);
      afresh.SetLocalSearch(false);
      afresh.SetThreads(1);
      std::vector<int> same;
      afresh.Solve(n + 1, smallest, {}, same, {});
      EXPECT_EQ(found, same);
      skipped += !explored.empty();
      explored.insert(explored.end(), search.NewlyExplored().begin(), search.NewlyExplored().end());
      smallest = expected;
      std::vector<int> missed;
      for (int e = 0; e < n; ++e) {
        if (!Meets(found, {e}) && random() % 3 == 0) missed.push_back(e);
      }
      if (missed.empty() || random() % 3 == 0) {
        excluded.push_back(found);
      } else {
        conflicts.push_back(missed);
      }
    }
  }
  EXPECT_GT(skipped, 100);
}

INSTANTIATE_TEST_SUITE_P(HittingSet, ExploredParts, ::testing::Values(1, 3),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Threads" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace vido
