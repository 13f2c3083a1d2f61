#ifndef VIDO_ANALYSIS_DROP_SEARCH_H_
#define VIDO_ANALYSIS_DROP_SEARCH_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/hitting_set.h"
#include "analysis/inconsistency_analysis.h"
#include "lp/solver_session.h"

namespace vido {

class UserPort;

// The pairs (c, d) of analysis rows (1-based) where every parameter vector (lambda and
// weights >= 0, the weights summing to 1) satisfying row d satisfies row c, as far as a
// comparison of their coefficients shows. A smallest set to drop that drops c drops d as
// well: keeping d, c holds anyway, and the set without c is smaller.
std::vector<std::pair<int, int>> ImpliedRows(const DropProgram& drop);

// The suggestions of the drop program found without its 0-1 program: the smallest sets
// of analysis rows whose removal leaves the others consistent, each of minimum size
// among the sets no earlier suggestion excludes (a suggestion excludes itself and every
// set containing it). The meaning is the drop program's: the rows kept hold with the
// margin 0.00001, a dropped row holds relaxed by 999, the weights sum to 1.
//
// An implicit hitting-set search. A "conflict" is a set of kept rows that cannot hold
// together; one is read from the Farkas proof of a linear program that says a choice
// is inconsistent. Every consistent choice drops a row of every conflict, so the
// smallest set that meets every conflict found and contains no excluded set (a
// `HittingSet` search) is a lower bound; when the linear program says that set is
// consistent, it is the answer, otherwise its conflict joins the others. The
// conflicts stay valid for every later suggestion. The search looks only at sets that
// drop the rows implying every row they drop (ImpliedRows): the smallest ones all do.
// The hitting-set search's local search answers first without a proof: a failing guess
// gives conflicts as well, and a consistent one becomes the set the proven search must
// beat. What a proven search had gone through by each set it found (sets the linear
// program then rejects, say) the next ones skip where they look for smaller sets. In
// the long proofs the search checks on the way down whether the rows its node keeps can
// hold together (KeptConflict): a conflict among them joins the family at once.
class DropSearch {
 public:
  enum class Outcome { kFound, kNoMore, kStopped };

  // `port` shows the engines' messages and is asked for cancel requests (none: no
  // messages and no cancel); `cold` solves every linear program afresh.
  DropSearch(const DropProgram& drop, UserPort* port, bool cold = false);
  ~DropSearch();
  DropSearch(const DropSearch&) = delete;
  DropSearch& operator=(const DropSearch&) = delete;

  // The next suggestion: the rows to drop (1-based, increasing) and a parameter vector
  // (lambda, k_1..k_n) under which the rows kept hold. kNoMore when every set is
  // excluded or none restores consistency; kStopped when a solve failed or was
  // cancelled (LastStop() tells why).
  Outcome Next(std::vector<int>& dropped, std::vector<double>& solution);
  // Excludes `dropped` and every set containing it from the later suggestions.
  void Exclude(const std::vector<int>& dropped);
  // Told while Next searches, each time one of them changes: the least size the next
  // suggestion can have (none is proven smaller) and the size of the smallest consistent
  // set found that it may be (0: none yet).
  void SetProgress(std::function<void(int at_least, int found)> progress) {
    progress_ = std::move(progress);
  }
  SolverStop LastStop() const { return stop_; }
  // The hitting-set searches check the rows they keep at every other level of every
  // search, not only in the long proofs (the tests compare the suggestions so).
  void SetCheckedEverywhere(bool on) { checked_everywhere_ = on; }

 private:
  void Report(int found);
  bool Consistent(const std::vector<char>& dropped, std::vector<double>* solution);
  Outcome Master(std::vector<int>& choice, bool& known, bool& proven, bool guess);
  bool Allowed(const std::vector<int>& rows) const;
  Outcome Learn(const std::vector<char>& dropped, std::vector<int>& conflict);
  Outcome Test(const std::vector<char>& dropped, bool& consistent, std::vector<int>& conflict);
  Outcome Shrink(std::vector<char>& dropped);
  std::vector<int> KeptConflict(const std::vector<int>& kept);
  bool Droppable(const std::vector<char>& dropped, int row) const;
  void Reduce(std::vector<int>& conflict);
  void AddConflict(const std::vector<int>& conflict);
  bool RowsInconsistent();
  Outcome Stopped(SolverStop stop);

  int p_ = 0;
  int m_ = 0;
  UserPort* port_ = nullptr;
  std::unique_ptr<SolverSession> check_;
  std::unique_ptr<SolverSession> farkas_;
  std::unique_ptr<SolverSession> small_;
  std::vector<std::vector<double>> a_;  // rows over (lambda, k)
  std::vector<double> b_;               // right-hand sides with the margin
  // The conflicts found, none containing another, in the order they came, with a
  // signature each: the bits of their rows modulo 64.
  std::vector<std::vector<int>> conflicts_;
  std::vector<std::uint64_t> signatures_;
  std::vector<std::pair<int, int>> implied_;  // ImpliedRows
  std::vector<std::vector<int>> excluded_;
  std::vector<std::vector<int>> candidates_;    // consistent choices met on the way
  std::vector<HittingSet::Explored> explored_;  // what the proven searches went through
  std::vector<int> hint_;                       // the last smallest set meeting the conflicts
  int smallest_ = 0;                            // no set meeting the conflicts is smaller
  bool checked_everywhere_ = false;
  SolverStop stop_ = SolverStop::kNone;
  std::function<void(int, int)> progress_;
  std::pair<int, int> reported_{-1, -1};
};

}  // namespace vido

#endif  // VIDO_ANALYSIS_DROP_SEARCH_H_
