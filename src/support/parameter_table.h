#ifndef VIDO_SUPPORT_PARAMETER_TABLE_H_
#define VIDO_SUPPORT_PARAMETER_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vido {

class UserPort;

// One named, typed setting of the engine.
struct ParameterEntry {
  enum Type : uint8_t { kReal = 0, kInteger = 1, kBoolean = 2, kText = 3 };
  uint8_t type = kReal;
  double minimum = 0;  // documented range of types 0 and 1, never enforced
  double maximum = 0;
  double value = 0;  // types 0 and 1: the value; type 2: 1.0 yes, 0.0 no
  std::string name;  // the key, upper case
  std::string text;  // type 3: the value
};

// The engine's settings, built from definition lines "<type> <NAME>=<value> [min max]".
// No parameter file is read or written: the built-in lines are the settings in force,
// apart from the overrides a test installs (ScopedParameterOverride).
class ParameterTable {
 public:
  static constexpr int kMaxPar = 50;  // MAXPAR

  // CreateParameterTable: kMaxPar empty entries. Messages go to `port`.
  explicit ParameterTable(UserPort& port);

  // count := number of lines; the built-in lines, then any installed overrides.
  void LoadDefaultParameters();
  // Parses the lines into entries 1..n. More than kMaxPar lines is an internal failure
  // (message, then EngineFailure); a malformed line shows its message and is skipped.
  void LoadParameterLines(const std::vector<std::string>& lines);

  // 1-based position of the first entry named `key`, 0 when there is none.
  int ParameterIndex(const std::string& key) const;
  // Typed lookups. An unknown key shows "Parameter <key> not found" and throws
  // EngineFailure; an entry of another type shows "Wrong Parametertype <key>".
  double RealParameter(const std::string& key) const;
  int32_t IntegerParameter(const std::string& key) const;
  bool BooleanParameter(const std::string& key) const;
  std::string TextParameter(const std::string& key) const;

  // Changes the value of an existing entry from value text as written after "=" in a
  // definition line ("Y", "1E-5", "LASER"). For tests; unknown keys fail as above.
  void SetParameter(const std::string& key, const std::string& value_text);

  int Count() const { return count_; }
  const ParameterEntry& Entry(int index) const { return entries_.at(index - 1); }

 private:
  void ParseLine(const std::string& line, ParameterEntry& entry);
  const ParameterEntry& Lookup(const std::string& key, uint8_t type) const;
  void ParseValue(std::string value_text, ParameterEntry& entry);

  UserPort& port_;
  int count_ = 0;
  std::vector<ParameterEntry> entries_;
};

// The 27 built-in definition lines, in table order.
const std::vector<std::string>& BuiltInParameterLines();

// Installs a setting that every table loaded while it lives gets on top of the
// built-in lines ("TIGHT" = "Y", "LOGFILE" = "Y", ...). For tests only.
class ScopedParameterOverride {
 public:
  ScopedParameterOverride(std::string key, std::string value_text);
  ~ScopedParameterOverride();
  ScopedParameterOverride(const ScopedParameterOverride&) = delete;
  ScopedParameterOverride& operator=(const ScopedParameterOverride&) = delete;

 private:
  std::size_t index_;
};

// Counts installs and removals of overrides: an engine kept between solves whose settings
// were read at another count reads them again.
std::size_t ParameterOverrideChanges();

}  // namespace vido

#endif  // VIDO_SUPPORT_PARAMETER_TABLE_H_
