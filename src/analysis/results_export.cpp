#include "analysis/results_export.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <optional>

#include "analysis/inference_solve.h"
#include "analysis/robust_assignments.h"
#include "model/csv_table.h"
#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "support/atomic_file.h"
#include "support/number_text.h"
#include "support/utf8_text.h"

namespace vido {

namespace {

using Json = nlohmann::ordered_json;

struct ActionResult {
  std::string name;
  int low = 1;
  int high = 1;
  bool has_example = false;
  int inferred = 0;
  std::optional<int> worst;
  std::optional<int> best;
  std::vector<int> holes;
};

struct ViolatedRow {
  std::string row;
  double error = 0;
};

// What both forms tell, read once from the workspace.
struct Results {
  std::string input;
  bool consistent = false;
  double alpha = 0;
  double lambda = 0;
  std::vector<std::string> criteria;
  std::vector<bool> maximised;
  std::vector<double> weights;
  int categories = 0;
  std::vector<ActionResult> actions;
  std::optional<double> mean;
  // Not known when the program has too many rows to mark them.
  std::optional<std::vector<ViolatedRow>> violated;
  bool with_findings = false;
  std::vector<std::pair<int, std::string>> constraints;
  std::vector<std::vector<int>> suggestions;
  bool no_removal_needed = false;
  bool accepted = false;
};

int IntegerOr(const Table& table, int col, int row, int fallback) {
  return ParseInteger(table.Cell(col, row)).value_or(fallback);
}

Results Gather(const Workspace& ws, const InconsistencyFindings& findings) {
  Results r;
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  r.input = ws.view.open_dialog_file_name;
  r.consistent = ws.RangesValid;
  r.alpha = ws.Alpha;
  r.categories = k;
  const auto solution = [&](int i) {
    return static_cast<size_t>(i) < ws.InferredSolution.size() ? ws.InferredSolution[i] : 0.0;
  };
  r.lambda = solution(0);
  for (int j = 1; j <= n; ++j) {
    r.criteria.push_back(ws.FGrid.Cell(j, 0));
    r.maximised.push_back(ws.FGrid.Cell(j, DirectionRow(k)) == "1");
    r.weights.push_back(solution(j));
  }
  for (int i = 1; i <= ws.ActionsCount; ++i) {
    ActionResult a;
    a.name = ws.AGrid.Cell(kActionNameCol, i);
    a.low = IntegerOr(ws.AGrid, kELowCol, i, 1);
    a.high = IntegerOr(ws.AGrid, kEHighCol, i, k);
    a.has_example = a.low > 1 || a.high < k;
    a.inferred = static_cast<size_t>(i) < ws.InferredCategory.size() ? ws.InferredCategory[i] : 0;
    if (ws.RangesValid) {
      a.worst = ws.WorstCategory[i];
      a.best = ws.BestCategory[i];
      for (int c = 1; c <= k; ++c) {
        if (ws.RGrid.Cell(c, i) == "X") a.holes.push_back(c);
      }
    }
    r.actions.push_back(std::move(a));
  }
  if (ws.RangesValid && ws.ActionsCount > 0) r.mean = GeometricMeanOfRanges(ws);
  if (!ws.RangesValid && ws.IPGrid.RowCount() <= kMaxMarkedRows) {
    std::vector<ViolatedRow> rows;
    const int error_col = ws.IPGrid.ColCount() - 1;
    for (const int v : ws.ViolatedRows) {
      rows.push_back(
          {ws.IPGrid.Cell(0, v + 1), ParseReal(ws.IPGrid.Cell(error_col, v + 1)).value_or(0)});
    }
    r.violated = std::move(rows);
  } else if (ws.RangesValid) {
    r.violated = std::vector<ViolatedRow>{};
  }
  if (findings.form != nullptr) {
    r.with_findings = true;
    for (int row = 1; row < ws.IGrid.RowCount(); ++row) {
      r.constraints.emplace_back(row, ws.IGrid.Cell(1, row));
    }
    r.suggestions = findings.form->suggested_sets;
    r.no_removal_needed = findings.form->NoDropSolutionFound;
    r.accepted = findings.accepted;
  }
  return r;
}

// 12 significant digits: the solves are accurate to about 1e-9, so the digits beyond are
// the noise of the arithmetic (0.00999999999999995 for 0.01), which scripts should not see.
constexpr int kExportDigits = 12;

std::string NumberText(double value) { return FormatGeneral(value, kExportDigits); }

Json Number(double value) {
  if (!std::isfinite(value)) return nullptr;
  return ParseReal(NumberText(value)).value_or(value);
}

template <typename T>
Json OrNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

}  // namespace

std::string ResultsJson(const Workspace& ws, const InconsistencyFindings& findings) {
  const Results r = Gather(ws, findings);
  Json doc;
  doc["format"] = kResultsFormatName;
  doc["version"] = kResultsFormatVersion;
  doc["input"] = ValidUtf8(r.input);
  doc["consistent"] = r.consistent;
  doc["alpha"] = Number(r.alpha);
  Json weights = Json::array();
  for (const double w : r.weights) weights.push_back(Number(w));
  doc["parameters"] = {{"lambda", Number(r.lambda)}, {"weights", weights}};
  Json criteria = Json::array();
  for (size_t j = 0; j < r.criteria.size(); ++j) {
    criteria.push_back(
        {{"name", ValidUtf8(r.criteria[j])}, {"direction", r.maximised[j] ? "max" : "min"}});
  }
  doc["criteria"] = criteria;
  doc["categories"] = r.categories;
  Json actions = Json::array();
  for (const ActionResult& a : r.actions) {
    Json action;
    action["name"] = ValidUtf8(a.name);
    action["example"] = a.has_example ? Json{{"low", a.low}, {"high", a.high}} : Json(nullptr);
    action["worst"] = OrNull(a.worst);
    action["inferred"] = a.inferred;
    action["best"] = OrNull(a.best);
    action["holes"] = r.consistent ? Json(a.holes) : Json(nullptr);
    actions.push_back(action);
  }
  doc["actions"] = actions;
  doc["geometric_mean_of_range_sizes"] = r.mean ? Number(*r.mean) : Json(nullptr);
  if (r.violated) {
    Json rows = Json::array();
    for (const ViolatedRow& v : *r.violated) {
      rows.push_back({{"row", ValidUtf8(v.row)}, {"error", Number(v.error)}});
    }
    doc["violated_rows"] = rows;
  } else {
    doc["violated_rows"] = nullptr;
  }
  if (r.with_findings) {
    Json constraints = Json::array();
    for (const auto& [number, description] : r.constraints) {
      constraints.push_back({{"number", number}, {"description", ValidUtf8(description)}});
    }
    doc["constraints"] = constraints;
    Json suggestions = Json::array();
    for (size_t s = 0; s < r.suggestions.size(); ++s) {
      suggestions.push_back({{"number", s + 1}, {"remove", r.suggestions[s]}});
    }
    doc["suggestions"] = suggestions;
    doc["no_removal_needed"] = r.no_removal_needed;
    doc["accepted"] = r.accepted;
  }
  return doc.dump(2) + "\n";
}

std::string ResultsCsv(const Workspace& ws, const InconsistencyFindings& findings) {
  const Results r = Gather(ws, findings);
  std::string out;
  // record, name, elow, ehigh, worst, inferred, best, holes, value
  const auto record = [&out](const std::vector<std::string>& fields) {
    for (size_t f = 0; f < 9; ++f) {
      if (f > 0) out += ',';
      if (f < fields.size()) out += CsvField(fields[f]);
    }
    out += "\r\n";
  };
  const auto number = [](double value) { return NumberText(value); };
  const auto list = [](const std::vector<int>& values) {
    std::string text;
    for (const int v : values) text += (text.empty() ? "" : " ") + std::to_string(v);
    return text;
  };
  const std::string none;
  record({"record", "name", "elow", "ehigh", "worst", "inferred", "best", "holes", "value"});
  record({"format", kResultsFormatName, none, none, none, none, none, none,
          std::to_string(kResultsFormatVersion)});
  record({"input", r.input});
  record({"consistency", r.consistent ? "consistent" : "inconsistent", none, none, none, none, none,
          none, number(r.alpha)});
  record({"lambda", "lambda", none, none, none, none, none, none, number(r.lambda)});
  for (size_t j = 0; j < r.criteria.size(); ++j) {
    record({"weight", r.criteria[j], none, none, none, none, none, none, number(r.weights[j])});
  }
  for (const ActionResult& a : r.actions) {
    const auto category = [](const std::optional<int>& c) {
      return c ? std::to_string(*c) : std::string();
    };
    record({"action", a.name, std::to_string(a.low), std::to_string(a.high), category(a.worst),
            std::to_string(a.inferred), category(a.best), list(a.holes)});
  }
  if (r.mean)
    record({"mean", "geometric mean of the range sizes", none, none, none, none, none, none,
            number(*r.mean)});
  if (r.violated) {
    for (const ViolatedRow& v : *r.violated) {
      record({"violated", v.row, none, none, none, none, none, none, number(v.error)});
    }
  }
  for (const auto& [row, description] : r.constraints) {
    record({"constraint", description, none, none, none, none, none, none, std::to_string(row)});
  }
  for (size_t s = 0; s < r.suggestions.size(); ++s) {
    record({"suggestion", std::to_string(s + 1), none, none, none, none, none, none,
            list(r.suggestions[s])});
  }
  if (r.with_findings) {
    record({"no_removal_needed", r.no_removal_needed ? "yes" : "no"});
    record({"accepted", r.accepted ? "yes" : "no"});
  }
  return out;
}

bool ExportResultsCsvClick(Workspace& ws, UserPort& port) {
  // Enabled only while the results are current, as "&Report" is.
  if (!ws.ResultsAvailable) return false;
  FileDialogRequest request;
  request.title = "Export results as CSV";
  request.file_name = WithoutExtension(ws.view.save_dialog_file_name);
  request.default_extension = "csv";
  request.filter = kResultsCsvFilter;
  request.overwrite_prompt = true;
  const std::optional<std::string> chosen = port.AskSaveFileName(request);
  if (!chosen) return false;
  if (!WriteFileAtomically(*chosen, ResultsCsv(ws))) {
    port.Error(kDiskWriteError);
    return false;
  }
  return true;
}

}  // namespace vido
