#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "common/cli_run.h"
#include "common/integer_search.h"
#include "support/trace_display.h"

namespace vido {
namespace {

using testing::CliRun;
using testing::Example;
using testing::ReadFile;
using testing::RunVido;

namespace fs = std::filesystem;
using Json = nlohmann::json;

fs::path Scratch(const std::string& name) {
  const fs::path dir = fs::current_path() / ("export_cli_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// The bundled table as the README's round trip imports it.
const std::vector<std::string> kSitesImport = {
    "import-csv", Example("sites.csv"),    "--categories", "3",
    "--minimise", "rent,distance to port", "--minimise",   "flood risk"};

// The results document without the full name of the problem, which depends on the folder.
// Suggestions of one size may come in any order: those of a size are put in order of
// their rows (the sizes keep theirs).
Json Results(const std::string& text) {
  Json doc = Json::parse(text);
  doc.erase("input");
  if (doc.contains("suggestions")) {
    std::vector<Json> removes;
    for (const Json& suggestion : doc["suggestions"]) removes.push_back(suggestion["remove"]);
    for (size_t from = 0; from < removes.size();) {
      size_t to = from;
      while (to < removes.size() && removes[to].size() == removes[from].size()) ++to;
      std::sort(removes.begin() + static_cast<long>(from), removes.begin() + static_cast<long>(to));
      from = to;
    }
    for (size_t s = 0; s < removes.size(); ++s) doc["suggestions"][s]["remove"] = removes[s];
  }
  return doc;
}

// The import, the analysis, its JSON and CSV forms and its chart are reviewed results:
// a change is a decision, not a refresh.
TEST(CliRoundTrip, TheBundledTableGivesTheGoldenProblemResultsAndChart) {
  const fs::path dir = Scratch("round_trip");
  std::vector<std::string> import = kSitesImport;
  import.push_back((dir / "sites").string());
  const CliRun imported = RunVido(import);
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "Written " + (dir / "sites.tri").string() + "\n");
  EXPECT_EQ(ReadFile(dir / "sites.tri"), ReadFile(Example("sites.tri")));

  const std::string problem = (dir / "sites.tri").string();
  const CliRun json = RunVido({"analyse", problem, "--format", "json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.err, "");
  EXPECT_EQ(Json::parse(json.out)["input"], problem);
  EXPECT_EQ(Results(json.out), Results(ReadFile(Example("sites.analyse.json"))));
  // Solved afresh, every program gives the same document.
  EXPECT_EQ(Results(RunVido({"analyse", problem, "--format", "json", "--cold"}).out),
            Results(json.out));

  const CliRun csv =
      RunVido({"analyse", problem, "--format", "csv", "--chart", (dir / "sites.svg").string()});
  ASSERT_EQ(csv.status, 0) << csv.err;
  std::string expected = ReadFile(Example("sites.analyse.csv"));
  const std::string input_line = "input," + problem + ",,,,,,,\r\n";
  expected.replace(expected.find("input,"),
                   expected.find("\r\n", expected.find("input,")) - expected.find("input,") + 2,
                   input_line);
  EXPECT_EQ(csv.out, expected);
  EXPECT_EQ(ReadFile(dir / "sites.svg"), ReadFile(Example("sites.svg")));

  // Without --format the text is the person's, the chart said in one more line.
  const CliRun text = RunVido({"analyse", problem, "--chart", (dir / "again.svg").string()});
  EXPECT_EQ(text.out.rfind("The information is consistent (alpha = "), 0u);
  EXPECT_NE(text.out.find("\nChart written to " + (dir / "again.svg").string() + "\n"),
            std::string::npos);
  // Columns stay in line after a name with a character of two bytes.
  EXPECT_NE(text.out.find("\nAction               Worst  Inferred  Best  Holes\n"),
            std::string::npos);
  EXPECT_NE(text.out.find("\nSaint-\xC3\x89tienne Park   1      2         2\n"), std::string::npos);
}

TEST(CliImportCsv, MalformedTablesAndBadOptionsWriteNothing) {
  const fs::path dir = Scratch("refused");
  const fs::path table = dir / "t.csv";
  std::ofstream(table, std::ios::binary) << "name;g1;g2\na;1,5;2\nb;x;2\nc;1\n";
  const std::string out = (dir / "out.tri").string();
  const CliRun bad = RunVido({"import-csv", table.string(), "--categories", "2", out});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "error: The performance table " + table.string() +
                         " was not imported:\nLine 3: 'x' on 'g1' is not a number\n"
                         "Line 4: 2 fields where the header has 3\n");
  EXPECT_FALSE(fs::exists(out));

  std::ofstream(table, std::ios::binary) << "name;g1;g2\na;1,5;2\nb;3;2\n";
  const CliRun unknown =
      RunVido({"import-csv", table.string(), "--categories", "2", "--minimise", "g9", out});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("\nno criterion is named 'g9'\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"import-csv", table.string(), out},
        {"import-csv", table.string(), "--categories", "21", out},
        {"import-csv", table.string(), "--categories", "x", out},
        {"import-csv", table.string(), "--categories", "2"},
        {"import-csv", table.string(), "--categories", "2", dir.string()}}) {
    EXPECT_EQ(RunVido(args).status, kExitUsage) << args.back();
  }
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(RunVido({"import-csv", (dir / "none.csv").string(), "--categories", "2", out}).status,
            1);

  // An existing problem is replaced only with --overwrite.
  std::ofstream(out) << "mine";
  const CliRun kept = RunVido({"import-csv", table.string(), "--categories", "2", out});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(ReadFile(out), "mine");
  EXPECT_EQ(RunVido({"import-csv", table.string(), "--categories", "2", out, "--overwrite"}).status,
            0);
  EXPECT_NE(ReadFile(out).find("a 0\t1.5\t2\t1\t2\ta\r\n"), std::string::npos);
}

TEST(CliAnalyseFormats, InconsistentResultsAndTheSuggestions) {
  const std::string problem = Example("suppliers-inconsistent.tri");
  const CliRun run = RunVido({"analyse", problem, "--format", "json"});
  EXPECT_EQ(run.status, 0);
  const Json doc = Json::parse(run.out);
  EXPECT_EQ(doc["format"], "vido-results");
  EXPECT_EQ(doc["version"], 1);
  EXPECT_EQ(doc["consistent"], false);
  EXPECT_EQ(doc["actions"].size(), 25u);
  for (const Json& action : doc["actions"]) {
    EXPECT_TRUE(action["worst"].is_null() && action["best"].is_null() && action["holes"].is_null());
  }
  EXPECT_EQ(doc["violated_rows"][0], (Json{{"row", "C(Iberia Components)>=2"}, {"error", 0.04}}));
  EXPECT_FALSE(doc.contains("suggestions"));

  EXPECT_EQ(RunVido({"analyse", problem, "--format", "xml"}).status, kExitUsage);
  EXPECT_EQ(RunVido({"inconsistency", problem, "--format", "yaml"}).status, kExitUsage);

  if (!testing::IntegerSearchAvailable()) GTEST_SKIP() << "no integer search in this build";
  const CliRun found = RunVido({"inconsistency", problem, "--format", "json"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(Results(found.out),
            Results(ReadFile(Example("suppliers-inconsistent.inconsistency.json"))));
  const CliRun rows = RunVido({"inconsistency", problem, "--format", "csv"});
  EXPECT_NE(rows.out.find("\r\nconstraint,LB lambda,,,,,,,16\r\n"), std::string::npos);
  EXPECT_NE(rows.out.find("\r\nsuggestion,1,,,,,,,"), std::string::npos);
  EXPECT_NE(rows.out.find(",,,,,,,25\r\n"), std::string::npos);

  // Stopped by Ctrl-C (at the engine's first trace line), the search has not found
  // everything: no document a program could take for the whole.
  const TraceSinkFunction previous = InstallTraceSink(
      [](const std::string&, const std::string&) { RequestInterruptForTesting(); });
  const CliRun stopped = RunVido({"inconsistency", problem, "--format", "json"});
  InstallTraceSink(previous);
  ClearInterrupt();
  EXPECT_EQ(stopped.status, kExitInterrupted);
  EXPECT_EQ(stopped.out, "");
}

// The chart read back: for every row of the picture, the action's name and cells.
struct ChartRow {
  int action = 0;
  std::string name;
  int inferred = 0;
  int reachable = 0;
  int holes = 0;
  bool example = false;
};

std::string Unescaped(std::string text) {
  for (const auto& [entity, plain] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                      {"&gt;", ">"},
                                      {"&quot;", "\""},
                                      {"&amp;", "&"}}) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
      text.replace(at, entity.size(), plain);
    }
  }
  return text;
}

std::vector<ChartRow> ChartRows(const std::string& svg) {
  std::vector<ChartRow> rows;
  const std::string open = "<g class=\"action\" data-action=\"";
  const auto count = [](const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  };
  for (size_t at = svg.find(open); at != std::string::npos; at = svg.find(open, at + 1)) {
    const size_t end = svg.find("</g>", at);
    const std::string body = svg.substr(at, end - at);
    ChartRow row;
    row.action = std::stoi(body.substr(open.size()));
    const std::string name_open = "<text class=\"name\"";
    const size_t name = body.find('>', body.find(name_open)) + 1;
    row.name = Unescaped(body.substr(name, body.find("</text>", name) - name));
    row.inferred = count(body, "class=\"inferred\"");
    row.reachable = count(body, "class=\"reachable\"");
    row.holes = count(body, "class=\"hole\"");
    row.example = count(body, "class=\"example\"") == 1;
    rows.push_back(row);
  }
  return rows;
}

// The picture is checked against the JSON results of the same problem: one row per
// action, widest range first, the names written out, every cell of the range drawn as
// what it is, and texts of a readable size however many actions there are.
void ExpectChartShowsTheResults(const std::string& problem, const fs::path& svg_path) {
  const CliRun run =
      RunVido({"analyse", problem, "--format", "json", "--chart", svg_path.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json doc = Json::parse(run.out);
  const std::string svg = ReadFile(svg_path);
  const std::vector<ChartRow> rows = ChartRows(svg);
  ASSERT_EQ(rows.size(), doc["actions"].size());
  int previous_width = 1 << 30;
  for (const ChartRow& row : rows) {
    const Json& action = doc["actions"][row.action - 1];
    const std::string full = action["name"];
    EXPECT_TRUE(row.name == full || (full.size() > 40 && row.name.size() < full.size()))
        << row.name;
    const int width = action["best"].get<int>() - action["worst"].get<int>();
    EXPECT_LE(width, previous_width) << full;
    previous_width = width;
    EXPECT_EQ(row.inferred, 1) << full;
    // Within the assignment's tolerance the inferred category may be one that the ranges
    // call a hole (the action's coefficients equal on both its profiles): it is drawn as
    // the inferred one.
    int holes = 0;
    for (const Json& hole : action["holes"]) holes += hole != action["inferred"];
    EXPECT_EQ(row.holes, holes) << full;
    EXPECT_EQ(row.reachable + row.holes + row.inferred, width + 1) << full;
    EXPECT_EQ(row.example, !action["example"].is_null()) << full;
  }
  const std::regex size("font-size=\"([0-9.]+)\"");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), size); it != std::sregex_iterator();
       ++it) {
    EXPECT_GE(std::stod((*it)[1]), 10);
  }
  std::smatch height;
  ASSERT_TRUE(std::regex_search(svg, height, std::regex("<svg [^>]*height=\"([0-9.]+)\"")));
  EXPECT_GE(std::stod(height[1]), 14.0 * rows.size());
}

TEST(CliChart, ReadableFor25And1000Actions) {
  const fs::path dir = Scratch("chart");
  ExpectChartShowsTheResults(Example("suppliers.tri"), dir / "suppliers.svg");

  // 1000 actions of a table without examples: every range as wide as the bounds allow.
  std::ostringstream csv;
  csv << "action,g1,g2,g3,g4\n";
  unsigned state = 7;
  const auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16 & 0x3ff; };
  for (int i = 0; i < 1000; ++i) {
    csv << (i % 250 == 0 ? "\"A name far too long to be shown whole in a chart, number "
                         : "\"action ")
        << i << " & <co>\"";
    for (int j = 0; j < 4; ++j) csv << ',' << next() / 10.0;
    csv << '\n';
  }
  std::ofstream(dir / "big.csv", std::ios::binary) << csv.str();
  const CliRun imported = RunVido(
      {"import-csv", (dir / "big.csv").string(), "--categories", "6", (dir / "big.tri").string()});
  ASSERT_EQ(imported.status, 0) << imported.err;
  ExpectChartShowsTheResults((dir / "big.tri").string(), dir / "big.svg");

  // The chart follows the convention of every OUT file.
  const CliRun kept =
      RunVido({"analyse", Example("suppliers.tri"), "--chart", (dir / "suppliers.svg").string()});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(
      RunVido({"analyse", Example("suppliers.tri"), "--chart", Example("suppliers.tri")}).status,
      kExitUsage);
  EXPECT_EQ(RunVido({"analyse", Example("suppliers.tri"), "--chart", "x.svg", "--report", "x.svg"})
                .status,
            kExitUsage);
}

}  // namespace
}  // namespace vido
