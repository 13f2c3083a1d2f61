#include "model/problem_file.h"

#include <optional>

#include "model/problem_layout.h"
#include "model/validation.h"
#include "support/atomic_file.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

constexpr const char* kEol = "\r\n";

// A line break inside a cell would split its line; it is written as a blank.
std::string TextField(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

// A number field of a line. An empty cell would shift every later number of the file
// when it is read back, so it is written as "0" (as a constraint coefficient is).
std::string NumberField(const std::string& text) {
  if (text.find_first_not_of(" \t") == std::string::npos) return "0";
  return TextField(text);
}

}  // namespace

bool SaveChangesFirst(Workspace& ws, UserPort& port) {
  if (!ws.DataModified || !port.Confirm("Save current files?")) return true;
  return SaveProblemFile(ws, port, false);
}

std::string FileCaption(const std::string& file_name) {
  return std::string(kBareCaption) + "  -  " + file_name;
}

std::string WithTriExtension(const std::string& name) {
  const std::string ext = ".tri";
  if (name.size() >= ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0) {
    return name;
  }
  return name + ext;
}

std::string WithoutExtension(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot <= start) return name;
  return name.substr(0, dot);
}

std::string ProblemFileText(const Workspace& ws) {
  const int n = ws.CriteriaCount;
  const int k = ws.CategoriesCount;
  const int m = ws.ActionsCount;
  const Table& a = ws.AGrid;
  const Table& f = ws.FGrid;
  const Table& b = ws.BGrid;
  const Table& c = ws.CGrid;
  std::string out;
  auto line = [&out](const std::string& text) { out += text + kEol; };

  line("c version 2");
  line("c Size of the problem:");
  line(Format("t %d\t%d\t%d", n, k, m));
  line("c Directions of preference:");
  std::string directions = "d";
  for (int j = 1; j <= n; ++j) directions += f.Cell(j, DirectionRow(k)) == "1" ? "\t1" : "\t-1";
  line(directions);
  line("c Profiles:");
  for (int h = 1; h < k; ++h) {
    std::string text = Format("p %d", h);
    for (int j = 1; j <= n; ++j) text += "\t" + NumberField(f.Cell(j, ProfileBlockRow(h)));
    line(text);
  }
  line("c Thresholds:");
  for (int h = 1; h < k; ++h) {
    for (int j = 1; j <= n; ++j) {
      std::string text = Format("s %d\t%d", h, j);
      for (int offset = kIndifference; offset <= kVeto; ++offset) {
        text += "\t" + NumberField(f.Cell(j, ProfileRow(h, offset)));
      }
      line(text);
    }
  }
  line("c Actions:");
  for (int i = 1; i <= m; ++i) {
    std::string text = Format("a %d", i - 1);
    for (int j = 1; j <= n; ++j) text += "\t" + NumberField(a.Cell(PerformanceCol(j), i));
    text += "\t" + NumberField(a.Cell(kELowCol, i));
    text += "\t" + NumberField(a.Cell(kEHighCol, i));
    text += "\t" + TextField(a.Cell(kActionNameCol, i));
    line(text);
  }
  line("c Upper bounds on weights:");
  for (int j = 1; j <= n; ++j) line(Format("K S %d\t", j) + NumberField(b.Cell(1 + j, 2)));
  line("c Lower bounds on weights:");
  for (int j = 1; j <= n; ++j) line(Format("K I %d\t", j) + NumberField(b.Cell(1 + j, 1)));
  line("c Additional constraints:");
  line(Format("K N %d", ws.ConstraintsCount - 1));
  for (int row = 2; row <= ws.ConstraintsCount; ++row) {
    const std::string& sign = c.Cell(SignCol(n), row);
    std::string text;
    if (!sign.empty() && sign[0] == '<') {
      // Stored as a greater-or-equal row: every number negated.
      text = "K g";
      for (int col = 1; col <= n + 1; ++col) {
        const std::string& cell = c.Cell(col, row);
        text += "\t" + (cell.empty() ? std::string("0") : FormatGeneral(-c.Real(col, row)));
      }
      const std::string& rhs = c.Cell(RhsCol(n), row);
      const bool blank = rhs.find_first_not_of(" \t") == std::string::npos;
      text += "\t" + (blank ? std::string("0") : FormatGeneral(-c.Real(RhsCol(n), row)));
    } else {
      text = !sign.empty() && sign[0] == '=' ? "K e" : "K g";
      for (int col = 1; col <= n + 1; ++col) text += "\t" + NumberField(c.Cell(col, row));
      text += "\t" + NumberField(c.Cell(RhsCol(n), row));
    }
    line(text);
  }
  line("c Bounds on lambda:");
  line("L M " + NumberField(b.Cell(1, 2)));
  line("L m " + NumberField(b.Cell(1, 1)));
  line("n name of criteria:");
  for (int j = 1; j <= n; ++j) line(TextField(f.Cell(j, 0)));
  line("c *** END OF FILE ***");
  return out;
}

bool SaveProblemFile(Workspace& ws, UserPort& port, bool ask_for_name) {
  bool saved = false;
  RunCommand(port, [&] {
    // Without a problem there is nothing to save, and "t 0 0 0" could not be read back.
    if (!ws.HasProblem()) {
      port.Error("You must read data first");
      return;
    }
    // A file with a cell that is no number could not be read back: nothing is written.
    if (const std::optional<std::string> unreadable = UnreadableNumberCell(ws)) {
      port.Error(*unreadable);
      return;
    }
    if (ask_for_name || ws.view.caption == kBareCaption) {
      FileDialogRequest request;
      request.filter = kProblemSaveFilter;
      request.default_extension = "tri";
      request.file_name = ws.view.save_dialog_file_name;
      request.overwrite_prompt = true;
      const std::optional<std::string> chosen = port.AskSaveFileName(request);
      if (!chosen) return;
      ws.view.save_dialog_file_name = *chosen;
    }
    ws.view.save_dialog_file_name = WithTriExtension(ws.view.save_dialog_file_name);
    const std::string text = ProblemFileText(ws);
    if (!WriteFileAtomically(ws.view.save_dialog_file_name, text)) {
      port.Error(kDiskWriteError);
      return;
    }
    ws.DataModified = false;
    ws.view.caption = FileCaption(ws.view.save_dialog_file_name);
    saved = true;
  });
  // The next Open starts where the problem was saved, whatever happened.
  ws.view.open_dialog_file_name = ws.view.save_dialog_file_name;
  return saved;
}

}  // namespace vido
