#include "mip/pseudo_cost.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "solver/factorization.h"
#include "solver/simplex_iteration.h"
#include "support/support_routines.h"

namespace vido {

namespace {

constexpr double kSmallLoss = 1e-5;
constexpr double kFloorRate = 1e-5;
constexpr double kShownLimit = 1e8;
constexpr char kInfinitySign = static_cast<char>(0xEC);

bool Unknown(float pseudo_cost) { return pseudo_cost == kUnknownPseudoCost; }

void Push(LpEngine& engine, NodeStore& store, std::vector<PathNode>& path, int32_t fractional,
          double x, const BoundChange& change) {
  ++engine.search.SearchedNodes;
  PathNode node;
  node.fractional_count = fractional;
  node.change_count = 1;
  node.branch_value = x;
  node.objective = engine.search.RootObjective;
  node.change = InternBoundChange(engine, store, change);
  path.push_back(std::move(node));
}

}  // namespace

bool NeedsBranching(const LpColumn& column, double x, double tolerance) {
  if (!column.is_integer || !IsFractional(x, tolerance)) return false;
  const double floor_x = std::floor(x);
  return floor_x >= column.lower && floor_x + 1 <= column.upper;
}

bool IsFractional(double x, double integer_crit) {
  return std::fabs(std::nearbyint(x) - x) > integer_crit;
}

// Scores per fractional column: down = (x - floor x) PseudoCostDown, up = (ceil x - x)
// PseudoCostUp, lo/hi their min/max. Preference: the column whose smaller loss lo still
// beats the gap to the cut-off (largest lo), else the largest product lo*hi, else among
// columns with a negligible lo the largest hi.
int32_t ChooseAndBranch(LpEngine& engine, NodeStore& store, std::vector<PathNode>& path,
                        int32_t& fractional, const std::vector<double>* tolerances) {
  const int32_t m = engine.row_count;
  const LpSearchState& s = engine.search;
  const double crit = engine.settings.integer_crit;
  auto tolerance = [&](const LpColumn& column) {
    return tolerances != nullptr && column.hash_slot < static_cast<int32_t>(tolerances->size())
               ? (*tolerances)[column.hash_slot]
               : crit;
  };
  for (int32_t p = 1; p < m; ++p) engine.Column(p).value = engine.xB[p];
  fractional = 0;
  const double objective = engine.iter.objective;
  const double gap = engine.flags.maximise ? objective - s.LowerValue : s.UpperValue - objective;
  double best_p = -1;
  double best_s = -1;
  double best_g = -1;
  int32_t i_p = 0;
  int32_t i_s = 0;
  int32_t i_g = 0;
  for (int32_t p = 1; p < m; ++p) {
    LpColumn& column = engine.Column(p);
    const double x = column.value;
    if (!NeedsBranching(column, x, tolerance(column))) continue;
    bool temporary = false;
    if (engine.settings.assess_pse && Unknown(column.pseudo_cost_up) &&
        Unknown(column.pseudo_cost_down)) {
      EstimatePseudoCosts(engine, p);
      temporary = true;
    }
    ++fractional;
    const double floor_x = std::floor(x);
    const double down = (x - floor_x) * column.pseudo_cost_down;
    const double up = (floor_x + 1 - x) * column.pseudo_cost_up;
    const double lo = std::min(down, up);
    const double hi = std::max(down, up);
    if (lo < kSmallLoss) {
      if (hi > best_s) {
        best_s = hi;
        i_s = p;
      }
    } else if (lo * hi > best_p) {
      best_p = lo * hi;
      i_p = p;
    }
    if (hi > gap && lo > best_g) {
      best_g = lo;
      i_g = p;
    }
    if (temporary) {
      column.pseudo_cost_up = kUnknownPseudoCost;
      column.pseudo_cost_down = kUnknownPseudoCost;
    }
  }
  const int32_t chosen = best_g > 0 ? i_g : best_p > 0 ? i_p : i_s;
  if (chosen == 0) return 0;

  const LpColumn& column = engine.Column(chosen);
  const double x = column.value;
  if (!NeedsBranching(column, x, tolerance(column))) return 0;
  const double floor_x = std::floor(x);
  const BoundChange up{column.hash_slot, static_cast<int32_t>(floor_x + 1), column.lower,
                       kUpBranch};
  const BoundChange down{column.hash_slot, static_cast<int32_t>(floor_x), column.upper,
                         kDownBranch};
  // The child with the smaller estimated loss goes on top.
  if ((floor_x + 1 - x) * column.pseudo_cost_up > (x - floor_x) * column.pseudo_cost_down) {
    Push(engine, store, path, fractional, x, up);
    Push(engine, store, path, fractional, x, down);
  } else {
    Push(engine, store, path, fractional, x, down);
    Push(engine, store, path, fractional, x, up);
  }
  return 2;
}

// rho = e_v B^-1; for each non-basic column j, a_j = rho . A_j (negated at its upper
// bound) is the rate at which x_v falls as j moves off its bound, at an objective loss
// d_j per unit of j: up = min d_j / -a_j over a_j < 0, down = min d_j / a_j over a_j > 0,
// each at least 1e-5; 1e10 when no column moves x_v that way.
void EstimatePseudoCosts(LpEngine& engine, int32_t v) {
  const int32_t m = engine.row_count;
  std::vector<double> rho(m + 1, 0.0);
  rho[v] = 1;
  LpBtran(engine, rho);
  double up = kUnknownPseudoCost;
  double down = kUnknownPseudoCost;
  for (int32_t j = m + 1; j <= engine.column_count; ++j) {
    if (j % 10 == 0 && engine.trace.PumpEvents()) {
      engine.flags.unfinished = engine.flags.cancelled = true;
    }
    LpColumn& column = engine.Column(j);
    if (column.upper - column.lower <= kZeroTolerance) continue;
    double a = 0;
    for (const LpEntry& entry : column.entries) a += rho[entry.row] * entry.value;
    if (column.status == kAtUpper) a = -a;
    if (std::fabs(a) <= kZeroTolerance) continue;
    const double d = LpReducedCost(engine, j);
    if (a < 0) {
      up = std::min(std::max(d / -a, kFloorRate), up);
    } else {
      down = std::min(std::max(d / a, kFloorRate), down);
    }
  }
  LpColumn& column = engine.Column(v);
  column.pseudo_cost_up = static_cast<float>(up);
  column.pseudo_cost_down = static_cast<float>(down);
}

// sample = |(z - BaseObjective) / (b - x)|; the first observation replaces the unknown
// 1e10, later ones give (0.01 old + sample) / 1.01.
void LearnPseudoCost(LpEngine& engine, LpColumn& column, uint8_t direction, double x, double b,
                     double z) {
  if (engine.flags.unfinished) return;
  float& pseudo_cost = direction == kUpBranch ? column.pseudo_cost_up : column.pseudo_cost_down;
  const double sample = std::max(std::fabs((z - engine.search.BaseObjective) / (b - x)), 0.0);
  bool initialised = false;
  if (Unknown(pseudo_cost)) {
    pseudo_cost = static_cast<float>(sample);
    ++engine.search.PseudoCostInits;
    engine.trace.TraceField(PseudoCostCountField, IntText(engine.search.PseudoCostInits, 5));
    initialised = true;
  } else {
    pseudo_cost = static_cast<float>(std::max((0.01 * pseudo_cost + sample) / 1.01, 0.0));
  }
  engine.trace.current_line += " " + PseudoCostText(pseudo_cost, initialised);
}

// min(max(100.1 pc, 1000), 1e14)
void PenalisePseudoCost(LpColumn& column, uint8_t direction) {
  float& pseudo_cost = direction == kUpBranch ? column.pseudo_cost_up : column.pseudo_cost_down;
  pseudo_cost = static_cast<float>(
      std::min(std::max(static_cast<double>(pseudo_cost) * 100.1, 1000.0), 1e14));
}

std::string PseudoCostText(double value, bool initialised) {
  if (value > kShownLimit) return std::string(11, kInfinitySign);
  std::string text = FixedText(value, 11, 2);
  if (initialised) text[0] = '+';
  return text;
}

}  // namespace vido
