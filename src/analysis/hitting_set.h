#ifndef VIDO_ANALYSIS_HITTING_SET_H_
#define VIDO_ANALYSIS_HITTING_SET_H_

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace vido {

// The smallest set of elements 0..n-1 that meets every set of one family (the
// "conflicts") and contains no set of another (the "excluded") whole. A branch and
// bound of its own: at every node the sets force what they can (a conflict with one
// free element left takes it, an excluded set with one free element left keeps it
// out), a packing of the open conflicts bounds what is left, and the search branches
// on the element that meets the most of them, the elements of excluded sets first.
// Before it, a local search from a hint looks for a set to beat, often one of the size
// known to be the least, which ends the search at once. Parts of the sets an earlier
// search went through whole, on fewer conflicts, are not searched again. A search of
// many nodes is split among the machine's threads, with the same answer; one that is a
// long proof asks the caller's test of its nodes instead, which gives more conflicts.
class HittingSet {
 public:
  enum class Result { kFound, kNone, kStopped };

  // A part of the sets a search went through whole: those that take the elements e of
  // the literals e + 1 and leave out those of -e - 1. None of them that meets the
  // conflicts the search knew and contains none of its excluded sets has fewer than
  // `below` elements; with more conflicts and excluded sets that stays true, so a later
  // search need not look there again for a set below it.
  struct Explored {
    std::vector<int> literals;
    int below;
  };

  // `implied` pairs (e, f): the branch and bound looks only at sets that hold f wherever
  // they hold e (the caller knows the sets it wants to be so). The local search's sets
  // need not be: one smaller than every such set is the answer when none is below it.
  // `explored`, parts of earlier searches on the same elements and implied pairs (with
  // fewer or the same conflicts and excluded sets), is where the branch and bound does
  // not go again. With `minimal` the caller's conflicts are taken as they are: each
  // sorted, none repeated, none containing another (the search is then the one it makes
  // of any family those are the least sets of, in the order they first came).
  HittingSet(int elements, const std::vector<std::vector<int>>& conflicts,
             const std::vector<std::vector<int>>& excluded,
             const std::vector<std::pair<int, int>>& implied = {},
             const std::vector<Explored>& explored = {}, bool minimal = false);

  // The smallest such set with fewer than `limit` elements (increasing); kNone when
  // there is none, kStopped when `stop` (asked now and then, may be empty) said so.
  // `known` is a size no such set is smaller than (the search ends at the first set of
  // that size). `hint`, a set that met most of the conflicts (the answer to fewer of
  // them, say), is where the local search starts (completed greedily); the best set it
  // finds is the first to beat, and where the branch and bound looks first.
  Result Solve(int limit, int known, const std::vector<int>& hint, std::vector<int>& set,
               const std::function<bool()>& stop);
  // The local search alone: a set meeting the conflicts, containing no excluded set,
  // with fewer than `limit` elements, not proven the smallest; kNone when it found none
  // (which proves nothing).
  Result Guess(int limit, int known, const std::vector<int>& hint, std::vector<int>& set);
  // Without the local search the branch and bound finds every set itself (the tests
  // check its bounds so).
  void SetLocalSearch(bool on) { local_search_ = on; }
  // The gap between an anchor's subgradient bound and the set to beat from which the
  // anchor takes the packing's linear optimum instead (0: always; the tests check that
  // one so).
  void SetExactAnchorGap(double gap) { exact_anchor_gap_ = gap; }
  // The nodes a part must have taken to be among them (the tests take every part).
  void SetExploredNodesLeast(long nodes) { explored_nodes_least_ = nodes; }
  // The threads a search may use (at least 1; by default those of the machine, at most
  // kThreadsMost), and the nodes after which it starts the ones beyond the caller's own
  // (the tests start them at once). However many, the search finds the same set: the
  // one found first by a search alone, the first of the least size in its order.
  void SetThreads(int threads, long after_nodes = kHelpersAfterNodes) {
    threads_ = std::max(1, threads);
    helpers_after_ = after_nodes;
  }
  // A test of the elements a node leaves out (increasing): a conflict made of some of
  // them (one every set the caller wants meets), empty when it finds none. With one, the
  // branch and bound asks it now and then on the way down, on the caller's thread (the
  // search then runs on another when it may use two), and the conflicts it answers join
  // the family at nodes the search alone decides, so that the answer is the same however
  // the threads run. No set meeting both the conflicts given and those learnt is smaller
  // than the answer; the answer meets those given (a conflict learnt after it was found
  // it may miss: the caller's own test of it finds that).
  using Check = std::function<std::vector<int>(const std::vector<int>& left_out)>;
  // The check is asked at every `levels`-th level of the tree, and what it answers is
  // learnt `delay` nodes later: in searches whose first nodes met an anchor far below the
  // set to beat (the long proofs), from there on; with `always` in every search, from its
  // root. (The tests ask it everywhere.)
  void SetCheck(Check check, int levels = kCheckLevels, long delay = kCheckDelay,
                bool always = false) {
    check_ = std::move(check);
    check_levels_ = levels;
    check_delay_ = delay;
    check_always_ = always;
  }
  // The parts the last Solve had gone through whole by each set it found (and where it
  // was stopped), for the searches after it (with the conflicts it learnt from the check
  // among theirs); those of few nodes are left out.
  const std::vector<Explored>& NewlyExplored() const { return newly_explored_; }

 private:
  struct Shared;
  struct Checks;
  struct Multipliers;
  struct Level;
  struct Family {
    std::vector<std::vector<int>> sets;
    std::vector<std::vector<int>> of;  // the sets each element is in
    std::vector<int> free;             // elements not yet decided, per set
    std::vector<int> decided;          // conflicts: elements taken; excluded: left out
  };

  void Start(int limit, int known, const std::vector<int>& hint);
  bool Take(int e);
  bool Leave(int e);
  bool Hold(const std::vector<int>& parts);
  bool Propagate();
  void Undo(size_t mark);
  int Bound(int& branch);
  // Calls f(c) for every open conflict c, in the order of conflicts_; with `among`, only
  // for those whose bit it holds too.
  template <typename F>
  void ForEachOpen(F f, const std::vector<std::uint64_t>* among = nullptr) const {
    for (size_t w = 0; w < open_.size(); ++w) {
      // (An anchor's bits end where the conflicts learnt after it begin.)
      const std::uint64_t open = among == nullptr    ? open_[w]
                                 : w < among->size() ? open_[w] & (*among)[w]
                                                     : 0;
      for (std::uint64_t bits = open; bits != 0; bits &= bits - 1) {
        f(static_cast<int>(w * 64) + std::countr_zero(bits));
      }
    }
  }
  bool Search();
  bool Descend(int left);
  void Ask();
  bool Learn();
  void AddConflict(const std::vector<int>& conflict);
  void OnCaller(const std::function<void()>& job, bool wait = false);
  void Checked();
  bool Poll();
  bool Sync();
  std::unique_lock<std::mutex> LockLevels();
  void PushLevel(const Level& level);
  bool Claim(long nodes);
  void PopLevel();
  void PushAnchor(std::vector<double> u);
  void PopAnchor();
  std::vector<char> Way() const;
  void Publish();
  void StartHelpers();
  void Help();
  void Gather();
  bool Steal(std::vector<Level>& path, std::vector<std::shared_ptr<const Multipliers>>& anchors);
  void Run(const std::vector<Level>& path,
           const std::vector<std::shared_ptr<const Multipliers>>& anchors);
  void NoteExplored();
  std::vector<double> Anchor();
  std::vector<double> PackingOptimum(const std::vector<int>& open) const;
  std::vector<signed char> Complete(const std::vector<int>& hint) const;
  std::vector<signed char> Improve(std::vector<signed char> in, int limit) const;
  bool Completes(const std::vector<signed char>& in, int e) const;

  int n_ = 0;
  Family conflicts_;
  Family excluded_;
  // The checks: those asked and not yet learnt from (the node at which each is learnt),
  // their answers in order, the thread answering them (none: they are answered at once),
  // and where a conflict learnt left the search nothing: the place on the trail of its
  // last element left out, the way below which the search goes back to.
  static constexpr int kCheckLevels = 16;
  static constexpr long kCheckDelay = 256;
  Check check_;
  int check_levels_ = kCheckLevels;
  long check_delay_ = kCheckDelay;
  bool check_always_ = false;
  bool decided_ = false;   // whether the search has begun what follows its first nodes
  bool checking_ = false;  // it asks the check
  // The least bound of an exact anchor (see Anchor) among the first nodes: where the set
  // to beat is still kExactAnchorGap above it, the search is a long proof: the checks pay.
  double lowest_exact_ = 0;
  std::deque<long> asked_;
  std::deque<std::vector<int>> answers_;
  std::shared_ptr<Checks> checks_;
  long unwind_ = -1;
  // The explored parts, and per element those whose literal taking it (leaving it out)
  // is, with the count of each part's literals the node holds: a node that holds them
  // all lies in the part.
  std::vector<Explored> explored_;
  std::vector<std::vector<int>> explored_taking_;
  std::vector<std::vector<int>> explored_leaving_;
  std::vector<int> explored_held_;
  // The branchings above the node: the way taken first, whether the node lies in the
  // second, and if so the set to beat and the nodes when the first was done, and whether
  // that first way is among the parts noted. With helpers: whether another thread took
  // the second way, or a part of the first (that first way is then not this thread's
  // to note), whether the branching is one of those above the part this thread was
  // given (it takes no part of them), and the anchors in force at it.
  struct Level {
    int first;
    int below;
    long nodes;
    bool second;
    bool noted;
    bool stolen = false;
    bool lent = false;
    bool given = false;
    size_t anchors = 0;
  };
  std::vector<Level> levels_;
  std::vector<Explored> newly_explored_;
  // The nodes below which a part is not worth a later search's counting: the bound
  // prunes it again quickly enough.
  static constexpr long kExploredNodesLeast = 16;
  long explored_nodes_least_ = kExploredNodesLeast;
  std::vector<std::vector<int>> takes_;   // per element, those taking it takes too
  std::vector<std::vector<int>> leaves_;  // per element, those leaving it leaves out
  std::vector<signed char> state_;        // 0 free, 1 taken, -1 left out
  std::vector<int> trail_;
  std::vector<int> queue_;  // elements to take (e + 1) or leave (-e - 1)
  int taken_ = 0;
  int excluded_left_ = 0;  // excluded sets with an element left out
  bool local_search_ = true;
  // An anchor whose subgradient bound stays this many elements below the set to beat
  // heads a search of millions of nodes: there the linear program's own optimum, a few
  // elements higher and found by the simplex in well under a second, pays many times.
  static constexpr double kExactAnchorGap = 15;
  double exact_anchor_gap_ = kExactAnchorGap;
  struct Terms {
    int limit;
    int known;
    std::vector<int> hint;
  };
  std::optional<Terms> guessed_;  // those of the last Guess, until a Solve
  int best_ = 0;
  int known_ = 0;
  std::vector<signed char> best_state_;
  std::vector<char> hinted_;  // the elements of the hint
  long nodes_ = 0;
  bool stopped_ = false;
  std::function<bool()> stop_;
  // The branchings of the set found last (0 the first way, 1 the second).
  std::vector<char> best_way_;
  bool found_ = false;  // a set found by the branch and bound itself
  int limit_ = 0;       // the set to beat at the start
  size_t root_ = 0;     // the trail at the root
  // Threads: the search splits its tree among them, each taking the second way of a
  // branching another has not begun yet (the highest one). A set found to the left of
  // a thread's node (before it in a search alone) is one to beat, one to its right is
  // one to match: so the first of the least size is found whatever the order.
  static constexpr int kThreadsMost = 8;
  static constexpr long kHelpersAfterNodes = 4096;
  int threads_ = DefaultThreads();
  long helpers_after_ = kHelpersAfterNodes;
  std::shared_ptr<Shared> shared_;  // while the helpers run
  int worker_ = 0;                  // 0: the caller's thread
  int seen_ = -1;                   // the version of the sets found Sync saw
  static int DefaultThreads();
  // Multipliers of the open conflicts from anchors on the way to this node, the
  // last one in force, with a bit for each conflict of u_c > 0.
  struct Multipliers {
    std::vector<double> u;
    std::vector<std::uint64_t> positive;
  };
  std::vector<std::shared_ptr<const Multipliers>> anchors_;
  // The conflicts no element taken meets yet, a bit each in the order of conflicts_.
  std::vector<std::uint64_t> open_;
  // Work space of the bound: per element, the room left in the packing (infinite for a
  // decided one, so that the packing need not ask) and its branching weight.
  struct Room {
    double capacity;
    double score;
  };
  std::vector<Room> room_;
  // The share of each conflict in the packing's first round, and the conflicts that got
  // all of it.
  static constexpr double kFirstRound = 0.4;
  std::vector<int> unblocked_;
  std::vector<std::vector<int>> by_size_;
};

}  // namespace vido

#endif  // VIDO_ANALYSIS_HITTING_SET_H_
