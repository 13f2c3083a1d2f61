#ifndef VIDO_SUPPORT_TRACE_DISPLAY_H_
#define VIDO_SUPPORT_TRACE_DISPLAY_H_

#include <functional>
#include <string>

namespace vido {

class UserPort;

// Receives every trace output: the target (a label of the trace window, "Memo" for the
// scrolling lines) and the text.
using TraceSinkFunction = std::function<void(const std::string& target, const std::string& text)>;

// The sink in force: it discards everything.
void TraceSink(const std::string& target, const std::string& text);

// Makes `sink` the sink of every trace display activated from now on (an empty function
// restores the discarding sink); returns the previous one. For tests and developers.
TraceSinkFunction InstallTraceSink(TraceSinkFunction sink);

// A screen position of the trace display; column -1 stands for any column.
struct TracePosition {
  int row;
  int column;
};

// The label bound to a screen position, or nullptr for a position without a field.
const char* TraceFieldLabel(TracePosition position);

// Fields written by the search.
inline constexpr TracePosition BoundsField{4, 1};
inline constexpr TracePosition TieField{4, 40};
inline constexpr TracePosition StrategyField{4, 50};
inline constexpr TracePosition PseudoCostCountField{4, 59};
inline constexpr TracePosition BoundCountField{4, 75};
inline constexpr TracePosition OpenNodesField{3, 49};
inline constexpr TracePosition IncumbentNodeField{3, 60};
// The second incumbent-node field, which also shows the node count with the bounds.
inline constexpr TracePosition IncumbentNodeField2{3, 72};
inline constexpr TracePosition SwapField{3, 17};
inline constexpr TracePosition IntegerSolutionField{5, -1};
inline constexpr TracePosition SolverStatusField{7, -1};

// The engine's text screen and its log file "LP.LOG". Inactive (every output does
// nothing) until an engine activates it.
class TraceDisplay {
 public:
  // Activates the display: outputs go to the installed sink, events are pumped through
  // `port`, and log lines are appended to the file `log_path` (none when empty).
  void Activate(UserPort& port, const std::string& log_path);
  bool Active() const { return active_; }
  // Replaces the sink of this display (tests).
  void SetSink(TraceSinkFunction sink) { sink_ = std::move(sink); }

  void TraceLine(const std::string& text);
  void TraceField(TracePosition position, const std::string& text);
  void TraceHeader();
  void TraceProgress(const std::string& text);
  void TraceProgressClear();
  void TraceRemoveEps();
  void TraceEps(int n);

  // Processes pending user-interface events; true when a cancel was requested. The
  // request also stays recorded in CancelRequested() so that a pump made for the trace
  // does not swallow it.
  bool PumpEvents();
  bool CancelRequested() const { return cancel_requested_; }
  void ClearCancelRequest() { cancel_requested_ = false; }

  // Appends one line to the log file, creating it when absent. A failure to write is
  // reported once per display ("Disk write error: ...") and the line is lost; the solve
  // goes on. Works whether or not the display is active, once a folder is known.
  void AppendLogLine(const std::string& text);
  const std::string& LogPath() const { return log_path_; }

  // The line the search composes before writing it.
  std::string current_line;

 private:
  void Emit(const std::string& target, const std::string& text);

  bool active_ = false;
  UserPort* port_ = nullptr;
  TraceSinkFunction sink_;
  std::string log_path_;
  bool log_failure_shown_ = false;
  bool cancel_requested_ = false;
};

// Elapsed seconds as [d"d"][hh"h"]m"'"ss.s followed by a double quote: 75.3 gives
// 1'15.3" and 3725.5 gives " 1h 2' 5.5"".
std::string FormatElapsed(double seconds);

}  // namespace vido

#endif  // VIDO_SUPPORT_TRACE_DISPLAY_H_
