#include "analysis/drop_search.h"

#include <algorithm>
#include <optional>

#include "analysis/hitting_set.h"
#include "lp/solver_session.h"
#include "support/user_port.h"

namespace vido {

namespace {

// What a dropped row is relaxed by, as in the drop program.
constexpr double kRelaxation = 999;
// A Farkas optimum this small may be rounding: the check decides.
constexpr double kDoubtfulProof = 1e-7;
// The failed guesses in a row that do not grow after which the next choice is proven.
constexpr int kStalledGuesses = 8;

}  // namespace

// Row d implies row c when (a_c - a_d) x >= b_c - b_d for every x >= 0 whose weights sum
// to 1: so when lambda's coefficient in c is no smaller and every weight's difference is
// at least b_c - b_d.
std::vector<std::pair<int, int>> ImpliedRows(const DropProgram& drop) {
  std::vector<std::pair<int, int>> implied;
  for (int c = 0; c < drop.m; ++c) {
    for (int d = 0; d < drop.m; ++d) {
      if (c == d || drop.a[c][0] < drop.a[d][0]) continue;
      bool implies = true;
      for (int j = 1; j < drop.p && implies; ++j) {
        implies = drop.a[c][j] - drop.a[d][j] >= drop.b[c] - drop.b[d];
      }
      if (implies) implied.emplace_back(c + 1, d + 1);
    }
  }
  return implied;
}

// The consistency check holds x = (lambda, k) in columns 1..p and one relaxation r_i per
// row in columns p + i: a_i x + r_i >= b_i with r_i in [0, 999] for a dropped row and
// [0, 0] for a kept one, so a choice of rows changes bounds only and every check after
// the first re-solves from the last basis.
//
// The Farkas program holds one multiplier pi_i >= 0 per row and mu = mu+ - mu- for the
// normalisation: maximise sum b'_i pi_i + mu subject to sum_i a_ij pi_i + [j a weight] mu
// <= 0 for every column j of x, and sum pi_i <= 1, where b'_i is b_i for a kept row and
// b_i - 999 for a dropped one. For every x >= 0 whose weights sum to 1 the rows give
// sum pi_i a_i x + mu >= sum b'_i pi_i + mu, while the columns give at most 0: a positive
// optimum proves the rows with pi_i > 0 inconsistent, and keeping all the kept ones
// among them stays inconsistent whatever else is dropped or kept (keeping a dropped row
// only raises its b'). A choice changes the objective only.
DropSearch::DropSearch(const DropProgram& drop, UserPort* port, bool cold)
    : p_(drop.p),
      m_(drop.m),
      port_(port),
      check_(std::make_unique<SolverSession>()),
      farkas_(std::make_unique<SolverSession>()),
      small_(std::make_unique<SolverSession>()) {
  for (SolverSession* session : {check_.get(), farkas_.get(), small_.get()}) {
    session->SetPort(port);
    session->SetCold(cold);
  }
  b_.assign(drop.b.begin(), drop.b.begin() + m_);
  for (int i = 0; i < m_; ++i) a_.emplace_back(drop.a[i].begin(), drop.a[i].begin() + p_);

  DenseProgram& check = check_->Program();
  check = DenseProgram::Empty(p_ + m_, m_ + 1);
  for (int i = 1; i <= m_; ++i) {
    for (int j = 1; j <= p_; ++j) check.A(i, j) = a_[i - 1][j - 1];
    check.A(i, p_ + i) = 1;
    check.b[i] = b_[i - 1];
    check.sense[i] = '>';
    check.upper[p_ + i] = 0;
  }
  for (int j = 2; j <= p_; ++j) check.A(m_ + 1, j) = 1;
  check.b[m_ + 1] = 1;
  check.sense[m_ + 1] = '=';

  DenseProgram& farkas = farkas_->Program();
  farkas = DenseProgram::Empty(m_ + 2, p_ + 1);
  for (int j = 1; j <= p_; ++j) {
    for (int i = 1; i <= m_; ++i) farkas.A(j, i) = a_[i - 1][j - 1];
    if (j > 1) {
      farkas.A(j, m_ + 1) = 1;
      farkas.A(j, m_ + 2) = -1;
    }
  }
  for (int i = 1; i <= m_; ++i) farkas.A(p_ + 1, i) = 1;
  farkas.b[p_ + 1] = 1;
  farkas.c[m_ + 1] = 1;
  farkas.c[m_ + 2] = -1;
  implied_ = ImpliedRows(drop);
}

DropSearch::~DropSearch() = default;

DropSearch::Outcome DropSearch::Stopped(SolverStop stop) {
  stop_ = stop;
  return Outcome::kStopped;
}

bool DropSearch::Consistent(const std::vector<char>& dropped, std::vector<double>* solution) {
  DenseProgram& check = check_->Program();
  for (int i = 1; i <= m_; ++i) check.upper[p_ + i] = dropped[i - 1] ? kRelaxation : 0;
  if (check_->Solve() != SolveStatus::kOptimal) return false;
  if (solution != nullptr) {
    const std::vector<double>& x = check_->Values();
    solution->assign(x.begin() + 1, x.begin() + 1 + p_);
  }
  return true;
}

// The smallest set of rows that meets every conflict and contains no excluded set; a
// consistent set found on the way that contains none either is the one to beat. With
// `guess`, the hitting-set search's local search alone may answer with a set it does not
// prove the smallest (`proven` false): checking it costs a linear program, proving it
// may cost much more, and when it fails its conflicts are needed anyway.
DropSearch::Outcome DropSearch::Master(std::vector<int>& choice, bool& known, bool& proven,
                                       bool guess) {
  std::optional<std::vector<int>> best;
  for (const std::vector<int>& candidate : candidates_) {
    if ((!best || candidate.size() < best->size()) && Allowed(candidate)) best = candidate;
  }
  const int found = best ? static_cast<int>(best->size()) : 0;
  Report(found);
  choice.clear();
  known = false;
  proven = true;
  // Elements of the hitting set problem: the row numbers.
  HittingSet master(m_ + 1, conflicts_, excluded_, implied_, explored_, true);
  const int limit = best ? static_cast<int>(best->size()) : m_ + 1;
  std::vector<int> set;
  if (guess && master.Guess(limit, smallest_, hint_, set) == HittingSet::Result::kFound) {
    // One of the least size no set is below needs no proof.
    proven = static_cast<int>(set.size()) <= smallest_;
    choice = std::move(set);
    hint_ = choice;
    return Outcome::kFound;
  }
  // The rows a node of the search keeps, checked on the way: a conflict among them prunes
  // the node and joins the family.
  const HittingSet::Check check = [this](const std::vector<int>& kept) {
    return KeptConflict(kept);
  };
  if (checked_everywhere_) {
    master.SetCheck(check, 2, 8, true);
  } else {
    master.SetCheck(check);
  }
  const HittingSet::Result result = master.Solve(
      limit, smallest_, hint_, set, [this] { return port_ != nullptr && port_->PumpEvents(); });
  // What it went through stays valid: conflicts and excluded sets only ever join.
  explored_.insert(explored_.end(), master.NewlyExplored().begin(), master.NewlyExplored().end());
  if (result == HittingSet::Result::kStopped) return Stopped(SolverStop::kCancelled);
  // For the same reason no later set is smaller.
  smallest_ = result == HittingSet::Result::kFound ? static_cast<int>(set.size()) : limit;
  // A search goes on only while the set to beat is above the least size: parts holding
  // nothing below it are of no more use.
  std::erase_if(explored_,
                [&](const HittingSet::Explored& part) { return part.below <= smallest_; });
  if (result == HittingSet::Result::kFound || best) Report(found);
  if (result == HittingSet::Result::kFound) {
    choice = std::move(set);
    hint_ = choice;
    return Outcome::kFound;
  }
  // Nothing drops fewer than the choice to beat; without one, every set meeting the
  // conflicts contains an excluded one.
  if (!best) return Outcome::kNoMore;
  choice = *best;
  known = true;
  return Outcome::kFound;
}

void DropSearch::Report(int found) {
  if (!progress_ || reported_ == std::pair(smallest_, found)) return;
  reported_ = {smallest_, found};
  progress_(smallest_, found);
}

// No excluded set is part of `rows` (sorted).
bool DropSearch::Allowed(const std::vector<int>& rows) const {
  for (const std::vector<int>& set : excluded_) {
    if (std::includes(rows.begin(), rows.end(), set.begin(), set.end())) return false;
  }
  return true;
}

// Whether the choice `dropped` is consistent, by the Farkas program alone (its optimum is
// 0 exactly when it is: it is much smaller than the check, a row per column of the
// check's x); when not, its conflict, made minimal, joins the others. A proof too small
// to trust is settled by the check, unless it is smaller still: the optimum is the least
// t for which some x misses no kept row by more than t (the program's dual), so below
// SolverSession::FeasibleSum() / rows that x misses them all together by less than the
// check itself lets through.
DropSearch::Outcome DropSearch::Test(const std::vector<char>& dropped, bool& consistent,
                                     std::vector<int>& conflict) {
  consistent = false;
  DenseProgram& farkas = farkas_->Program();
  for (int i = 1; i <= m_; ++i) farkas.c[i] = b_[i - 1] - (dropped[i - 1] ? kRelaxation : 0);
  if (farkas_->Solve() != SolveStatus::kOptimal) {
    const SolverStop stop = farkas_->LastStop();
    return Stopped(stop == SolverStop::kNone ? SolverStop::kNumerical : stop);
  }
  const double proof = farkas_->Objective();
  if (!(proof > kDoubtfulProof)) {
    consistent = proof * m_ < SolverSession::FeasibleSum() || Consistent(dropped, nullptr);
    if (consistent) return Outcome::kFound;
    if (check_->LastStop() != SolverStop::kNone) return Stopped(check_->LastStop());
  }
  // The kept rows of the proof: they cannot hold together, whatever else is dropped.
  conflict.clear();
  const std::vector<double>& pi = farkas_->Values();
  for (int i = 1; i <= m_; ++i) {
    if (pi[i] > 0 && !dropped[i - 1]) conflict.push_back(i);
  }
  // Rows that cannot hold even with every other row relaxed: nothing restores
  // consistency.
  if (conflict.empty()) return Outcome::kNoMore;
  Reduce(conflict);
  AddConflict(conflict);
  return Outcome::kFound;
}

// A conflict among the rows `kept` (the others dropped), made minimal and added to the
// family; empty when they hold together, or when the programs cannot tell.
std::vector<int> DropSearch::KeptConflict(const std::vector<int>& kept) {
  std::vector<char> dropped(m_, 1);
  for (const int row : kept) {
    if (row >= 1 && row <= m_) dropped[row - 1] = 0;
  }
  const SolverStop stop = stop_;
  bool consistent = false;
  std::vector<int> conflict;
  if (Test(dropped, consistent, conflict) != Outcome::kFound || consistent) conflict.clear();
  stop_ = stop;
  return conflict;
}

// Keeps the family minimal as it grows, as the hitting-set search would make it (a set
// that contains another says nothing more), so that the search need not test it again
// each time: a conflict containing one known is left out, the known ones containing it
// go. A subset's rows are all among the set's, and so are the bits of its signature.
void DropSearch::AddConflict(const std::vector<int>& conflict) {
  std::uint64_t signature = 0;
  for (const int row : conflict) signature |= std::uint64_t{1} << (row % 64);
  auto includes = [](const std::vector<int>& set, const std::vector<int>& part) {
    return std::includes(set.begin(), set.end(), part.begin(), part.end());
  };
  for (size_t k = 0; k < conflicts_.size(); ++k) {
    if ((signatures_[k] & ~signature) == 0 && includes(conflict, conflicts_[k])) return;
  }
  size_t kept = 0;
  for (size_t k = 0; k < conflicts_.size(); ++k) {
    if ((signature & ~signatures_[k]) == 0 && includes(conflicts_[k], conflict)) continue;
    if (kept != k) {
      conflicts_[kept] = std::move(conflicts_[k]);
      signatures_[kept] = signatures_[k];
    }
    ++kept;
  }
  conflicts_.resize(kept);
  signatures_.resize(kept);
  conflicts_.push_back(conflict);
  signatures_.push_back(signature);
}

// Adds the conflict of the inconsistent choice `dropped`, made minimal.
DropSearch::Outcome DropSearch::Learn(const std::vector<char>& dropped,
                                      std::vector<int>& conflict) {
  if (check_->LastStop() != SolverStop::kNone) return Stopped(check_->LastStop());
  bool consistent = false;
  const Outcome tested = Test(dropped, consistent, conflict);
  // The check found no solution, the Farkas program no proof: the numbers are beyond
  // what either can decide.
  if (tested == Outcome::kFound && consistent) return Stopped(SolverStop::kNumerical);
  return tested;
}

// Keeps every row of the consistent choice `dropped` that can be kept, one by one in
// order (each row that cannot gives a conflict), and remembers the set left.
DropSearch::Outcome DropSearch::Shrink(std::vector<char>& dropped) {
  std::vector<int> conflict;
  for (int i = 1; i <= m_; ++i) {
    if (!dropped[i - 1]) continue;
    dropped[i - 1] = 0;
    bool consistent = false;
    if (const Outcome tested = Test(dropped, consistent, conflict); tested != Outcome::kFound) {
      return tested;
    }
    if (!consistent) dropped[i - 1] = 1;
  }
  std::vector<int> rows;
  for (int i = 1; i <= m_; ++i) {
    if (dropped[i - 1]) rows.push_back(i);
  }
  candidates_.push_back(std::move(rows));
  return Outcome::kFound;
}

DropSearch::Outcome DropSearch::Next(std::vector<int>& dropped, std::vector<double>& solution) {
  std::vector<int> choice;
  std::vector<int> conflict;
  bool guess = true;
  int stalled = 0;         // failed guesses none larger than the largest before them
  int largest_failed = 0;  // since the last proof
  for (;;) {
    if (port_ != nullptr && port_->PumpEvents()) return Stopped(SolverStop::kCancelled);
    bool known = false;
    bool proven = true;
    if (const Outcome master = Master(choice, known, proven, guess); master != Outcome::kFound) {
      return master;
    }
    std::vector<char> wider(m_, 0);
    for (const int i : choice) wider[i - 1] = 1;
    if (Consistent(wider, &solution)) {
      if (proven) {
        dropped = choice;
        return Outcome::kFound;
      }
      // A consistent guess: kept as small as it goes, the set the proof must beat.
      if (const Outcome shrunk = Shrink(wider); shrunk != Outcome::kFound) return shrunk;
      guess = false;
      continue;
    }
    if (known) return Stopped(SolverStop::kNumerical);  // held before, not now
    // Guesses that fail without growing (none larger than the largest since the last
    // proof) find sets the conflicts known cannot tell from the answer, and each runs its
    // local search to the end, as nothing proves a size below them: after so many, the
    // branch and bound's proof raises the least size instead, and the guesses after it
    // end at a set of that size.
    if (proven || static_cast<int>(choice.size()) > largest_failed) {
      stalled = 0;
      largest_failed = proven ? 0 : static_cast<int>(choice.size());
    } else {
      ++stalled;
    }
    guess = stalled < kStalledGuesses;
    // Its conflict joins the others, and so do the conflicts met on the way to a
    // consistent wider choice: the rows of each conflict are dropped in turn, except
    // those no choice may drop together with the others (the wider choice would contain
    // an excluded set), so that the conflicts found are ones the next choices must meet
    // too. The consistent choice reached, kept as small as it goes, is the one the next
    // smallest choices must beat.
    if (const Outcome learnt = Learn(wider, conflict); learnt != Outcome::kFound) return learnt;
    for (;;) {
      bool widened = false;
      for (const int i : conflict) {
        if (Droppable(wider, i)) {
          wider[i - 1] = 1;
          widened = true;
        }
      }
      if (!widened) break;
      bool consistent = false;
      if (const Outcome tested = Test(wider, consistent, conflict); tested != Outcome::kFound) {
        return tested;
      }
      if (consistent) {
        if (const Outcome shrunk = Shrink(wider); shrunk != Outcome::kFound) return shrunk;
        break;
      }
    }
  }
}

// Whether `row` may be dropped together with the rows `dropped`: no excluded set would
// then be dropped whole.
bool DropSearch::Droppable(const std::vector<char>& dropped, int row) const {
  for (const std::vector<int>& set : excluded_) {
    bool whole = true;
    for (const int i : set) whole = whole && (i == row || dropped[i - 1]);
    if (whole) return false;
  }
  return true;
}

// Makes the conflict minimal: a row goes when the rows left without it are still
// inconsistent on their own (rows alone, the others not even relaxed: a conflict
// without them fails with them too). A conflict not proven inconsistent on its own (its
// proof needs the relaxed rows too) stays as it is. The program holds the conflict's
// rows with a column r_t each, a_t x + r_t >= b_t: r_t in [0, 0] keeps the row, without
// an upper bound it leaves it out, so that every test after the first re-solves warm.
void DropSearch::Reduce(std::vector<int>& conflict) {
  const int count = static_cast<int>(conflict.size());
  DenseProgram& small = small_->Program();
  small = DenseProgram::Empty(p_ + count, count + 1);
  const double none = small.upper[1];  // the upper bound of an empty program's columns
  for (int t = 1; t <= count; ++t) {
    for (int j = 1; j <= p_; ++j) small.A(t, j) = a_[conflict[t - 1] - 1][j - 1];
    small.A(t, p_ + t) = 1;
    small.b[t] = b_[conflict[t - 1] - 1];
    small.sense[t] = '>';
    small.upper[p_ + t] = 0;
  }
  for (int j = 2; j <= p_; ++j) small.A(count + 1, j) = 1;
  small.b[count + 1] = 1;
  small.sense[count + 1] = '=';
  if (!RowsInconsistent()) return;
  std::vector<int> rows;
  int left = count;
  for (int t = 1; t <= count; ++t) {
    if (left > 1) {
      small.upper[p_ + t] = none;
      if (RowsInconsistent()) {
        --left;
        continue;
      }
      small.upper[p_ + t] = 0;
    }
    rows.push_back(conflict[t - 1]);
  }
  conflict = std::move(rows);
}

// Whether the rows the small program keeps are proven not to hold together; a solve
// that stops proves nothing, and the row tested stays in the conflict.
bool DropSearch::RowsInconsistent() { return small_->Solve() == SolveStatus::kInfeasible; }

void DropSearch::Exclude(const std::vector<int>& dropped) { excluded_.push_back(dropped); }

}  // namespace vido
