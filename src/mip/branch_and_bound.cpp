#include "mip/branch_and_bound.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "mip/basis_snapshot.h"
#include "mip/node_store.h"
#include "mip/pseudo_cost.h"
#include "solver/basis_file.h"
#include "solver/factorization.h"
#include "solver/simplex_driver.h"
#include "solver/simplex_iteration.h"
#include "support/support_routines.h"

namespace vido {

namespace {

constexpr double kWorstObjective = 1e30;
constexpr double kTieWidth = 0.001;
constexpr double kProductiveDive = 1e-5;
constexpr double kUpperCap = 1e19;
constexpr int32_t kDegradationSamples = 1000;
constexpr int32_t kLogInterval = 10000;
constexpr int32_t kRestartInits = 20;
constexpr int32_t kRestartNodes = 3000;
constexpr int32_t kSelectionCycle = 100;
constexpr double kTightFeasibleSum = 1e-9;

// The driver's verdict "infeasible" is confirmed from freshly computed basic values
// before a node is cut for it. A basic variable within the feasibility sum but a hair
// outside its bound counts as feasible during the iterations; a later pivot with a small
// pivot element can turn that hair into a real violation that the iterations no longer
// track, and the final check then reports a feasible relaxation as infeasible. Solving
// on from the recomputed values repairs it; a truly infeasible node stops again at once.
void SolveConfirmingInfeasibility(LpEngine& engine, bool write_back) {
  constexpr int kRetries = 3;
  LpSimplex(engine, write_back);
  for (int retry = 0; retry < kRetries; ++retry) {
    if (engine.iter.n_inf == 0 || engine.flags.unfinished || engine.flags.unbounded) return;
    const int32_t iterations = engine.iter.iteration_count;
    LpBasicValues(engine);
    if (engine.iter.n_inf == 0) {
      LpPricingVector(engine);
      if (write_back) LpWriteBack(engine);
      return;
    }
    LpSimplex(engine, write_back);
    if (engine.iter.iteration_count == iterations) return;
  }
}

// Bounds field number: width 12 with 9 - e decimals, e the integer part of log10 |v|.
std::string BoundText(double value) {
  const double magnitude = std::fabs(value);
  const int e = !(magnitude < 1e300) ? 300
                : magnitude >= 1     ? static_cast<int>(std::floor(std::log10(magnitude)))
                                     : 0;
  return FixedText(value, 12, std::max(0, 9 - e));
}

class Search {
 public:
  explicit Search(LpEngine& engine) : e_(engine), s_(engine.search) {}
  void Run();

 private:
  double Objective() const { return e_.iter.objective; }
  double CutOff() const { return e_.flags.maximise ? s_.LowerValue : s_.UpperValue; }
  double WorstValue() const { return e_.flags.maximise ? -kWorstObjective : kWorstObjective; }
  double Elapsed() const { return LpElapsed(e_); }
  int32_t Depth() const { return static_cast<int32_t>(path_.size()); }

  bool PrepareIntegerBounds();
  bool Dive();
  void EndOfDive();
  int32_t SolveChildren(int32_t base_index, int32_t pushed, bool& last_cut);
  bool SolveChild(int32_t index, bool last);
  void KeepBestChild(int32_t base_index, bool& reapply);
  void ReapplyTop();
  bool RecordIntegerSolution();
  bool PolishIntegerSolution();
  bool SettleIntegralNode();
  void Prune();
  void ClearTree();
  void SelectNode();
  void Finish();
  void Restart();

  BasisSnapshot& BaseSnapshot() {
    return base_index_ > 0 ? path_[base_index_ - 1].snapshot : base_snapshot_;
  }
  LpColumn& ColumnOf(const BoundChange& change) { return e_.Column(e_.column_hash[change.column]); }
  void ApplyChange(int32_t index);
  void UndoChange(int32_t index);
  void Restore(BasisSnapshot& snapshot, double expected);
  void NodeSolve();
  void ParkPathNode(int32_t index);
  void ShowBounds();
  void Log(const std::string& tail);
  bool AllIntegral() const;
  void ComputeTolerances();

  LpEngine& e_;
  LpSearchState& s_;
  NodeStore store_;
  std::vector<PathNode> path_;
  BasisSnapshot root_snapshot_;
  std::vector<int32_t> base_changes_;
  BasisSnapshot base_snapshot_;
  int32_t base_index_ = 0;
  double dive_start_ = 0;
  int32_t depth_unit_ = 7;
  int32_t dive_limit_ = 70;
  double reference_time_ = 0;
  double average_degradation_ = 1.0;
  int32_t degradation_samples_ = 0;
  int32_t selection_counter_ = 0;
  int32_t last_log_ = 0;
  int32_t last_restart_ = 0;
  int32_t last_switch_nodes_ = 0;
  int32_t last_switch_depth_ = 1;
  std::vector<double> incumbent_;
  std::vector<double> tolerance_;  // integrality tolerance by hash slot  // every column's value in
                                   // the best integer solution
};

void Search::ApplyChange(int32_t index) {
  const BoundChange change = FetchBoundChange(e_, store_, index);
  LpColumn& column = ColumnOf(change);
  if (change.direction == kDownBranch) {
    column.upper = change.new_bound;
  } else {
    column.lower = change.new_bound;
  }
}

void Search::UndoChange(int32_t index) {
  const BoundChange change = FetchBoundChange(e_, store_, index);
  LpColumn& column = ColumnOf(change);
  if (change.direction == kDownBranch) {
    column.upper = change.old_bound;
  } else {
    column.lower = change.old_bound;
  }
}

void Search::Restore(BasisSnapshot& snapshot, double expected) {
  if (!RestoreSnapshot(e_, snapshot, expected)) e_.flags.unfinished = true;
}

void Search::NodeSolve() {
  if (e_.flags.unfinished || !e_.flags.setup_done) return;
  e_.flags.numerical_trouble = false;
  SolveConfirmingInfeasibility(e_, false);
  // A relaxation given up for numerical trouble proves neither that the node holds no
  // solution nor its bound: cutting it could lose the optimum, and a search that cut it
  // would report a verdict it never proved.
  if (e_.flags.numerical_trouble) e_.flags.unfinished = true;
}

void Search::ShowBounds() {
  e_.trace.TraceField(BoundsField, BoundText(s_.LowerValue) + " " + BoundText(s_.BestOpenBound) +
                                       " " + BoundText(s_.UpperValue));
  e_.trace.TraceField(IncumbentNodeField2, IntText(s_.SearchedNodes, 8));
}

void Search::Log(const std::string& tail) {
  if (!e_.settings.log_file) return;
  e_.trace.AppendLogLine("Searched " + IntText(s_.SearchedNodes) + " Open " +
                         IntText(s_.WaitingCount + s_.SwappedCount) + " time=" +
                         FormatElapsed(Elapsed()) + " " + LongGeneral(s_.LowerValue) + " " +
                         LongGeneral(s_.BestOpenBound) + " " + LongGeneral(s_.UpperValue) + tail);
}

bool Search::AllIntegral() const {
  for (int32_t p = 1; p < e_.row_count; ++p) {
    const LpColumn& column = e_.Column(p);
    if (NeedsBranching(column, e_.xB[p], tolerance_[column.hash_slot])) return false;
  }
  return true;
}

// A value counts as integral when rounding it moves no row's activity by more than
// INTEGER-CRIT: the tolerance of a column is INTEGER-CRIT divided by its largest
// coefficient (at least 1). With the plain tolerance a binary with coefficient 999 at
// 2.6e-8 passed for 0, and the solution returned, rounded, violated its row by 2.6e-5.
void Search::ComputeTolerances() {
  const double crit = e_.settings.integer_crit;
  int32_t slots = 0;
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    slots = std::max(slots, e_.Column(p).hash_slot + 1);
  }
  tolerance_.assign(slots, crit);
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    const LpColumn& column = e_.Column(p);
    double scale = 1;
    for (const LpEntry& entry : column.entries) scale = std::max(scale, std::fabs(entry.value));
    tolerance_[column.hash_slot] = crit / scale;
  }
}

// Integer bounds made integral (upper down, lower up); every upper bound at most 1e19.
// When a bound of the root solution moved, the root is solved again on the new bounds.
bool Search::PrepareIntegerBounds() {
  bool moved = false;
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    LpColumn& column = e_.Column(p);
    if (!column.is_integer) continue;
    if (column.upper > kInfinite) {
      ShowMessageText(*e_.port, "INTEGER VARIABLE " + column.name + " HAS NO UPPER BOUND");
      return false;
    }
    if (std::nearbyint(column.upper) != column.upper) {
      column.upper = std::floor(column.upper);
      moved = true;
    }
    if (column.lower < -kInfinite) {
      ShowMessageText(*e_.port, "INTEGER VARIABLE " + column.name + " HAS NO LOWER BOUND");
      return false;
    }
    if (std::nearbyint(column.lower) != column.lower) {
      column.lower = std::floor(column.lower) + 1;
      moved = true;
    }
  }
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    LpColumn& column = e_.Column(p);
    column.upper = std::min(column.upper, kUpperCap);
    // A range such as [2.1, 2.3] holds no whole number: the rounded bounds cross, which
    // the simplex would not notice, so the program has no integer solution.
    if (column.is_integer && column.lower > column.upper) return false;
  }
  if (moved) {
    LpBasicValues(e_);
    SolveConfirmingInfeasibility(e_, true);
    if (e_.iter.n_inf > 0 || e_.flags.unbounded) return false;
  }
  return true;
}

void Search::Run() {
  if (e_.flags.unfinished) {
    e_.trace.TraceLine("OPTIMIZATION NOT YET FINISHED TOO MANY ITERATIONS");
    return;
  }
  depth_unit_ = std::max(1, e_.parameters->IntegerParameter("SUCH-TIEFE"));
  dive_limit_ = 10 * depth_unit_;
  s_.WaitingLimit = InitialWaitingLimit();
  reference_time_ = e_.factor.inversion_duration;
  SaveSnapshot(e_, root_snapshot_);
  s_.SearchedNodes = 0;
  store_.file_name = EngineFileName(e_.problem_name, "FIL");
  e_.trace.TraceHeader();
  average_degradation_ = 1.0;
  degradation_samples_ = 0;
  last_log_ = last_restart_ = 0;
  if (!PrepareIntegerBounds()) return;
  ComputeTolerances();
  SaveSnapshot(e_, root_snapshot_);
  if (e_.settings.pse) ReadPseudoCosts(e_);

  path_.clear();
  s_.SwappedCount = 0;
  s_.WaitingCount = 0;
  s_.InSearch = true;
  s_.RootObjective = s_.BestOpenBound = Objective();
  s_.PseudoCostInits = 0;
  s_.TieCount = 0;
  s_.IncumbentNode = 0;
  e_.trace.TraceField(IntegerSolutionField, "     ");
  if (s_.HasIntegerSolution) e_.trace.TraceField(IntegerSolutionField, "INT. SOL. FOUND");
  if (e_.flags.maximise) {
    s_.UpperValue = Objective();
    s_.LowerValue = std::max(e_.settings.lo_limit, s_.LowerValue);
  } else {
    s_.LowerValue = Objective();
    s_.UpperValue = std::min(e_.settings.up_limit, s_.UpperValue);
  }
  base_changes_.clear();
  base_snapshot_ = root_snapshot_;
  ShowBounds();
  selection_counter_ = 0;

  while (true) {
    Dive();
    EndOfDive();
    if (e_.trace.CancelRequested()) e_.flags.unfinished = e_.flags.cancelled = true;
    if (e_.flags.unfinished) {
      ClearTree();
      break;
    }
    if (e_.settings.restart && s_.PseudoCostInits > kRestartInits &&
        s_.SearchedNodes - last_restart_ > kRestartNodes) {
      Restart();
      if (e_.flags.unfinished) {
        ClearTree();
        break;
      }
      continue;
    }
    if (s_.WaitingCount < 2 && s_.SwappedCount > 0) SwapInBest(e_, store_);
    if (store_.waiting.empty()) break;
    SelectNode();
  }
  Finish();
}

// One dive from the current base: branch, solve both children, keep the better one and
// park the other, until the node is integral, every child is cut, or the dive stops
// paying (too deep, or the objective fell by more than DiveLimit average steps).
bool Search::Dive() {
  while (true) {
    if (path_.empty()) dive_start_ = Objective();
    const double prior_objective = Objective();
    const int32_t prior_depth = Depth();
    int32_t fractional = 0;
    int32_t pushed = ChooseAndBranch(e_, store_, path_, fractional, &tolerance_);
    if (pushed == 0) {
      if (SettleIntegralNode()) return true;
      pushed = ChooseAndBranch(e_, store_, path_, fractional, &tolerance_);
      if (pushed == 0) return true;
    }
    base_index_ = prior_depth;
    s_.BaseObjective = base_index_ > 0 ? path_[base_index_ - 1].objective : Objective();
    bool last_cut = false;
    SolveChildren(base_index_, pushed, last_cut);
    if (e_.flags.unfinished) return false;
    if (Depth() == base_index_) return false;

    degradation_samples_ = std::min(kDegradationSamples, degradation_samples_ + 1);
    average_degradation_ = (std::fabs(Objective() - prior_objective) +
                            (degradation_samples_ - 1) * average_degradation_) /
                           degradation_samples_;
    if (last_cut) ReapplyTop();
    bool reapply = false;
    KeepBestChild(base_index_, reapply);
    if (prior_depth >= 1) ReleaseSnapshot(path_[prior_depth - 1].snapshot);
    if (reapply) {
      ++e_.factor.inversion_count;
      ReapplyTop();
    }
    if (e_.flags.unfinished) return false;
    if (Depth() <= dive_limit_ &&
        std::fabs(Objective() - dive_start_) <= dive_limit_ * average_degradation_) {
      continue;
    }
    UndoChange(path_.back().change);
    ParkPathNode(Depth());
    return false;
  }
}

int32_t Search::SolveChildren(int32_t base_index, int32_t pushed, bool& last_cut) {
  int32_t index = base_index + 1;
  int32_t kept = 0;
  for (int32_t k = 0; k < pushed; ++k) {
    const bool last = k == pushed - 1;
    const bool cut = SolveChild(index, last);
    if (last) last_cut = cut;
    if (!cut) {
      ++index;
      ++kept;
    }
    if (e_.flags.unfinished) break;
  }
  return kept;
}

// Solves the child at path index `index` (1-based) from the parent's basis. A cut child
// leaves the path; a kept one keeps its snapshot. Unless it is the last child the parent
// is restored for its sibling. True when the child was cut.
bool Search::SolveChild(int32_t index, bool last) {
  e_.trace.TraceField(OpenNodesField, IntText(s_.WaitingCount + s_.SwappedCount, 6));
  PathNode& node = path_[index - 1];
  const BoundChange change = FetchBoundChange(e_, store_, node.change);
  LpColumn& column = ColumnOf(change);
  ApplyChange(node.change);
  const std::string prefix = IntText(node.fractional_count, 4) + " " + PadRight(column.name, 12) +
                             IntText(change.new_bound, 4) + " " +
                             (change.direction == kDownBranch ? "U" : "L") + " " +
                             FixedText(node.branch_value, 10, 5);
  e_.trace.current_line = prefix;
  bool interrupted = e_.flags.unfinished;
  if (!interrupted) {
    LpBasicValues(e_);
    SolveConfirmingInfeasibility(e_, false);
    interrupted = e_.flags.unfinished;
    if (e_.factor.inversion_duration > 10 * reference_time_) {
      s_.WaitingLimit = std::max(5, s_.WaitingCount - 10);
      e_.trace.TraceLine("Standard_time=" + ShortGeneral(reference_time_) + " neu " +
                         ShortGeneral(e_.factor.inversion_duration));
    }
  }
  const bool infeasible = e_.iter.n_inf > 0;
  node.objective = infeasible ? WorstValue() : Objective();
  // A solve cut short by a limit or a cancel tells nothing about the child.
  s_.NodeCut = interrupted || infeasible || Worse(e_, node.objective, CutOff());
  if (!s_.NodeCut && AllIntegral() && !SettleIntegralNode()) {
    node.objective = Objective();  // solved again, fractional: the child stays
  }
  if (e_.settings.iteration_log != 0) e_.trace.current_line = prefix;
  if (!interrupted) {
    if (!infeasible && e_.settings.pse) {
      LearnPseudoCost(e_, column, change.direction, node.branch_value, change.new_bound,
                      node.objective);
    } else if (infeasible) {
      PenalisePseudoCost(column, change.direction);
      e_.trace.current_line += " INFEASIBLE";
    }
  }
  if (s_.NodeCut) {
    if (!infeasible) {
      e_.trace.current_line += IntText(base_index_, 4) + IntText(index, 4) + " " +
                               FixedText(node.objective, 14, 6) + "  CUTOFF";
    }
    e_.trace.TraceLine(e_.trace.current_line);
    ReleaseSnapshot(node.snapshot);
    UndoChange(node.change);
    Restore(BaseSnapshot(), s_.BaseObjective);
    path_.erase(path_.begin() + (index - 1));
    return true;
  }
  SaveSnapshot(e_, node.snapshot);
  e_.trace.TraceLine(e_.trace.current_line + IntText(base_index_, 4) + IntText(index, 4) + " " +
                     FixedText(node.objective, 14, 6));
  if (!last) {
    UndoChange(node.change);
    Restore(BaseSnapshot(), s_.BaseObjective);
  }
  return false;
}

// The top child is kept unless a sibling below it is better by more than INTEGER-CRIT;
// every other child is parked.
void Search::KeepBestChild(int32_t base_index, bool& reapply) {
  const double crit = e_.settings.integer_crit;
  double best = path_.back().objective;
  reapply = false;
  for (int32_t index = Depth() - 1; index > base_index; --index) {
    const double objective = path_[index - 1].objective;
    const bool not_better = e_.flags.maximise ? objective - crit < best : objective + crit > best;
    if (not_better) {
      ParkPathNode(index);
      continue;
    }
    if (!reapply) {
      UndoChange(path_.back().change);
      Restore(BaseSnapshot(), s_.BaseObjective);
    }
    best = objective;
    ParkPathNode(Depth());
    reapply = true;
  }
}

// The snapshot is saved again afterwards, so that the node's children restore it by
// cutting the update file back instead of refactorising.
void Search::ReapplyTop() {
  PathNode& top = path_.back();
  ApplyChange(top.change);
  Restore(top.snapshot, top.objective);
  NodeSolve();
  SaveSnapshot(e_, top.snapshot);
}

// Moves the path node at `index` (1-based) to the waiting list: its changes are those
// of the dive's base, of the path nodes above it and its own.
void Search::ParkPathNode(int32_t index) {
  PathNode& node = path_[index - 1];
  WaitingNode waiting;
  waiting.fractional_count = node.fractional_count;
  waiting.branch_value = node.branch_value;
  waiting.bound = node.objective;
  waiting.snapshot = std::move(node.snapshot);
  waiting.changes = base_changes_;
  // Its ancestors on the path: a sibling below it is not one.
  const int32_t ancestors = std::min(index - 1, base_index_);
  for (int32_t k = 1; k <= ancestors; ++k) waiting.changes.push_back(path_[k - 1].change);
  waiting.changes.push_back(node.change);
  path_.erase(path_.begin() + (index - 1));
  ParkWaitingNode(e_, store_, std::move(waiting));
}

// The relaxation is integral within the tolerances; the solution recorded is the one with
// every integer column exactly at its rounded value and the continuous columns solved
// again for those values (the integer columns leave the basis for their rows' logicals,
// fixed). Rounding alone would move the rows: a binary 2.6e-8 off with coefficient 999
// shifts its row by 2.6e-5. False, with the bounds and values of the node unchanged,
// when the rounded values admit no solution. The solution is written into the columns.
bool Search::PolishIntegerSolution() {
  struct Saved {
    LpColumn* column;
    double lower;
    double upper;
  };
  const int32_t m = e_.row_count;
  std::vector<Saved> saved;
  bool exact = true;
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    LpColumn& column = e_.Column(p);
    if (!column.is_integer) continue;
    const double x = p <= m ? e_.xB[p] : (column.status == kAtUpper ? column.upper : column.lower);
    const double r = std::nearbyint(x);
    exact = exact && std::fabs(x - r) <= kZeroTolerance;
    saved.push_back({&column, column.lower, column.upper});
    column.lower = column.upper = r;
  }
  // The recorded solution must hold with the tight feasibility sum: with coefficients of
  // 999 the usual sum let a set of rows pass for a drop set that is one only within it.
  e_.iter.feasible_sum = kTightFeasibleSum;
  bool solved = true;
  if (exact) {
    LpBasicValues(e_);
    if (e_.iter.n_inf > 0) {
      SolveConfirmingInfeasibility(e_, false);
      solved = e_.iter.n_inf == 0 && !e_.flags.unfinished;
    }
  } else {
    for (int32_t p = 1; p < m; ++p) {
      LpColumn& column = e_.Column(p);
      if (!column.is_integer) continue;
      for (int32_t q = m + 1; q <= e_.column_count; ++q) {
        const LpColumn& logical = e_.Column(q);
        if (logical.kind >= kSlackOfL && logical.kind <= kSlackOfE && logical.EntryCount() == 1 &&
            logical.entries[0].row == p) {
          LpSwapColumns(e_, p, q);
          e_.Column(q).status = kAtLower;
          e_.Column(p).status = kBasic;
          break;
        }
      }
    }
    if (!LpInversion(e_)) {
      e_.flags.unfinished = true;
      solved = false;
    } else {
      SolveConfirmingInfeasibility(e_, false);
      solved = e_.iter.n_inf == 0 && !e_.flags.unfinished;
    }
  }
  e_.iter.feasible_sum = LpIterationState{}.feasible_sum;
  if (solved) LpWriteBack(e_);
  for (const Saved& entry : saved) {
    LpColumn& column = *entry.column;
    column.lower = entry.lower;
    column.upper = entry.upper;
    const int32_t position = e_.column_hash[column.hash_slot];
    if (position > m) {
      column.status = column.value == column.upper && solved ? kAtUpper : kAtLower;
    }
  }
  return solved;
}

// The relaxation is integral within the tolerances. True when the node is settled: its
// solution recorded, or the node cut. When the rounded values admit no solution the
// relaxation was integral only thanks to the feasibility sum (a basic binary fixed at 0
// by the branching and 2.6e-8 above it, with coefficient 999 in its row, passes): the
// node is solved again from the same basis with the tight sum. It is cut when that
// finds it infeasible or no better than the cut-off, settled when the new solution is
// integral, and otherwise (false) left, fractional, to be branched on. Cutting it at
// once lost the optimum whenever the node held it.
bool Search::SettleIntegralNode() {
  BasisSnapshot node_basis;
  SaveSnapshot(e_, node_basis);
  const double objective = Objective();
  if (RecordIntegerSolution()) return true;
  Restore(node_basis, objective);
  e_.iter.feasible_sum = kTightFeasibleSum;
  LpBasicValues(e_);
  NodeSolve();
  e_.iter.feasible_sum = LpIterationState{}.feasible_sum;
  s_.NodeCut = e_.flags.unfinished || e_.iter.n_inf > 0 || Worse(e_, Objective(), CutOff());
  if (s_.NodeCut) return true;
  if (AllIntegral()) {
    if (!RecordIntegerSolution()) s_.NodeCut = true;
    return true;
  }
  return false;
}

// True when the solution was recorded; false, with the node's bounds back but not its
// basis, when the rounded values admit no solution.
bool Search::RecordIntegerSolution() {
  if (!PolishIntegerSolution()) {
    s_.NodeCut = true;
    return false;
  }
  e_.trace.TraceField(IntegerSolutionField, "INT. SOL. FOUND");
  const double crit = e_.settings.integer_crit;
  if (e_.flags.maximise) {
    s_.LowerValue = std::max(Objective() + crit, s_.LowerValue);
  } else {
    s_.UpperValue = std::min(Objective() - crit, s_.UpperValue);
  }
  ShowBounds();
  s_.NodeCut = true;
  e_.trace.TraceField(IncumbentNodeField, IntText(s_.SearchedNodes, 8));
  e_.trace.TraceField(IncumbentNodeField2, IntText(s_.SearchedNodes, 8));
  Log(" INT SOLUTION FOUND " + LongGeneral(Objective()));
  const int32_t m = e_.row_count;
  for (int32_t p = m + 1; p <= e_.column_count; ++p) {
    LpColumn& column = e_.Column(p);
    if (std::fabs(column.upper - column.lower) <= kZeroTolerance) column.status = kAtLower;
  }
  for (int32_t p = m + 1; p <= e_.column_count; ++p) LpReducedCost(e_, p);
  s_.HasIntegerSolution = true;
  s_.IncumbentNode = s_.SearchedNodes;
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    LpColumn& column = e_.Column(p);
    if (p <= m) column.reduced_cost = 0;
    column.integer_value = static_cast<float>(column.value);
    column.integer_reduced_cost = static_cast<float>(column.reduced_cost);
  }
  // Keyed by hash slot, since positions move before the search ends.
  std::vector<double> by_slot;
  for (int32_t p = 1; p <= e_.column_count; ++p) {
    const LpColumn& column = e_.Column(p);
    if (column.hash_slot >= static_cast<int32_t>(by_slot.size())) {
      by_slot.resize(column.hash_slot + 1, 0.0);
    }
    by_slot[column.hash_slot] = column.value;
  }
  incumbent_ = std::move(by_slot);
  Prune();
  e_.trace.TraceLine("INTEGER SOLUTION FOUND");
  return true;
}

void Search::Prune() {
  int32_t removed = 0;
  while (!store_.waiting.empty() && Worse(e_, store_.waiting.back().bound, CutOff())) {
    UnlinkWaitingNode(store_, std::prev(store_.waiting.end()));
    --s_.WaitingCount;
    ++removed;
  }
  removed += PruneSwapIndex(e_, store_, CutOff());
  s_.CutCount = removed;
  if (removed > 0) {
    e_.trace.TraceField(OpenNodesField, IntText(s_.WaitingCount + s_.SwappedCount, 6));
    const std::string line = IntText(removed) + " NODES CUT";
    e_.trace.TraceLine(line);
    if (e_.settings.log_file) e_.trace.AppendLogLine(line);
  }
}

void Search::ClearTree() {
  while (!path_.empty()) {
    UndoChange(path_.back().change);
    path_.pop_back();
  }
  store_.waiting.clear();
  store_.node_bytes = 0;
  s_.WaitingCount = 0;
  CloseSwapFile(e_, store_);
  DeleteSwapFile(e_, store_);
  s_.WaitingLimit = InitialWaitingLimit();
  ClearBoundChangeStore(store_);
  e_.trace.TraceField(BoundCountField, "     ");
  e_.trace.TraceField(PseudoCostCountField, "     ");
}

void Search::EndOfDive() {
  const double objective = Objective();
  if (dive_limit_ == 10 * depth_unit_ && std::fabs(objective - dive_start_) > kProductiveDive) {
    dive_limit_ = depth_unit_;
    last_switch_nodes_ = s_.SearchedNodes;
    last_switch_depth_ = Depth();
  } else if (s_.SearchedNodes - last_switch_nodes_ > 5 * last_switch_depth_) {
    dive_limit_ = 10 * depth_unit_;
  }
  while (!path_.empty()) {
    UndoChange(path_.back().change);
    path_.pop_back();
  }
  ReleaseSnapshot(base_snapshot_);
  for (auto it = base_changes_.rbegin(); it != base_changes_.rend(); ++it) UndoChange(*it);
  base_changes_.clear();
  base_index_ = 0;
  if (e_.settings.log_file && s_.SearchedNodes - last_log_ > kLogInterval) {
    last_log_ = s_.SearchedNodes;
    Log("");
  }
}

// The tree is dropped and the search branches again from the root, keeping the
// incumbent, the cut-offs and the learned pseudo-costs.
void Search::Restart() {
  s_.PseudoCostInits = 0;
  last_restart_ = s_.SearchedNodes;
  ClearTree();
  e_.trace.TraceField(PseudoCostCountField, "     ");
  if (!LpLoadBasis(e_)) {
    e_.flags.unfinished = true;
    return;
  }
  // The basis is the last node's (or the file's): solve the root on its own bounds so
  // that the branching starts from the root's solution.
  LpBasicValues(e_);
  NodeSolve();
  base_changes_.clear();
  base_snapshot_ = BasisSnapshot{};
}

void Search::SelectNode() {
  std::list<WaitingNode>& list = store_.waiting;
  const double head_bound = list.front().bound;
  s_.BestOpenBound = head_bound;
  s_.TieCount = 0;
  for (auto it = std::next(list.begin()); it != list.end(); ++it) {
    if (std::fabs(it->bound - head_bound) >= kTieWidth) break;
    ++s_.TieCount;
  }
  e_.trace.TraceField(TieField, s_.TieCount == 0 ? "    " : IntText(s_.TieCount) + " ");
  --s_.WaitingCount;
  ++selection_counter_;
  ShowBounds();
  const bool worst_first =
      e_.settings.max_memory_mb * 1e6 < static_cast<double>(HeapBytes(e_, store_)) ||
      s_.SwappedCount > 0;
  if (s_.TieCount <= std::lround(0.9 * s_.WaitingCount)) {
    s_.StrategyShare1 = 0;
    s_.StrategyShare2 = 100;
  } else {
    s_.StrategyShare1 = 100;
    s_.StrategyShare2 = 100;
  }

  auto chosen = list.begin();
  auto pick = [&](auto begin, auto end, auto key, bool smallest) {
    auto best = begin;
    for (auto it = begin; it != end; ++it) {
      if (smallest ? key(*it) < key(*best) : key(*it) > key(*best)) best = it;
    }
    int32_t same = 0;
    for (auto it = std::next(best); it != end; ++it) same += key(*it) == key(*best) ? 1 : 0;
    if (s_.TieCount != 0) {
      e_.trace.TraceField(StrategyField,
                          IntText(key(*best)) + " " + IntText(same) + std::string(6, ' '));
    }
    return best;
  };
  auto fractional = [](const WaitingNode& n) { return n.fractional_count; };
  auto depth = [](const WaitingNode& n) { return n.Depth(); };
  if (worst_first) {
    if (s_.SwappedCount > 0) SwapInWorst(e_, store_);
    chosen = std::prev(list.end());
  } else if (s_.StrategyShare2 < selection_counter_) {
    e_.trace.TraceLine("Strat-3");
    chosen = pick(list.begin(), list.end(), fractional, true);
  } else if (s_.TieCount == 0) {
    chosen = list.begin();
  } else {
    auto group_end = list.begin();
    std::advance(group_end, std::min<int32_t>(s_.TieCount, static_cast<int32_t>(list.size())));
    if (s_.StrategyShare1 < selection_counter_) {
      e_.trace.TraceLine("Strat-2");
      chosen = pick(list.begin(), group_end, depth, true);
    } else {
      e_.trace.TraceLine("Strat-1");
      chosen = pick(list.begin(), group_end, depth, false);
    }
  }
  if (selection_counter_ > kSelectionCycle) selection_counter_ = 0;

  WaitingNode node = UnlinkWaitingNode(store_, chosen);
  base_changes_ = std::move(node.changes);
  base_snapshot_ = std::move(node.snapshot);
  base_index_ = 0;
  for (int32_t index : base_changes_) ApplyChange(index);
  ++e_.factor.inversion_count;
  Restore(base_snapshot_, node.bound);
  // The snapshot is the node's optimal basis; solving again only confirms it, and
  // repairs the solution should the refactorisation have had to change the basis.
  NodeSolve();
  SaveSnapshot(e_, base_snapshot_);
  if (s_.SwappedCount > 0 && s_.WaitingCount < s_.WaitingLimit / 2) SwapInBest(e_, store_);
}

void Search::Finish() {
  e_.trace.TraceField(OpenNodesField, IntText(s_.WaitingCount + s_.SwappedCount, 6));
  const std::string elapsed = "ELAPSED TIME " + FormatElapsed(Elapsed()) + " s";
  if (s_.HasIntegerSolution) {
    e_.trace.TraceLine("INTEGER SOLUTION FOUND: Searched nodes " + IntText(s_.SearchedNodes));
    e_.trace.TraceLine(elapsed);
  } else {
    e_.trace.TraceLine("INTEGERproblem is infeasible");
    e_.trace.TraceLine("Iteration finished: Searched nodes " + IntText(s_.SearchedNodes));
    e_.trace.TraceLine(elapsed);
  }
  // The user who stopped the search needs no box to say so.
  if (e_.flags.unfinished && !e_.flags.cancelled) {
    ShowMessageText(*e_.port, "OPTIMIZATION Cancelled");
  } else if (!e_.flags.unfinished && store_.file_exists) {
    CloseSwapFile(e_, store_);
    DeleteSwapFile(e_, store_);
  }
  e_.trace.TraceField(SolverStatusField, "");
  e_.trace.PumpEvents();
  s_.InSearch = false;
  ReleaseSnapshot(base_snapshot_);
  if (e_.flags.setup_done) LpBasicValues(e_);
  ClearBoundChangeStore(store_);
  path_.clear();
  path_.shrink_to_fit();
  // The columns carry the incumbent, continuous ones included: the branchings since it
  // was found have overwritten the values of the basic columns.
  if (s_.HasIntegerSolution && !incumbent_.empty()) {
    for (int32_t p = 1; p <= e_.column_count; ++p) {
      LpColumn& column = e_.Column(p);
      if (column.hash_slot < static_cast<int32_t>(incumbent_.size())) {
        column.value = incumbent_[column.hash_slot];
      }
    }
  }
  if (e_.settings.log_file) {
    e_.trace.AppendLogLine("Iteration finished: Searched nodes " + IntText(s_.SearchedNodes) +
                           " time=" + FormatElapsed(Elapsed()));
    if (s_.HasIntegerSolution) e_.trace.AppendLogLine("INT SOLUTION FOUND");
  }
}

}  // namespace

void BranchAndBoundSearch(LpEngine& engine) {
  Search search(engine);
  search.Run();
  engine.search.InSearch = false;
}

void IntegerSolve(LpEngine& engine) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return;
  const double start = NowSeconds();
  engine.solve_start = start;
  if (engine.factor.inversion_count == 1 && !LpCrashBasis(engine)) return;
  engine.flags.unfinished = false;
  engine.flags.cancelled = false;
  engine.flags.numerical_trouble = false;
  SolveConfirmingInfeasibility(engine, true);
  // A root relaxation given up for numerical trouble proves no infeasibility.
  if (engine.flags.numerical_trouble && engine.iter.n_inf > 0) engine.flags.unfinished = true;
  if (!engine.flags.unfinished && engine.iter.n_inf == 0) {
    DeleteNamedFile(EngineFileName(engine.problem_name, "INF"));
    if (!engine.flags.unbounded) BranchAndBoundSearch(engine);
  }
  engine.elapsed_time += NowSeconds() - start;
  engine.solve_start = NowSeconds();
}

}  // namespace vido
