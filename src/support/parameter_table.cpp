#include "support/parameter_table.h"

#include <cmath>
#include <utility>

#include "support/engine_failure.h"
#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

struct Override {
  std::size_t id;
  std::string key;
  std::string value_text;
};

std::vector<Override>& Overrides() {
  static std::vector<Override> overrides;
  return overrides;
}

std::size_t next_override_id = 1;
std::size_t override_changes = 0;

}  // namespace

const std::vector<std::string>& BuiltInParameterLines() {
  static const std::vector<std::string> lines = {
      "1 ITERLOG=0 0 30000",
      "2 LOGFILE=N",
      "1 PRICING=30000 1 30000",
      "1 SUCH-TIEFE=7 1 30000",
      "0 INTEGER-CRIT=1E-7 0 1",
      "1 MIN-NODES=100 2 30000",
      "1 BASIS-INTERVALL=0 0 100000",
      "0 DJ-MIN=-1E-6 -1000 -1E-12",
      "1 MAXITER=2E9 0 2E9",
      "1 MAXTIME=2E9 0 2E9",
      "0 LO-LIMIT=-1E30 -1E30 1E30",
      "0 UP-LIMIT=1E30 -1E30 1E30",
      "0 MAXMEMORY[MB]=30 0 500",
      "2 TIGHT=N",
      "2 ASSESS-PSE=Y",
      "2 RESTART=Y",
      "2 PSE=Y",
      "1 STRAT-1=90 0 100",
      "1 STRAT-2=100 0 100",
      "2 STRAT-3=Y",
      "3 DRUCKER=LASER",
      "3 DESTINATION=LPT3",
      "3 FORMAT=LANDSCAPE",
      "1 PITCH=20 10 20",
      "1 RAND=3 0 100",
      "1 LINES-PER-PAGE=89 0 1000",
      "1 LINES-PER-INCH=8 0 10",
  };
  return lines;
}

ParameterTable::ParameterTable(UserPort& port) : port_(port), entries_(kMaxPar) {}

void ParameterTable::LoadDefaultParameters() {
  LoadParameterLines(BuiltInParameterLines());
  for (const Override& o : Overrides()) SetParameter(o.key, o.value_text);
}

void ParameterTable::LoadParameterLines(const std::vector<std::string>& lines) {
  if (lines.size() > static_cast<std::size_t>(kMaxPar)) {
    const std::string message =
        "PIN UNIT PARAUNIT the variable MAXPAR is too small\nincrease MAXPAR and recompile";
    ShowMessageText(port_, message);
    throw EngineFailure(message);
  }
  entries_.assign(kMaxPar, ParameterEntry{});
  count_ = static_cast<int>(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) ParseLine(lines[i], entries_[i]);
}

// "<type> <NAME>=<value text>": the type word, the name up to "=", then by type the
// value (and the range for numbers) or the text. Errors are shown and parsing goes on.
void ParameterTable::ParseLine(const std::string& line, ParameterEntry& entry) {
  std::string rest = UpperCase(TrimTrailing(TrimLeading(line)));
  if (rest.empty()) return;
  const int32_t type = ReadInteger(rest, port_);
  entry.type = static_cast<uint8_t>(type);
  const size_t equals = rest.find('=');
  std::string value_text;
  if (equals == std::string::npos) {
    ShowMessageText(port_, "Error in File in row " + rest);
    value_text = rest;
  } else {
    entry.name = TrimTrailing(rest.substr(0, equals)).substr(0, kShortTextLength);
    value_text = TrimLeading(rest.substr(equals + 1));
  }
  if (type < ParameterEntry::kReal || type > ParameterEntry::kText) {
    ShowMessageText(port_, "Error in File in row " + rest);
    return;
  }
  if (entry.type == ParameterEntry::kReal || entry.type == ParameterEntry::kInteger) {
    entry.value = ReadNumber(value_text, port_);
    entry.minimum = ReadNumber(value_text, port_);
    entry.maximum = ReadNumber(value_text, port_);
    if (entry.type == ParameterEntry::kInteger && std::nearbyint(entry.value) != entry.value) {
      ShowMessageText(port_, "Value for PARAMETER " + entry.name + " is not LONGINT");
    }
  } else {
    ParseValue(value_text, entry);
  }
}

// The value of a boolean or text entry, and of any entry for SetParameter.
void ParameterTable::ParseValue(std::string value_text, ParameterEntry& entry) {
  switch (entry.type) {
    case ParameterEntry::kReal:
    case ParameterEntry::kInteger:
      entry.value = ReadNumber(value_text, port_);
      break;
    case ParameterEntry::kBoolean:
      if (value_text == "Y" || value_text == "J") {
        entry.value = 1.0;
      } else if (value_text == "N") {
        entry.value = 0.0;
      } else {
        ShowMessageText(port_, "Value for PARAMETER " + entry.name + " is not BOOLEAN");
      }
      break;
    default:
      entry.text = value_text.substr(0, kShortTextLength);
      break;
  }
}

int ParameterTable::ParameterIndex(const std::string& key) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[i].name == key) return i + 1;
  }
  return 0;
}

const ParameterEntry& ParameterTable::Lookup(const std::string& key, uint8_t type) const {
  const int index = ParameterIndex(key);
  if (index == 0) {
    const std::string message = "Parameter " + key + " not found";
    ShowMessageText(port_, message);
    throw EngineFailure(message);
  }
  const ParameterEntry& entry = entries_[index - 1];
  if (entry.type != type) ShowMessageText(port_, "Wrong Parametertype " + key);
  return entry;
}

double ParameterTable::RealParameter(const std::string& key) const {
  return Lookup(key, ParameterEntry::kReal).value;
}

int32_t ParameterTable::IntegerParameter(const std::string& key) const {
  const double value = std::nearbyint(Lookup(key, ParameterEntry::kInteger).value);
  // Saturate rather than overflow; no built-in value comes near the limits.
  if (value >= 2147483647.0) return 2147483647;
  if (value <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int32_t>(value);
}

bool ParameterTable::BooleanParameter(const std::string& key) const {
  return Lookup(key, ParameterEntry::kBoolean).value == 1.0;
}

std::string ParameterTable::TextParameter(const std::string& key) const {
  return Lookup(key, ParameterEntry::kText).text;
}

void ParameterTable::SetParameter(const std::string& key, const std::string& value_text) {
  const std::string upper_key = UpperCase(key);
  const int index = ParameterIndex(upper_key);
  if (index == 0) {
    const std::string message = "Parameter " + upper_key + " not found";
    ShowMessageText(port_, message);
    throw EngineFailure(message);
  }
  ParseValue(UpperCase(TrimTrailing(TrimLeading(value_text))), entries_[index - 1]);
}

ScopedParameterOverride::ScopedParameterOverride(std::string key, std::string value_text)
    : index_(next_override_id++) {
  Overrides().push_back({index_, std::move(key), std::move(value_text)});
  ++override_changes;
}

ScopedParameterOverride::~ScopedParameterOverride() {
  ++override_changes;
  auto& overrides = Overrides();
  for (auto it = overrides.begin(); it != overrides.end(); ++it) {
    if (it->id == index_) {
      overrides.erase(it);
      break;
    }
  }
}

std::size_t ParameterOverrideChanges() { return override_changes; }

}  // namespace vido
