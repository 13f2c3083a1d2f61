#include "model/problem_reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <optional>
#include <sstream>
#include <vector>

#include "model/new_problem.h"
#include "model/problem_file.h"
#include "model/problem_layout.h"
#include "model/window_rules.h"
#include "support/command_boundary.h"
#include "support/number_text.h"

namespace vido {

namespace {

constexpr int kEof = std::char_traits<char>::eof();

// Unwinds the reader once the message that ends the reading has been shown.
struct StopReading {};

bool IsSeparator(int ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// A streambuf over text already in memory, without copying it.
class ViewBuffer : public std::streambuf {
 public:
  explicit ViewBuffer(std::string_view text) {
    char* begin = const_cast<char*>(text.data());
    setg(begin, begin, begin + text.size());
  }
};

}  // namespace

std::string ProblemFileReader::FormatReal(double value) { return FormatGeneral(value); }

void ProblemFileReader::Fail() {
  // Which line, below the message of the format: a file is mended in an editor.
  port_.Error("Error on reading " + activity_ + "\nline " + std::to_string(lines_read_ + 1));
  throw StopReading{};
}

void ProblemFileReader::Eof() {
  port_.Error("Unexpected e.o.f. when " + activity_);
  throw StopReading{};
}

void ProblemFileReader::UnknownSymbol() { port_.Error("Unknown symbol when " + activity_); }

bool ProblemFileReader::SkipToTag(char letter) {
  for (;;) {
    const int ch = Get();
    if (ch == kEof || ch == static_cast<unsigned char>(letter)) break;
    if (ch != '\r' && ch != '\n') SkipRestOfLine();
  }
  if (AtEof()) {
    port_.Error("Unexpected e.o.f. when " + activity_);
    return false;
  }
  return true;
}

void ProblemFileReader::Require(char letter) {
  if (!SkipToTag(letter)) throw StopReading{};
}

// A line ends with CR LF, LF or CR alone.
void ProblemFileReader::EndOfLine(int ch) {
  if (ch == '\r' && Peek() == '\n') Get();
}

void ProblemFileReader::SkipRestOfLine() {
  int ch = Get();
  while (ch != kEof && ch != '\r' && ch != '\n') ch = Get();
  EndOfLine(ch);
}

std::string ProblemFileReader::RestOfLine() {
  std::string line;
  int ch = Get();
  for (; ch != kEof && ch != '\r' && ch != '\n'; ch = Get()) line += static_cast<char>(ch);
  EndOfLine(ch);
  return line;
}

void ProblemFileReader::SkipBlanks() {
  while (Peek() == ' ' || Peek() == '\t') Get();
}

std::string ProblemFileReader::Token() {
  while (IsSeparator(Peek())) Get();
  if (AtEof()) Eof();
  std::string token;
  while (!AtEof() && !IsSeparator(Peek())) {
    token += static_cast<char>(Get());
    if (token.size() > kMaxTokenLength) Fail();
  }
  return token;
}

int ProblemFileReader::ReadInteger() {
  const std::optional<int> value = ParseInteger(Token());
  if (!value) Fail();
  return *value;
}

double ProblemFileReader::ReadReal() {
  const std::optional<double> value = ParseReal(Token());
  if (!value) Fail();
  return *value;
}

ReadOutcome ProblemFileReader::Read(const std::string& file_name) {
  bool replaced = false;
  ReadOutcome outcome = ReadOutcome::kUnchanged;
  try {
    ReadSizes();
    ws_.CriteriaCount = n_;
    ws_.CategoriesCount = k_;
    ws_.ActionsCount = m_;
    replaced = true;
    PrepareAGrid(ws_, n_, m_, k_);
    PrepareFGrid(ws_, n_, k_);
    PrepareBGrid(ws_, n_);
    PrepareCGrid(ws_, n_);
    ws_.view.input_tabs_visible = true;
    ReadDirections();
    ReadProfiles();
    ReadThresholds();
    ReadActions();
    ReadWeightBounds();
    ReadConstraints();
    ReadLambdaBounds();
    if (version_ >= 2) ReadCriteriaNames();
    ws_.view.caption = FileCaption(file_name);
    ws_.view.save_dialog_file_name = WithoutExtension(file_name);
    ws_.DataModified = false;
    outcome = ReadOutcome::kLoaded;
  } catch (const StopReading&) {
  } catch (const std::bad_alloc&) {
    port_.Error("Out of memory: Try closing other applications");
    if (replaced) {
      // The tables may no longer match the counts: nothing of the problem is kept.
      for (Table* t : {&ws_.AGrid, &ws_.FGrid, &ws_.CGrid}) t->SetSize(0, 0);
      ws_.CriteriaCount = ws_.CategoriesCount = ws_.ActionsCount = ws_.ConstraintsCount = 0;
      ws_.view.input_tabs_visible = false;
    }
  }
  if (outcome != ReadOutcome::kLoaded && replaced) {
    // The tables now hold part of another file: a plain save must not write them over
    // the file the caption names, so the problem counts as not saved yet.
    ws_.view.caption = kBareCaption;
    ws_.DataModified = true;
    outcome = ReadOutcome::kPartial;
  }
  ws_.ResetResults();
  return outcome;
}

void ProblemFileReader::ReadSizes() {
  activity_ = "reading size of the problem";
  int first = Get();
  // An editor's UTF-8 byte order mark is no part of the first line (a partial one is).
  if (first == 0xEF && Peek() == 0xBB) {
    Get();
    if (Peek() == 0xBF) {
      Get();
      first = Get();
    }
  }
  if (first != 't') {
    if (first == 'c') {
      for (int ch = Get(); ch != kEof && ch != '\r' && ch != '\n'; ch = Get()) {
        if (ch >= '1' && ch <= '9') {
          version_ = ch - '0';
          break;
        }
      }
    }
    Require('t');
  }
  n_ = ReadInteger();
  k_ = ReadInteger();
  m_ = ReadInteger();
  if (n_ > kMaxCriteria) {
    port_.Error("Maximum number of criteria exceeded");
    throw StopReading{};
  }
  if (n_ < 1 || k_ < 2 || k_ > kMaxCategories || m_ < 0 || m_ > kMaxActions) Fail();
}

void ProblemFileReader::ReadDirections() {
  activity_ = "reading directions of preference";
  Require('d');
  const int row = DirectionRow(k_);
  for (int j = 1; j <= n_; ++j) ws_.FGrid.SetCell(j, row, ReadInteger() == 1 ? "1" : "-1");
}

void ProblemFileReader::ReadProfiles() {
  activity_ = "reading profiles";
  for (int h = 1; h < k_; ++h) {
    Require('p');
    ReadInteger();  // profiles are taken in the order of their lines
    for (int j = 1; j <= n_; ++j) ws_.FGrid.SetCell(j, ProfileBlockRow(h), ReadRealText());
  }
}

void ProblemFileReader::ReadThresholds() {
  for (int count = 0; count < (k_ - 1) * n_; ++count) {
    activity_ = "reading thesholds";
    Require('s');
    const int h = ReadInteger();
    const int j = ReadInteger();
    activity_ = Format("reading thesholds %d/%d", h, j);
    if (h < 1 || h >= k_ || j < 1 || j > n_) Fail();
    Table& f = ws_.FGrid;
    f.SetCell(j, ProfileRow(h, kIndifference), ReadRealText());
    f.SetCell(j, ProfileRow(h, kPreference), ReadRealText());
    if (version_ < 2) {
      SkipRestOfLine();
      f.SetCell(j, ProfileRow(h, kDiscordance), "0");
      f.SetCell(j, ProfileRow(h, kVeto), "0");
    } else {
      f.SetCell(j, ProfileRow(h, kDiscordance), ReadRealText());
      f.SetCell(j, ProfileRow(h, kVeto), ReadRealText());
    }
  }
}

void ProblemFileReader::ReadActions() {
  activity_ = "reading actions";
  Table& a = ws_.AGrid;
  for (int i = 1; i <= m_; ++i) {
    Require('a');
    a.SetCell(kActionNameCol, i, std::to_string(ReadInteger()));
    for (int j = 1; j <= n_; ++j) a.SetCell(PerformanceCol(j), i, ReadRealText());
    a.SetCell(kELowCol, i, std::to_string(ReadInteger()));
    a.SetCell(kEHighCol, i, std::to_string(ReadInteger()));
    if (version_ < 2) {
      SkipRestOfLine();
    } else if (Peek() == '\t' || Peek() == ' ') {
      Get();
      a.SetCell(kActionNameCol, i, RestOfLine());
    }
    // A line that ends right after EHigh carries no name: the number stays.
  }
}

void ProblemFileReader::ReadWeightBounds() {
  Table& b = ws_.BGrid;
  int single = 0;
  while (single < 2 * n_) {
    activity_ = Format("reading bound %d", single);
    Require('K');
    SkipBlanks();
    const int letter = Get();
    if (letter == kEof) Eof();
    if (letter == 'I' || letter == 'S') {
      const int j = ReadInteger();
      if (j < 1 || j > n_) Fail();
      b.SetCell(1 + j, letter == 'I' ? 1 : 2, ReadRealText());
      ++single;
    } else if (letter == 'm' || letter == 'M') {
      const std::string value = ReadRealText();
      for (int j = 1; j <= n_; ++j) b.SetCell(1 + j, letter == 'm' ? 1 : 2, value);
    } else {
      UnknownSymbol();
    }
  }
}

void ProblemFileReader::ReadConstraints() {
  activity_ = "reading No. Constraints";
  Require('K');
  for (int ch = Get(); ch != 'N'; ch = Get()) {
    if (ch == kEof) Eof();
  }
  const int count = ReadInteger();
  if (count < 0) Fail();
  SkipRestOfLine();
  for (int number = 1; number <= count; ++number) ReadConstraint(number);
}

void ProblemFileReader::ReadConstraint(int number) {
  activity_ = Format("reading constraint %d", number);
  Require('K');
  SkipBlanks();
  const int letter = Get();
  if (letter == kEof) Eof();
  if (letter != 'e' && letter != 'g' && letter != 'E' && letter != 'G') {
    UnknownSymbol();
    return;
  }
  Table& c = ws_.CGrid;
  const int row = ++ws_.ConstraintsCount;
  c.SetRowCount(row + 1);
  c.SetCell(0, row, Format("ad%d", number));
  const int sign_col = SignCol(n_);
  const int rhs_col = RhsCol(n_);
  if (letter == 'e' || letter == 'g') {
    c.SetCell(sign_col, row, letter == 'g' ? ">=" : "=");
    std::vector<double> coefficients;
    for (int col = 1; col <= n_ + 1; ++col) {
      coefficients.push_back(ReadReal());
      c.SetCell(col, row, FormatReal(coefficients.back()));
    }
    const double rhs = ReadReal();
    if (rhs >= 0) {
      c.SetCell(rhs_col, row, FormatReal(rhs));
    } else {
      // Right-hand sides are kept non-negative: the whole row is negated.
      for (int col = 1; col <= n_ + 1; ++col)
        c.SetCell(col, row, FormatReal(-coefficients[col - 1]));
      if (letter == 'g') c.SetCell(sign_col, row, "<=");
      c.SetCell(rhs_col, row, FormatReal(-rhs));
    }
  } else {
    // The old form lists signed criterion numbers: +j is a coefficient 1 of k_j, -j is -1.
    c.SetCell(1, row, "0");
    c.SetCell(sign_col, row, letter == 'E' ? "=" : ">=");
    c.SetCell(rhs_col, row, "0");
    for (int t = 0; t < n_; ++t) {
      const int j = ReadInteger();
      if (j < -n_ || j > n_) Fail();
      if (j > 0) c.SetCell(1 + j, row, "1");
      if (j < 0) c.SetCell(1 - j, row, "-1");
    }
  }
}

void ProblemFileReader::ReadLambdaBounds() {
  for (int t = 1; t <= 2; ++t) {
    activity_ = Format("reading lambda bound %d", t);
    Require('L');
    SkipBlanks();
    const int letter = Get();
    if (letter == kEof) Eof();
    if (letter == 'M') {
      ws_.BGrid.SetCell(1, 2, ReadRealText());
    } else if (letter == 'm') {
      ws_.BGrid.SetCell(1, 1, ReadRealText());
    } else {
      UnknownSymbol();
    }
  }
}

void ProblemFileReader::ReadCriteriaNames() {
  activity_ = "reading criteria names";
  Require('n');
  SkipRestOfLine();
  for (int j = 1; j <= n_; ++j) {
    if (AtEof()) Eof();
    const std::string name = RestOfLine();
    ws_.FGrid.SetCell(j, 0, name);
    ws_.AGrid.SetCell(PerformanceCol(j), 0, name);
  }
}

ReadOutcome ReadProblemText(Workspace& ws, UserPort& port, std::string_view text,
                            const std::string& file_name) {
  ViewBuffer buffer(text);
  return ProblemFileReader(buffer, ws, port).Read(file_name);
}

bool OpenInputFile(const std::string& path, std::filebuf& file, UserPort& port) {
  struct stat st;
  errno = 0;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      file.open(path, std::ios::in | std::ios::binary) != nullptr) {
    return true;
  }
  // Which file and why, below the message of the format.
  std::string reason = "not a regular file";
  if (errno != 0) {
    reason = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    reason = std::strerror(EISDIR);
  }
  port.Error("Error on reading : Could not open file\n" + path + ": " + reason);
  return false;
}

ReadOutcome ReadProblemFile(Workspace& ws, UserPort& port, const std::string& path) {
  std::filebuf file;
  if (!OpenInputFile(path, file, port)) {
    ws.ResetResults();
    return ReadOutcome::kUnchanged;
  }
  return ProblemFileReader(file, ws, port).Read(path);
}

void OpenOthClick(Workspace& ws, UserPort& port) {
  RunCommand(port, [&] {
    if (!SaveChangesFirst(ws, port)) return;
    FileDialogRequest request;
    request.filter = kProblemOpenFilter;
    request.file_name = ws.view.open_dialog_file_name;
    const std::optional<std::string> chosen = port.AskOpenFileName(request);
    if (!chosen) return;
    ws.view.open_dialog_file_name = *chosen;
    // Read into a copy: a file that fails half way leaves the problem on screen as it was
    // instead of part of each.
    Workspace candidate = ws;
    if (ReadProblemFile(candidate, port, *chosen) != ReadOutcome::kLoaded) return;
    ClearResults(candidate);
    ws = std::move(candidate);
  });
}

}  // namespace vido
