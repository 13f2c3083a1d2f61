#ifndef VIDO_TESTS_SOLVER_GLPK_ORACLE_H_
#define VIDO_TESTS_SOLVER_GLPK_ORACLE_H_

#include <glpk.h>

#include <vector>

#include "solver/dense_program.h"

namespace vido::testing {

// What GLPK says about a program, in the solver interface's status values.
struct OracleResult {
  int status = -1;  // 0 optimal, 2 unbounded, 3 infeasible, -1 GLPK failed
  double objective = 0;
  std::vector<double> x;
};

enum class OracleMethod { kSimplex, kExact, kInteger };

// Solves the program with GLPK: the primal simplex (or exact rational arithmetic, or the
// branch-and-cut with a tight integrality tolerance for 'B' and 'I' columns).
inline OracleResult SolveWithGlpk(const DenseProgram& p,
                                  OracleMethod method = OracleMethod::kSimplex) {
  glp_term_out(GLP_OFF);
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  if (p.m > 0) glp_add_rows(lp, p.m);
  glp_add_cols(lp, p.n);
  for (int i = 0; i < p.m; ++i) {
    const int kind = p.sense[i] == '<' ? GLP_UP : p.sense[i] == '>' ? GLP_LO : GLP_FX;
    glp_set_row_bnds(lp, i + 1, kind, p.b[i], p.b[i]);
  }
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int j = 0; j < p.n; ++j) {
    glp_set_obj_coef(lp, j + 1, p.c[j]);
    double lo = p.lower[j];
    double up = p.upper[j];
    if (p.type[j] == 'B') {
      lo = 0;
      up = 1;
    } else if (p.type[j] == 'I') {
      up = std::min(up, 300000.0);
    }
    const bool has_lo = lo > -1e20;
    const bool has_up = up < 1e20;
    const int kind = has_lo && has_up ? (lo == up ? GLP_FX : GLP_DB)
                     : has_lo         ? GLP_LO
                     : has_up         ? GLP_UP
                                      : GLP_FR;
    glp_set_col_bnds(lp, j + 1, kind, lo, up);
    if (method == OracleMethod::kInteger && p.type[j] != 'C') glp_set_col_kind(lp, j + 1, GLP_IV);
    for (int i = 0; i < p.m; ++i) {
      if (p.a[i][j] == 0) continue;
      ia.push_back(i + 1);
      ja.push_back(j + 1);
      ar.push_back(p.a[i][j]);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());

  OracleResult result;
  glp_smcp parm;
  glp_init_smcp(&parm);
  parm.presolve = GLP_OFF;
  int rc = 0;
  if (method == OracleMethod::kExact) {
    rc = glp_exact(lp, &parm);
  } else {
    rc = glp_simplex(lp, &parm);
  }
  int status = rc == 0 ? glp_get_status(lp) : -1;
  auto map_lp = [](int s) {
    return s == GLP_OPT ? 0 : s == GLP_UNBND ? 2 : (s == GLP_NOFEAS || s == GLP_INFEAS) ? 3 : -1;
  };
  result.status = map_lp(status);
  if (method == OracleMethod::kInteger && result.status == 0) {
    glp_iocp iocp;
    glp_init_iocp(&iocp);
    iocp.tol_int = 1e-9;
    iocp.tol_obj = 1e-9;
    rc = glp_intopt(lp, &iocp);
    const int s = rc == 0 ? glp_mip_status(lp) : -1;
    result.status = s == GLP_OPT ? 0 : s == GLP_NOFEAS ? 3 : -1;
    if (result.status == 0) {
      result.objective = glp_mip_obj_val(lp);
      for (int j = 0; j < p.n; ++j) result.x.push_back(glp_mip_col_val(lp, j + 1));
    }
  } else if (method == OracleMethod::kInteger && result.status == 2) {
    result.status = 3;  // an unbounded relaxation is not searched
  } else if (result.status == 0) {
    result.objective = glp_get_obj_val(lp);
    for (int j = 0; j < p.n; ++j) result.x.push_back(glp_get_col_prim(lp, j + 1));
  }
  glp_delete_prob(lp);
  return result;
}

}  // namespace vido::testing

#endif  // VIDO_TESTS_SOLVER_GLPK_ORACLE_H_
