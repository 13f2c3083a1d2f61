#ifndef VIDO_MODEL_PROBLEM_LAYOUT_H_
#define VIDO_MODEL_PROBLEM_LAYOUT_H_

// Where things live in the input tables. Indices of the model are 1-based (criterion j,
// profile h, action i); cells are addressed (column, row) from 0.

namespace vido {

inline constexpr int kProfileBlockRows = 5;  // g(b), q, p, u, v

// Offsets of the rows of a profile block in FGrid.
enum ProfileRowOffset {
  kProfileValue = 0,
  kIndifference = 1,
  kPreference = 2,
  kDiscordance = 3,
  kVeto = 4
};

// First FGrid row of profile h's block.
inline int ProfileBlockRow(int h) { return kProfileBlockRows * (h - 1) + 1; }
// FGrid row of the given threshold of profile h.
inline int ProfileRow(int h, int offset) { return ProfileBlockRow(h) + offset; }
// The last FGrid row: "1" maximises criterion j, any other text minimises it.
inline int DirectionRow(int categories) { return kProfileBlockRows * (categories - 1) + 1; }
inline int FGridRowCount(int categories) { return kProfileBlockRows * (categories - 1) + 2; }

// AGrid columns.
inline constexpr int kActionNameCol = 0;
inline constexpr int kELowCol = 1;
inline constexpr int kEHighCol = 2;
inline int PerformanceCol(int j) { return 2 + j; }

// CGrid columns (lambda is column 1, k_j column 1 + j).
inline int SignCol(int criteria) { return criteria + 2; }
inline int RhsCol(int criteria) { return criteria + 3; }

// The largest problem a file may hold, which the editing commands therefore cannot pass
// either. 20 criteria and more are refused with "Maximum number of criteria exceeded";
// the other two are far beyond any real problem and keep a damaged or hostile file from
// making the program allocate without bound.
inline constexpr int kMaxCriteria = 19;
inline constexpr int kMaxCategories = 1000;
inline constexpr int kMaxActions = 100000;

inline constexpr const char* kDirectionLabel = "MAX/min?(1/-1)";
inline constexpr const char* kNormLabel = "Norm";

}  // namespace vido

#endif  // VIDO_MODEL_PROBLEM_LAYOUT_H_
