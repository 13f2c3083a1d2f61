#include "model/csv_table.h"

#include <cmath>

#include "support/number_text.h"

namespace vido {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// The separator the header line (the first record) uses: the one of the two it holds
// more of outside quotes; a comma on a tie, also when it holds neither.
char DetectSeparator(std::string_view text) {
  int commas = 0;
  int semicolons = 0;
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted) {
      if (IsLineEnd(c)) break;
      if (c == ',') ++commas;
      if (c == ';') ++semicolons;
    }
  }
  return semicolons > commas ? ';' : ',';
}

class CsvParser {
 public:
  CsvParser(std::string_view text, CsvTable& table)
      : text_(text), table_(table), sep_(table.separator) {}

  void Run() {
    while (pos_ < text_.size()) ReadRecord();
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Here() const { return text_[pos_]; }

  // Takes the line end at pos_ (CR LF counts once) and counts the line.
  void TakeLineEnd() {
    if (Here() == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
  }

  void SkipBlanks() {
    while (!AtEnd() && IsBlank(Here())) ++pos_;
  }

  // Passes over the rest of a damaged field, up to the next separator or line end.
  void SkipToFieldEnd() {
    while (!AtEnd() && Here() != sep_ && !IsLineEnd(Here())) ++pos_;
  }

  // A field in quotes; pos_ is on the opening quote. False when the text ends inside it.
  bool ReadQuoted(std::string& value) {
    ++pos_;
    while (!AtEnd()) {
      const char c = Here();
      if (c == '"') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
          value += '"';
          pos_ += 2;
          continue;
        }
        ++pos_;
        return true;
      }
      if (IsLineEnd(c)) {
        // The field keeps its line end as one LF, whatever the file used.
        value += '\n';
        TakeLineEnd();
        continue;
      }
      value += c;
      ++pos_;
    }
    return false;
  }

  void ReadUnquoted(std::string& value) {
    const size_t start = pos_;
    SkipToFieldEnd();
    size_t end = pos_;
    while (end > start && IsBlank(text_[end - 1])) --end;
    value.assign(text_.substr(start, end - start));
  }

  void ReadRecord() {
    CsvRecord record;
    record.line = line_;
    bool damaged = false;
    for (;;) {
      SkipBlanks();
      std::string value;
      if (!AtEnd() && Here() == '"') {
        if (!ReadQuoted(value)) {
          table_.issues.push_back(
              {record.line,
               Format("field %zu opens a quote that is never closed", record.fields.size() + 1)});
          return;
        }
        SkipBlanks();
        if (!AtEnd() && Here() != sep_ && !IsLineEnd(Here())) {
          if (!damaged) {
            table_.issues.push_back({line_, Format("field %zu has text after its closing quote",
                                                   record.fields.size() + 1)});
          }
          damaged = true;
          SkipToFieldEnd();
        }
      } else {
        ReadUnquoted(value);
      }
      record.fields.push_back(std::move(value));
      if (AtEnd()) break;
      if (Here() == sep_) {
        ++pos_;
        continue;
      }
      TakeLineEnd();
      break;
    }
    if (damaged) return;
    for (const std::string& field : record.fields) {
      if (!field.empty()) {
        table_.records.push_back(std::move(record));
        return;
      }
    }
  }

  std::string_view text_;
  CsvTable& table_;
  const char sep_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

CsvTable ParseCsv(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());
  }
  CsvTable table;
  table.separator = DetectSeparator(text);
  CsvParser(text, table).Run();
  return table;
}

std::optional<double> ParseCsvNumber(std::string_view field, char separator,
                                     std::string* canonical) {
  while (!field.empty() && IsBlank(field.front())) field.remove_prefix(1);
  while (!field.empty() && IsBlank(field.back())) field.remove_suffix(1);
  std::string text(field);
  if (separator == ';') {
    for (char& c : text) {
      if (c == ',') c = '.';
    }
  }
  const std::optional<double> value = ParseReal(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  if (canonical != nullptr) *canonical = text;
  return value;
}

std::string CsvField(std::string_view text, char separator) {
  const bool plain =
      text.find_first_of(std::string{separator, '"', '\r', '\n'}) == std::string_view::npos &&
      (text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back())));
  if (plain) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

}  // namespace vido
