#include "solver/presolve.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "support/engine_folder.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

// A tightening by no more than this is not made: it would gain nothing and only narrow a
// column's range towards a point, where the iterations' feasibility tolerance then picks
// a different, slightly infeasible vertex than on the model as given.
constexpr double kSmallestChange = 1e-5;
constexpr int32_t kMaxWorkEntries = 32767;  // 524272 bytes at 16 bytes an entry
// Derived bounds carry the rounding error of the row sums; an integer bound taken from
// them must not cut off a whole number that the row admits within that error.
constexpr double kIntegralSlack = 1e-9;
// Bound propagation can creep along in small steps for a very long time (two rows
// pushing each other's bounds up); the sweeps of one presolve are capped.
constexpr int kSweepBudget = 500;
constexpr double kNone = std::numeric_limits<double>::infinity();
// A bound derived from a row is loosened by up to this share of the row's size. A model
// that holds only up to rounding (rows computed from a point, say) can otherwise lose its
// solutions: each sweep passes the rounding error of one row on to the next, enlarged by
// the ratio of their coefficients, until the bounds cut off every point that the
// iterations would accept. Loosening a bound implied by a row that stays in the model
// changes nothing else.
constexpr double kTightenMargin = 1e-9;
// See TooNarrow.
constexpr double kNarrowestRange = 1e-6;

bool Infinite(double bound) { return std::fabs(bound) > kInfinite; }

// The largest whole number <= v, and the smallest >= v; a value within `slack` (relative
// to its size) of a whole number is that number.
double WholeAtMost(double v, double slack) {
  const double nearest = std::nearbyint(v);
  if (std::fabs(v - nearest) <= slack * std::max(1.0, std::fabs(v))) return nearest;
  return std::floor(v);
}

double WholeAtLeast(double v, double slack) {
  const double nearest = std::nearbyint(v);
  if (std::fabs(v - nearest) <= slack * std::max(1.0, std::fabs(v))) return nearest;
  return std::ceil(v);
}

// v raised by at most `margin`, to a number with as few decimals as that allows (so that
// 3 - 1e-16 becomes 3 again).
double LoosenUp(double v, double margin) {
  const double digits = std::floor(std::log10(margin));
  const double step = std::pow(10.0, digits);
  if (!(step > 0) || std::fabs(v) / step > 1e15) return v + margin;
  // Divide by an exact power of ten rather than multiply by an inexact one.
  const double scale = step < 1 ? std::pow(10.0, -digits) : 1.0;
  const double unit = step < 1 ? 1.0 : step;
  double whole = std::nearbyint(step < 1 ? v * scale : v / unit);
  double loose = step < 1 ? whole / scale : whole * unit;
  if (loose < v) {
    whole += 1;
    loose = step < 1 ? whole / scale : whole * unit;
  }
  return loose;
}

double LoosenDown(double v, double margin) { return -LoosenUp(-v, margin); }

// One structural entry of a row, for the tightening sweeps.
struct WorkEntry {
  int32_t position;
  double value;
};

class Presolve {
 public:
  explicit Presolve(LpEngine& engine)
      : e_(engine), warned_(engine.column_count + 1, false), sweeps_left_(kSweepBudget) {}

  int32_t Run() {
    e_.trace.TraceLine("Compressing Matrix");
    const bool had_work_vectors = !e_.xB.empty();
    e_.y.clear();
    e_.alpha.clear();
    e_.xB.clear();
    const std::string report_name = PresolveReportName(e_.problem_name);
    report_.open(report_name, std::ios::binary | std::ios::trunc);

    RemoveZeroEntries();
    for (bool changed = true; changed;) {
      e_.trace.TraceLine("Loop");
      changed = ReplaceSingletonRows();
      changed = RoundIntegerBounds() || changed;
      if (!changed) changed = MoveFixedColumns() || Tighten();
    }

    report_.close();
    if (changes_ == 0) DeleteNamedFile(report_name);
    if (rows_deleted_) LpRebuildHashTables(e_);
    const int32_t objective = LpFindRow(e_, e_.objective_row_name);
    if (objective != 0) LpSwapRows(e_, objective, e_.row_count);
    if (had_work_vectors) {
      e_.y.assign(e_.row_count + 1, 0.0);
      e_.alpha.assign(e_.row_count + 1, 0.0);
      e_.xB.assign(e_.row_count + 1, 0.0);
    }
    return changes_;
  }

 private:
  void Report(const std::string& line) {
    ++changes_;
    if (report_.is_open()) report_ << line << "\r\n";
  }

  void Message(const std::string& text) {
    if (e_.port != nullptr) ShowMessageText(*e_.port, text);
  }

  // Rows that constrain nothing: the objective row and every other N row.
  bool Constrains(int32_t row) const { return e_.Row(row).type != kRowN; }

  // The entries of a pseudo-column by row (0 where a row has none).
  std::vector<double> ByRow(int32_t position) const {
    std::vector<double> values(e_.row_count + 1, 0.0);
    for (const LpEntry& entry : e_.Column(position).entries) values[entry.row] = entry.value;
    return values;
  }

  // The bounds a row activity may count on: none for a free column, whose bounds the
  // iterations do not hold it to, and none beyond 1e20.
  std::pair<double, double> Bounds(const LpColumn& column) const {
    if (column.kind == kFreeStructural) return {-kNone, kNone};
    return {Infinite(column.lower) ? -kNone : column.lower,
            Infinite(column.upper) ? kNone : column.upper};
  }

  void RemoveEntry(LpColumn& column, size_t k) {
    --e_.Row(column.entries[k].row).entry_count;
    column.entries[k] = column.entries.back();
    column.entries.pop_back();
  }

  // Step 1: entries that are exactly 0, pseudo-columns included.
  void RemoveZeroEntries() {
    for (int32_t p = kRangeColumn; p <= e_.column_count; ++p) {
      LpColumn& column = e_.Column(p);
      for (size_t k = 0; k < column.entries.size();) {
        if (column.entries[k].value != 0) {
          ++k;
          continue;
        }
        Report("IN COLUMN " + PadLeft(column.name, 10) + " Entry at row " +
               PadLeft(e_.Row(column.entries[k].row).name, 10) + " was 0");
        RemoveEntry(column, k);
      }
    }
  }

  // Row i leaves every column, pseudo-columns included; the last row takes its place.
  void DeleteRow(int32_t i) {
    const int32_t last = e_.row_count;
    for (int32_t p = kRangeColumn; p <= e_.column_count; ++p) {
      std::vector<LpEntry>& entries = e_.Column(p).entries;
      for (size_t k = 0; k < entries.size();) {
        if (entries[k].row == i) {
          entries[k] = entries.back();
          entries.pop_back();
        } else {
          if (entries[k].row == last) entries[k].row = i;
          ++k;
        }
      }
    }
    e_.rows[i] = std::move(e_.rows[last]);
    e_.rows.pop_back();
    --e_.row_count;
    rows_deleted_ = true;
  }

  // Step 2.2: rows whose only entry is a·x (b the right-hand side, r the range) become
  // bounds on x. The activity a·x lies in
  //   L: [b - r, b]   G: [b, b + r]   E: [b, b]   (no r: open on that side),
  // which divided by a (ends swapped for a < 0) is an interval for x, whatever the
  // signs of a and b. The row stays when the interval would cross the column's bounds
  // (the model is infeasible and the iterations must see it), for a free column, and
  // for a negative range. Every constraint row takes part, the last one too; N rows
  // (the objective row among them) constrain nothing and never do.
  bool ReplaceSingletonRows() {
    const int32_t m = e_.row_count;
    std::vector<int32_t> count(m + 1, 0), position(m + 1, 0);
    std::vector<double> coefficient(m + 1, 0.0);
    for (int32_t p = 1; p <= e_.column_count; ++p) {
      for (const LpEntry& entry : e_.Column(p).entries) {
        ++count[entry.row];
        position[entry.row] = p;
        coefficient[entry.row] = entry.value;
      }
    }
    std::vector<double> rhs = ByRow(kRhsColumn);
    std::vector<double> range = ByRow(kRangeColumn);
    bool changed = false;
    // From the back: a deleted row is replaced by the last row, which was seen already.
    for (int32_t i = m; i >= 1; --i) {
      if (!Constrains(i) || count[i] != 1) continue;
      if (!ReplaceRow(i, position[i], coefficient[i], rhs[i], range[i])) continue;
      const int32_t moved = e_.row_count + 1;
      count[i] = count[moved];
      position[i] = position[moved];
      coefficient[i] = coefficient[moved];
      rhs[i] = rhs[moved];
      range[i] = range[moved];
      changed = true;
    }
    return changed;
  }

  bool ReplaceRow(int32_t i, int32_t p, double a, double b, double r) {
    LpColumn& column = e_.Column(p);
    const LpRow& row = e_.Row(i);
    if (column.kind == kFreeStructural || r < 0) return false;
    double low = -kNone, high = kNone;  // of the activity
    if (row.type == kRowL) {
      high = b;
      if (r > 0) low = b - r;
    } else if (row.type == kRowG) {
      low = b;
      if (r > 0) high = b + r;
    } else {
      low = high = b;
    }
    const double from = a > 0 ? low / a : high / a;
    const double to = a > 0 ? high / a : low / a;
    const bool sets_lower = std::isfinite(from);
    const bool sets_upper = std::isfinite(to);
    if ((sets_lower && Infinite(from)) || (sets_upper && Infinite(to))) return false;
    const double lower = sets_lower ? std::max(column.lower, from) : column.lower;
    const double upper = sets_upper ? std::min(column.upper, to) : column.upper;
    const double slack = column.is_integer ? kIntegralSlack : 0.0;
    const double least = column.is_integer && !Infinite(lower) ? WholeAtLeast(lower, slack) : lower;
    const double most = column.is_integer && !Infinite(upper) ? WholeAtMost(upper, slack) : upper;
    if (least > most + kZeroTolerance) return false;
    // Within the tolerance the row pins the column; keep the bounds from crossing.
    const double pinned_lower = std::min(lower, upper);

    const std::string head = "REPLACE ROW " + PadLeft(row.name, 10);
    const std::string tail = PadLeft(column.name, 10) + " ";
    column.lower = pinned_lower;
    if (sets_lower) {
      Report(head + " By a LO Bound on Column " + tail + LongGeneral(pinned_lower));
    }
    if (sets_upper) {
      column.upper = upper;
      Report(head + " By a UP Bound on Column " + tail + LongGeneral(upper));
    }
    DeleteRow(i);
    return true;
  }

  // Step 2.3: upper := the largest whole number below it, lower := the smallest above it
  // (towards the feasible side also for negative bounds). A column whose range holds no
  // whole number keeps its bounds: the iterations do not notice crossed bounds on a
  // column, and such a column is the search's to find infeasible.
  bool RoundIntegerBounds() {
    bool changed = false;
    for (int32_t p = 1; p <= e_.column_count; ++p) {
      LpColumn& column = e_.Column(p);
      if (!column.is_integer) continue;
      if (column.upper > kInfinite) {
        Warn(p, "INTEGER VARIABLE " + column.name + " HAS NO UPPER BOUND");
        continue;
      }
      const double upper = WholeAtMost(column.upper, kZeroTolerance);
      const bool open_below = column.lower < -kInfinite;
      const double lower = open_below ? column.lower : WholeAtLeast(column.lower, kZeroTolerance);
      if (lower > upper) continue;
      if (upper != column.upper) {
        Report("REPLACE UP Bound on Column " + column.name + " from " + LongGeneral(column.upper) +
               " by " + LongGeneral(upper));
        column.upper = upper;
        changed = true;
      }
      if (open_below) {
        Warn(p, "INTEGER VARIABLE " + column.name + " HAS NO LOWER BOUND");
      } else if (lower != column.lower) {
        Report("REPLACE LO Bound on Column " + column.name + " from " + LongGeneral(column.lower) +
               " by " + LongGeneral(lower));
        column.lower = lower;
        changed = true;
      }
    }
    return changed;
  }

  // Once per column and presolve, not once per pass.
  void Warn(int32_t p, const std::string& text) {
    if (warned_[p]) return;
    warned_[p] = true;
    Message(text);
  }

  // A column with upper = lower (within 1e-11) leaves every row but the objective row:
  // b_a := b_a - v·lower for each of its entries (a, v).
  bool MoveFixedColumns() {
    e_.trace.TraceLine("Checking bounds");
    const int32_t objective = ObjectiveRow();
    bool moved = false;
    for (int32_t p = 1; p <= e_.column_count; ++p) {
      LpColumn& column = e_.Column(p);
      if (column.kind == kFreeStructural || Infinite(column.lower)) continue;
      if (!(std::fabs(column.upper - column.lower) < kZeroTolerance)) continue;
      for (size_t k = 0; k < column.entries.size();) {
        const LpEntry entry = column.entries[k];
        if (entry.row == objective) {
          ++k;
          continue;
        }
        Report("COLUMN " + column.name + " has a fixed bound of " + LongGeneral(column.lower));
        AddToRhs(entry.row, -entry.value * column.lower);
        RemoveEntry(column, k);
        moved = true;
      }
    }
    return moved;
  }

  int32_t ObjectiveRow() const {
    for (int32_t i = 1; i <= e_.row_count; ++i) {
      if (e_.Row(i).name == e_.objective_row_name) return i;
    }
    return 0;
  }

  void AddToRhs(int32_t row, double delta) {
    LpColumn& rhs = e_.Column(kRhsColumn);
    const int k = rhs.FindEntry(row);
    const double value = (k >= 0 ? rhs.entries[k].value : 0.0) + delta;
    if (std::fabs(value) < kZeroTolerance) {
      if (k >= 0) RemoveEntry(rhs, k);
    } else if (k >= 0) {
      rhs.entries[k].value = value;
    } else {
      LpAppendEntry(e_, kRhsColumn, row, value);
    }
  }

  // Sweeps over the rows until no bound moves by more than 1e-5 (smaller moves are not
  // made). For a row read as
  // activity <= b, with the other entries at the ends that make the activity smallest,
  //   g = b - sum_{j != k} a_j (a_j > 0 ? lower_j : upper_j),
  // a_k > 0 gives upper_k <= g / a_k and a_k < 0 gives lower_k >= g / a_k; a row read as
  // activity >= b likewise from the largest activity of the others; each loosened a
  // little (kTightenMargin). A bound never crosses the other one: when it would, the model is
  // infeasible, the row stays and the iterations report it.
  bool Tighten() {
    e_.trace.TraceLine("Tighten");
    std::vector<std::vector<WorkEntry>> work(e_.row_count + 1);
    for (int32_t p = 1; p <= e_.column_count; ++p) {
      for (const LpEntry& entry : e_.Column(p).entries) {
        if (entry.value != 0 && Constrains(entry.row)) work[entry.row].push_back({p, entry.value});
      }
    }
    for (const std::vector<WorkEntry>& list : work) {
      if (static_cast<int32_t>(list.size()) > kMaxWorkEntries) {
        Message("TIGHTENING OF LP-RELAXATION NOT POSSIBLE BECAUSE OF MEMORY PROBLEM");
        return false;
      }
    }
    const std::vector<double> rhs = ByRow(kRhsColumn);
    bool changed = false;
    while (sweeps_left_ > 0) {
      --sweeps_left_;
      bool moved = false;
      for (int32_t i = 1; i <= e_.row_count; ++i) {
        const int8_t type = e_.Row(i).type;
        if (work[i].empty()) continue;
        if (type == kRowL || type == kRowE) moved = TightenBelow(work[i], rhs[i]) || moved;
        if (type == kRowG || type == kRowE) moved = TightenAbove(work[i], rhs[i]) || moved;
      }
      if (!moved) break;
      changed = true;
    }
    return changed;
  }

  // The sum of the finite terms, the sum of their sizes and the number of infinite ones.
  struct Activity {
    long double finite = 0;
    long double size = 0;
    int infinite = 0;
  };

  static double Margin(const Activity& activity, double b, double a) {
    return kTightenMargin * std::max(1.0, static_cast<double>(activity.size + std::fabs(b))) /
           std::fabs(a);
  }

  // What the row leaves for entry k: b minus the activity of the other entries, or
  // nothing when that activity is unbounded.
  static bool Rest(const Activity& activity, double term, double b, double* g) {
    if (std::isinf(term)) {
      if (activity.infinite != 1) return false;
      *g = static_cast<double>(b - activity.finite);
    } else {
      if (activity.infinite != 0) return false;
      *g = static_cast<double>(b - (activity.finite - term));
    }
    return true;
  }

  // activity <= b.
  bool TightenBelow(const std::vector<WorkEntry>& list, double b) {
    auto term = [this](const WorkEntry& w) {
      const auto [lower, upper] = Bounds(e_.Column(w.position));
      return w.value * (w.value > 0 ? lower : upper);
    };
    Activity activity;
    for (const WorkEntry& w : list) Add(activity, term(w));
    bool moved = false;
    for (const WorkEntry& w : list) {
      LpColumn& column = e_.Column(w.position);
      double g = 0;
      if (column.kind == kFreeStructural || !Rest(activity, term(w), b, &g)) continue;
      const double limit = g / w.value;
      if (Infinite(limit)) continue;
      const double margin = Margin(activity, b, w.value);
      if (w.value > 0) {
        const double upper = std::min(LoosenUp(limit, margin), column.upper);
        moved = SetUpper(column, upper, " UP BOUND reduced from ") || moved;
      } else {
        const double lower = std::max(LoosenDown(limit, margin), column.lower);
        moved = SetLower(column, lower, " LO BOUND increased from ") || moved;
      }
    }
    return moved;
  }

  // activity >= b; only structural columns take bounds from it.
  bool TightenAbove(const std::vector<WorkEntry>& list, double b) {
    auto term = [this](const WorkEntry& w) {
      const auto [lower, upper] = Bounds(e_.Column(w.position));
      return w.value * (w.value >= 0 ? upper : lower);
    };
    Activity activity;
    for (const WorkEntry& w : list) Add(activity, term(w));
    bool moved = false;
    for (const WorkEntry& w : list) {
      LpColumn& column = e_.Column(w.position);
      double g = 0;
      if (column.kind != kStructural || !Rest(activity, term(w), b, &g)) continue;
      const double limit = g / w.value;
      if (Infinite(limit)) continue;
      const double margin = Margin(activity, b, w.value);
      if (w.value >= 0) {
        const double lower = std::max(LoosenDown(limit, margin), column.lower);
        moved = SetLower(column, lower, " LO BOUND changed from ") || moved;
      } else {
        const double upper = std::min(LoosenUp(limit, margin), column.upper);
        moved = SetUpper(column, upper, " UP BOUND changed from ") || moved;
      }
    }
    return moved;
  }

  static void Add(Activity& activity, double term) {
    if (std::isinf(term)) {
      ++activity.infinite;
    } else {
      activity.finite += term;
      activity.size += std::fabs(term);
    }
  }

  // upper := value, rounded down for an integer column, never below lower. The other
  // entries of the row count on lower for this column, so the row's sum stays valid.
  bool SetUpper(LpColumn& column, double value, const char* text) {
    value = std::max(value, column.lower);
    if (column.is_integer) {
      const double whole = WholeAtMost(value, kIntegralSlack);
      if (whole >= column.lower) value = whole;
    }
    if (TooNarrow(column.lower, value)) return false;
    return Change(column, column.upper, value, text);
  }

  bool SetLower(LpColumn& column, double value, const char* text) {
    value = std::min(value, column.upper);
    if (column.is_integer) {
      const double whole = WholeAtLeast(value, kIntegralSlack);
      if (whole <= column.upper) value = whole;
    }
    if (TooNarrow(value, column.upper)) return false;
    return Change(column, column.lower, value, text);
  }

  // A range that is not a point but narrower than the iterations' feasibility tolerance.
  // Rows meeting at a vertex squeeze their columns into such a box, up to rounding; the
  // iterations then have no room to spread that rounding over the rows and may find the
  // model infeasible, or accept a corner of the box that the rows themselves would not.
  static bool TooNarrow(double lower, double upper) {
    const double range = upper - lower;
    const double size = std::max({1.0, std::fabs(lower), std::fabs(upper)});
    return range > kZeroTolerance && range < kNarrowestRange * size;
  }

  // Moves the bound when it moves by more than 1e-5, and reports it.
  bool Change(const LpColumn& column, double& bound, double value, const char* text) {
    if (!(std::fabs(value - bound) > kSmallestChange)) return false;
    const double old = bound;
    bound = value;
    Report(column.name + text + LongGeneral(old) + " to " + LongGeneral(value));
    return true;
  }

  LpEngine& e_;
  std::ofstream report_;
  int32_t changes_ = 0;
  bool rows_deleted_ = false;
  std::vector<bool> warned_;  // by column position
  int sweeps_left_;
};

}  // namespace

std::string PresolveReportName(const std::string& problem_name) {
  const size_t dot = problem_name.find('.');
  return EngineFolder() +
         (dot == std::string::npos ? std::string() : problem_name.substr(0, dot + 1)) + "CMP";
}

int32_t LpPresolve(LpEngine& engine) { return Presolve(engine).Run(); }

}  // namespace vido
