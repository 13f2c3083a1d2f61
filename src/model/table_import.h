#ifndef VIDO_MODEL_TABLE_IMPORT_H_
#define VIDO_MODEL_TABLE_IMPORT_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/csv_table.h"
#include "model/workspace.h"
#include "support/user_port.h"

namespace vido {

inline constexpr const char* kTableImportFilter =
    "Performance table (*.csv)|*.csv|All files (*.*)|*.*";
inline constexpr const char* kTableImportTitle = "Import performance table";
// The categories a new problem may have ("Number of categories" of New).
inline constexpr int kImportMinCategories = 2;
inline constexpr int kImportMaxCategories = 20;

// A performance table as a spreadsheet holds it: the header row names the criteria, the
// first column the actions; columns headed "ELow" and "EHigh" (any case) hold the
// assignment examples. Numbers are kept as the cell texts they become.
struct PerformanceTable {
  struct Action {
    int line = 0;
    std::string name;
    std::vector<std::string> performances;  // one text per criterion, "." as separator
    std::vector<double> values;
    std::optional<int> low;  // ELow, EHigh when given
    std::optional<int> high;
  };
  std::vector<std::string> criteria;
  std::vector<Action> actions;
};

// Reads the table from CSV text. Every malformed row and header cell is an issue with its
// line; the table is of use only when there are none.
PerformanceTable ReadPerformanceTable(std::string_view csv, std::vector<LineIssue>& issues);

// The criteria (1-based) that `names` designate: a criterion of that name or, when none
// has it, "gJ" for criterion J. An issue for each name that designates none.
std::vector<int> DesignatedCriteria(const PerformanceTable& table,
                                    const std::vector<std::string>& names,
                                    std::vector<LineIssue>& issues);
// "g3, price" -> {"g3", "price"}; empty items are dropped.
std::vector<std::string> SplitNameList(std::string_view list);

struct TableImportOptions {
  int categories = kImportMinCategories;
  std::vector<std::string> minimised;  // criteria to minimise, as DesignatedCriteria reads them
};

// Replaces the problem in `ws` by one made of the table with the defaults of New (weights
// in [0, 0.5], lambda in [0.5, 1], thresholds 0), each criterion's K - 1 profiles spread
// evenly over the range its actions span, from the worst end up. True when it did; false,
// with `ws` untouched, when the examples or the options do not fit (issues added).
bool BuildImportedProblem(Workspace& ws, const PerformanceTable& table,
                          const TableImportOptions& options, std::vector<LineIssue>& issues);

// One error message: the table `file` was not imported, then one line per issue.
void ReportImportIssues(UserPort& port, const std::string& file,
                        const std::vector<LineIssue>& issues);

// Reads the CSV file at `path` and builds the problem from it; false after the messages,
// the problem in memory as it was.
bool ImportPerformanceTableFile(Workspace& ws, UserPort& port, const std::string& path,
                                const TableImportOptions& options);

// "&File" > "Import performance table...": offers to save modified data, asks for the
// file, the number of categories and the criteria to minimise, and builds the problem,
// which then belongs to no file yet.
void ImportTableClick(Workspace& ws, UserPort& port);

}  // namespace vido

#endif  // VIDO_MODEL_TABLE_IMPORT_H_
