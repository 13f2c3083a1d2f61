// Every suggestion of the inconsistency analysis must remove as few constraints as
// possible given the earlier ones: checked against GLPK's optimum of the same drop
// program, and against the analysis' own 0-1 program.

#include <glpk.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <random>

#include "analysis/drop_search.h"
#include "analysis/inconsistency_analysis.h"
#include "analysis/robust_assignments.h"
#include "common/fake_user_port.h"
#include "common/generated_problem.h"
#include "common/integer_search.h"
#include "differential/random_problem.h"
#include "lp/solver_interface.h"
#include "solver/glpk_oracle.h"
#include "support/number_text.h"

namespace vido {
namespace {

using testing::DenseProgram;
using testing::FakeUserPort;
using testing::OracleMethod;
using testing::SolveWithGlpk;

// The drop program as the analysis states it to the solver interface.
DenseProgram AsDense(const DropProgram& drop) {
  DenseProgram p(drop.Columns(), drop.Rows());
  for (int j = 0; j < drop.Columns(); ++j) {
    p.type[j] = j < drop.p ? 'C' : 'B';
    p.c[j] = j < drop.p ? 0 : -1;
  }
  for (int l = 0; l < drop.Rows(); ++l) {
    p.a[l] = drop.a[l];
    p.b[l] = drop.b[l];
    p.sense[l] = l < drop.m ? '>' : l == drop.m ? '=' : '<';
  }
  return p;
}

// The smallest number of rows to drop. With its default tolerances GLPK's branch and
// cut lets 999 times a nearly-zero drop variable pay the 0.00001 margin of a kept row;
// so it runs with tight tolerances, every set it proposes is checked by an exact
// rational LP with the drop variables fixed, and a set that fails is cut off before
// asking again. The first set that passes has the minimum size.
// GLPK's branch and cut with tolerances far tighter than its defaults; the values of
// the columns, or nothing when it finds no integer solution.
std::optional<std::vector<double>> TightGlpkMip(const DenseProgram& p) {
  glp_term_out(GLP_OFF);
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, p.m);
  glp_add_cols(lp, p.n);
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int i = 0; i < p.m; ++i) {
    const int kind = p.sense[i] == '<' ? GLP_UP : p.sense[i] == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(lp, i + 1, kind, p.b[i], p.b[i]);
    for (int j = 0; j < p.n; ++j) {
      if (p.a[i][j] == 0) continue;
      ia.push_back(i + 1);
      ja.push_back(j + 1);
      ar.push_back(p.a[i][j]);
    }
  }
  for (int j = 0; j < p.n; ++j) {
    glp_set_obj_coef(lp, j + 1, p.c[j]);
    if (p.type[j] == 'B') {
      glp_set_col_kind(lp, j + 1, GLP_BV);
    } else {
      glp_set_col_bnds(lp, j + 1, GLP_LO, 0, 0);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  glp_smcp smcp;
  glp_init_smcp(&smcp);
  smcp.tol_bnd = 1e-12;
  smcp.tol_dj = 1e-12;
  glp_iocp iocp;
  glp_init_iocp(&iocp);
  iocp.tol_int = 1e-12;
  iocp.tol_obj = 1e-12;
  std::optional<std::vector<double>> x;
  if (glp_simplex(lp, &smcp) == 0 && glp_get_status(lp) == GLP_OPT && glp_intopt(lp, &iocp) == 0 &&
      glp_mip_status(lp) == GLP_OPT) {
    x.emplace();
    for (int j = 0; j < p.n; ++j) x->push_back(glp_mip_col_val(lp, j + 1));
  }
  glp_delete_prob(lp);
  return x;
}

std::string JoinForTest(const std::vector<int>& set) {
  std::string text;
  for (const int i : set) text += (text.empty() ? "" : " + ") + std::to_string(i);
  return text;
}

int ExactMinimum(const DropProgram& drop) {
  DenseProgram program = AsDense(drop);
  for (int round = 0; round < 100; ++round) {
    auto x = TightGlpkMip(program);
    if (!x) {
      // The tight tolerances can stall GLPK; its own defaults then, still checked.
      const auto mip = SolveWithGlpk(program, OracleMethod::kInteger);
      if (mip.status != 0) return -1;
      x = mip.x;
    }
    std::vector<int> set;
    DenseProgram fixed = program;
    for (int i = 1; i <= drop.m; ++i) {
      const double y = std::round((*x)[drop.p + i - 1]);
      if (y == 1) set.push_back(i);
      fixed.type[drop.p + i - 1] = 'C';
      fixed.lower[drop.p + i - 1] = fixed.upper[drop.p + i - 1] = y;
    }
    if (SolveWithGlpk(fixed, OracleMethod::kExact).status == 0) {
      return static_cast<int>(set.size());
    }
    // Excludes exactly this set (supersets stay possible): sum of y over the set
    // minus the sum over the others at most |set| - 1.
    std::vector<double> cut(program.n, 0.0);
    for (int i = 1; i <= drop.m; ++i) cut[drop.p + i - 1] = -1;
    for (const int i : set) cut[drop.p + i - 1] = 1;
    program.a.push_back(cut);
    program.b.push_back(static_cast<double>(set.size()) - 1);
    program.sense.push_back('<');
    ++program.m;
  }
  return -1;
}

// The drop program with the rows of `dropped` relaxed and the others kept: GLPK's exact
// simplex says whether the rows kept then hold with their margin.
bool RestoresConsistency(const DropProgram& drop, const std::vector<int>& dropped) {
  DenseProgram fixed = AsDense(drop);
  for (int i = 1; i <= drop.m; ++i) {
    const double y = std::count(dropped.begin(), dropped.end(), i) > 0 ? 1 : 0;
    fixed.type[drop.p + i - 1] = 'C';
    fixed.lower[drop.p + i - 1] = fixed.upper[drop.p + i - 1] = y;
  }
  return SolveWithGlpk(fixed, OracleMethod::kExact).status == 0;
}

// The suggestions "Suggest" shows for `ws`, with the search and with the 0-1 program:
// every suggestion restores consistency, contains no earlier one and is no smaller, and
// the two give the same sizes (each found set is a smallest one no earlier set is part
// of, so the sizes do not depend on which of equal sets comes first); a second run finds
// the same sets. With `exact` (the sizes where that is fast), the 0-1 program runs too
// and every size is GLPK's minimum of the drop program with the cuts of the earlier ones.
// Returns the sizes.
std::vector<std::string> CheckSuggestions(const Workspace& ws, int count, bool exact,
                                          const std::string& label) {
  FakeUserPort port;
  SolverSetUserPort(&port);
  std::vector<std::string> sizes[2];
  for (const bool drop_program : {false, true}) {
    if (drop_program && !exact) break;
    IAForm form;
    form.SetMaxSuggestions(count);
    form.drop_program = drop_program;
    // What the window is told while the search runs, with the suggestion it is about.
    std::vector<std::pair<size_t, std::string>> progress;
    form.repaint = [&](const IAForm& shown) {
      if (!shown.progress.empty())
        progress.emplace_back(shown.suggested_sets.size(), shown.progress);
    };
    BSuggestClick(ws, port, form);
    EXPECT_TRUE(port.Errors().empty()) << label << ": " << port.Errors()[0];
    EXPECT_TRUE(form.progress.empty()) << label;
    // The search's bounds hold the size of the suggestion they were about.
    if (!drop_program && form.suggested_sets.size() > 1) {
      EXPECT_FALSE(progress.empty()) << label;
    }
    for (const auto& [next, text] : progress) {
      if (next >= form.suggested_sets.size()) continue;
      const size_t size = form.suggested_sets[next].size();
      // The number after `words` in the text, -1 without them.
      auto after = [&text = text](const std::string& words) {
        const size_t at = text.find(words);
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + words.size());
      };
      EXPECT_EQ(text.rfind("Searching: ", 0), 0u) << text;
      EXPECT_LE(after("at least "), static_cast<int>(size)) << label << ": " << text;
      if (after("a set of ") >= 0) {
        EXPECT_GE(after("a set of "), static_cast<int>(size)) << label << ": " << text;
      }
    }
    for (int row = 1; row < form.StringGrid1.RowCount(); ++row) {
      sizes[drop_program].push_back(form.StringGrid1.Cell(1, row));
    }
    if (drop_program) continue;
    // A run of the same input finds the same sets in the same order.
    IAForm again;
    again.SetMaxSuggestions(count);
    BSuggestClick(ws, port, again);
    EXPECT_EQ(again.suggested_sets, form.suggested_sets) << label;
    DropProgram drop = ReadDropProgram(ws);
    size_t previous = 0;
    for (const std::vector<int>& set : form.suggested_sets) {
      EXPECT_TRUE(RestoresConsistency(drop, set)) << label << ": " << JoinForTest(set);
      EXPECT_GE(set.size(), previous) << label;
      if (exact) {
        EXPECT_EQ(ExactMinimum(drop), static_cast<int>(set.size())) << label;
      }
      for (const std::vector<int>& earlier : form.suggested_sets) {
        if (&earlier == &set) break;
        EXPECT_FALSE(std::includes(set.begin(), set.end(), earlier.begin(), earlier.end()))
            << label << ": " << JoinForTest(set) << " contains " << JoinForTest(earlier);
      }
      previous = set.size();
      drop.AddCut(set);
    }
  }
  SolverSetUserPort(nullptr);
  if (exact) {
    EXPECT_EQ(sizes[0], sizes[1]) << label;
  }
  return sizes[0];
}

TEST(DropProgramDifferential, SuggestionsHaveMinimumCardinality) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  const bool slow = std::getenv("VIDO_SLOW_TESTS") != nullptr;
  const int count = slow ? 300 : 25;
  FakeUserPort port;
  SolverSetUserPort(&port);
  int checked = 0;
  for (int seed = 1; seed <= count; ++seed) {
    std::mt19937 rng(seed);
    Workspace ws;
    testing::MakeRandomProblem(ws, rng, true);
    CalcRangeItemClick(ws, port);
    if (ws.RangesValid || !ws.ResultsAvailable) continue;
    CheckSuggestions(ws, 3, true, "seed " + std::to_string(seed));
    ++checked;
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(checked, count / 3);
}

// Every pair of rows the search takes as implied is: GLPK's exact simplex finds no
// parameter vector that satisfies row d and not row c (the least a_c x over row d, the
// weights summing to 1, is at least b_c).
TEST(DropProgramDifferential, ImpliedRowsHoldForEveryParameterVector) {
  FakeUserPort port;
  SolverSetUserPort(&port);
  std::vector<Workspace> problems;
  for (int seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    problems.emplace_back();
    testing::MakeRandomProblem(problems.back(), rng, true);
  }
  problems.push_back(testing::InconsistentProblem(5, 6, 60, 40, 3));
  size_t pairs = 0;
  for (Workspace& ws : problems) {
    CalcRangeItemClick(ws, port);
    const DropProgram drop = ReadDropProgram(ws);
    for (const auto& [c, d] : ImpliedRows(drop)) {
      DenseProgram p(drop.p, 2);
      for (int j = 0; j < drop.p; ++j) {
        p.c[j] = -drop.a[c - 1][j];
        p.a[0][j] = drop.a[d - 1][j];
        p.a[1][j] = j > 0 ? 1 : 0;
      }
      p.sense = {'>', '='};
      p.b = {drop.b[d - 1], 1};
      const testing::OracleResult least = SolveWithGlpk(p, OracleMethod::kExact);
      ASSERT_TRUE(least.status == 0 || least.status == 3) << c << " from " << d;
      if (least.status == 0) {
        EXPECT_GE(-least.objective, drop.b[c - 1] - 1e-12) << c << " from " << d;
      }
      ++pairs;
    }
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(pairs, 100u);
}

// Examples a hidden vector gives with some moved two categories away: the first
// suggestion drops one row of each moved example.
TEST(DropProgramDifferential, PlantedContradictions) {
  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  struct Size {
    int n, k, m, examples, contradictions;
  };
  // At the program's criteria: 300 actions, 200 examples, 365 analysis rows (0.3 s for
  // five); the long suite adds 800 actions, 270 examples, 491 rows (several seconds).
  std::vector<Size> sizes = {{4, 5, 40, 30, 2}, {5, 6, 60, 40, 3}, {12, 10, 300, 200, 8}};
  if (std::getenv("VIDO_SLOW_TESTS") != nullptr) sizes.push_back({12, 10, 800, 270, 10});
  for (const Size size : sizes) {
    Workspace ws =
        testing::InconsistentProblem(size.n, size.k, size.m, size.examples, size.contradictions);
    FakeUserPort port;
    SolverSetUserPort(&port);
    CalcRangeItemClick(ws, port);
    SolverSetUserPort(nullptr);
    ASSERT_FALSE(ws.RangesValid);
    const std::vector<std::string> found =
        CheckSuggestions(ws, 5, size.n < 12, std::to_string(size.m) + " actions");
    ASSERT_FALSE(found.empty());
    // The small ones run out of alternatives (proven by both ways above).
    if (size.n == 12) {
      EXPECT_EQ(found.size(), 5u);
    }
    EXPECT_EQ(found[0], std::to_string(size.contradictions));
  }
}

// With the rows each node keeps checked in every search (by default only in the long
// proofs), the suggestions have the sizes they have without, each restores consistency,
// and a second run gives the same sets.
TEST(DropProgramDifferential, SearchesCheckedEverywhereSuggestTheSameSizes) {
  FakeUserPort port;
  SolverSetUserPort(&port);
  std::vector<Workspace> problems;
  problems.push_back(testing::InconsistentProblem(5, 6, 60, 40, 3));
  problems.push_back(testing::InconsistentProblem(12, 10, 300, 200, 8));
  for (int seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    problems.emplace_back();
    testing::MakeRandomProblem(problems.back(), rng, true);
  }
  int compared = 0;
  for (Workspace& ws : problems) {
    CalcRangeItemClick(ws, port);
    if (ws.RangesValid || !ws.ResultsAvailable) continue;
    const DropProgram drop = ReadDropProgram(ws);
    auto suggest = [&](bool checked) {
      DropSearch search(drop, nullptr);
      search.SetCheckedEverywhere(checked);
      std::vector<std::vector<int>> sets;
      std::vector<int> dropped;
      std::vector<double> solution;
      while (sets.size() < 5 && search.Next(dropped, solution) == DropSearch::Outcome::kFound) {
        sets.push_back(dropped);
        search.Exclude(dropped);
      }
      return sets;
    };
    const std::vector<std::vector<int>> plain = suggest(false);
    const std::vector<std::vector<int>> checked = suggest(true);
    EXPECT_EQ(suggest(true), checked);
    ASSERT_EQ(checked.size(), plain.size());
    for (size_t k = 0; k < checked.size(); ++k) {
      EXPECT_EQ(checked[k].size(), plain[k].size()) << k;
      EXPECT_TRUE(RestoresConsistency(drop, checked[k])) << JoinForTest(checked[k]);
    }
    ++compared;
  }
  SolverSetUserPort(nullptr);
  EXPECT_GT(compared, 4);
}

// Whether the rows `kept` can hold together, every other row relaxed by 999 as in the
// drop program: GLPK's exact simplex over lambda and the weights alone.
bool KeptRowsHold(const DropProgram& drop, const std::vector<int>& kept) {
  DenseProgram p(drop.p, drop.m + 1);
  for (int i = 0; i < drop.m; ++i) {
    p.a[i] = std::vector<double>(drop.a[i].begin(), drop.a[i].begin() + drop.p);
    p.sense[i] = '>';
    const bool keep = std::count(kept.begin(), kept.end(), i + 1) > 0;
    p.b[i] = drop.b[i] - (keep ? 0 : 999);
  }
  for (int j = 1; j < drop.p; ++j) p.a[drop.m][j] = 1;
  p.sense[drop.m] = '=';
  p.b[drop.m] = 1;
  return SolveWithGlpk(p, OracleMethod::kExact).status == 0;
}

// "There are no more alternatives" at the program's criteria and actions, only when it
// holds: every later set keeps a row of each suggestion (it contains none of them), so
// none exists exactly when no such choice of rows holds together on its own.
TEST(DropProgramDifferential, NoMoreAlternativesIsProven) {
  struct Size {
    int k, m, examples, contradictions;
    size_t suggestions;
  };
  std::vector<Size> sizes = {{6, 300, 200, 6, 1}};
  // 411 analysis rows, 1840 choices of two rows.
  if (std::getenv("VIDO_SLOW_TESTS") != nullptr) sizes.push_back({6, 1000, 250, 10, 2});
  for (const Size size : sizes) {
    const std::string label =
        std::to_string(size.m) + " actions, " + std::to_string(size.examples) + " examples";
    Workspace ws =
        testing::InconsistentProblem(12, size.k, size.m, size.examples, size.contradictions);
    FakeUserPort port;
    SolverSetUserPort(&port);
    CalcRangeItemClick(ws, port);
    IAForm form;
    form.SetMaxSuggestions(5);
    BSuggestClick(ws, port, form);
    SolverSetUserPort(nullptr);
    ASSERT_EQ(form.suggested_sets.size(), size.suggestions) << label;
    EXPECT_EQ(port.Informations(), std::vector<std::string>{"There are no more alternatives"})
        << label;
    EXPECT_EQ(CheckSuggestions(ws, 5, false, label).size(), size.suggestions) << label;
    const DropProgram drop = ReadDropProgram(ws);
    // The check holds where a suggestion says so: all the rows but the first one's.
    std::vector<int> rest;
    for (int i = 1; i <= drop.m; ++i) {
      if (!std::binary_search(form.suggested_sets[0].begin(), form.suggested_sets[0].end(), i))
        rest.push_back(i);
    }
    ASSERT_TRUE(KeptRowsHold(drop, rest)) << label;
    // Every choice of one row from each suggestion.
    std::vector<size_t> at(form.suggested_sets.size(), 0);
    int choices = 0;
    for (bool more = true; more; ++choices) {
      std::vector<int> kept;
      for (size_t s = 0; s < at.size(); ++s) kept.push_back(form.suggested_sets[s][at[s]]);
      ASSERT_FALSE(KeptRowsHold(drop, kept)) << label << ": " << JoinForTest(kept);
      more = false;
      for (size_t s = 0; s < at.size() && !more; ++s) {
        more = ++at[s] < form.suggested_sets[s].size();
        if (!more) at[s] = 0;
      }
    }
    EXPECT_GT(choices, 5) << label;
  }
}

}  // namespace
}  // namespace vido
