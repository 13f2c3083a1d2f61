#include "model/csv_table.h"

#include <gtest/gtest.h>

namespace vido {
namespace {

using Fields = std::vector<std::string>;

struct CsvCase {
  const char* name;
  std::string text;
  char separator;
  // Every record: its first line, then its fields.
  std::vector<std::pair<int, Fields>> records;
  std::vector<LineIssue> issues;
};

class CsvReading : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvReading, SplitsAsASpreadsheetWrites) {
  const CsvCase& c = GetParam();
  const CsvTable table = ParseCsv(c.text);
  EXPECT_EQ(table.separator, c.separator);
  std::vector<std::pair<int, Fields>> records;
  for (const CsvRecord& r : table.records) records.emplace_back(r.line, r.fields);
  EXPECT_EQ(records, c.records);
  EXPECT_EQ(table.issues, c.issues);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, CsvReading,
    ::testing::Values(
        CsvCase{"CommaLf", "a,b,c\n1,2,3\n", ',', {{1, {"a", "b", "c"}}, {2, {"1", "2", "3"}}}, {}},
        CsvCase{"NoFinalLineEnd", "a,b\n1,2", ',', {{1, {"a", "b"}}, {2, {"1", "2"}}}, {}},
        CsvCase{"SemicolonBomCrLf",
                "\xEF\xBB\xBFname;g1;g2\r\nx;1,5;2\r\n",
                ';',
                {{1, {"name", "g1", "g2"}}, {2, {"x", "1,5", "2"}}},
                {}},
        CsvCase{"LoneCr",
                "a,b\r1,2\r3,4",
                ',',
                {{1, {"a", "b"}}, {2, {"1", "2"}}, {3, {"3", "4"}}},
                {}},
        // A quoted field holds separators, doubled quotes and line ends; the record after
        // it starts on the right line.
        CsvCase{"QuotedFields",
                "name,note\n\"Smith, \"\"Jr\"\"\",\"two\r\nlines\"\nlast,x\n",
                ',',
                {{1, {"name", "note"}}, {2, {"Smith, \"Jr\"", "two\nlines"}}, {4, {"last", "x"}}},
                {}},
        // Semicolons inside quotes do not count when the separator is chosen.
        CsvCase{"SeparatorFromTheHeaderOutsideQuotes",
                "\"a;b;c\",d,e\n1,2,3\n",
                ',',
                {{1, {"a;b;c", "d", "e"}}, {2, {"1", "2", "3"}}},
                {}},
        CsvCase{"BlankAndEmptyLinesAreNoRecords",
                "a;b\n\n;;\n  \n1;2\n;\n",
                ';',
                {{1, {"a", "b"}}, {5, {"1", "2"}}},
                {}},
        CsvCase{"BlanksAroundUnquotedFieldsGoQuotedOnesStay",
                "a , b\n \" x \" , 2 \n",
                ',',
                {{1, {"a", "b"}}, {2, {" x ", "2"}}},
                {}},
        CsvCase{"EmptyFieldsKeepTheirPlace",
                "a,b,c\n,,3\n1,,\n",
                ',',
                {{1, {"a", "b", "c"}}, {2, {"", "", "3"}}, {3, {"1", "", ""}}},
                {}},
        // A stray quote inside an unquoted field is kept, as in 12" pipe.
        CsvCase{"QuoteInsideAnUnquotedField",
                "a,b\n12\" pipe,1\n",
                ',',
                {{1, {"a", "b"}}, {2, {"12\" pipe", "1"}}},
                {}},
        CsvCase{"TextAfterTheClosingQuoteLosesOnlyThatRecord",
                "a,b\n\"x\"y,1\n2,3\n",
                ',',
                {{1, {"a", "b"}}, {3, {"2", "3"}}},
                {{2, "field 1 has text after its closing quote"}}},
        CsvCase{"QuoteNeverClosed",
                "a,b\n1,2\n3,\"open\n4,5\n",
                ',',
                {{1, {"a", "b"}}, {2, {"1", "2"}}},
                {{3, "field 2 opens a quote that is never closed"}}},
        CsvCase{"EmptyText", "", ',', {}, {}},
        CsvCase{"OnlyAByteOrderMark", "\xEF\xBB\xBF", ',', {}, {}}),
    [](const ::testing::TestParamInfo<CsvCase>& info) { return std::string(info.param.name); });

TEST(CsvNumbers, DecimalCommaOnlyWithSemicolons) {
  std::string canonical;
  EXPECT_EQ(ParseCsvNumber(" 12,5 ", ';', &canonical), 12.5);
  EXPECT_EQ(canonical, "12.5");
  EXPECT_EQ(ParseCsvNumber("12.5", ';'), 12.5);
  EXPECT_EQ(ParseCsvNumber("-3e2", ','), -300);
  for (const char* bad : {"12,5", "1.234,5", "", "inf", "nan", "1e400", "0x10", "1 2", "12%"}) {
    EXPECT_FALSE(ParseCsvNumber(bad, ',').has_value()) << bad;
  }
  EXPECT_FALSE(ParseCsvNumber("1.234,5", ';').has_value());
}

TEST(CsvFields, QuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(CsvField("plain text"), "plain text");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("a;b"), "a;b");
  EXPECT_EQ(CsvField("a;b", ';'), "\"a;b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
  EXPECT_EQ(CsvField(" padded"), "\" padded\"");
  // What is written reads back as it was.
  const std::string tricky = "Smith, \"Jr\"\nline 2 ";
  EXPECT_EQ(ParseCsv(CsvField(tricky) + ",x\n").records.at(0).fields.at(0), tricky);
}

}  // namespace
}  // namespace vido
