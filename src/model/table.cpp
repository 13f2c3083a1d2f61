#include "model/table.h"

#include <algorithm>

#include "support/command_error.h"
#include "support/number_text.h"

namespace vido {

namespace {
const std::string kEmpty;
}

Table::Table(int fixed_cols, int fixed_rows, int col_count, int row_count)
    : fixed_cols_(fixed_cols), fixed_rows_(fixed_rows) {
  SetSize(col_count, row_count);
}

void Table::SetSize(int cols, int rows) {
  cols = std::max(cols, 0);
  rows = std::max(rows, 0);
  if (cols == col_count_ && rows == row_count_) return;
  reals_.clear();
  real_known_.clear();
  if (cols == col_count_) {
    // Rows added or removed at the end: the cells above stay where they are, and a table
    // grown row by row costs no copy of its rows.
    cells_.resize(static_cast<size_t>(cols) * static_cast<size_t>(rows));
    row_count_ = rows;
    return;
  }
  std::vector<std::string> cells(static_cast<size_t>(cols) * static_cast<size_t>(rows));
  const int keep_cols = std::min(cols, col_count_);
  const int keep_rows = std::min(rows, row_count_);
  for (int r = 0; r < keep_rows; ++r) {
    for (int c = 0; c < keep_cols; ++c) {
      cells[static_cast<size_t>(r) * cols + c] =
          std::move(cells_[static_cast<size_t>(r) * col_count_ + c]);
    }
  }
  cells_ = std::move(cells);
  col_count_ = cols;
  row_count_ = rows;
}

const std::string& Table::Cell(int col, int row) const {
  if (!Contains(col, row)) return kEmpty;
  return cells_[static_cast<size_t>(row) * col_count_ + col];
}

void Table::SetCell(int col, int row, std::string text) {
  if (!Contains(col, row)) return;
  const size_t index = static_cast<size_t>(row) * col_count_ + col;
  cells_[index] = std::move(text);
  if (!real_known_.empty()) real_known_[index] = 0;
}

double Table::Real(int col, int row) const {
  const bool inside = Contains(col, row);
  const size_t index = inside ? static_cast<size_t>(row) * col_count_ + col : 0;
  if (inside && !real_known_.empty() && real_known_[index]) return reals_[index];
  const std::string& text = Cell(col, row);
  const auto value = ParseReal(text);
  if (!value) throw CommandError(NotRealMessage(text));
  if (inside) {
    if (real_known_.empty()) {
      reals_.assign(cells_.size(), 0.0);
      real_known_.assign(cells_.size(), 0);
    }
    reals_[index] = *value;
    real_known_[index] = 1;
  }
  return *value;
}

int Table::Integer(int col, int row) const {
  const std::string& text = Cell(col, row);
  const auto value = ParseInteger(text);
  if (!value) throw CommandError(NotIntegerMessage(text));
  return *value;
}

void Table::SetReal(int col, int row, double value) { SetCell(col, row, FormatGeneral(value)); }

void Table::SetInteger(int col, int row, int value) { SetCell(col, row, std::to_string(value)); }

std::vector<std::string> Table::Row(int row) const {
  std::vector<std::string> out;
  out.reserve(col_count_);
  for (int c = 0; c < col_count_; ++c) out.push_back(Cell(c, row));
  return out;
}

void Table::MoveRow(int from, int to) {
  if (from == to) return;
  for (int c = 0; c < col_count_; ++c) SetCell(c, to, Cell(c, from));
}

void Table::Clear() {
  reals_.clear();
  real_known_.clear();
  for (auto& cell : cells_) cell.clear();
}

}  // namespace vido
