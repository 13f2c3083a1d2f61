#include "model/range_chart.h"

#include <algorithm>
#include <optional>

#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "support/atomic_file.h"
#include "support/number_text.h"
#include "support/svg_writer.h"
#include "support/utf8_text.h"

namespace vido {

namespace {

constexpr double kMargin = 12;
constexpr double kTitleSize = 14;
// An estimate of the advance of an average character of the sans-serif fonts, by size.
constexpr double kCharWidth = 0.6;
// A long chart repeats the column heads at its foot.
constexpr int kFootHeadsFrom = 30;

constexpr const char* kInferredFill = "#1b7a1b";
constexpr const char* kReachableFill = "#9ede9e";
constexpr const char* kContradictionFill = "#d62020";
constexpr const char* kHoleStroke = "#8a8a8a";
constexpr const char* kStripeFill = "#f2f2f2";
constexpr const char* kGridStroke = "#d0d0d0";
constexpr const char* kFontFamily = "DejaVu Sans, Verdana, Arial, sans-serif";

using Attributes = SvgWriter::Attributes;
const auto N = SvgWriter::Number;

// The first `limit` characters of `text`, with "…" when some were cut.
std::string Shortened(const std::string& text, size_t limit) {
  const std::string utf8 = ValidUtf8(text);
  if (DisplayLength(utf8) <= limit) return utf8;
  size_t pos = 0;
  for (size_t count = 0; count + 1 < limit && pos < utf8.size(); ++count) {
    ++pos;
    while (pos < utf8.size() && (static_cast<unsigned char>(utf8[pos]) & 0xC0) == 0x80) ++pos;
  }
  return utf8.substr(0, pos) + "\xE2\x80\xA6";
}

struct Row {
  int action = 0;  // 1-based
  std::string name;
  int low = 1;
  int high = 1;
  bool has_example = false;
  int inferred = 0;
  int worst = 0;
  int best = 0;
};

std::vector<Row> ChartRows(const Workspace& ws) {
  const int k = ws.CategoriesCount;
  const int m = ws.ActionsCount;
  std::vector<int> order;
  const bool by_variability = ws.RangesValid && static_cast<int>(ws.VariabilityOrder.size()) == m;
  for (int p = 0; p < m; ++p) order.push_back(by_variability ? ws.VariabilityOrder[p] + 1 : p + 1);
  std::vector<Row> rows;
  for (const int i : order) {
    Row row;
    row.action = i;
    row.name = ws.AGrid.Cell(kActionNameCol, i);
    row.low = ParseInteger(ws.AGrid.Cell(kELowCol, i)).value_or(1);
    row.high = ParseInteger(ws.AGrid.Cell(kEHighCol, i)).value_or(k);
    row.has_example = row.low > 1 || row.high < k;
    const auto at = [i](const std::vector<int>& values) {
      return static_cast<size_t>(i) < values.size() ? values[i] : 0;
    };
    row.inferred = at(ws.InferredCategory);
    row.worst = ws.RangesValid ? at(ws.WorstCategory) : row.inferred;
    row.best = ws.RangesValid ? at(ws.BestCategory) : row.inferred;
    rows.push_back(std::move(row));
  }
  return rows;
}

class ChartDrawing {
 public:
  ChartDrawing(const Workspace& ws, std::vector<Row> rows)
      : ws_(ws), rows_(std::move(rows)), k_(ws.CategoriesCount) {
    size_t longest = 6;
    for (const Row& row : rows_) longest = std::max(longest, DisplayLength(row.name));
    name_width_ = kCharWidth * kChartFontSize * std::min(longest, kChartNameLength) + 10;
    grid_left_ = kMargin + name_width_;
    const double chart_width = k_ * kChartCellWidth;
    // Wide enough for the legend and the subtitle, whatever the table's size.
    const double subtitle = kCharWidth * kChartFontSize * DisplayLength(Subtitle());
    width_ = std::max({grid_left_ + chart_width, kMargin + 430, kMargin + subtitle}) + kMargin;
    body_top_ = kMargin + 3 * 20 + kChartRowHeight;
    const bool foot = static_cast<int>(rows_.size()) >= kFootHeadsFrom;
    height_ = body_top_ + rows_.size() * kChartRowHeight + (foot ? kChartRowHeight : 0) + kMargin;
  }

  std::string Draw() {
    SvgWriter svg(width_, height_);
    svg.Open("g", {{"font-family", kFontFamily}, {"font-size", N(kChartFontSize)}});
    svg.Empty("rect", {{"width", N(width_)}, {"height", N(height_)}, {"fill", "white"}});
    Titles(svg);
    Legend(svg, kMargin + 2 * 20);
    Heads(svg, body_top_ - kChartRowHeight);
    Grid(svg);
    for (size_t r = 0; r < rows_.size(); ++r)
      ActionRow(svg, rows_[r], body_top_ + r * kChartRowHeight, r);
    if (static_cast<int>(rows_.size()) >= kFootHeadsFrom) {
      Heads(svg, body_top_ + rows_.size() * kChartRowHeight);
    }
    return svg.Finish();
  }

 private:
  double CellX(int c) const { return grid_left_ + (c - 1) * kChartCellWidth; }

  std::string Subtitle() const {
    const std::string alpha = FormatGeneral(ws_.Alpha, 5);
    if (ws_.RangesValid) return "The information is consistent (alpha = " + alpha + ").";
    return "The information is INCONSISTENT (alpha = " + alpha +
           "): no ranges; the inferred categories in input order.";
  }

  void Titles(SvgWriter& svg) const {
    const int m = static_cast<int>(rows_.size());
    std::string title = Format("Category ranges of %d action%s", m, m == 1 ? "" : "s");
    if (ws_.RangesValid) title += ", widest first";
    const std::string subtitle = Subtitle();
    svg.Text("text",
             {{"class", "title"},
              {"x", N(kMargin)},
              {"y", N(kMargin + kTitleSize)},
              {"font-size", N(kTitleSize)},
              {"font-weight", "bold"}},
             title);
    svg.Text("text", {{"class", "subtitle"}, {"x", N(kMargin)}, {"y", N(kMargin + 20 + 12)}},
             subtitle);
  }

  void Swatch(SvgWriter& svg, double x, double y, const Attributes& look,
              const std::string& label) const {
    Attributes box = {{"x", N(x)}, {"y", N(y)}, {"width", N(16)}, {"height", N(11)}};
    box.insert(box.end(), look.begin(), look.end());
    svg.Empty("rect", box);
    svg.Text("text", {{"x", N(x + 21)}, {"y", N(y + 10)}}, label);
  }

  void Legend(SvgWriter& svg, double y) const {
    svg.Open("g", {{"class", "legend"}});
    double x = kMargin;
    Swatch(svg, x, y, {{"fill", kInferredFill}}, "inferred");
    x += 80;
    if (ws_.RangesValid) {
      Swatch(svg, x, y, {{"fill", kReachableFill}}, "reachable");
      x += 88;
      Swatch(svg, x, y, {{"fill", "white"}, {"stroke", kHoleStroke}}, "hole");
      svg.Text("text",
               {{"x", N(x + 8)},
                {"y", N(y + 9.5)},
                {"text-anchor", "middle"},
                {"fill", kHoleStroke},
                {"font-size", N(10)}},
               "X");
      x += 62;
    } else {
      Swatch(svg, x, y, {{"fill", kContradictionFill}}, "contradicts the example");
      x += 180;
    }
    Swatch(svg, x, y, {{"fill", "none"}, {"stroke", "black"}, {"stroke-width", "1.5"}},
           "assignment example");
    svg.Close();
  }

  void Heads(SvgWriter& svg, double y) const {
    svg.Open("g", {{"class", "heads"}, {"text-anchor", "middle"}, {"font-weight", "bold"}});
    for (int c = 1; c <= k_; ++c) {
      svg.Text("text", {{"x", N(CellX(c) + kChartCellWidth / 2)}, {"y", N(y + 12)}},
               Format("C%d", c));
    }
    svg.Close();
  }

  void Grid(SvgWriter& svg) const {
    svg.Open("g", {{"class", "grid"}, {"stroke", kGridStroke}});
    const double bottom = body_top_ + rows_.size() * kChartRowHeight;
    for (int c = 1; c <= k_ + 1; ++c) {
      svg.Empty(
          "line",
          {{"x1", N(CellX(c))}, {"y1", N(body_top_)}, {"x2", N(CellX(c))}, {"y2", N(bottom)}});
    }
    svg.Close();
  }

  void Cell(SvgWriter& svg, int c, double y, const char* cls, const char* fill) const {
    svg.Empty("rect", {{"class", cls},
                       {"x", N(CellX(c) + 1)},
                       {"y", N(y + 2)},
                       {"width", N(kChartCellWidth - 2)},
                       {"height", N(kChartRowHeight - 4)},
                       {"fill", fill}});
  }

  void ActionRow(SvgWriter& svg, const Row& row, double y, size_t r) const {
    std::string tip = ValidUtf8(row.name) + ": ";
    tip += ws_.RangesValid ? Format("C%d to C%d, inferred C%d", row.worst, row.best, row.inferred)
                           : Format("inferred C%d", row.inferred);
    if (row.has_example) tip += Format("; example C%d to C%d", row.low, row.high);
    svg.Open("g", {{"class", "action"}, {"data-action", std::to_string(row.action)}});
    svg.Text("title", {}, tip);
    if (r % 2 == 1) {
      svg.Empty("rect", {{"class", "stripe"},
                         {"x", N(kMargin - 4)},
                         {"y", N(y)},
                         {"width", N(grid_left_ + k_ * kChartCellWidth - kMargin + 8)},
                         {"height", N(kChartRowHeight)},
                         {"fill", kStripeFill}});
    }
    svg.Text("text", {{"class", "name"}, {"x", N(kMargin)}, {"y", N(y + 12)}},
             Shortened(row.name, kChartNameLength));
    for (int c = std::max(row.worst, 1); c <= std::min(row.best, k_); ++c) {
      if (c == row.inferred) {
        const bool contradicts = !ws_.RangesValid && (c < row.low || c > row.high);
        Cell(svg, c, y, contradicts ? "inferred contradicts" : "inferred",
             contradicts ? kContradictionFill : kInferredFill);
      } else if (ws_.RGrid.Cell(c, row.action) == "X") {
        Cell(svg, c, y, "hole", "white");
        svg.Text("text",
                 {{"class", "hole-mark"},
                  {"x", N(CellX(c) + kChartCellWidth / 2)},
                  {"y", N(y + 12)},
                  {"text-anchor", "middle"},
                  {"fill", kHoleStroke}},
                 "X");
      } else {
        Cell(svg, c, y, "reachable", kReachableFill);
      }
    }
    if (row.has_example) {
      const int low = std::clamp(row.low, 1, k_);
      const int high = std::clamp(row.high, low, k_);
      svg.Empty("rect", {{"class", "example"},
                         {"x", N(CellX(low) + 0.75)},
                         {"y", N(y + 1)},
                         {"width", N((high - low + 1) * kChartCellWidth - 1.5)},
                         {"height", N(kChartRowHeight - 2)},
                         {"fill", "none"},
                         {"stroke", "black"},
                         {"stroke-width", "1.5"}});
    }
    svg.Close();
  }

  const Workspace& ws_;
  std::vector<Row> rows_;
  int k_;
  double name_width_ = 0;
  double grid_left_ = 0;
  double width_ = 0;
  double height_ = 0;
  double body_top_ = 0;
};

}  // namespace

std::string RangeChartSvg(const Workspace& ws) { return ChartDrawing(ws, ChartRows(ws)).Draw(); }

bool SaveChartClick(Workspace& ws, UserPort& port) {
  if (!ws.ResultsAvailable) return false;
  FileDialogRequest request;
  request.title = "Save results chart";
  request.file_name = WithoutExtension(ws.view.save_dialog_file_name);
  request.default_extension = "svg";
  request.filter = kChartFilter;
  request.overwrite_prompt = true;
  const std::optional<std::string> chosen = port.AskSaveFileName(request);
  if (!chosen) return false;
  if (!WriteFileAtomically(*chosen, RangeChartSvg(ws))) {
    port.Error(kDiskWriteError);
    return false;
  }
  return true;
}

}  // namespace vido
