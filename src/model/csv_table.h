#ifndef VIDO_MODEL_CSV_TABLE_H_
#define VIDO_MODEL_CSV_TABLE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vido {

// Something wrong at a line of a text the program reads; line 0 stands for the whole text.
struct LineIssue {
  int line = 0;
  std::string text;
  bool operator==(const LineIssue&) const = default;
};

// One record of a CSV text: its fields and the line it starts on (1-based; a quoted
// field may run over several lines).
struct CsvRecord {
  int line = 0;
  std::vector<std::string> fields;
};

// A CSV text as spreadsheets write it: fields separated by commas or by semicolons
// (whichever the header line has more of outside quotes), a field in double quotes may
// hold separators, line ends and doubled quotes, a UTF-8 byte order mark is skipped, and
// lines end with CR LF, LF or CR alone. Blanks around a field outside quotes are dropped;
// a line that holds nothing but separators and blanks is no record.
struct CsvTable {
  char separator = ',';
  std::vector<CsvRecord> records;
  // Lines that could not be split into fields; the records read around them are kept.
  std::vector<LineIssue> issues;
};

CsvTable ParseCsv(std::string_view text);

// A number of a field: "." as decimal separator, and also "," when the separator is a
// semicolon (as spreadsheets write numbers where the comma is the decimal sign). Nothing
// when the field is not a finite number. `canonical` receives the text with "." (outer blanks
// dropped), to be stored in a cell.
std::optional<double> ParseCsvNumber(std::string_view field, char separator,
                                     std::string* canonical = nullptr);

// A field as written into a CSV text with `separator`: in double quotes (inner quotes
// doubled) when it holds the separator, a quote, a line end or leading or trailing blanks.
std::string CsvField(std::string_view text, char separator = ',');

}  // namespace vido

#endif  // VIDO_MODEL_CSV_TABLE_H_
