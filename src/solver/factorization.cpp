#include "solver/factorization.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "solver/simplex_driver.h"
#include "solver/simplex_iteration.h"
#include "support/support_routines.h"

namespace vido {

namespace {

constexpr double kTriangularPivot = 1e-5;  // smallest pivot of the triangular parts
constexpr double kBumpTolerance = 1e-11;   // pivot, drop and margin in the bump
constexpr double kEtaDrop = 1e-13;         // drop tolerance of pass B and of pivots
// In eta entries: about what 2 ms of INVERSION cost, the floor the rule always had.
constexpr double kShortestInversion = 2e6;
constexpr int32_t kEtasBeforeTimedRefactor = 50;
constexpr double kRefactorTimeFactor = 3;

// Memory field and smallest-pivot field of the trace display.
constexpr TracePosition kMemoryField{1, 63};
constexpr TracePosition kPivotField{2, 63};

using Eta = std::vector<LpEntry>;  // first entry: pivot row and reciprocal pivot

bool Quiet(const LpEngine& engine) { return engine.search.InSearch; }

// One INVERSION. Rows are not renumbered while it runs: entries keep the row index they
// had at the start (the row's id), and row_at_/pos_of_ record where every row stands.
// The permutation is applied to every column, the etas and the row table once at the
// end, which is what swapping the rows one by one would have produced.
class Inverter {
 public:
  explicit Inverter(LpEngine& engine) : e_(engine), m_(engine.row_count) {}

  bool Run();

 private:
  int32_t Pos(int32_t id) const { return pos_of_[id]; }
  void SwapRowPositions(int32_t a, int32_t b) {
    if (a == b) return;
    const int32_t ra = row_at_[a];
    const int32_t rb = row_at_[b];
    row_at_[a] = rb;
    row_at_[b] = ra;
    pos_of_[ra] = b;
    pos_of_[rb] = a;
  }
  // Exchanges two column positions and keeps the scratch positions of basic columns.
  void SwapColumns(int32_t a, int32_t b) {
    if (a == b) return;
    LpSwapColumns(e_, a, b);
    for (int32_t p : {a, b}) {
      const int32_t k = e_.Column(p).work;
      if (k >= 0 && k < static_cast<int32_t>(local_pos_.size())) local_pos_[k] = p;
    }
  }
  // Puts the non-basic column at `outside` into the basis at `inside`.
  void ReplaceBasic(int32_t inside, int32_t outside) {
    LpColumn& leaving = e_.Column(inside);
    leaving.status = kAtLower;
    leaving.work = -1;
    LpSwapColumns(e_, inside, outside);
    e_.Column(inside).status = kBasic;
    e_.Column(inside).work = -1;
  }
  int32_t OneEntryRow(int32_t position) const { return Pos(e_.Column(position).entries[0].row); }
  // Sorts the one-entry columns at from..to by their row. Rows that are all different
  // have one order only, which a placement by row gives in one pass; with a row twice
  // (a basis to repair) the quicksort decides, as it always has.
  void SortOneEntryBlock(int32_t from, int32_t to) {
    if (from > to) return;
    std::vector<int32_t>& at_row = scratch_rows_;
    at_row.assign(m_ + 1, 0);
    bool distinct = true;
    for (int32_t p = from; p <= to && distinct; ++p) {
      int32_t& slot = at_row[OneEntryRow(p)];
      distinct = slot == 0;
      slot = p;
    }
    if (!distinct) {
      LpQuickSort(
          from, to, [this](int32_t p) { return static_cast<double>(OneEntryRow(p)); },
          [this](int32_t a, int32_t b) { LpSwapColumns(e_, a, b); });
      return;
    }
    std::vector<std::unique_ptr<LpColumn>> sorted;
    sorted.reserve(to - from + 1);
    for (int32_t r = 1; r <= m_; ++r) {
      if (at_row[r] != 0) sorted.push_back(std::move(e_.columns[at_row[r] + 1]));
    }
    for (int32_t p = from; p <= to; ++p) {
      e_.columns[p + 1] = std::move(sorted[p - from]);
      const LpColumn& column = e_.Column(p);
      if (column.hash_slot != 0) e_.column_hash[column.hash_slot] = p;
    }
  }
  void Dot(int32_t count) {
    if (count % 10 == 0 && !Quiet(e_)) e_.trace.TraceLine(".");
  }

  bool PlaceLogicals();
  void DiagonaliseLogicals();
  void BuildRowLists();
  void RowSingletons();
  void ColumnSingletons();
  void OrderBump();
  void PassA();
  void PassB();
  void TriangularEtas();
  void ApplyRowPermutation();
  void Progress(const std::string& word, int32_t count) {
    if (Quiet(e_)) return;
    progress_ += IntText(count) + word;
    e_.trace.TraceProgress(progress_);
  }

  LpEngine& e_;
  const int32_t m_;
  std::vector<int32_t> row_at_, pos_of_;
  int32_t s_ = 0;      // basis positions 1..s hold the columns with several entries
  int32_t k1_ = 0;     // row singletons at 1..k1
  int32_t e_end_ = 0;  // bump at k1+1..e, column singletons at e+1..s
  std::string progress_;

  // The multi-entry basic columns, by scratch index.
  std::vector<int32_t> local_pos_;
  std::vector<char> local_active_;
  // By row id: entries of the multi-entry basic columns in rows 1..s.
  std::vector<std::vector<std::pair<int32_t, double>>> row_list_;
  std::vector<int32_t> row_count_;

  std::vector<Eta> part1_, pass_a_, pass_b_, part2_, logical_;
  std::vector<double> x_;
  std::vector<int32_t> scratch_rows_;
  double smallest_pivot_ = 1e21;
};

// Placement of logicals (PERBAS). The one-entry columns go to the end of the basis,
// sorted by their row; two of them in one row are repaired by bringing in the non-basic
// column at m+2, m+3, ... (an N-row logical stays; another column of its row goes).
bool Inverter::PlaceLogicals() {
  int32_t next_repair = m_ + 2;
  int32_t repairs = 0;
  std::vector<char> mark(m_ + 1, 0);
  while (true) {
    int32_t i = 1;
    int32_t k = m_;
    while (i <= k) {
      if (e_.Column(i).EntryCount() == 1) {
        LpSwapColumns(e_, i, k);
        --k;
      } else {
        ++i;
      }
    }
    s_ = k;
    SortOneEntryBlock(s_ + 1, m_);
    std::fill(mark.begin(), mark.end(), 0);
    int32_t duplicate = 0;
    for (int32_t p = m_; p > s_; --p) {
      const int32_t r = OneEntryRow(p);
      if (mark[r]) {
        duplicate = p;
        break;
      }
      mark[r] = 1;
    }
    if (duplicate == 0) break;
    ++repairs;
    Dot(repairs);
    const int32_t incoming = next_repair++;
    if (incoming > e_.column_count) {
      e_.trace.TraceLine("WHOLE MATRIX SEARCHED");
      LpClear(e_);
      e_.flags.unfinished = true;
      return false;
    }
    int32_t outgoing = duplicate;
    if (e_.Column(duplicate).kind == kLogicalOfN) {
      const int32_t row = OneEntryRow(duplicate);
      for (int32_t q = duplicate + 1; q <= m_; ++q) {
        if (OneEntryRow(q) == row && e_.Column(q).kind != kLogicalOfN) {
          outgoing = q;
          break;
        }
      }
    }
    ReplaceBasic(outgoing, incoming);
  }
  Progress(" PERBAS ", m_ - s_);
  // Rows s+1..m without a one-entry column take the rows (in 1..s) of the first
  // one-entry columns of the block, so that every one stands on the diagonal.
  int32_t t = s_ + 1;
  for (int32_t j = m_; j > s_; --j) {
    if (mark[j]) continue;
    SwapRowPositions(j, OneEntryRow(t));
    ++t;
  }
  SortOneEntryBlock(s_ + 1, m_);
  return true;
}

void Inverter::BuildRowLists() {
  local_pos_.assign(s_, 0);
  local_active_.assign(s_, 1);
  row_list_.assign(m_ + 1, {});
  row_count_.assign(m_ + 1, 0);
  for (int32_t p = 1; p <= s_; ++p) {
    LpColumn& column = e_.Column(p);
    column.work = p - 1;
    local_pos_[p - 1] = p;
    for (const LpEntry& entry : column.entries) {
      if (Pos(entry.row) > s_) continue;
      row_list_[entry.row].push_back({p - 1, entry.value});
      ++row_count_[entry.row];
    }
  }
}

// PART1: a row with a single active entry pivots on it; the largest such entry above
// 1e-5 wins (row i itself at once), later ones must beat the best by 1e-11.
void Inverter::RowSingletons() {
  k1_ = 0;
  for (int32_t i = 1; i <= s_; ++i) {
    int32_t best_row = 0;
    int32_t best_column = -1;
    double best = 0;
    for (int32_t j = i; j <= s_; ++j) {
      const int32_t id = row_at_[j];
      if (row_count_[id] != 1) continue;
      int32_t column = -1;
      double value = 0;
      for (const auto& [k, v] : row_list_[id]) {
        if (local_active_[k]) {
          column = k;
          value = v;
          break;
        }
      }
      const double magnitude = std::fabs(value);
      if (column < 0 || magnitude <= kTriangularPivot) continue;
      if (best_column >= 0 && magnitude <= best + kBumpTolerance) continue;
      best_row = j;
      best_column = column;
      best = magnitude;
      if (j == i) break;
    }
    if (best_column < 0) break;
    local_active_[best_column] = 0;
    for (const LpEntry& entry : e_.Column(local_pos_[best_column]).entries) {
      if (Pos(entry.row) <= s_) --row_count_[entry.row];
    }
    SwapColumns(local_pos_[best_column], i);
    SwapRowPositions(best_row, i);
    k1_ = i;
  }
  Progress(" PART1 ", k1_);
}

// PART2: a column with a single entry in the active rows k1+1..e pivots there (largest
// entry above 1e-5, scanning from the back); its row leaves the active rows.
void Inverter::ColumnSingletons() {
  int32_t e = s_;
  std::vector<int32_t> count(s_, 0);
  for (int32_t p = k1_ + 1; p <= s_; ++p) {
    const LpColumn& column = e_.Column(p);
    for (const LpEntry& entry : column.entries) {
      const int32_t r = Pos(entry.row);
      if (r > k1_ && r <= e) ++count[column.work];
    }
  }
  while (e > k1_) {
    int32_t best_position = 0;
    int32_t best_row = 0;
    double best = 0;
    for (int32_t p = e; p > k1_; --p) {
      const LpColumn& column = e_.Column(p);
      if (count[column.work] != 1) continue;
      for (const LpEntry& entry : column.entries) {
        const int32_t r = Pos(entry.row);
        if (r <= k1_ || r > e) continue;
        const double magnitude = std::fabs(entry.value);
        if (magnitude > kTriangularPivot &&
            (best_position == 0 || magnitude > best + kBumpTolerance)) {
          best_position = p;
          best_row = r;
          best = magnitude;
        }
        break;
      }
    }
    if (best_position == 0) break;
    for (const auto& [k, v] : row_list_[row_at_[best_row]]) {
      (void)v;
      if (local_pos_[k] > k1_ && local_pos_[k] <= e) --count[k];
    }
    local_active_[e_.Column(best_position).work] = 0;
    SwapColumns(best_position, e);
    SwapRowPositions(best_row, e);
    --e;
  }
  e_end_ = e;
  Progress(" PART2 ", s_ - e_end_);
}

// Bump ordering: row singletons of the remaining bump first; otherwise the column with
// the most entries in the rows of smallest count (the limit rising while that is 1),
// then the most entries inside the bump. A row whose count drops to 0 takes the next
// spike row.
void Inverter::OrderBump() {
  const int32_t f = k1_ + 1;
  const int32_t e = e_end_;
  if (f > e) return;
  std::vector<int32_t> count(m_ + 1, 0);  // by row id, rows f..e
  std::vector<int32_t> inside(s_, 0);     // entries of a bump column in bump rows
  // The rows (ids) of each bump column's entries in the bump rows, in entry order: rows
  // only change places within f..e below, so the lists hold throughout.
  std::vector<std::vector<int32_t>> bump_rows(s_);
  for (int32_t p = f; p <= e; ++p) {
    const LpColumn& column = e_.Column(p);
    for (const LpEntry& entry : column.entries) {
      const int32_t r = Pos(entry.row);
      if (r < f || r > e) continue;
      ++count[entry.row];
      ++inside[column.work];
      bump_rows[column.work].push_back(entry.row);
    }
  }
  std::vector<char> ordered(s_, 0);
  std::vector<int32_t> kept, number;
  int32_t spike_row = f;
  for (int32_t q = f; q <= e; ++q) {
    int32_t smallest = 0;
    int32_t with_smallest = 0;
    int32_t smallest_row = 0;
    for (int32_t r = f; r <= e; ++r) {
      const int32_t c = count[row_at_[r]];
      if (c <= 0) continue;
      if (smallest == 0 || c < smallest) {
        smallest = c;
        with_smallest = 1;
        smallest_row = row_at_[r];
      } else if (c == smallest) {
        ++with_smallest;
      }
    }
    int32_t chosen = -1;
    if (with_smallest == 1 && smallest == 1) {
      for (const auto& [k, v] : row_list_[smallest_row]) {
        (void)v;
        if (!ordered[k] && local_pos_[k] >= q && local_pos_[k] <= e) {
          chosen = k;
          break;
        }
      }
    }
    if (chosen < 0) {
      kept.clear();
      for (int32_t p = q; p <= e; ++p) kept.push_back(e_.Column(p).work);
      int32_t limit = smallest == 0 ? 1 : smallest;
      while (true) {
        number.assign(kept.size(), 0);
        int32_t most = 0;
        for (size_t c = 0; c < kept.size(); ++c) {
          for (const int32_t row : bump_rows[kept[c]]) {
            const int32_t rc = count[row];
            if (rc > 0 && rc <= limit) ++number[c];
          }
          most = std::max(most, number[c]);
        }
        std::vector<int32_t> next;
        for (size_t c = 0; c < kept.size(); ++c) {
          if (number[c] == most) next.push_back(kept[c]);
        }
        kept.swap(next);
        if (most == 1 && limit < m_ && kept.size() > 1) {
          ++limit;
          continue;
        }
        break;
      }
      // Most entries inside the bump; the first in position order on equal numbers.
      std::sort(kept.begin(), kept.end(),
                [this](int32_t a, int32_t b) { return local_pos_[a] < local_pos_[b]; });
      chosen = kept.front();
      for (int32_t k : kept) {
        if (inside[k] > inside[chosen]) chosen = k;
      }
    }
    ordered[chosen] = 1;
    for (const int32_t row : bump_rows[chosen]) {
      if (count[row] <= 0) continue;
      if (--count[row] == 0) {
        SwapRowPositions(Pos(row), spike_row);
        ++spike_row;
      }
    }
    SwapColumns(local_pos_[chosen], q);
  }
  Progress(" PART3", e - f + 1);
}

// Pass A, backwards over the bump: transform the column by the pass-A etas so far, pivot
// on the largest entry of rows f..p (swapped to row p), eliminate rows f..p-1. A column
// without a pivot is replaced by the logical of row p.
void Inverter::PassA() {
  const int32_t f = k1_ + 1;
  const int32_t e = e_end_;
  int32_t replacements = 0;
  for (int32_t p = e; p >= f;) {
    for (const LpEntry& entry : e_.Column(p).entries) x_[entry.row] = entry.value;
    for (const Eta& eta : pass_a_) {
      const double v = x_[eta[0].row] * eta[0].value;
      if (v == 0) continue;
      for (size_t k = 1; k < eta.size(); ++k) x_[eta[k].row] -= v * eta[k].value;
      x_[eta[0].row] = v;
    }
    int32_t best_row = 0;
    double best = 0;
    for (int32_t r = f; r <= p; ++r) {
      const double magnitude = std::fabs(x_[row_at_[r]]);
      if (magnitude > kBumpTolerance && (best_row == 0 || magnitude > best + kBumpTolerance)) {
        best_row = r;
        best = magnitude;
      }
    }
    if (best_row == 0) {
      for (int32_t r = f; r <= e; ++r) x_[row_at_[r]] = 0;
      for (const LpEntry& entry : e_.Column(p).entries) x_[entry.row] = 0;
      const int32_t logical = LpLookupColumn(e_, e_.Row(row_at_[p]).name);
      ReplaceBasic(p, logical);
      ++replacements;
      Dot(replacements);
      continue;  // the same position again, now with the logical
    }
    SwapRowPositions(best_row, p);
    const int32_t pivot_row = row_at_[p];
    const double pivot = x_[pivot_row];
    Eta eta{{pivot_row, 1.0 / pivot}};
    for (int32_t r = f; r < p; ++r) {
      const double v = x_[row_at_[r]];
      if (std::fabs(v) > kBumpTolerance * best) eta.push_back({row_at_[r], v});
    }
    smallest_pivot_ = std::min(smallest_pivot_, best);
    pass_a_.push_back(std::move(eta));
    for (int32_t r = f; r <= e; ++r) x_[row_at_[r]] = 0;
    for (const LpEntry& entry : e_.Column(p).entries) x_[entry.row] = 0;
    --p;
  }
  Progress(" PART4", e - f + 1);
  if (replacements > 0) e_.trace.TraceLine("MATRIX SINGULAR " + IntText(replacements));
}

// Pass B, forwards: the column at p transformed by the pass-A etas of positions e down
// to p; its eta keeps rows p+1..m.
void Inverter::PassB() {
  const int32_t f = k1_ + 1;
  const int32_t e = e_end_;
  for (int32_t p = f; p <= e; ++p) {
    const LpColumn& column = e_.Column(p);
    for (const LpEntry& entry : column.entries) x_[entry.row] = entry.value;
    const size_t etas = static_cast<size_t>(e - p + 1);
    for (size_t k = 0; k < etas && k < pass_a_.size(); ++k) {
      const Eta& eta = pass_a_[k];
      const double v = x_[eta[0].row] * eta[0].value;
      if (v == 0) continue;
      for (size_t q = 1; q < eta.size(); ++q) x_[eta[q].row] -= v * eta[q].value;
      x_[eta[0].row] = v;
    }
    const int32_t pivot_row = row_at_[p];
    const double pivot = x_[pivot_row];
    const double drop = kEtaDrop * std::fabs(pivot);
    Eta eta{{pivot_row, 1.0 / pivot}};
    for (int32_t r = p + 1; r <= e; ++r) {
      const double v = x_[row_at_[r]];
      if (std::fabs(v) > drop) eta.push_back({row_at_[r], v});
    }
    for (const LpEntry& entry : column.entries) {
      if (Pos(entry.row) > e && std::fabs(x_[entry.row]) > drop) {
        eta.push_back({entry.row, x_[entry.row]});
      }
    }
    smallest_pivot_ = std::min(smallest_pivot_, std::fabs(pivot));
    pass_b_.push_back(std::move(eta));
    for (int32_t r = f; r <= e; ++r) x_[row_at_[r]] = 0;
    for (const LpEntry& entry : column.entries) x_[entry.row] = 0;
  }
  Progress(" PART5", e - f + 1);
}

// Etas of the triangular parts (the column itself, pivot on its diagonal entry) and of
// the logicals whose entry is not 1.
void Inverter::TriangularEtas() {
  auto column_eta = [this](int32_t p) {
    const LpColumn& column = e_.Column(p);
    const int32_t pivot_row = row_at_[p];
    const int k = column.FindEntry(pivot_row);
    const double pivot = column.entries[k].value;
    Eta eta{{pivot_row, 1.0 / pivot}};
    for (const LpEntry& entry : column.entries) {
      if (entry.row != pivot_row) eta.push_back(entry);
    }
    smallest_pivot_ = std::min(smallest_pivot_, std::fabs(pivot));
    return eta;
  };
  for (int32_t p = 1; p <= k1_; ++p) part1_.push_back(column_eta(p));
  for (int32_t p = e_end_ + 1; p <= s_; ++p) part2_.push_back(column_eta(p));
  for (int32_t p = s_ + 1; p <= m_; ++p) {
    const LpEntry& entry = e_.Column(p).entries[0];
    if (entry.value == 1) continue;
    logical_.push_back({{entry.row, 1.0 / entry.value}});
    smallest_pivot_ = std::min(smallest_pivot_, std::fabs(entry.value));
  }
  Progress(" PART6", k1_ + s_ - e_end_);
}

// Row id -> final row index, in every column, every eta and the row table.
void Inverter::ApplyRowPermutation() {
  bool identity = true;
  for (int32_t i = 1; i <= m_ && identity; ++i) identity = row_at_[i] == i;
  if (identity) return;
  for (int32_t p = kRangeColumn; p <= e_.column_count; ++p) {
    for (LpEntry& entry : e_.Column(p).entries) entry.row = pos_of_[entry.row];
  }
  for (auto* etas : {&part1_, &pass_a_, &pass_b_, &part2_, &logical_}) {
    for (Eta& eta : *etas) {
      for (LpEntry& entry : eta) entry.row = pos_of_[entry.row];
    }
  }
  std::vector<std::unique_ptr<LpRow>> rows(m_ + 1);
  for (int32_t id = 1; id <= m_; ++id) rows[pos_of_[id]] = std::move(e_.rows[id]);
  for (int32_t i = 1; i <= m_; ++i) {
    e_.rows[i] = std::move(rows[i]);
    e_.row_hash[e_.Row(i).hash_slot] = i;
  }
}

bool Inverter::Run() {
  LpFactorState& factor = e_.factor;
  ++factor.inversion_count;
  factor.stale = false;
  e_.eta.Clear();
  if (!Quiet(e_)) {
    progress_ = "INVERSION ";
    e_.trace.TraceProgress(progress_);
  }
  row_at_.resize(m_ + 1);
  pos_of_.resize(m_ + 1);
  for (int32_t i = 0; i <= m_; ++i) row_at_[i] = pos_of_[i] = i;
  const int32_t objective = LpFindRow(e_, e_.objective_row_name);
  if (objective != 0) SwapRowPositions(Pos(objective), m_);

  if (!PlaceLogicals()) return false;
  BuildRowLists();
  RowSingletons();
  ColumnSingletons();
  x_.assign(m_ + 1, 0.0);
  OrderBump();
  PassA();
  PassB();
  TriangularEtas();
  for (int32_t p = 1; p <= s_; ++p) e_.Column(p).work = -1;
  ApplyRowPermutation();

  // The file: PART1, pass A, pass B, PART2, logicals.
  LpEtaFile& file = e_.eta;
  for (const auto* etas : {&part1_, &pass_a_, &pass_b_, &part2_, &logical_}) {
    for (const Eta& eta : *etas) {
      file.StartEta();
      for (const LpEntry& entry : eta) file.Add(entry.row, entry.value);
    }
  }
  factor.smallest_pivot = smallest_pivot_;
  factor.inversion_nonzeros = file.Nonzeros();
  factor.memory_estimate = 12.0 * static_cast<double>(file.Nonzeros()) + 12.0 * m_;
  if (!Quiet(e_)) {
    e_.trace.TraceField(kMemoryField, IntText(std::llround(factor.memory_estimate / 1000), 7));
    e_.trace.TraceField(kPivotField, PadLeft(ShortGeneral(factor.smallest_pivot), 11));
  }

  for (int32_t p = 1; p <= m_; ++p) {
    LpColumn& column = e_.Column(p);
    column.status = kBasic;
    if (column.kind == kFreeStructural) {
      column.lower = -kNoBound;
      column.upper = kNoBound;
    }
  }
  LpBasicValues(e_);
  LpPricingVector(e_);

  const double end = NowSeconds();
  factor.last_inversion_time = end;
  int64_t basis_entries = 0;
  for (int32_t p = 1; p <= m_; ++p) basis_entries += e_.Column(p).EntryCount();
  factor.inversion_duration =
      std::max(kShortestInversion, static_cast<double>(basis_entries + e_.eta.Nonzeros()));
  factor.work_since_inversion = 0;
  factor.etas_since_inversion = 0;
  return true;
}

}  // namespace

// For each eta (pivot row r, reciprocal p, entries (q, v)): f = x_r p; x_q -= f v; x_r = f.
void LpFtran(const LpEngine& engine, std::vector<double>& x, int32_t first, int32_t last) {
  const LpEtaFile& file = engine.eta;
  const int32_t* rows = file.rows.data();
  const double* values = file.values.data();
  double* v = x.data();
  if (first <= last) engine.factor.work_since_inversion += file.End(last) - file.Begin(first);
  for (int32_t k = first; k <= last; ++k) {
    const int32_t begin = file.Begin(k);
    const int32_t end = file.End(k);
    const int32_t r = rows[begin];
    const double f = v[r] * values[begin];
    if (f == 0) continue;
    for (int32_t q = begin + 1; q < end; ++q) v[rows[q]] -= f * values[q];
    v[r] = f;
  }
}

// From the last eta to the first: y_r = (y_r - sum v y_q) p.
void LpBtran(const LpEngine& engine, std::vector<double>& y) {
  const LpEtaFile& file = engine.eta;
  const int32_t* rows = file.rows.data();
  const double* values = file.values.data();
  double* v = y.data();
  engine.factor.work_since_inversion += file.Nonzeros();
  for (int32_t k = file.Count() - 1; k >= 0; --k) {
    const int32_t begin = file.Begin(k);
    const int32_t end = file.End(k);
    // Four partial sums: the long etas of dense columns are otherwise one chain of
    // dependent additions.
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int32_t q = begin + 1;
    for (; q + 3 < end; q += 4) {
      s0 += values[q] * v[rows[q]];
      s1 += values[q + 1] * v[rows[q + 1]];
      s2 += values[q + 2] * v[rows[q + 2]];
      s3 += values[q + 3] * v[rows[q + 3]];
    }
    for (; q < end; ++q) s0 += values[q] * v[rows[q]];
    v[rows[begin]] = (v[rows[begin]] - ((s0 + s1) + (s2 + s3))) * values[begin];
  }
}

// The eta holds (r, 1/alpha_r) and every (q, alpha_q) with |alpha_q| > 1e-13 |alpha_r|.
void LpAppendEta(LpEngine& engine, const std::vector<double>& alpha, int32_t r) {
  LpEtaFile& file = engine.eta;
  const double pivot = alpha[r];
  const double magnitude = std::fabs(pivot);
  engine.factor.smallest_pivot = std::min(engine.factor.smallest_pivot, magnitude);
  file.StartEta();
  file.Add(r, 1.0 / pivot);
  const double drop = kEtaDrop * magnitude;
  const int32_t m = engine.row_count;
  for (int32_t q = 1; q <= m; ++q) {
    if (q != r && std::fabs(alpha[q]) > drop) file.Add(q, alpha[q]);
  }
}

bool LpInversion(LpEngine& engine) {
  if (engine.row_count == 0) return false;
  Inverter inverter(engine);
  return inverter.Run();
}

// Below 50 etas since INVERSION only a full file refactorises; from 50 on also FTRAN and
// BTRAN work since the last INVERSION beyond three times its cost (both in eta entries,
// so that a program is solved alike on every run and every machine).
void LpRefactorCheck(LpEngine& engine) {
  const LpFactorState& factor = engine.factor;
  bool refactor = engine.eta.Count() >= engine.eta.capacity;
  if (!refactor && factor.etas_since_inversion >= kEtasBeforeTimedRefactor) {
    refactor = static_cast<double>(factor.work_since_inversion) >
               kRefactorTimeFactor * factor.inversion_duration;
  }
  if (!refactor) return;
  if (engine.settings.iteration_log == 0 && !engine.search.InSearch) LpIterationLine(engine);
  if (!LpInversion(engine)) {
    engine.flags.unfinished = true;
    return;
  }
  engine.iter.candidate_count = 0;
}

// Non-basic columns keyed by their first row with an entry above 1e-5 (m+2 for fixed
// columns and columns without one); in each group of equal key b the column with the
// fewest entries replaces the basic column at b unless that is free or an N-row logical.
bool LpCrashBasis(LpEngine& engine) {
  engine.trace.TraceLine("CRASH BASIS");
  const int32_t m = engine.row_count;
  const int32_t n = engine.column_count;
  std::vector<int32_t> key(n + 1, m + 2);
  for (int32_t j = m + 1; j <= n; ++j) {
    const LpColumn& column = engine.Column(j);
    if (column.upper - column.lower <= kZeroTolerance) continue;
    for (const LpEntry& entry : column.entries) {
      if (std::fabs(entry.value) > kTriangularPivot) key[j] = std::min(key[j], entry.row);
    }
  }
  if (m + 1 < n) {
    LpQuickSort(
        m + 1, n, [&key](int32_t p) { return static_cast<double>(key[p]); },
        [&](int32_t a, int32_t b) {
          LpSwapColumns(engine, a, b);
          std::swap(key[a], key[b]);
        });
  }
  for (int32_t j = m + 1; j <= n;) {
    const int32_t b = key[j];
    int32_t chosen = j;
    int32_t end = j;
    while (end <= n && key[end] == b) {
      if (engine.Column(end).EntryCount() < engine.Column(chosen).EntryCount()) chosen = end;
      ++end;
    }
    if (b <= m && engine.Column(b).kind < kLogicalOfN) {
      LpSwapColumns(engine, chosen, b);
      std::swap(key[chosen], key[b]);
    }
    j = end;
  }
  for (int32_t p = 1; p <= n; ++p) {
    LpColumn& column = engine.Column(p);
    column.status = p <= m ? kBasic : kAtLower;
    if (p > m && column.kind == kFreeStructural) {
      column.lower = 0;
      column.upper = kNoBound;
    }
  }
  return LpInversion(engine);
}

}  // namespace vido
