#include "support/trace_display.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "support/support_routines.h"
#include "support/user_port.h"

namespace vido {

namespace {

TraceSinkFunction& InstalledSink() {
  static TraceSinkFunction sink;
  return sink;
}

struct FieldLabel {
  TracePosition position;
  const char* label;
};

constexpr FieldLabel kFieldLabels[] = {
    {{0, 0}, "Label5"},   {{1, 0}, "Label6"},   {{1, 63}, "Label2"},  {{2, 63}, "Label3"},
    {{2, 75}, "Label9"},  {{3, 1}, "Label4"},   {{3, 17}, "Label7"},  {{3, 49}, "Label13"},
    {{3, 60}, "Label21"}, {{3, 72}, "Label16"}, {{4, 1}, "Label5"},   {{4, 40}, "Label18"},
    {{4, 50}, "Label23"}, {{4, 59}, "Label10"}, {{4, 75}, "Label11"}, {{5, -1}, "Label19"},
    {{7, -1}, "Label7"},
};

}  // namespace

void TraceSink(const std::string& /*target*/, const std::string& /*text*/) {}

TraceSinkFunction InstallTraceSink(TraceSinkFunction sink) {
  return std::exchange(InstalledSink(), std::move(sink));
}

const char* TraceFieldLabel(TracePosition position) {
  for (const FieldLabel& field : kFieldLabels) {
    if (field.position.row != position.row) continue;
    if (field.position.column == -1 || field.position.column == position.column) {
      return field.label;
    }
  }
  return nullptr;
}

void TraceDisplay::Activate(UserPort& port, const std::string& log_path) {
  active_ = true;
  port_ = &port;
  sink_ = InstalledSink();
  current_line.clear();
  log_failure_shown_ = false;
  cancel_requested_ = false;
  log_path_ = log_path;
}

void TraceDisplay::Emit(const std::string& target, const std::string& text) {
  if (!active_) return;
  if (sink_) {
    sink_(target, text);
  } else {
    TraceSink(target, text);
  }
}

void TraceDisplay::TraceLine(const std::string& text) { Emit("Memo", text); }

void TraceDisplay::TraceField(TracePosition position, const std::string& text) {
  const char* label = TraceFieldLabel(position);
  if (label != nullptr) Emit(label, text);
}

void TraceDisplay::TraceHeader() {
  Emit("Label6", "NONINT  VECTOR      NEW     OLD       PSEUDO            OBJF");
}

void TraceDisplay::TraceProgress(const std::string& text) {
  if (!active_) return;
  Emit("Label8", text);
  PumpEvents();
}

void TraceDisplay::TraceProgressClear() { TraceProgress(""); }

void TraceDisplay::TraceRemoveEps() { Emit("Memo", "REMOVE EPS "); }

void TraceDisplay::TraceEps(int n) { Emit("Memo", "EPS " + IntText(n)); }

bool TraceDisplay::PumpEvents() {
  if (port_ == nullptr) return false;
  const bool cancel = port_->PumpEvents();
  if (cancel) cancel_requested_ = true;
  return cancel;
}

void TraceDisplay::AppendLogLine(const std::string& text) {
  if (log_path_.empty()) return;
  // "a" creates the file when it does not exist yet.
  std::FILE* file = std::fopen(log_path_.c_str(), "ab");
  bool written = false;
  if (file != nullptr) {
    const std::string line = text + "\r\n";
    written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    written = std::fclose(file) == 0 && written;
  }
  if (!written && !log_failure_shown_ && port_ != nullptr) {
    log_failure_shown_ = true;
    port_->Error("Disk write error: check permissions and available size");
  }
}

// d = s div 86400 ("<d>d" when > 0), h = rest div 3600 ("hh" + "h" when > 0),
// m = rest div 60 (width 2 after hours) + "'", then the rest as ss.s + '"'.
std::string FormatElapsed(double seconds) {
  std::string text;
  double rest = seconds;
  const double days = std::floor(rest / 86400);
  rest -= days * 86400;
  if (days > 0) text += IntText(static_cast<long long>(days)) + "d";
  const double hours = std::floor(rest / 3600);
  rest -= hours * 3600;
  if (hours > 0) text += IntText(static_cast<long long>(hours), 2) + "h";
  const double minutes = std::floor(rest / 60);
  rest -= minutes * 60;
  text += IntText(static_cast<long long>(minutes), hours > 0 ? 2 : 0) + "'";
  text += FixedText(rest, 4, 1) + "\"";
  return text;
}

}  // namespace vido
