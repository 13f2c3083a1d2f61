#ifndef VIDO_BENCH_GLPK_DROP_PROGRAM_H_
#define VIDO_BENCH_GLPK_DROP_PROGRAM_H_

#include <glpk.h>

#include <vector>

#include "analysis/inconsistency_analysis.h"

namespace vido {

// GLPK's glp_intopt (presolve on, integrality tolerance `tol_int`, at most `seconds`) on
// the drop program as the analysis builds it, its cuts included: the rows it drops (from
// 1), empty when it found none; `timed_out` tells whether time ran out.
inline std::vector<int> GlpkDropSet(const DropProgram& drop, double tol_int, int seconds,
                                    bool& timed_out) {
  glp_term_out(GLP_OFF);
  glp_prob* lp = glp_create_prob();
  glp_set_obj_dir(lp, GLP_MAX);
  glp_add_rows(lp, drop.Rows());
  glp_add_cols(lp, drop.Columns());
  std::vector<int> ia(1), ja(1);
  std::vector<double> ar(1);
  for (int l = 0; l < drop.Rows(); ++l) {
    const int kind = l < drop.m ? GLP_LO : l == drop.m ? GLP_FX : GLP_UP;
    glp_set_row_bnds(lp, l + 1, kind, drop.b[l], drop.b[l]);
    for (int j = 0; j < drop.Columns(); ++j) {
      if (drop.a[l][j] == 0) continue;
      ia.push_back(l + 1);
      ja.push_back(j + 1);
      ar.push_back(drop.a[l][j]);
    }
  }
  for (int j = 1; j <= drop.Columns(); ++j) {
    if (j > drop.p) {
      glp_set_col_kind(lp, j, GLP_BV);
      glp_set_obj_coef(lp, j, -1);
    } else {
      glp_set_col_bnds(lp, j, GLP_LO, 0, 0);
    }
  }
  glp_load_matrix(lp, static_cast<int>(ia.size()) - 1, ia.data(), ja.data(), ar.data());
  glp_iocp parm;
  glp_init_iocp(&parm);
  parm.presolve = GLP_ON;
  parm.tol_int = tol_int;
  parm.tm_lim = seconds * 1000;
  std::vector<int> set;
  const int code = glp_intopt(lp, &parm);
  timed_out = code == GLP_ETMLIM;
  if (code == 0 && glp_mip_status(lp) == GLP_OPT) {
    for (int i = 1; i <= drop.m; ++i) {
      if (glp_mip_col_val(lp, drop.p + i) > 0.5) set.push_back(i);
    }
  }
  glp_delete_prob(lp);
  return set;
}

}  // namespace vido

#endif  // VIDO_BENCH_GLPK_DROP_PROGRAM_H_
