#include "model/table_import.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "model/new_problem.h"
#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "model/problem_reader.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

// A message box should stay readable when a whole column is wrong.
constexpr size_t kListedIssues = 40;

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string Trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return "";
  const size_t end = text.find_last_not_of(" \t");
  return std::string(text.substr(start, end - start + 1));
}

// A name spread over lines in a quoted field, or holding a TAB, would break the line
// layout of the problem file and of the grids: those become blanks.
std::string CellName(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  return Trimmed(out);
}

// Where the columns of the header go.
struct Columns {
  size_t width = 0;  // header fields that count
  std::vector<size_t> criteria;
  std::optional<size_t> low;
  std::optional<size_t> high;
};

Columns ReadHeader(const CsvRecord& header, PerformanceTable& table,
                   std::vector<LineIssue>& issues) {
  Columns columns;
  columns.width = header.fields.size();
  // Spreadsheets export the empty columns right of a table too.
  while (columns.width > 1 && Trimmed(header.fields[columns.width - 1]).empty()) --columns.width;
  for (size_t c = 1; c < columns.width; ++c) {
    const std::string name = CellName(header.fields[c]);
    const std::string key = Lowered(name);
    if (name.empty()) {
      issues.push_back({header.line, Format("column %zu has no name", c + 1)});
    } else if (key == "elow" || key == "ehigh") {
      std::optional<size_t>& slot = key == "elow" ? columns.low : columns.high;
      if (slot) {
        issues.push_back({header.line, Format("column %zu: a second %s column", c + 1,
                                              key == "elow" ? "ELow" : "EHigh")});
      }
      slot = c;
    } else if (std::find(table.criteria.begin(), table.criteria.end(), name) !=
               table.criteria.end()) {
      issues.push_back({header.line, "column " + std::to_string(c + 1) + ": the criterion '" +
                                         name + "' is named twice"});
    } else {
      table.criteria.push_back(name);
      columns.criteria.push_back(c);
    }
  }
  const size_t n = table.criteria.size();
  if (static_cast<int>(n) > kMaxCriteria) {
    issues.push_back({header.line, "Maximum number of criteria exceeded"});
  } else if (n < 2) {
    issues.push_back({header.line,
                      "the header names fewer than two criteria (the first column holds the "
                      "action names, columns ELow and EHigh the examples)"});
  }
  return columns;
}

std::optional<int> ReadCategory(const CsvRecord& row, std::optional<size_t> column,
                                const char* label, std::vector<LineIssue>& issues, bool& ok) {
  if (!column) return std::nullopt;
  const std::string text = Trimmed(row.fields[*column]);
  if (text.empty()) return std::nullopt;
  const std::optional<int> value = ParseInteger(text);
  if (!value) {
    issues.push_back({row.line, std::string(label) + " '" + text + "' is not an integer"});
    ok = false;
  }
  return value;
}

void ReadAction(const CsvRecord& row, const Columns& columns, char separator,
                PerformanceTable& table, std::vector<LineIssue>& issues) {
  const size_t size = row.fields.size();
  bool extra = false;
  for (size_t c = columns.width; c < size; ++c) extra = extra || !Trimmed(row.fields[c]).empty();
  if (size < columns.width || extra) {
    issues.push_back(
        {row.line, Format("%zu fields where the header has %zu", size, columns.width)});
    return;
  }
  PerformanceTable::Action action;
  action.line = row.line;
  action.name = CellName(row.fields[0]);
  bool ok = true;
  if (action.name.empty()) {
    issues.push_back({row.line, "the action has no name"});
    ok = false;
  }
  for (size_t j = 0; j < columns.criteria.size(); ++j) {
    const std::string field = Trimmed(row.fields[columns.criteria[j]]);
    std::string text;
    const std::optional<double> value = ParseCsvNumber(field, separator, &text);
    if (!value) {
      issues.push_back({row.line, field.empty() ? "no performance on '" + table.criteria[j] + "'"
                                                : "'" + field + "' on '" + table.criteria[j] +
                                                      "' is not a number"});
      ok = false;
      continue;
    }
    action.performances.push_back(text);
    action.values.push_back(*value);
  }
  action.low = ReadCategory(row, columns.low, "ELow", issues, ok);
  action.high = ReadCategory(row, columns.high, "EHigh", issues, ok);
  if (action.low && action.high && *action.low > *action.high) {
    issues.push_back({row.line, Format("ELow %d is above EHigh %d", *action.low, *action.high)});
    ok = false;
  }
  if (ok) table.actions.push_back(std::move(action));
}

std::string IssueLine(const LineIssue& issue) {
  return issue.line > 0 ? Format("Line %d: ", issue.line) + issue.text : issue.text;
}

// The file's bytes; false after the reader's message when it cannot be read.
bool ReadTableFile(const std::string& path, std::string& text, UserPort& port) {
  std::filebuf file;
  if (!OpenInputFile(path, file, port)) return false;
  std::istream in(&file);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    port.Error("Error on reading : Could not open file\n" + path + ": " + std::strerror(EIO));
    return false;
  }
  text = bytes.str();
  return true;
}

// The K - 1 profiles of a criterion whose actions span [low, high]: the range cut into K
// equal parts, b_1 nearest the worst end, so that every category gets an equal slice.
// Six significant digits keep the cells readable (38.4667 rather than 38.4666666666667).
std::string ProfileValue(double low, double high, int h, int categories, bool maximised) {
  const double step = (high - low) / categories;
  return FormatGeneral(maximised ? low + h * step : high - h * step, 6);
}

}  // namespace

PerformanceTable ReadPerformanceTable(std::string_view csv, std::vector<LineIssue>& issues) {
  PerformanceTable table;
  const CsvTable parsed = ParseCsv(csv);
  issues.insert(issues.end(), parsed.issues.begin(), parsed.issues.end());
  if (parsed.records.empty()) {
    if (parsed.issues.empty()) issues.push_back({0, "the file holds no table"});
    return table;
  }
  const Columns columns = ReadHeader(parsed.records[0], table, issues);
  for (size_t r = 1; r < parsed.records.size(); ++r) {
    ReadAction(parsed.records[r], columns, parsed.separator, table, issues);
  }
  if (parsed.records.size() == 1) {
    issues.push_back({0, "the table has no actions: no row below the header"});
  } else if (static_cast<int>(parsed.records.size() - 1) > kMaxActions) {
    issues.push_back({0, Format("the table has more than %d actions", kMaxActions)});
  }
  std::stable_sort(issues.begin(), issues.end(),
                   [](const LineIssue& a, const LineIssue& b) { return a.line < b.line; });
  return table;
}

std::vector<std::string> SplitNameList(std::string_view list) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t comma = std::min(list.find(',', start), list.size());
    std::string name = Trimmed(list.substr(start, comma - start));
    if (!name.empty()) names.push_back(std::move(name));
    start = comma + 1;
  }
  return names;
}

std::vector<int> DesignatedCriteria(const PerformanceTable& table,
                                    const std::vector<std::string>& names,
                                    std::vector<LineIssue>& issues) {
  std::vector<int> designated;
  const int n = static_cast<int>(table.criteria.size());
  for (const std::string& name : names) {
    const auto named = std::find(table.criteria.begin(), table.criteria.end(), name);
    int j = 0;
    if (named != table.criteria.end()) {
      j = static_cast<int>(named - table.criteria.begin()) + 1;
    } else if (name.size() > 1 && name[0] == 'g') {
      const std::string digits = name.substr(1);
      const std::optional<int> number = ParseInteger(digits);
      if (number && digits.find_first_not_of("0123456789") == std::string::npos && *number >= 1 &&
          *number <= n) {
        j = *number;
      }
    }
    if (j == 0) {
      issues.push_back({0, "no criterion is named '" + name + "'"});
    } else if (std::find(designated.begin(), designated.end(), j) == designated.end()) {
      designated.push_back(j);
    }
  }
  return designated;
}

bool BuildImportedProblem(Workspace& ws, const PerformanceTable& table,
                          const TableImportOptions& options, std::vector<LineIssue>& issues) {
  const size_t before = issues.size();
  const int k = options.categories;
  if (k < kImportMinCategories || k > kImportMaxCategories) {
    issues.push_back({0, Format("the number of categories must be from %d to %d",
                                kImportMinCategories, kImportMaxCategories)});
  }
  const std::vector<int> minimised = DesignatedCriteria(table, options.minimised, issues);
  for (const PerformanceTable::Action& action : table.actions) {
    const std::pair<std::optional<int>, const char*> examples[] = {{action.low, "ELow"},
                                                                   {action.high, "EHigh"}};
    for (const auto& [value, label] : examples) {
      if (value && (*value < 1 || *value > k)) {
        issues.push_back(
            {action.line, Format("%s %d is not a category from 1 to %d", label, *value, k)});
      }
    }
  }
  if (issues.size() != before || table.criteria.size() < 2 || table.actions.empty()) return false;

  const int n = static_cast<int>(table.criteria.size());
  const int m = static_cast<int>(table.actions.size());
  BuildNewProblem(ws, n, m, k);
  for (int j = 1; j <= n; ++j) {
    const std::string& name = table.criteria[j - 1];
    ws.FGrid.SetCell(j, 0, name);
    ws.AGrid.SetCell(PerformanceCol(j), 0, name);
    const bool maximised = std::find(minimised.begin(), minimised.end(), j) == minimised.end();
    ws.FGrid.SetCell(j, DirectionRow(k), maximised ? "1" : "-1");
    double low = table.actions[0].values[j - 1];
    double high = low;
    for (const PerformanceTable::Action& action : table.actions) {
      low = std::min(low, action.values[j - 1]);
      high = std::max(high, action.values[j - 1]);
    }
    for (int h = 1; h < k; ++h) {
      ws.FGrid.SetCell(j, ProfileBlockRow(h), ProfileValue(low, high, h, k, maximised));
    }
  }
  for (int i = 1; i <= m; ++i) {
    const PerformanceTable::Action& action = table.actions[i - 1];
    ws.AGrid.SetCell(kActionNameCol, i, action.name);
    ws.AGrid.SetCell(kELowCol, i, std::to_string(action.low.value_or(1)));
    ws.AGrid.SetCell(kEHighCol, i, std::to_string(action.high.value_or(k)));
    for (int j = 1; j <= n; ++j) ws.AGrid.SetCell(PerformanceCol(j), i, action.performances[j - 1]);
  }
  ws.ResetResults();
  ws.view.caption = kBareCaption;
  // Nothing of it is in a file yet.
  ws.DataModified = true;
  return true;
}

void ReportImportIssues(UserPort& port, const std::string& file,
                        const std::vector<LineIssue>& issues) {
  std::string text = "The performance table " + file + " was not imported:";
  for (size_t i = 0; i < issues.size() && i < kListedIssues; ++i) {
    text += "\n" + IssueLine(issues[i]);
  }
  if (issues.size() > kListedIssues) {
    text += Format("\n(and %zu more)", issues.size() - kListedIssues);
  }
  port.Error(text);
}

bool ImportPerformanceTableFile(Workspace& ws, UserPort& port, const std::string& path,
                                const TableImportOptions& options) {
  std::string text;
  if (!ReadTableFile(path, text, port)) return false;
  std::vector<LineIssue> issues;
  const PerformanceTable table = ReadPerformanceTable(text, issues);
  if (issues.empty() && BuildImportedProblem(ws, table, options, issues)) return true;
  ReportImportIssues(port, path, issues);
  return false;
}

void ImportTableClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!SaveChangesFirst(ws, port)) return;
    FileDialogRequest request;
    request.title = kTableImportTitle;
    request.filter = kTableImportFilter;
    const std::optional<std::string> chosen = port.AskOpenFileName(request);
    if (!chosen) return;
    std::string text;
    if (!ReadTableFile(*chosen, text, port)) return;
    std::vector<LineIssue> issues;
    const PerformanceTable table = ReadPerformanceTable(text, issues);
    if (!issues.empty()) {
      ReportImportIssues(port, *chosen, issues);
      return;
    }
    TableImportOptions options;
    // The number prompts of the program ask again until they get an answer that fits.
    for (;;) {
      const auto answer = port.QueryText(kTableImportTitle, "Number of categories:", "2");
      if (!answer) return;
      const std::optional<int> k = ParseInteger(*answer);
      if (k && *k >= kImportMinCategories && *k <= kImportMaxCategories) {
        options.categories = *k;
        break;
      }
    }
    for (;;) {
      const auto answer = port.QueryText(kTableImportTitle,
                                         "Criteria to minimise (names separated by commas):", "");
      if (!answer) return;
      options.minimised = SplitNameList(*answer);
      std::vector<LineIssue> unknown;
      DesignatedCriteria(table, options.minimised, unknown);
      if (unknown.empty()) break;
      port.Error(unknown.front().text);
    }
    if (!BuildImportedProblem(ws, table, options, issues)) {
      ReportImportIssues(port, *chosen, issues);
      return;
    }
    // A save proposes the table's name.
    ws.view.save_dialog_file_name = WithoutExtension(*chosen);
  });
}

}  // namespace vido
