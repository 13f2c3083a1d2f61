#include "solver/basis_file.h"

#include <fstream>
#include <sstream>
#include <string>

#include "solver/factorization.h"
#include "solver/perturbation.h"
#include "support/engine_folder.h"
#include "support/support_routines.h"

namespace vido {

namespace {

constexpr double kHugeBound = 1e10;

bool IsFrontKind(const LpColumn& column) {
  return column.kind == kLogicalOfN || column.kind == kFreeStructural;
}

// Applies the records of one line: pairs of words (type, column name).
void ApplyRecords(LpEngine& engine, const std::string& line, int32_t front) {
  std::istringstream words(line);
  std::string type;
  std::string name;
  while (words >> type >> name) {
    const int32_t position = LpLookupColumn(engine, name);
    if (position == 0) continue;
    LpColumn& column = engine.Column(position);
    if (type == "X") {
      if (position > front) column.status = kBasic;
    } else if (type == "U") {
      if (column.upper < kInfinite) column.status = kAtUpper;
    }
  }
}

// Gathers the columns marked basic behind the `front` ones, from the last position on;
// positions 1..m become the basis. The others keep the bound they were marked at, where
// it exists.
void ArrangeBasis(LpEngine& engine, int32_t front) {
  const int32_t m = engine.row_count;
  const int32_t count = engine.column_count;
  int32_t next = front + 1;
  for (int32_t p = count; p >= next;) {
    if (engine.Column(p).status == kBasic) {
      LpSwapColumns(engine, p, next++);
    } else {
      --p;
    }
  }

  for (int32_t p = 1; p <= count; ++p) {
    LpColumn& column = engine.Column(p);
    if (p <= m) {
      column.status = kBasic;
      continue;
    }
    // More X records than rows: the surplus stays out of the basis.
    if (column.status == kBasic) column.status = kAtLower;
    if (column.status == kAtUpper && column.upper > kHugeBound) column.status = kAtLower;
    if (column.status == kAtLower && column.lower < -kHugeBound) column.status = kAtUpper;
    if (column.kind == kFreeStructural) {
      if (column.status == kAtLower) {
        column.lower = 0;
        column.upper = kNoBound;
      } else {
        column.lower = -kNoBound;
        column.upper = 0;
      }
    }
  }
}

// Marks every column at its lower bound, then puts the free columns and N-row logicals
// basic at the front; returns how many there are.
int32_t BasisFront(LpEngine& engine) {
  const int32_t count = engine.column_count;
  for (int32_t p = 1; p <= count; ++p) engine.Column(p).status = kAtLower;
  int32_t front = 0;
  for (int32_t p = 1; p <= count; ++p) {
    if (!IsFrontKind(engine.Column(p))) continue;
    LpSwapColumns(engine, p, ++front);
    engine.Column(front).status = kBasic;
  }
  return front;
}

}  // namespace

std::string EngineFileName(const std::string& problem_name, const std::string& suffix) {
  const size_t dot = problem_name.find('.');
  return EngineFolder() +
         (dot == std::string::npos ? std::string() : problem_name.substr(0, dot + 1)) + suffix;
}

// Free columns and N-row logicals stay basic at the front; the file's X columns follow
// them, gathered by a walk from the last position; positions 1..m are the basis.
bool LpLoadBasis(LpEngine& engine) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return true;
  const std::string file_name = EngineFileName(engine.problem_name, "BSS");
  std::ifstream file(file_name, std::ios::binary);
  if (!file) {
    // Nothing writes a basis file, so it is missing at nearly every restart of a search:
    // a program driving the engine (the solver interface) gets the line in the trace,
    // not a box that stops its run each time.
    // Named as the user knows it, without the engine's private folder.
    const std::string message =
        "BASIS FILE " + file_name.substr(file_name.rfind('/') + 1) + " NOT FOUND";
    if (engine.flags.non_interactive) {
      engine.trace.TraceLine(message);
    } else {
      ShowMessageText(*engine.port, message);
    }
    return true;
  }
  LpPerturb(engine, 0);
  std::string line;
  std::getline(file, line);
  engine.trace.TraceLine("LOADING BASIS " + file_name);

  const int32_t front = BasisFront(engine);
  engine.iter.iteration_count = 0;

  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] != ' ') continue;
    ApplyRecords(engine, line, front);
  }

  ArrangeBasis(engine, front);
  if (!LpInversion(engine)) return false;
  if (engine.iter.n_inf > 0) LpPerturb(engine, 1);
  return true;
}

void LpInstallBasis(LpEngine& engine, const std::vector<std::string>& basic,
                    const std::vector<std::string>& at_upper) {
  if (!engine.flags.loaded || !engine.flags.setup_done) return;
  LpPerturb(engine, 0);
  const int32_t front = BasisFront(engine);
  for (const std::string& name : basic) {
    const int32_t position = LpLookupColumn(engine, name);
    if (position > front) engine.Column(position).status = kBasic;
  }
  for (const std::string& name : at_upper) {
    const int32_t position = LpLookupColumn(engine, name);
    if (position == 0) continue;
    LpColumn& column = engine.Column(position);
    if (column.status != kBasic && column.upper < kInfinite) column.status = kAtUpper;
  }
  ArrangeBasis(engine, front);
}

}  // namespace vido
