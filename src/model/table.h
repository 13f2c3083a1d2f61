#ifndef VIDO_MODEL_TABLE_H_
#define VIDO_MODEL_TABLE_H_

#include <string>
#include <vector>

namespace vido {

// A rectangular array of text cells addressed (column, row) from 0. Numbers live as
// the text the user typed and are parsed at the moment of use. Growing adds empty
// cells, shrinking drops the cells that fall outside; cells that stay keep their text.
class Table {
 public:
  Table(int fixed_cols = 1, int fixed_rows = 1, int col_count = 0, int row_count = 0);

  int ColCount() const { return col_count_; }
  int RowCount() const { return row_count_; }
  void SetColCount(int cols) { SetSize(cols, row_count_); }
  void SetRowCount(int rows) { SetSize(col_count_, rows); }
  void SetSize(int cols, int rows);

  int FixedCols() const { return fixed_cols_; }
  int FixedRows() const { return fixed_rows_; }
  void SetFixedCols(int n) { fixed_cols_ = n; }
  void SetFixedRows(int n) { fixed_rows_ = n; }

  bool Contains(int col, int row) const {
    return col >= 0 && row >= 0 && col < col_count_ && row < row_count_;
  }
  // Reading outside the table gives the empty text; writing outside is ignored.
  const std::string& Cell(int col, int row) const;
  void SetCell(int col, int row, std::string text);

  // Cell readers that stop the running command (CommandError) with the conversion
  // message when the text is not a number. A number once read is remembered until the
  // cell changes.
  double Real(int col, int row) const;
  int Integer(int col, int row) const;
  // Writes a number in the general 15-digit format.
  void SetReal(int col, int row, double value);
  void SetInteger(int col, int row, int value);

  // Whole-row and whole-column helpers used by the editing commands.
  std::vector<std::string> Row(int row) const;
  void MoveRow(int from, int to);  // copies every cell of row `from` over row `to`

  int CurrentCol() const { return current_col_; }
  int CurrentRow() const { return current_row_; }
  void SetCurrent(int col, int row) {
    current_col_ = col;
    current_row_ = row;
  }

  void Clear();  // every cell empty, size kept

 private:
  int fixed_cols_;
  int fixed_rows_;
  int col_count_ = 0;
  int row_count_ = 0;
  int current_col_ = 0;
  int current_row_ = 0;
  std::vector<std::string> cells_;  // row-major
  // The numbers read from cells with Real, by cell, kept until the cell or the size
  // changes: the analyses read the same performances and thresholds thousands of times.
  mutable std::vector<double> reals_;
  mutable std::vector<char> real_known_;
};

}  // namespace vido

#endif  // VIDO_MODEL_TABLE_H_
