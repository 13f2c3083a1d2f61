#include "analysis/hitting_set.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "lp/solver_session.h"

namespace vido {

namespace {

// The steps of the local search that looks for a set to beat before the branch and
// bound: so many per conflict, within bounds (a few milliseconds on thousands).
constexpr long kImproveStepsPerConflict = 30;
constexpr long kImproveStepsLeast = 1000;
constexpr long kImproveStepsMost = 100000;

// The subgradient steps of an anchor, those after which it is given up unless its bound
// rose by a whole element, and the steps without a rise after which the steps halve.
constexpr int kAnchorSteps = 300;
constexpr int kAnchorTrialSteps = 30;
constexpr int kAnchorFlatSteps = 10;

// The checks asked and not yet learnt from, at most (the caller's thread answers them
// meanwhile, one after the other).
constexpr size_t kChecksInFlight = 2;

// Smaller sets first, those of one size in the order they came.
void SortBySize(std::vector<std::vector<int>>& sets) {
  std::stable_sort(
      sets.begin(), sets.end(),
      [](const std::vector<int>& a, const std::vector<int>& b) { return a.size() < b.size(); });
}

// Sets that contain another one of the family say nothing more: out they go (so do
// repeated ones). A kept set is filed under its element in the fewest sets of the family,
// and a set is tested only against those filed under its own elements.
std::vector<std::vector<int>> Minimal(std::vector<std::vector<int>> sets) {
  int largest = -1;
  for (std::vector<int>& set : sets) {
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    if (!set.empty()) largest = std::max(largest, set.back());
  }
  SortBySize(sets);
  const size_t elements = static_cast<size_t>(largest + 1);
  std::vector<int> frequency(elements, 0);
  for (const std::vector<int>& set : sets) {
    for (const int e : set) ++frequency[e];
  }
  std::vector<std::vector<int>> kept;
  std::vector<std::vector<int>> filed(elements);  // kept sets by their rarest element
  std::vector<size_t> mark(elements, 0);          // the elements of the set tested
  size_t stamp = 0;
  for (std::vector<int>& set : sets) {
    ++stamp;
    for (const int e : set) mark[e] = stamp;
    bool covered = false;
    for (size_t t = 0; t < set.size() && !covered; ++t) {
      for (const int k : filed[set[t]]) {
        if (std::all_of(kept[k].begin(), kept[k].end(), [&](int e) { return mark[e] == stamp; })) {
          covered = true;
          break;
        }
      }
    }
    if (covered) continue;
    if (!set.empty()) {
      const int rarest = *std::min_element(
          set.begin(), set.end(), [&](int a, int b) { return frequency[a] < frequency[b]; });
      filed[rarest].push_back(static_cast<int>(kept.size()));
    }
    kept.push_back(std::move(set));
  }
  return kept;
}

// The first element of `set` still free.
int FreeElement(const std::vector<int>& set, const std::vector<signed char>& state) {
  for (const int e : set) {
    if (state[e] == 0) return e;
  }
  return -1;
}

}  // namespace

// What the threads of one search share: the sets found (with their branchings), the
// word to stop, the threads in a part of the tree, and per thread a lock on its
// branchings and anchors, which the others read to take a part.
struct HittingSet::Shared {
  struct Found {
    int size;
    std::vector<char> way;
    std::vector<signed char> state;
  };
  std::mutex mutex;  // of `found`
  std::vector<Found> found;
  std::atomic<int> version{0};
  std::atomic<bool> halt{false};
  std::atomic<int> active{0};
  std::vector<std::unique_ptr<HittingSet>> helpers;
  std::vector<HittingSet*> workers;
  std::unique_ptr<std::mutex[]> levels;
  std::vector<std::thread> threads;
};

// What the search on its own thread shares with the caller's, which runs the checks and
// the simplex for it: the jobs asked (in order), whether the search has ended, and the
// word to stop.
struct HittingSet::Checks {
  std::mutex mutex;  // of all but `halt`, and of the answers
  std::condition_variable changed;
  std::deque<std::function<void()>> jobs;
  bool ended = false;
  std::atomic<bool> halt{false};
  std::exception_ptr failure;
};

int HittingSet::DefaultThreads() {
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kThreadsMost);
}

HittingSet::HittingSet(int elements, const std::vector<std::vector<int>>& conflicts,
                       const std::vector<std::vector<int>>& excluded,
                       const std::vector<std::pair<int, int>>& implied,
                       const std::vector<Explored>& explored, bool minimal)
    : n_(elements),
      explored_(explored),
      explored_taking_(elements),
      explored_leaving_(elements),
      takes_(elements),
      leaves_(elements),
      state_(elements, 0),
      room_(elements) {
  // A part naming an element beyond these (of another search) is not used.
  std::erase_if(explored_, [&](const Explored& part) {
    return std::any_of(part.literals.begin(), part.literals.end(),
                       [&](int q) { return q == 0 || q > n_ || q < -n_; });
  });
  explored_held_.assign(explored_.size(), 0);
  for (size_t g = 0; g < explored_.size(); ++g) {
    for (const int q : explored_[g].literals) {
      if (q > 0) explored_taking_[q - 1].push_back(static_cast<int>(g));
      if (q < 0) explored_leaving_[-q - 1].push_back(static_cast<int>(g));
    }
  }
  for (const auto& [e, f] : implied) {
    takes_[e].push_back(f);
    leaves_[f].push_back(e);
  }
  if (minimal) {
    // In the order Minimal leaves them.
    conflicts_.sets = conflicts;
    SortBySize(conflicts_.sets);
  } else {
    conflicts_.sets = Minimal(conflicts);
  }
  excluded_.sets = Minimal(excluded);
  // The packing takes the conflicts of one size in this order: those of elements in few
  // others first, as they leave the most room for the rest.
  std::vector<int> degree(n_, 0);
  for (const std::vector<int>& set : conflicts_.sets) {
    for (const int e : set) ++degree[e];
  }
  auto load = [&](const std::vector<int>& set) {
    long sum = 0;
    for (const int e : set) sum += degree[e];
    return sum;
  };
  std::stable_sort(
      conflicts_.sets.begin(), conflicts_.sets.end(),
      [&](const std::vector<int>& a, const std::vector<int>& b) { return load(a) < load(b); });
  for (Family* family : {&conflicts_, &excluded_}) {
    family->of.assign(n_, {});
    for (size_t s = 0; s < family->sets.size(); ++s) {
      for (const int e : family->sets[s]) family->of[e].push_back(static_cast<int>(s));
      family->free.push_back(static_cast<int>(family->sets[s].size()));
    }
    family->decided.assign(family->sets.size(), 0);
  }
  const size_t count = conflicts_.sets.size();
  open_.assign((count + 63) / 64, ~std::uint64_t{0});
  if (count % 64 != 0) open_.back() = (std::uint64_t{1} << (count % 64)) - 1;
}

// Takes `e` into the set; false when that leaves an excluded set whole. The counts are
// brought up to date in any case, so that Undo restores them.
bool HittingSet::Take(int e) {
  state_[e] = 1;
  trail_.push_back(e);
  ++taken_;
  for (const int c : conflicts_.of[e]) {
    --conflicts_.free[c];
    if (conflicts_.decided[c]++ == 0) open_[c / 64] &= ~(std::uint64_t{1} << (c % 64));
  }
  bool ok = true;
  for (const int x : excluded_.of[e]) {
    --excluded_.free[x];
    if (excluded_.decided[x] > 0) continue;
    if (excluded_.free[x] == 0) ok = false;
    if (excluded_.free[x] == 1) queue_.push_back(-FreeElement(excluded_.sets[x], state_) - 1);
  }
  for (const int f : takes_[e]) {
    if (state_[f] < 0) ok = false;
    if (state_[f] == 0) queue_.push_back(f + 1);
  }
  if (!Hold(explored_taking_[e])) ok = false;
  return ok;
}

// Counts the literals of the explored parts `parts` as held; false when the node now
// lies in one that holds no set below the set to beat. (Only leaving such a node, never
// deciding an element for a part, keeps the search the one it would be without them:
// the same nodes, bar those holding nothing, in the same order.)
bool HittingSet::Hold(const std::vector<int>& parts) {
  bool ok = true;
  for (const int g : parts) {
    if (++explored_held_[g] == static_cast<int>(explored_[g].literals.size()) &&
        explored_[g].below >= best_) {
      ok = false;
    }
  }
  return ok;
}

// Leaves `e` out; false when that leaves a conflict unmet.
bool HittingSet::Leave(int e) {
  state_[e] = -1;
  trail_.push_back(e);
  bool ok = true;
  for (const int c : conflicts_.of[e]) {
    --conflicts_.free[c];
    if (conflicts_.decided[c] > 0) continue;
    if (conflicts_.free[c] == 0) ok = false;
    if (conflicts_.free[c] == 1) queue_.push_back(FreeElement(conflicts_.sets[c], state_) + 1);
  }
  for (const int x : excluded_.of[e]) {
    --excluded_.free[x];
    if (excluded_.decided[x]++ == 0) ++excluded_left_;
  }
  for (const int f : leaves_[e]) {
    if (state_[f] > 0) ok = false;
    if (state_[f] == 0) queue_.push_back(-f - 1);
  }
  if (!Hold(explored_leaving_[e])) ok = false;
  return ok;
}

bool HittingSet::Propagate() {
  bool ok = true;
  while (ok && !queue_.empty()) {
    const int q = queue_.back();
    queue_.pop_back();
    const int e = q > 0 ? q - 1 : -q - 1;
    const signed char want = q > 0 ? 1 : -1;
    if (state_[e] != 0) {
      ok = state_[e] == want;
    } else {
      ok = want > 0 ? Take(e) : Leave(e);
    }
  }
  queue_.clear();
  return ok;
}

void HittingSet::Undo(size_t mark) {
  while (trail_.size() > mark) {
    const int e = trail_.back();
    trail_.pop_back();
    const bool taken = state_[e] > 0;
    state_[e] = 0;
    for (const int c : conflicts_.of[e]) {
      ++conflicts_.free[c];
      if (taken && --conflicts_.decided[c] == 0) open_[c / 64] |= std::uint64_t{1} << (c % 64);
    }
    for (const int x : excluded_.of[e]) {
      ++excluded_.free[x];
      if (!taken && --excluded_.decided[x] == 0) --excluded_left_;
    }
    if (taken) --taken_;
    for (const int g : taken ? explored_taking_[e] : explored_leaving_[e]) --explored_held_[g];
  }
}

// A lower bound on the size of any set this node leads to: the elements taken, and a
// fractional packing of the open conflicts (no element carries more than 1 in total, so
// every set meeting them all has at least the sum). Where no anchor is in force it is
// packed in two rounds, smallest conflicts first: each gets up to 2/5, as far as its
// free elements still have room, and those that got it all up to 3/5 more. Much as the
// linear optimum does, overlapping conflicts share their elements, where a conflict
// given all it can at once would fill its elements and leave nothing to the next.
// Below an anchor (see Anchor) the packing starts from its multipliers: with u_c >= 0
// on the open conflicts, every set meeting them has at least sum u_c + sum over free
// elements of min(0, 1 - their load), and the greedy packing adds, in one round, what
// the elements with room left can carry (the multipliers spread it already; two rounds
// there pruned less). `branch` is the free element meeting the most open conflicts,
// each weighing 1 / size^3; -1 when every conflict is met. Counting stops where the bound
// reaches the best set known (no branch is needed then).
int HittingSet::Bound(int& branch) {
  for (std::vector<int>& bucket : by_size_) bucket.clear();
  bool open = false;
  ForEachOpen([&](int c) {
    const int size = conflicts_.free[c];
    if (size >= static_cast<int>(by_size_.size())) by_size_.resize(size + 1);
    by_size_[size].push_back(c);
    open = true;
  });
  branch = -1;
  if (!open) return taken_;
  for (int e = 0; e < n_; ++e) {
    room_[e] = {state_[e] == 0 ? 1.0 : std::numeric_limits<double>::infinity(), 0.0};
  }
  double packed = 0;
  if (!anchors_.empty()) {
    const Multipliers& anchor = *anchors_.back();
    ForEachOpen(
        [&](int c) {
          for (const int e : conflicts_.sets[c]) room_[e].capacity -= anchor.u[c];
          packed += anchor.u[c];
        },
        &anchor.positive);
    for (int e = 0; e < n_; ++e) {
      if (room_[e].capacity < 0) packed += room_[e].capacity;
    }
    if (taken_ + packed > best_ - 1 + 1e-9) return best_;
  }
  // Gives conflict c the room y its elements have left (as far as it goes); true when
  // that is enough to prune (the rest would only add).
  auto pack = [&](int c, double y) {
    if (y <= 0) return false;
    for (const int e : conflicts_.sets[c]) room_[e].capacity -= y;
    packed += y;
    return taken_ + packed > best_ - 1 + 1e-9;
  };
  const double round = anchors_.empty() ? kFirstRound : 1.0;
  unblocked_.clear();
  for (size_t size = 1; size < by_size_.size(); ++size) {
    const double weight = 1.0 / static_cast<double>(size * size * size);
    for (const int c : by_size_[size]) {
      double y = round;
      for (const int e : conflicts_.sets[c]) {
        y = std::min(y, room_[e].capacity);
        room_[e].score += weight;
      }
      if (round < 1 && y == round) unblocked_.push_back(c);
      if (pack(c, y)) return best_;
    }
  }
  for (const int c : unblocked_) {
    double y = 1 - round;
    for (const int e : conflicts_.sets[c]) y = std::min(y, room_[e].capacity);
    if (pack(c, y)) return best_;
  }
  double top = -1;
  for (int e = 0; e < n_; ++e) {
    if (state_[e] == 0 && room_[e].score > top) {
      top = room_[e].score;
      branch = e;
    }
  }
  // An excluded set none of whose elements is left out yet: one of them will be, and
  // the packing knows nothing of it. Deciding its elements first (the one left out
  // shrinks all its conflicts) gives every subtree the bound it needs.
  int fewest = 0;
  for (size_t x = 0; x < excluded_.sets.size(); ++x) {
    if (excluded_.decided[x] > 0 || (fewest > 0 && excluded_.free[x] >= fewest)) continue;
    fewest = excluded_.free[x];
    top = -1;
    for (const int e : excluded_.sets[x]) {
      if (state_[e] == 0 && room_[e].score > top) {
        top = room_[e].score;
        branch = e;
      }
    }
  }
  return taken_ + static_cast<int>(std::ceil(packed - 1e-9));
}

// Searches below the current node; false when stopped or when the set found is as small
// as any can be.
bool HittingSet::Search() {
  if ((nodes_++ & 1023) == 0 && Poll()) {
    stopped_ = true;
    NoteExplored();
    return false;
  }
  if (shared_ != nullptr && !Sync()) {
    if (stopped_) NoteExplored();
    return false;
  }
  if (!asked_.empty() && !Learn()) return false;
  int branch = -1;
  if (Bound(branch) >= best_) return true;
  if (branch < 0) {
    best_ = taken_;
    best_state_ = state_;
    best_way_ = Way();
    found_ = true;
    if (shared_ != nullptr) Publish();
    NoteExplored();
    return best_ > known_;
  }
  // The hint's way first, so that the search looks about it before anywhere else;
  // otherwise leaving the element out first: its conflicts shrink, and the bound with them.
  const int take = branch + 1;
  const int leave = -branch - 1;
  const bool take_first = hinted_[branch] != 0;
  const int first = take_first ? take : leave;
  const long start = nodes_;
  if (checking_) Ask();
  PushLevel({first, best_, 0, false, false, false, false, false, anchors_.size()});
  bool go_on = true;
  for (const int q : {first, -first}) {
    // The second way, unless another thread took it.
    if (q != first && !Claim(nodes_ - start)) break;
    const size_t mark = trail_.size();
    const int left = excluded_left_;
    queue_.push_back(q);
    if (Propagate()) go_on = Descend(left);
    Undo(mark);
    // A conflict learnt below left nothing from this way on: on to the next.
    if (unwind_ >= static_cast<long>(mark)) {
      unwind_ = -1;
      go_on = true;
    }
    if (!go_on) break;
  }
  PopLevel();
  return go_on;
}

// Asks the check about the elements this node leaves out, at every check_levels_-th level
// (SetCheck) while fewer than kChecksInFlight are unanswered.
void HittingSet::Ask() {
  if (check_levels_ <= 0 || levels_.empty() || levels_.size() % check_levels_ != 0 ||
      asked_.size() >= kChecksInFlight) {
    return;
  }
  std::vector<int> left_out;
  for (const int e : trail_) {
    if (state_[e] < 0) left_out.push_back(e);
  }
  std::sort(left_out.begin(), left_out.end());
  asked_.push_back(nodes_ + check_delay_);
  OnCaller([this, left_out = std::move(left_out)] {
    std::vector<int> conflict = check_(left_out);
    std::unique_lock<std::mutex> lock;
    if (checks_ != nullptr) lock = std::unique_lock<std::mutex>(checks_->mutex);
    answers_.push_back(std::move(conflict));
    if (checks_ != nullptr) checks_->changed.notify_all();
  });
}

// Learns the conflicts of the checks whose node has come (waiting for their answers);
// false when the search is to go up: stopped, or left nothing here by a conflict.
bool HittingSet::Learn() {
  while (!asked_.empty() && nodes_ >= asked_.front()) {
    std::vector<int> conflict;
    {
      std::unique_lock<std::mutex> lock;
      if (checks_ != nullptr) {
        lock = std::unique_lock<std::mutex>(checks_->mutex);
        checks_->changed.wait(lock, [&] { return !answers_.empty() || checks_->halt; });
      }
      if (answers_.empty()) {
        stopped_ = true;
        lock = {};
        NoteExplored();
        return false;
      }
      conflict = std::move(answers_.front());
      answers_.pop_front();
    }
    asked_.pop_front();
    if (!conflict.empty()) AddConflict(conflict);
  }
  return unwind_ < 0;
}

// Adds a conflict to the family at this node. When every element of it is left out
// already, the way that left out the last of them leads nowhere: the search goes back up
// to it (unwind_).
void HittingSet::AddConflict(const std::vector<int>& conflict) {
  if (std::any_of(conflict.begin(), conflict.end(), [&](int e) { return e < 0 || e >= n_; })) {
    return;
  }
  const int c = static_cast<int>(conflicts_.sets.size());
  int free = 0;
  int taken = 0;
  for (const int e : conflict) {
    conflicts_.of[e].push_back(c);
    free += state_[e] == 0;
    taken += state_[e] > 0;
  }
  conflicts_.sets.push_back(conflict);
  conflicts_.free.push_back(free);
  conflicts_.decided.push_back(taken);
  if (open_.size() * 64 <= static_cast<size_t>(c)) open_.push_back(0);
  if (taken > 0) return;
  open_[c / 64] |= std::uint64_t{1} << (c % 64);
  if (free > 0) return;
  for (long t = static_cast<long>(trail_.size()) - 1; t >= 0; --t) {
    if (std::find(conflict.begin(), conflict.end(), trail_[t]) != conflict.end()) {
      unwind_ = unwind_ < 0 ? t : std::min(unwind_, t);
      return;
    }
  }
}

// Runs `job` on the caller's thread: at once without a thread of the search's own,
// otherwise after the jobs asked before it, and waits for it when `wait`.
void HittingSet::OnCaller(const std::function<void()>& job, bool wait) {
  if (checks_ == nullptr) {
    job();
    return;
  }
  std::unique_lock<std::mutex> lock(checks_->mutex);
  if (!wait) {
    checks_->jobs.push_back(job);
    checks_->changed.notify_all();
    return;
  }
  bool done = false;
  checks_->jobs.push_back([&] {
    job();
    const std::lock_guard<std::mutex> lock(checks_->mutex);
    done = true;
  });
  checks_->changed.notify_all();
  checks_->changed.wait(lock, [&] { return done || checks_->halt; });
}

// The branch and bound with checks, on a thread of its own while the caller's answers
// the checks (and asks `stop_`); on the caller's alone if the system gives no thread.
void HittingSet::Checked() {
  auto checks = std::make_shared<Checks>();
  checks_ = checks;
  std::thread search;
  try {
    search = std::thread([this] {
      Search();
      const std::lock_guard<std::mutex> lock(checks_->mutex);
      checks_->ended = true;
      checks_->changed.notify_all();
    });
  } catch (const std::system_error&) {
    checks_.reset();
    Search();
    return;
  }
  auto last_asked = std::chrono::steady_clock::now();
  std::unique_lock<std::mutex> lock(checks->mutex);
  for (;;) {
    // (Once stopped, the jobs left wait in vain: the search ends without them.)
    checks->changed.wait_for(lock, std::chrono::milliseconds(5), [&] {
      return checks->ended || (!checks->halt && !checks->jobs.empty());
    });
    const bool halt = checks->halt;
    if (!halt && !checks->jobs.empty()) {
      const std::function<void()> job = std::move(checks->jobs.front());
      checks->jobs.pop_front();
      lock.unlock();
      try {
        job();
      } catch (...) {
        checks->failure = std::current_exception();
        checks->halt = true;
      }
      lock.lock();
      checks->changed.notify_all();
    } else if (checks->ended) {
      break;
    }
    if (!halt && stop_ &&
        std::chrono::steady_clock::now() - last_asked > std::chrono::milliseconds(5)) {
      lock.unlock();
      last_asked = std::chrono::steady_clock::now();
      const bool stop = stop_();
      lock.lock();
      if (stop) {
        checks->halt = true;
        checks->changed.notify_all();
      }
    }
  }
  lock.unlock();
  search.join();
  checks_.reset();
  if (checks->failure) std::rethrow_exception(checks->failure);
}

// Searches below the node just reached, where `left` excluded sets had an element left
// out at its parent. When one more has one now, below lies the part of the search that
// keeps it, often a program of its own whose packing is far from its linear relaxation:
// the node gets an anchor of its own.
bool HittingSet::Descend(int left) {
  bool anchored = false;
  if (excluded_left_ > left) {
    if (std::vector<double> u = Anchor(); !u.empty()) {
      PushAnchor(std::move(u));
      anchored = true;
    }
  }
  const bool go_on = Search();
  if (anchored) PopAnchor();
  return go_on;
}

// Whether the search is to stop: the first thread asks `stop_`, or is told by the
// caller's when it runs beside it (and, once the search has taken so many nodes, starts
// the checks or the helpers); the others are told.
bool HittingSet::Poll() {
  if (worker_ != 0) return false;
  if (!decided_ && nodes_ > helpers_after_) {
    // The search alone so far decides what follows: checks where it met an anchor far
    // below the set to beat, the helpers otherwise.
    decided_ = true;
    checking_ = checking_ || (check_ && best_ - lowest_exact_ >= kExactAnchorGap);
    if (!checking_ && threads_ > 1) StartHelpers();
  }
  const bool stop = checks_ != nullptr ? checks_->halt.load() : stop_ && stop_();
  if (stop && shared_ != nullptr) shared_->halt = true;
  return stop;
}

// Brings the set to beat up to the sets the other threads found; false when the search
// is to end here: stopped, or no set below the one to beat can be left.
bool HittingSet::Sync() {
  if (shared_->halt.load(std::memory_order_relaxed)) {
    stopped_ = true;
    return false;
  }
  if (const int version = shared_->version.load(std::memory_order_acquire); version != seen_) {
    seen_ = version;
    const std::vector<char> way = Way();
    std::lock_guard<std::mutex> lock(shared_->mutex);
    for (const Shared::Found& found : shared_->found) {
      // One to the left is found first by a search alone: it is to beat. One to the
      // right is found after a set of its size here: it is only to match.
      best_ = std::min(best_, found.way < way ? found.size : found.size + 1);
    }
  }
  return best_ > known_;
}

// The branchings above the node, 0 for the first way and 1 for the second: sets compare
// by them as a search alone goes through them.
std::vector<char> HittingSet::Way() const {
  std::vector<char> way;
  way.reserve(levels_.size());
  for (const Level& level : levels_) way.push_back(level.second ? 1 : 0);
  return way;
}

// The branchings and anchors change under the thread's own lock once helpers run (they
// read them to take a part).
std::unique_lock<std::mutex> HittingSet::LockLevels() {
  if (shared_ == nullptr) return {};
  return std::unique_lock<std::mutex>(shared_->levels[worker_]);
}

void HittingSet::PushLevel(const Level& level) {
  const auto lock = LockLevels();
  levels_.push_back(level);
}

// Begins the second way of the last branching, the nodes of the first one done; false
// when another thread took it. Then the first way, done, is noted at once (the thread
// searching the second way cannot know when it is).
bool HittingSet::Claim(long nodes) {
  const Level second = {levels_.back().first,  best_, nodes, true, false, false, false, false,
                        levels_.back().anchors};
  const auto lock = LockLevels();
  // A first way part of which another thread took is not this thread's to note.
  const bool lent = levels_.back().lent;
  if (!levels_.back().stolen) {
    levels_.back() = second;
    levels_.back().noted = lent;
    return true;
  }
  if (nodes >= explored_nodes_least_ && !lent) {
    std::vector<int> literals;
    for (const Level& level : levels_)
      literals.push_back(level.second ? -level.first : level.first);
    newly_explored_.push_back({std::move(literals), best_});
  }
  return false;
}

void HittingSet::PopLevel() {
  const auto lock = LockLevels();
  levels_.pop_back();
}

void HittingSet::PushAnchor(std::vector<double> u) {
  std::vector<std::uint64_t> positive(open_.size(), 0);
  for (size_t c = 0; c < u.size(); ++c) {
    if (u[c] > 0) positive[c / 64] |= std::uint64_t{1} << (c % 64);
  }
  auto anchor = std::make_shared<const Multipliers>(Multipliers{std::move(u), std::move(positive)});
  const auto lock = LockLevels();
  anchors_.push_back(std::move(anchor));
}

void HittingSet::PopAnchor() {
  const auto lock = LockLevels();
  anchors_.pop_back();
}

// Tells the other threads of the set just found.
void HittingSet::Publish() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->found.push_back({best_, best_way_, best_state_});
  shared_->version.fetch_add(1, std::memory_order_release);
}

// Starts the helpers, each a copy of this search at its root, which take parts of the
// tree from this thread and from each other.
void HittingSet::StartHelpers() {
  auto shared = std::make_shared<Shared>();
  shared->levels = std::make_unique<std::mutex[]>(threads_);
  shared->workers.push_back(this);
  for (int w = 1; w < threads_; ++w) {
    auto helper = std::make_unique<HittingSet>(*this);
    helper->Undo(root_);
    helper->levels_.clear();
    helper->anchors_.clear();
    helper->queue_.clear();
    helper->newly_explored_.clear();
    helper->stop_ = nullptr;
    helper->check_ = nullptr;
    helper->checks_.reset();
    helper->worker_ = w;
    helper->nodes_ = 0;
    helper->found_ = false;
    helper->shared_ = shared;
    shared->workers.push_back(helper.get());
    shared->helpers.push_back(std::move(helper));
  }
  // A set found before is to beat for them all: everything left to do lies to its right.
  if (found_) shared->found.push_back({best_, best_way_, best_state_});
  shared->version = 1;
  shared->active = 1;
  {
    // Only from here on do the branchings change under the lock.
    std::lock_guard<std::mutex> lock(shared->levels[0]);
    shared_ = shared;
  }
  // A helper the system gives no thread for is left idle: the others do its share.
  try {
    for (int w = 1; w < threads_; ++w) {
      shared->threads.emplace_back([helper = shared->workers[w]] { helper->Help(); });
    }
  } catch (const std::system_error&) {
  }
}

// Takes parts of the tree from the other threads until none is left; the caller's
// thread asks `stop_` meanwhile.
void HittingSet::Help() {
  std::vector<Level> path;
  std::vector<std::shared_ptr<const Multipliers>> anchors;
  auto last_asked = std::chrono::steady_clock::now();
  while (!shared_->halt.load(std::memory_order_relaxed)) {
    if (Steal(path, anchors)) {
      Run(path, anchors);
      shared_->active.fetch_sub(1);
      continue;
    }
    if (shared_->active.load() == 0) break;
    if (worker_ == 0 && stop_ &&
        std::chrono::steady_clock::now() - last_asked > std::chrono::milliseconds(5)) {
      last_asked = std::chrono::steady_clock::now();
      if (stop_()) shared_->halt = true;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
}

// The second way of the highest branching no thread has begun, from the thread that has
// the highest one: the branchings down to it (that one in its second way) and the
// anchors in force above it. Counts this thread as active.
bool HittingSet::Steal(std::vector<Level>& path,
                       std::vector<std::shared_ptr<const Multipliers>>& anchors) {
  auto highest = [&](const HittingSet& victim) {
    for (size_t d = 0; d < victim.levels_.size(); ++d) {
      const Level& level = victim.levels_[d];
      if (!level.second && !level.stolen && !level.given) return d;
    }
    return victim.levels_.size();
  };
  int victim = -1;
  size_t depth = std::numeric_limits<size_t>::max();
  for (size_t w = 0; w < shared_->workers.size(); ++w) {
    if (static_cast<int>(w) == worker_) continue;
    std::lock_guard<std::mutex> lock(shared_->levels[w]);
    const HittingSet& other = *shared_->workers[w];
    if (const size_t d = highest(other); d < other.levels_.size() && d < depth) {
      depth = d;
      victim = static_cast<int>(w);
    }
  }
  if (victim < 0) return false;
  std::lock_guard<std::mutex> lock(shared_->levels[victim]);
  HittingSet& other = *shared_->workers[victim];
  const size_t d = highest(other);
  if (d == other.levels_.size()) return false;
  other.levels_[d].stolen = true;
  for (size_t j = 0; j < d; ++j) {
    if (!other.levels_[j].second) other.levels_[j].lent = true;
  }
  path.assign(other.levels_.begin(), other.levels_.begin() + static_cast<long>(d) + 1);
  anchors.assign(other.anchors_.begin(),
                 other.anchors_.begin() + static_cast<long>(other.levels_[d].anchors));
  shared_->active.fetch_add(1);
  return true;
}

// Searches the part `path` leads to (see Steal), from the root.
void HittingSet::Run(const std::vector<Level>& path,
                     const std::vector<std::shared_ptr<const Multipliers>>& anchors) {
  {
    const auto lock = LockLevels();
    levels_ = path;
    for (Level& level : levels_) level.given = true;
    // The first way of the last is still another thread's.
    levels_.back().second = true;
    levels_.back().noted = true;
    anchors_ = anchors;
  }
  // Where this part lies among the sets found decides the set to beat.
  best_ = limit_;
  seen_ = -1;
  bool ok = Sync();
  int left = 0;
  for (size_t d = 0; d < path.size() && ok; ++d) {
    const bool last = d + 1 == path.size();
    left = excluded_left_;
    queue_.push_back(last || path[d].second ? -path[d].first : path[d].first);
    ok = Propagate();
  }
  if (ok) Descend(left);
  queue_.clear();
  Undo(root_);
  const auto lock = LockLevels();
  levels_.clear();
  anchors_.clear();
}

// Notes the parts gone through whole on the way to this node: below every branching
// taken its second way lies the first one, done (each noted once; those of few nodes are
// left out).
void HittingSet::NoteExplored() {
  // (Another thread may be reading the branchings to take a part.)
  const auto lock = LockLevels();
  std::vector<int> literals;
  for (Level& level : levels_) {
    literals.push_back(level.first);
    if (level.second && !level.noted && level.nodes >= explored_nodes_least_) {
      newly_explored_.push_back({literals, level.below});
      level.noted = true;
    }
    if (level.second) literals.back() = -level.first;
  }
}

// Multipliers for the open conflicts of this node that bound better than the greedy
// packing: the packing's (from the anchor above, if any) raised by subgradient steps on
// the Lagrangian bound sum u_c + sum over free elements of min(0, 1 - load), each step
// along 1 - (elements of the conflict the bound takes), sized by the distance to the
// best set known and halved when the bound stops rising. Empty when the bound did not
// rise by a whole element (soon or at the end): then the packing does as well.
std::vector<double> HittingSet::Anchor() {
  const int count = static_cast<int>(conflicts_.sets.size());
  std::vector<int> open;
  ForEachOpen([&](int c) { open.push_back(c); });
  std::stable_sort(open.begin(), open.end(),
                   [&](int a, int b) { return conflicts_.free[a] < conflicts_.free[b]; });
  std::vector<double> u(count, 0.0);
  if (!anchors_.empty()) {
    const std::vector<double>& above = anchors_.back()->u;
    for (const int c : open) u[c] = static_cast<size_t>(c) < above.size() ? above[c] : 0.0;
  }
  // The Lagrangian bound of u, with the load of every free element.
  std::vector<double> load(n_, 0.0);
  auto lagrangian = [&] {
    std::fill(load.begin(), load.end(), 0.0);
    double value = 0;
    for (const int c : open) {
      value += u[c];
      for (const int e : conflicts_.sets[c]) {
        if (state_[e] == 0) load[e] += u[c];
      }
    }
    for (int e = 0; e < n_; ++e) {
      if (state_[e] == 0 && load[e] > 1) value += 1 - load[e];
    }
    return value;
  };
  lagrangian();
  for (const int c : open) {
    double y = 1;
    for (const int e : conflicts_.sets[c]) {
      if (state_[e] == 0) y = std::min(y, 1 - load[e]);
    }
    if (y <= 0) continue;
    u[c] += y;
    for (const int e : conflicts_.sets[c]) {
      if (state_[e] == 0) load[e] += y;
    }
  }
  const double target = best_ - taken_;
  std::vector<double> best;
  std::vector<double> step(open.size());
  double first = 0;
  double top = 0;
  double size = 1;  // of the steps, against the distance to the target
  int flat = 0;
  for (int t = 0; t < kAnchorSteps; ++t) {
    const double value = lagrangian();
    if (t == 0) first = value;
    if (t == 0 || value > top) {
      top = value;
      best = u;
      flat = 0;
    } else if (++flat >= kAnchorFlatSteps) {
      size /= 2;
      flat = 0;
    }
    if (top > target - 1 + 1e-9 || (t == kAnchorTrialSteps && top < first + 1)) break;
    double norm = 0;
    for (size_t k = 0; k < open.size(); ++k) {
      const int c = open[k];
      double g = 1;
      for (const int e : conflicts_.sets[c]) {
        if (state_[e] == 0 && load[e] > 1) g -= 1;
      }
      if (u[c] <= 0 && g < 0) g = 0;
      step[k] = g;
      norm += g * g;
    }
    if (norm == 0) break;
    const double length = size * (target - value) / norm;
    for (size_t k = 0; k < open.size(); ++k) {
      u[open[k]] = std::max(0.0, u[open[k]] + length * step[k]);
    }
  }
  // (The simplex runs in the caller's thread only: the helpers do without it.)
  if (anchors_.empty() && worker_ == 0 && target - top >= exact_anchor_gap_) {
    std::vector<double> exact;
    OnCaller([&] { exact = PackingOptimum(open); }, true);
    if (!exact.empty()) {
      u = std::move(exact);
      if (const double value = lagrangian(); value > top) {
        top = value;
        best = u;
      }
    }
    lowest_exact_ = std::min(lowest_exact_, taken_ + top);
  }
  if (top < first + 1) return {};
  return best;
}

// The most the open conflicts `open` can be packed: multipliers u_c >= 0 (0 for the
// others) of the greatest sum whose load on no free element exceeds 1, the linear
// relaxation's own bound; empty when the simplex did not finish.
std::vector<double> HittingSet::PackingOptimum(const std::vector<int>& open) const {
  std::vector<int> row(n_, 0);
  int rows = 0;
  for (int e = 0; e < n_; ++e) {
    if (state_[e] == 0) row[e] = ++rows;
  }
  const int columns = static_cast<int>(open.size());
  if (rows == 0 || columns == 0) return {};
  SolverSession session;
  DenseProgram& packing = session.Program();
  packing = DenseProgram::Empty(columns, rows);
  for (int k = 1; k <= columns; ++k) {
    packing.c[k] = 1;
    for (const int e : conflicts_.sets[open[k - 1]]) {
      if (state_[e] == 0) packing.A(row[e], k) = 1;
    }
  }
  for (int i = 1; i <= rows; ++i) packing.b[i] = 1;
  if (session.Solve() != SolveStatus::kOptimal) return {};
  // Any u >= 0 bounds (an element loaded beyond 1 counts against it): rounding is safe.
  std::vector<double> u(conflicts_.sets.size(), 0.0);
  for (int k = 1; k <= columns; ++k) u[open[k - 1]] = std::max(0.0, session.Values()[k]);
  return u;
}

// `hint` made a set meeting the conflicts greedily: each excluded set it holds loses
// its least used element, the conflicts left unmet take, one by one, the element that
// meets most of them (and completes no excluded set), and elements whose conflicts are
// all met twice go again. States as in state_ (1 taken, -1 not); the conflicts may not
// all be met when every element left would complete an excluded set; empty when an
// excluded set is empty.
std::vector<signed char> HittingSet::Complete(const std::vector<int>& hint) const {
  std::vector<signed char> in(n_, -1);
  for (const int e : hint) {
    if (e >= 0 && e < n_) in[e] = 1;
  }
  auto whole = [&](const std::vector<int>& set) {
    return std::all_of(set.begin(), set.end(), [&](int e) { return in[e] > 0; });
  };
  for (const std::vector<int>& set : excluded_.sets) {
    if (set.empty()) return {};
    if (!whole(set)) continue;
    const int* least = &set[0];
    for (const int& e : set) {
      if (conflicts_.of[e].size() < conflicts_.of[*least].size()) least = &e;
    }
    in[*least] = -1;
  }
  std::vector<int> met(conflicts_.sets.size(), 0);
  for (size_t c = 0; c < conflicts_.sets.size(); ++c) {
    for (const int e : conflicts_.sets[c]) met[c] += in[e] > 0;
  }
  std::vector<int> count(n_);
  for (;;) {
    std::fill(count.begin(), count.end(), 0);
    bool open = false;
    for (size_t c = 0; c < conflicts_.sets.size(); ++c) {
      if (met[c] > 0) continue;
      open = true;
      for (const int e : conflicts_.sets[c]) ++count[e];
    }
    if (!open) break;
    int pick = -1;
    for (int e = 0; e < n_; ++e) {
      if (count[e] == 0 || (pick >= 0 && count[e] <= count[pick])) continue;
      if (!Completes(in, e)) pick = e;
    }
    if (pick < 0) return in;
    in[pick] = 1;
    for (const int c : conflicts_.of[pick]) ++met[c];
  }
  for (int e = 0; e < n_; ++e) {
    if (in[e] < 0) continue;
    const bool needed = std::any_of(conflicts_.of[e].begin(), conflicts_.of[e].end(),
                                    [&](int c) { return met[c] < 2; });
    if (needed) continue;
    in[e] = -1;
    for (const int c : conflicts_.of[e]) --met[c];
  }
  return in;
}

// Whether taking `e` into the set `in` would make it hold an excluded set whole.
bool HittingSet::Completes(const std::vector<signed char>& in, int e) const {
  return std::any_of(excluded_.of[e].begin(), excluded_.of[e].end(), [&](int x) {
    const std::vector<int>& set = excluded_.sets[x];
    return std::all_of(set.begin(), set.end(), [&](int f) { return f == e || in[f] > 0; });
  });
}

// A local search from `in` (any states, no excluded set whole) for sets meeting every
// conflict with fewer than `limit` elements: while a conflict is open, one of its
// elements comes in (the one that would meet the most weight of open conflicts), in
// exchange for the element whose leaving would open the least weight once the set is
// as large as allowed; each step adds 1 to the weight of every conflict left open, so
// that the ones the set keeps missing pull harder. Each set found is the next to beat,
// made one smaller by letting an element go. The conflict to meet is drawn from the
// open ones by a fixed sequence: the same input gives the same set. Returns the
// smallest set found (states as in state_), empty when none was below `limit`.
std::vector<signed char> HittingSet::Improve(std::vector<signed char> in, int limit) const {
  const int count = static_cast<int>(conflicts_.sets.size());
  // Every step adds 1 to the weight of each open conflict and to the score of each of
  // its elements. Rather than walk them all, the count of steps `now` stands in for it:
  // an open conflict weighs base[c] + now (base[c] counts back from the step it
  // opened), a closed one base[c]; an element outside the set scores
  // score[e] + now * open_in[e], open_in[e] being the open conflicts it is in (an
  // element of the set is in none of them).
  long now = 0;
  std::vector<long> base(count, 1);
  std::vector<long> score(n_, 0);  // out: as above; in: minus the weight it alone meets
  std::vector<int> open_in(n_, 0);
  std::vector<long> age(n_, 0);  // the step it last came in or went
  std::vector<int> met(count, 0);
  // Per conflict, the exclusive or of its elements in the set: the one that meets it
  // where only one does.
  std::vector<int> sole(count, 0);
  std::vector<int> open;
  std::vector<int> at(count, -1);  // place in `open`
  std::vector<int> members;
  for (int e = 0; e < n_; ++e) {
    if (in[e] > 0) members.push_back(e);
  }
  for (int c = 0; c < count; ++c) {
    for (const int e : conflicts_.sets[c]) {
      met[c] += in[e] > 0;
      if (in[e] > 0) sole[c] ^= e;
    }
    if (met[c] == 0) {
      at[c] = static_cast<int>(open.size());
      open.push_back(c);
    }
    for (const int e : conflicts_.sets[c]) {
      if (met[c] == 0) {
        ++score[e];
        ++open_in[e];
      }
      if (met[c] == 1 && in[e] > 0) --score[e];
    }
  }
  auto current = [&](int e) { return score[e] + now * open_in[e]; };
  auto take = [&](int u, long step) {
    const long was = current(u);
    in[u] = 1;
    members.push_back(u);
    age[u] = step;
    for (const int c : conflicts_.of[u]) {
      if (met[c] == 0) {
        const int last = open.back();
        open[at[c]] = last;
        at[last] = at[c];
        open.pop_back();
        at[c] = -1;
        for (const int f : conflicts_.sets[c]) {
          score[f] -= base[c];
          --open_in[f];
        }
        base[c] += now;
      } else if (met[c] == 1) {
        score[sole[c]] += base[c];  // no longer the only one
      }
      sole[c] ^= u;
      ++met[c];
    }
    score[u] = -was;
  };
  auto leave = [&](int v, long step) {
    const long was = score[v];
    in[v] = -1;
    members.erase(std::find(members.begin(), members.end(), v));
    age[v] = step;
    for (const int c : conflicts_.of[v]) {
      --met[c];
      sole[c] ^= v;
      if (met[c] == 0) {
        at[c] = static_cast<int>(open.size());
        open.push_back(c);
        base[c] -= now;
        for (const int f : conflicts_.sets[c]) {
          score[f] += base[c];
          ++open_in[f];
        }
      } else if (met[c] == 1) {
        score[sole[c]] -= base[c];  // now the only one
      }
    }
    // What it met alone is what it would meet now: the conflicts that just opened.
    score[v] = -was - now * open_in[v];
  };
  // The element of the set (other than `kept`) whose leaving opens the least weight,
  // the one longest in on a tie; -1 for none.
  auto least_needed = [&](int kept) {
    int v = -1;
    for (const int e : members) {
      if (e == kept) continue;
      if (v < 0 || score[e] > score[v] || (score[e] == score[v] && age[e] < age[v])) v = e;
    }
    return v;
  };
  std::vector<signed char> best;
  int best_size = limit;
  std::uint64_t draw = 0x9E3779B97F4A7C15u;
  int last_in = -1;
  const long steps =
      std::clamp(kImproveStepsPerConflict * count, kImproveStepsLeast, kImproveStepsMost);
  for (long step = 1; step <= steps; ++step) {
    const int size = static_cast<int>(members.size());
    if (open.empty()) {
      if (size < best_size) {
        best = in;
        best_size = size;
      }
      if (size <= known_ || size == 0) break;
      leave(least_needed(-1), step);
      continue;
    }
    draw ^= draw << 13;
    draw ^= draw >> 7;
    draw ^= draw << 17;
    const int c = open[draw % open.size()];
    int out = -1;
    if (size + 1 >= best_size && (out = least_needed(last_in)) >= 0) leave(out, step);
    int u = -1;
    for (const int f : conflicts_.sets[c]) {
      if (f == out || in[f] > 0) continue;
      if (u >= 0 && (current(f) < current(u) || (current(f) == current(u) && age[f] >= age[u]))) {
        continue;
      }
      if (!Completes(in, f)) u = f;
    }
    if (u >= 0) {
      take(u, step);
      last_in = u;
    } else if (out < 0 && (out = least_needed(-1)) >= 0) {
      leave(out, step);  // every element of the conflict would complete an excluded set
    }
    ++now;
  }
  return best;
}

// The state before a search: nothing decided, the limit as the set to beat, and the
// local search's set, if it found one below it.
void HittingSet::Start(int limit, int known, const std::vector<int>& hint) {
  known_ = known;
  stopped_ = false;
  best_ = limit;
  best_state_.clear();
  Undo(0);
  queue_.clear();
  anchors_.clear();
  levels_.clear();
  newly_explored_.clear();
  hinted_.assign(n_, 0);
  for (const int e : hint) {
    if (e >= 0 && e < n_) hinted_[e] = 1;
  }
  // Below a limit no larger than the known least size there is nothing to find.
  if (!local_search_ || limit <= known) return;
  if (std::vector<signed char> start = Complete(hint); !start.empty()) {
    if (std::vector<signed char> found = Improve(std::move(start), best_); !found.empty()) {
      // The search looks about the best set known first.
      for (int e = 0; e < n_; ++e) hinted_[e] = found[e] > 0;
      best_ = static_cast<int>(std::count(found.begin(), found.end(), 1));
      best_state_ = std::move(found);
    }
  }
}

// Ends a search with helpers: the caller's thread takes parts of the tree too until none
// is left, and the answer is the first set of the least size among those found.
void HittingSet::Gather() {
  shared_->active.fetch_sub(1);
  Help();
  for (std::thread& thread : shared_->threads) thread.join();
  stopped_ = stopped_ || shared_->halt;
  const Shared::Found* first = nullptr;
  for (const Shared::Found& found : shared_->found) {
    if (first == nullptr || found.size < first->size ||
        (found.size == first->size && found.way < first->way)) {
      first = &found;
    }
  }
  if (first != nullptr) {
    best_ = first->size;
    best_state_ = first->state;
  }
  for (const std::unique_ptr<HittingSet>& helper : shared_->helpers) {
    newly_explored_.insert(newly_explored_.end(), helper->newly_explored_.begin(),
                           helper->newly_explored_.end());
    nodes_ += helper->nodes_;
    helper->shared_.reset();  // (they hold it as it holds them)
  }
  shared_.reset();
}

HittingSet::Result HittingSet::Guess(int limit, int known, const std::vector<int>& hint,
                                     std::vector<int>& set) {
  set.clear();
  Start(limit, known, hint);
  guessed_ = {limit, known, hint};
  if (best_state_.empty()) return Result::kNone;
  for (int e = 0; e < n_; ++e) {
    if (best_state_[e] > 0) set.push_back(e);
  }
  return Result::kFound;
}

HittingSet::Result HittingSet::Solve(int limit, int known, const std::vector<int>& hint,
                                     std::vector<int>& set, const std::function<bool()>& stop) {
  set.clear();
  stop_ = stop;
  // Just after a guess on the same terms the local search's set is there already.
  if (!guessed_ || guessed_->limit != limit || guessed_->known != known || guessed_->hint != hint) {
    Start(limit, known, hint);
  }
  guessed_.reset();
  for (size_t c = 0; c < conflicts_.sets.size(); ++c) {
    if (conflicts_.sets[c].empty()) return Result::kNone;
    if (conflicts_.sets[c].size() == 1) queue_.push_back(conflicts_.sets[c][0] + 1);
  }
  for (size_t x = 0; x < excluded_.sets.size(); ++x) {
    if (excluded_.sets[x].empty()) return Result::kNone;
    if (excluded_.sets[x].size() == 1) queue_.push_back(-excluded_.sets[x][0] - 1);
  }
  limit_ = best_;
  found_ = false;
  nodes_ = 0;
  asked_.clear();
  answers_.clear();
  unwind_ = -1;
  decided_ = false;
  checking_ = check_ && check_always_;
  lowest_exact_ = std::numeric_limits<double>::infinity();
  if (best_ > known_ && Propagate()) {
    root_ = trail_.size();
    if (check_ && threads_ > 1) {
      Checked();
    } else {
      Search();
    }
    if (shared_ != nullptr) Gather();
  }
  Undo(0);
  if (stopped_) return Result::kStopped;
  if (best_state_.empty()) return Result::kNone;
  for (int e = 0; e < n_; ++e) {
    if (best_state_[e] > 0) set.push_back(e);
  }
  return Result::kFound;
}

}  // namespace vido
